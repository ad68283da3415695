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
