// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Settings.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <new>

#include "platform/Failure.h"
#include "platform/PathRoot.h"
#include "settings/UnicodeLowerCase.h"

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

std::string_view KeyOf(Option option)
{
    switch (option) {
    case Option::ZeroByteFilesCountAsEmpty: return kCheck1;
    case Option::SkipSystemFolders: return kCheck2;
    case Option::IgnoreHiddenFolders: return kCheck3;
    }
    return kCheck1;
}

std::int16_t Settings::checkBoxState(Option option) const
{
    switch (option) {
    case Option::ZeroByteFilesCountAsEmpty: return readNumber(Check1);
    case Option::SkipSystemFolders: return readNumber(Check2);
    case Option::IgnoreHiddenFolders: return readNumber(Check3);
    }
    return 0;
}

bool Settings::keptReadsCurrent() const
{
    const std::optional<std::uint64_t> now = store_.changeCount();
    if (now && readsAt_ == now)
        return true;
    numbers_ = {};
    ignoreListCurrent_ = false;
    readsAt_ = now;
    return false;
}

std::int16_t Settings::readNumber(Number number) const
{
    struct Stored {
        std::string_view key;
        std::int16_t fallback;
    };
    static constexpr Stored stored[NumberCount] = {{kCheck1, 1}, {kCheck2, 1}, {kCheck3, 0}, {kCombo1, 0}};

    std::optional<Read>& kept = numbers_[number];
    if (!keptReadsCurrent() || !kept) {
        Read read;
        try {
            const auto text = store_.get(stored[number].key);
            read.value = text ? ToInt16(*text) : stored[number].fallback;
        } catch (...) {
            read.failure = std::current_exception();
        }
        kept = std::move(read);
    }
    if (kept->failure)
        std::rethrow_exception(kept->failure);
    return kept->value;
}

std::shared_ptr<const std::string> Settings::defaultIgnoreList()
{
    static const auto text = std::make_shared<const std::string>(kDefaultIgnoreList);
    return text;
}

std::string Settings::text1() const
{
    auto stored = store_.get(kText1);
    return stored ? std::move(*stored) : std::string(kDefaultIgnoreList);
}

const IgnoreList& Settings::ignoreList() const
{
    if (keptReadsCurrent() && ignoreListCurrent_)
        return ignoreList_;
    // Kept from here on only once it is known: a failure leaves it unknown.
    auto stored = store_.getShared(kText1);
    if (!stored)
        stored = defaultIgnoreList();
    // The same object is the same text; another object is compared, which
    // is cheap next to parsing it again.
    if (stored == parsedFrom_ || (parsedFrom_ && *stored == *parsedFrom_)) {
        parsedFrom_ = std::move(stored);
        ignoreListCurrent_ = readsAt_.has_value();
        return ignoreList_;
    }
    const std::string_view text = *stored;

    IgnoreList parsed;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find("\r\n", start);
        const std::string_view entry =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!entry.empty()) {
            // A whole path may be written with native separators.
            std::string lower = LowerCase(FromNativePath(entry));
            if (lower.find('/') != std::string::npos)
                parsed.paths.push_back(lower);
            parsed.names.insert(lower);
            parsed.lengths.set(std::min(lower.size(), parsed.lengths.size() - 1));
            parsed.entries.push_back(std::move(lower));
        }
        if (end == std::string_view::npos)
            break;
        start = end + 2;
    }
    ignoreList_ = std::move(parsed);
    parsedFrom_ = std::move(stored);
    ++parses_;
    ignoreListCurrent_ = readsAt_.has_value();
    return ignoreList_;
}

namespace {

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

bool IgnoreList::matches(std::string_view text) const
{
    if (names.empty())
        return false;
    if (!lengths.test(std::min(text.size(), lengths.size() - 1)) && isAscii(text))
        return false;
    return names.contains(LowerCase(text));
}

std::string LowerCase(std::string_view text)
{
    if (isAscii(text)) {
        std::string lower(text);
        for (char& c : lower) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + ('a' - 'A'));
        }
        return lower;
    }
    auto lower = UnicodeLowerCase(text);
    return lower ? std::move(*lower) : std::string(text);
}

} // namespace vacantix
