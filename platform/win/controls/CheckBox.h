// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/win/controls/Window.h"

namespace vacantix::win {

// A check box that ticks itself when clicked (BS_AUTOCHECKBOX); its parent
// hears of each click as WM_COMMAND with BN_CLICKED.
class CheckBox : public Window {
public:
    CheckBox() = default;
    explicit CheckBox(HWND handle) : Window(handle) {}

    static CheckBox Create(HWND parent, int id, std::wstring_view caption)
    {
        return CheckBox(CreateChild(parent, id, L"BUTTON", caption, WS_TABSTOP | BS_AUTOCHECKBOX).handle());
    }

    [[nodiscard]] bool isChecked() const { return send(BM_GETCHECK) == BST_CHECKED; }
    // Sets the tick without telling the parent.
    void setChecked(bool checked) const { send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }
    void click() const { send(BM_CLICK); }
};

} // namespace vacantix::win
