// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/win/controls/Window.h"

namespace vacantix::win {

// A text box. Its parent hears of every change of its text, typed or set,
// as WM_COMMAND with EN_CHANGE.
class Edit : public Window {
public:
    Edit() = default;
    explicit Edit(HWND handle) : Window(handle) {}

    // A box of many lines with both scroll bars, whose Enter key breaks a line.
    static Edit CreateMultiLine(HWND parent, int id)
    {
        return Edit(CreateChild(parent, id, L"EDIT", L"",
                                WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                    ES_AUTOHSCROLL | ES_WANTRETURN,
                                WS_EX_CLIENTEDGE)
                        .handle());
    }

    // Places the caret at the end, as after typing the whole text.
    void moveCaretToEnd() const
    {
        const auto end = static_cast<WPARAM>(GetWindowTextLengthW(handle()));
        send(EM_SETSEL, end, static_cast<LPARAM>(end));
    }
    // Replaces the selection with `text`, as typing or pasting it does.
    void replaceSelection(std::wstring_view text) const
    {
        send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(std::wstring(text).c_str()));
    }
};

} // namespace vacantix::win
