// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include <windows.h>

#include "app/MainWindow.h"
#include "app/MainWindowView.h"
#include "app/win/ListBinding.h"
#include "platform/win/controls/Button.h"
#include "platform/win/controls/ListView.h"
#include "platform/win/controls/PointerCursor.h"
#include "platform/win/controls/Window.h"
#include "platform/win/controls/WindowIcon.h"

namespace vacantix {

// The identifiers of the main window's controls.
inline constexpr int kButtonIdBase = 1000;
[[nodiscard]] constexpr int ControlId(Button button)
{
    return kButtonIdBase + static_cast<int>(button);
}
[[nodiscard]] constexpr bool IsButtonId(int id)
{
    return id > kButtonIdBase && id <= kButtonIdBase + kButtonCount;
}
[[nodiscard]] constexpr int ControlId(ListId list)
{
    return 2000 + static_cast<int>(list);
}

// The window class of the main window.
inline constexpr const wchar_t* kMainWindowClass = L"Vacantix.Form1";

// The main window in native Win32 with Common Controls 6: a view over the
// window core, which it builds from the design's tables at the scale of the
// monitor's DPI, and whose handlers it calls for every click, key, check
// box and mouse move. It holds no command logic of its own.
//
// The event loop: commands run on the thread's one loop (runMessageLoop),
// and a long command turns the loop from inside (turnEventLoop) at the
// core's yields. Closing the window while a command runs tells the core at
// once and hides the window; the window goes when the command has ended
// (at its next yield).
class Win32MainWindow final : public MainWindowView {
public:
    // Builds the window, hidden, and attaches it to `core`, which must stay
    // while the window does.
    explicit Win32MainWindow(MainWindow& core);
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    [[nodiscard]] HWND handle() const { return window_.handle(); }
    // False once the window has been destroyed.
    [[nodiscard]] bool isOpen() const { return window_.handle() != nullptr; }
    // The factor from twips to pixels (1 at 96 dpi with Arial's metrics).
    [[nodiscard]] double scale() const { return scale_; }
    [[nodiscard]] const win::ListView& list(ListId list) const;
    [[nodiscard]] const win::Button& button(Button button) const;

    // Handles the thread's messages until the window is gone.
    void runMessageLoop();

    void centreOnScreen() override;
    void applySkin(const std::string& skinFile) override;
    void loadCustomPointer(const std::string& cursorFile) override;
    void setCaption(std::string_view caption) override;
    void showProgramIcon() override;
    void showColumnHeader(ListId list) override;
    void setColumnWidth(ListId list, int twips) override;
    void setButtonCaption(Button button, std::string_view caption) override;
    void setButtonEnabled(Button button, bool enabled) override;
    void showMousePointer(int value) override;
    [[nodiscard]] std::optional<std::size_t> currentFolder() const override;
    void turnEventLoop() override;
    [[nodiscard]] std::unique_ptr<SettingsWindowView> createSettingsWindow(SettingsWindow& window) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onNotify(const NMHDR& notice);
    bool onSetCursor(HWND under, WORD hitTest);
    void onClose();
    void onDpiChanged(UINT dpi, const RECT& suggested);
    // Runs a command of the core; a command that ends because the window
    // was closed ends here, and the window goes once no command runs.
    template <typename Command>
    void run(Command&& command);
    void dispatch(MSG& message);

    void buildControls();
    void arrange();
    [[nodiscard]] int pixels(int twips) const;
    [[nodiscard]] ListBinding& binding(ListId list) const;
    void toggleCheck(int row);

    MainWindow& core_;
    win::Window window_;
    std::unique_ptr<ListBinding> folders_;
    std::unique_ptr<ListBinding> results_;
    std::array<win::Button, kButtonCount> buttons_;
    std::array<int, 2> columnTwips_{};
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    double scale_ = 1.0;
    win::Font windowFont_;
    win::Font buttonFont_;
    HBRUSH background_ = nullptr;
    bool skinned_ = false;
    win::PointerCursor pointer_;
    win::WindowIcon icon_;
    bool iconShown_ = false;
    int runningCommands_ = 0;
};

} // namespace vacantix
