// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ScanExtras.h"

#include <algorithm>

namespace vacantix {

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](char x, char y) { return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y)); });
}

} // namespace

const std::vector<std::string>& ScanExtras::defaultJunkNames()
{
    static const std::vector<std::string> names{"Thumbs.db", "desktop.ini", ".DS_Store", "._*", ".directory"};
    return names;
}

bool ScanExtras::tooYoung(std::string_view folder, const Listing& listing) const
{
    if (!minAge)
        return false;
    if (!listing.modified)
        return true;
    if (ownChanges && ownChanges->madeAt(folder, *listing.modified))
        return false;
    return *listing.modified > SecondsSinceEpoch() - minAge->count();
}

std::optional<std::chrono::seconds> ParseDuration(std::string_view text)
{
    if (text.size() < 2)
        return std::nullopt;
    std::int64_t unit = 0;
    switch (text.back()) {
    case 's': unit = 1; break;
    case 'm': unit = 60; break;
    case 'h': unit = 3600; break;
    case 'd': unit = 86400; break;
    default: return std::nullopt;
    }
    std::int64_t count = 0;
    for (const char c : text.substr(0, text.size() - 1)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        count = count * 10 + (c - '0');
        // A hundred years is far more than any folder's age.
        if (count * unit > std::int64_t{100} * 366 * 86400)
            return std::nullopt;
    }
    return std::chrono::seconds(count * unit);
}

bool ScanExtras::isJunk(std::string_view name) const
{
    for (const std::string& junk : junkNames) {
        // "._" alone names no AppleDouble file: its companion has a name.
        if (junk == "._*" ? name.size() > 2 && name.starts_with("._") : sameIgnoringCase(junk, name))
            return true;
    }
    return false;
}

} // namespace vacantix
