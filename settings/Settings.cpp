// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Settings.h"

#include <cmath>
#include <cstdlib>

#include "platform/Failure.h"

namespace vacantix {

std::int16_t ToInt16(std::string_view text)
{
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);

    // sign, digits, optional fraction; nothing else
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t digitsStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    std::size_t digits = i - digitsStart;
    if (i < text.size() && text[i] == '.') {
        ++i;
        const std::size_t fractionStart = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        digits += i - fractionStart;
    }
    if (digits == 0 || i != text.size())
        throw MakeFailure(TypeMismatch);

    const std::string number(text);
    const double value = std::nearbyint(std::strtod(number.c_str(), nullptr)); // half to even
    if (!(value >= -32768.0 && value <= 32767.0))
        throw MakeFailure(Overflow);
    return static_cast<std::int16_t>(value);
}

std::int16_t Settings::readNumber(std::string_view key, std::int16_t fallback) const
{
    const auto stored = store_.get(key);
    if (!stored)
        return fallback;
    return ToInt16(*stored);
}

std::string Settings::text1() const
{
    auto stored = store_.get(kText1);
    return stored ? std::move(*stored) : std::string(kDefaultIgnoreList);
}

const std::vector<std::string>& Settings::ignoreEntries() const
{
    const auto stored = store_.get(kText1);
    const std::string_view text = stored ? std::string_view(*stored) : kDefaultIgnoreList;
    if (parsed_ && text == parsedFrom_)
        return entries_;

    entries_.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find("\r\n", start);
        const std::string_view entry =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!entry.empty())
            entries_.push_back(LowerCase(entry));
        if (end == std::string_view::npos)
            break;
        start = end + 2;
    }
    parsedFrom_.assign(text);
    parsed_ = true;
    return entries_;
}

std::string LowerCase(std::string_view text)
{
    std::string lower;
    lower.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 'A' && c <= 'Z') {
            lower.push_back(static_cast<char>(c + ('a' - 'A')));
        } else if (c == 0xC3 && i + 1 < text.size()) {
            // Latin-1 supplement capitals U+00C0..U+00DE (but U+00D7) map by +0x20
            const auto next = static_cast<unsigned char>(text[i + 1]);
            lower.push_back(text[i]);
            lower.push_back(next >= 0x80 && next <= 0x9E && next != 0x97 ? static_cast<char>(next + 0x20)
                                                                         : text[i + 1]);
            ++i;
        } else {
            lower.push_back(text[i]);
        }
    }
    return lower;
}

} // namespace vacantix
