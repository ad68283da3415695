// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "settings/Settings.h"
#include "settings/SettingsWindowView.h"

namespace vacantix {

// The settings window's behaviour, toolkit-free: shows the five options of
// the store and writes each change back the moment it is made. There is no
// apply or cancel step; "OK" and the title-bar close both just close it, and
// whatever was changed stays stored. Nothing is cached, so a scan paused
// behind the window sees a change at the next folder it examines.
class SettingsWindow {
public:
    // The cursor file is looked for in `programFolder` (no trailing "/").
    SettingsWindow(Settings& settings, Prompter& prompter, FileSystem& fs, std::string programFolder);

    // The window that shows this core; it must stay while the core is used.
    void attach(SettingsWindowView& view) { view_ = &view; }

    // The load sequence: the stored values (or their defaults) go into the
    // controls, and a value that does not fit its control shows the error
    // report with its step and leaves that control as designed; then the
    // window takes the centre of the screen.
    void Form_Load();

    // "OK": closes the window.
    void PushButton7_Click();

    // The controls' changes, each stored at once under its key. `state` is
    // the box's new check state (0, 1 or 2), `position` the selected item's
    // list position (-1 for none), `shown` the ignore list's whole text with
    // its lines apart by CR LF.
    void Check1_Click(int state);
    void Check2_Click(int state);
    void Check3_Click(int state);
    void Combo1_Click(int position);
    void Text1_Change(std::string_view shown);
    // The check box of an option, by what it says (CheckN_Click).
    void optionClicked(OptionBox box, int state);

    // Pointer reactions; none replaces the busy pointer.
    void Form_MouseMove();
    void Frame1_MouseMove();
    void Frame2_MouseMove();
    void PushButton7_MouseMove();

    // The window's pointer (MousePointerValue).
    [[nodiscard]] int mousePointer() const { return mousePointer_; }
    void setMousePointer(int value);
    [[nodiscard]] bool customPointerLoaded() const { return customPointerLoaded_; }

    // A check state read from the store as a check box shows it: 0, 1 or 2
    // (grayed). Throws the Failure "Invalid property value" (380) for any
    // other number.
    [[nodiscard]] static int CheckStateFromStored(std::int16_t value);

private:
    void setPointerUnlessBusy(int value);

    Settings& settings_;
    Prompter& prompter_;
    FileSystem& fs_;
    std::string programFolder_;
    SettingsWindowView* view_ = nullptr;
    int deleteModeItems_ = 0;
    int mousePointer_ = DefaultPointer;
    bool customPointerLoaded_ = false;
    // While the load puts the stored ignore list into its box: the box's
    // changes are noted, not stored.
    bool loadingIgnoreList_ = false;
    bool ignoreListShownAnew_ = false;
    // The stored text the ignore list was loaded from, and how the box
    // showed it: until the user edits, the box stands for that text exactly
    // (a box cannot tell a lone CR or LF from a line end).
    std::string loadedIgnoreList_;
    std::optional<std::string> loadedIgnoreListShown_;
};

} // namespace vacantix
