// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/win/controls/Window.h"

namespace vacantix::win {

// A drop-down list (CBS_DROPDOWNLIST): the user picks one of its items and
// types nothing. Its parent hears of a pick as WM_COMMAND with CBN_SELCHANGE.
class ComboBox : public Window {
public:
    ComboBox() = default;
    explicit ComboBox(HWND handle) : Window(handle) {}

    // Its height, as `move` gives it, is that of the control with its list open.
    static ComboBox Create(HWND parent, int id)
    {
        return ComboBox(CreateChild(parent, id, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST).handle());
    }

    void addItem(std::wstring_view text) const
    {
        send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(text).c_str()));
    }
    // The position of the item shown, or -1 when none is.
    [[nodiscard]] int selection() const { return static_cast<int>(send(CB_GETCURSEL)); }
    // Shows the item at `position` (-1 for none) without telling the parent.
    void select(int position) const { send(CB_SETCURSEL, static_cast<WPARAM>(position)); }
};

} // namespace vacantix::win
