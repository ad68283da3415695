// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "settings/SettingsWindowDesign.h"

namespace vacantix {

// What the settings window's core asks of the window a toolkit builds: the
// controls of SettingsWindowDesign.h, each change of a control forwarded to
// the core's handler (CheckN_Click, Combo1_Click, Text1_Change), mouse moves
// forwarded to its pointer reactions, and "OK" to PushButton7_Click.
//
// The setters behave as the design's controls do: setting a value that
// differs from the one shown raises the control's change handler at once,
// with the new value; setting the value shown raises nothing.
class SettingsWindowView {
public:
    virtual ~SettingsWindowView() = default;

    // Gives the window and its frames, labels and check boxes the desktop's
    // button-face background.
    virtual void setFormBackColors() = 0;
    // Gives the window the program icon.
    virtual void showProgramIcon() = 0;

    // Adds an item at the end of the delete mode's list without selecting
    // it and without raising Combo1_Click.
    virtual void addDeleteModeItem(std::string_view text) = 0;
    // Selects the item at a list position; -1 selects none.
    virtual void setDeleteMode(int position) = 0;
    // Shows a check state: 0 unchecked, 1 checked, 2 grayed. A grayed box
    // goes to checked or unchecked on the user's click; clicks never make
    // it grayed again.
    virtual void setOption(OptionBox box, int state) = 0;
    // Shows the ignore list's text as stored (lines apart by CR LF; a lone
    // CR or LF may show as a line break too).
    virtual void setIgnoreList(std::string_view text) = 0;

    // Loads a cursor file as the window's custom pointer. Throws Failure when
    // it cannot be read or holds no cursor.
    virtual void loadCustomPointer(const std::string& cursorFile) = 0;
    // Shows a pointer value (MousePointerValue) over the window.
    virtual void showMousePointer(int value) = 0;

    // Takes the window's place at the centre of the screen.
    virtual void centreOnScreen() = 0;
    // Shows the window modally over its owner; returns once it is closed.
    virtual void showModal() = 0;
    // Unloads (closes) the window; showModal() then returns.
    virtual void unload() = 0;
};

} // namespace vacantix
