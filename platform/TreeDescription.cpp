// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TreeDescription.h"

#include <charconv>
#include <stdexcept>

namespace vacantix {

namespace {

// The size of a file entry: decimal digits and nothing else, so that a typo
// in a description is refused instead of building another tree.
std::uint64_t sizeOf(std::string_view digits)
{
    std::uint64_t bytes = 0;
    const char* const end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, bytes);
    if (error == std::errc::result_out_of_range)
        throw std::out_of_range("file size beyond 64 bits: " + std::string(digits));
    if (digits.empty() || error != std::errc() || stop != end)
        throw std::invalid_argument("file size is no number: " + std::string(digits));
    return bytes;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

DescribedEntry entryOf(std::string_view line)
{
    using Kind = DescribedEntry::Kind;
    if (const auto arrow = line.find("->"); arrow != std::string_view::npos)
        return {Kind::Link, std::string(line.substr(0, arrow)), 0, std::string(line.substr(arrow + 2))};
    if (line.back() == '/')
        return {Kind::Folder, std::string(line.substr(0, line.size() - 1)), 0, {}};
    if (line.back() == '!')
        return {Kind::Other, std::string(line.substr(0, line.size() - 1)), 0, {}};
    if (const auto colon = line.rfind(':'); colon != std::string_view::npos)
        return {Kind::File, std::string(line.substr(0, colon)), sizeOf(line.substr(colon + 1)), {}};
    return {Kind::File, std::string(line), 1, {}};
}

} // namespace

std::vector<DescribedEntry> ParseTreeDescription(std::string_view description)
{
    std::vector<DescribedEntry> entries;
    while (!description.empty()) {
        const auto end = description.find('\n');
        const std::string_view line = trimmed(description.substr(0, end));
        description = end == std::string_view::npos ? std::string_view{} : description.substr(end + 1);
        if (!line.empty())
            entries.push_back(entryOf(line));
    }
    return entries;
}

} // namespace vacantix
