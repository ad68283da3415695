// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Utf8.h"

namespace vacantix {

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned lead = byte(0);
    if (lead < 0x80)
        return 1;
    // The second byte's range rules out overlong forms (after E0, F0),
    // surrogates (after ED) and code points beyond U+10FFFF (after F4); the
    // bytes after it are plain continuation bytes.
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
    else
        return 0;
    if (text.size() - at < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if ((byte(k) & 0xC0) != 0x80)
            return 0;
    return length;
}

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

} // namespace vacantix
