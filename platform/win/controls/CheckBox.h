// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/win/controls/Window.h"

namespace vacantix::win {

// A check box of three states (unchecked, checked, grayed) that does not
// tick itself: its parent hears of each click as WM_COMMAND with
// BN_CLICKED and sets the state it wants.
class CheckBox : public Window {
public:
    CheckBox() = default;
    explicit CheckBox(HWND handle) : Window(handle) {}

    static CheckBox Create(HWND parent, int id, std::wstring_view caption)
    {
        return CheckBox(CreateChild(parent, id, L"BUTTON", caption, WS_TABSTOP | BS_3STATE).handle());
    }

    // 0 unchecked, 1 checked, 2 grayed.
    [[nodiscard]] int state() const { return static_cast<int>(send(BM_GETCHECK)); }
    // Shows a state without telling the parent.
    void setState(int state) const { send(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

} // namespace vacantix::win
