// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/UnicodeLowerCase.h"

#include <climits>
#include <cstdint>
#include <new>
#include <vector>

#include <unicode/locid.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

namespace vacantix {

std::optional<std::string> UnicodeLowerCase(std::string_view text)
{
    if (text.size() > std::size_t(INT32_MAX))
        return std::nullopt; // beyond ICU's lengths; no name or entry is this long

    // The strict conversion refuses every ill-formed sequence.
    std::vector<UChar> units(text.size()); // never more UTF-16 units than UTF-8 bytes
    std::int32_t unitCount = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(units.data(), static_cast<std::int32_t>(units.size()), &unitCount, text.data(),
                  static_cast<std::int32_t>(text.size()), &status);
    if (U_FAILURE(status))
        return std::nullopt;

    icu::UnicodeString unicode(units.data(), unitCount);
    unicode.toLower(icu::Locale::getRoot());
    if (unicode.isBogus()) // out of memory
        throw std::bad_alloc();
    std::string lower;
    unicode.toUTF8String(lower);
    return lower;
}

} // namespace vacantix
