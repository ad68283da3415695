// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

namespace vacantix {

// The program's one judge of UTF-8, as RFC 3629 defines it: a code point in
// its shortest form, neither a surrogate (U+D800 to U+DFFF) nor above
// U+10FFFF.

// The length in bytes of the UTF-8 character starting at `text[at]`: 1 for
// an ASCII byte, 2 to 4 for a lead byte followed by the continuation bytes of
// a character as above; 0 where none starts (a continuation byte, a byte
// that never leads, an overlong form, a surrogate, a code point beyond
// U+10FFFF, a sequence cut short). `at` must be inside `text`.
[[nodiscard]] std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

// True when the whole of `text` is UTF-8.
[[nodiscard]] bool IsValidUtf8(std::string_view text);

} // namespace vacantix
