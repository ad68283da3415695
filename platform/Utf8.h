// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

namespace vacantix {

// The length in bytes of the UTF-8 sequence starting at `text[at]`: 1 for an
// ASCII byte, 2 to 4 for a lead byte followed by its continuation bytes, 0
// where no sequence starts (a continuation byte, a byte that never leads, a
// sequence cut short). `at` must be inside `text`.
[[nodiscard]] std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

} // namespace vacantix
