// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/UnicodeLowerCase.h"

#include <climits>
#include <new>

#include <windows.h>

namespace vacantix {

std::optional<std::string> UnicodeLowerCase(std::string_view text)
{
    if (text.empty())
        return std::string();
    if (text.size() > std::size_t(INT_MAX))
        return std::nullopt;
    const int bytes = static_cast<int>(text.size());
    // MB_ERR_INVALID_CHARS refuses every ill-formed sequence, surrogates and
    // overlong forms included.
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), bytes, nullptr, 0);
    if (units <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), bytes, wide.data(), units);

    constexpr DWORD kFlags = LCMAP_LOWERCASE | LCMAP_LINGUISTIC_CASING;
    const int lowerUnits = LCMapStringEx(LOCALE_NAME_INVARIANT, kFlags, wide.data(), units, nullptr, 0, nullptr,
                                         nullptr, 0);
    if (lowerUnits <= 0)
        throw std::bad_alloc(); // the mapping fails only for want of memory once the text is valid
    std::wstring lowerWide(static_cast<std::size_t>(lowerUnits), L'\0');
    LCMapStringEx(LOCALE_NAME_INVARIANT, kFlags, wide.data(), units, lowerWide.data(), lowerUnits, nullptr, nullptr,
                  0);

    const int outBytes = WideCharToMultiByte(CP_UTF8, 0, lowerWide.data(), lowerUnits, nullptr, 0, nullptr, nullptr);
    if (outBytes <= 0)
        return std::nullopt;
    std::string lower(static_cast<std::size_t>(outBytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, lowerWide.data(), lowerUnits, lower.data(), outBytes, nullptr, nullptr);
    return lower;
}

} // namespace vacantix
