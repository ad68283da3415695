// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/win/controls/Window.h"

namespace vacantix::win {

// A push button. Its parent hears of a click as WM_COMMAND with BN_CLICKED.
class Button : public Window {
public:
    Button() = default;
    explicit Button(HWND handle) : Window(handle) {}

    static Button Create(HWND parent, int id, std::wstring_view caption)
    {
        return Button(CreateChild(parent, id, L"BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON).handle());
    }

    // Clicks the button as the mouse would: nothing happens while it is disabled.
    void click() const { send(BM_CLICK); }
};

} // namespace vacantix::win
