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
// I with dot above) becomes "i" plus U+0307, and a capital sigma that ends a
// word becomes the final sigma U+03C2. Windows maps through LCMapStringEx in
// the invariant locale with linguistic casing: one UTF-16 unit for one, with
// no context, so U+0130 becomes a plain "i" and every capital sigma U+03C3.
// A name holding either may match an ignore-list entry on one system and not
// on the other; the two agree on the other letters the tests try (Greek,
// Cyrillic, German, Turkish dotless i, broken UTF-8).
[[nodiscard]] std::optional<std::string> UnicodeLowerCase(std::string_view text);

} // namespace vacantix
