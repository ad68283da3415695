// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace vacantix {

// The system clipboard, one attempt per call. Never throws.
class Clipboard {
public:
    virtual ~Clipboard() = default;

    // Empties the clipboard. False when the clipboard could not be had.
    virtual bool clear() = 0;

    // Places UTF-8 text on the clipboard as plain text. False when the
    // clipboard could not be had.
    virtual bool setText(std::string_view text) = 0;
};

} // namespace vacantix
