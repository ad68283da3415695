// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vacantix {

// The Unicode lower-case mapping of UTF-8 text, whatever the user's language;
// nothing when the text is not well-formed UTF-8 (stray or cut continuation
// bytes, overlong forms, surrogates, values past U+10FFFF), since replacing
// bad bytes would let two different names compare equal. Throws
// std::bad_alloc when memory runs out.
//
// Linux maps through ICU's root locale: the full mapping, so U+0130 (capital
// I with dot above) becomes "i" plus U+0307 and a final capital sigma becomes
// U+03C2. Windows maps through LCMapStringEx in the invariant locale with
// linguistic casing, as its file names compare: one character for one, so
// U+0130 becomes "i" alone (or stays, as the system's tables say) and every
// capital sigma becomes U+03C3. Text of those few letters may therefore match
// an ignore-list entry on one system and not on the other.
[[nodiscard]] std::optional<std::string> UnicodeLowerCase(std::string_view text);

} // namespace vacantix
