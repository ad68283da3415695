// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

#include "platform/win/controls/Window.h"

namespace vacantix::win {

// A shortcut menu, destroyed with its owner. Its items are numbered by the
// caller (1 and up); show() tracks it until an item is chosen or the menu
// is dismissed.
class PopupMenu {
public:
    PopupMenu() : handle_(CreatePopupMenu()) {}
    ~PopupMenu() { DestroyMenu(handle_); }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    void add(UINT item, std::wstring_view caption, bool enabled) const
    {
        AppendMenuW(handle_, MF_STRING | (enabled ? 0 : MF_GRAYED), item, std::wstring(caption).c_str());
    }
    // Shows the menu at a point of the screen for `owner`; the item chosen,
    // or 0 when none was.
    [[nodiscard]] UINT show(HWND owner, POINT at) const
    {
        return static_cast<UINT>(
            TrackPopupMenuEx(handle_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, owner, nullptr));
    }

private:
    HMENU handle_;
};

} // namespace vacantix::win
