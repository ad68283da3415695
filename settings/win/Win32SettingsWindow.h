// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

#include <windows.h>

#include "platform/win/controls/Button.h"
#include "platform/win/controls/CheckBox.h"
#include "platform/win/controls/ComboBox.h"
#include "platform/win/controls/Edit.h"
#include "platform/win/controls/PointerCursor.h"
#include "platform/win/controls/Window.h"
#include "platform/win/controls/WindowIcon.h"
#include "settings/SettingsWindow.h"
#include "settings/SettingsWindowView.h"

namespace vacantix {

// The window class of the settings window.
inline constexpr const wchar_t* kSettingsWindowClass = L"Vacantix.Form2";

// The identifier of a control of the settings window's design.
[[nodiscard]] constexpr int SettingsControlId(ControlKind kind, int number)
{
    return 3000 + 100 * static_cast<int>(kind) + number;
}

// The settings window in native Win32: a view over its core, built from the
// design's table at the main window's scale, modal over its owner while
// shown. Each change of a control goes to the core's handler at once.
class Win32SettingsWindow final : public SettingsWindowView {
public:
    // Builds the window, hidden, owned by `owner`, and attaches it to
    // `core`, which must stay while the window does. `scale` turns twips
    // into pixels.
    Win32SettingsWindow(HWND owner, SettingsWindow& core, double scale);
    ~Win32SettingsWindow() override;
    Win32SettingsWindow(const Win32SettingsWindow&) = delete;
    Win32SettingsWindow& operator=(const Win32SettingsWindow&) = delete;

    [[nodiscard]] HWND handle() const { return window_.handle(); }

    void setFormBackColors() override;
    void showProgramIcon() override;
    void addDeleteModeItem(std::string_view text) override;
    void setDeleteMode(int position) override;
    void setOption(OptionBox box, int state) override;
    void setIgnoreList(std::string_view text) override;
    void loadCustomPointer(const std::string& cursorFile) override;
    void showMousePointer(int value) override;
    void centreOnScreen() override;
    void showModal() override;
    void unload() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(int id, int code);
    bool onSetCursor(HWND under, WORD hitTest);
    void buildControls();
    [[nodiscard]] RECT placeOf(const ControlDesign& control) const;
    [[nodiscard]] const win::CheckBox& option(OptionBox box) const;

    SettingsWindow& core_;
    HWND owner_;
    double scale_;
    win::Window window_;
    std::array<win::Window, 2> frames_;
    win::Window label_;
    win::ComboBox deleteMode_;
    std::array<win::CheckBox, 3> options_;
    win::Edit ignoreList_;
    win::Button ok_;
    win::Font windowFont_;
    win::Font buttonFont_;
    HBRUSH background_ = nullptr;
    win::PointerCursor pointer_;
    win::WindowIcon icon_;
    bool closed_ = false;
    // While the view puts text into the ignore list: its change is not the user's.
    bool settingIgnoreList_ = false;
};

} // namespace vacantix
