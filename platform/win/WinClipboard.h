// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>

#include "platform/Clipboard.h"

namespace vacantix {

// The Windows clipboard, holding text as CF_UNICODETEXT. The owner window
// must live while the text is on the clipboard: the system asks it for the
// text when another program pastes.
class WinClipboard final : public Clipboard {
public:
    explicit WinClipboard(HWND owner = nullptr) : owner_(owner) {}

    void setOwner(HWND owner) { owner_ = owner; }

    bool clear() override;
    // UTF-8 text, stored as UTF-16; a byte sequence that is no UTF-8 goes
    // as U+FFFD.
    bool setText(std::string_view text) override;

private:
    HWND owner_;
};

} // namespace vacantix
