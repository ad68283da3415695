// SPDX-License-Identifier: GPL-3.0-or-later
//
// Both levels (bytes within a component, components within a path) use the
// same matching with one star to fall back on: when a later literal part
// fails, only the most recent star takes one more element. That is enough
// for stars that match any run, and keeps the work bounded by the product
// of the lengths.
#include "scan/PathGlob.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vacantix {

namespace {

std::vector<std::string_view> componentsOf(std::string_view path)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// Matches one byte against the set starting at pattern[at] == '['; moves
// `at` past the set. A "[" without its closing "]" is a literal "[".
bool matchSet(std::string_view pattern, std::size_t& at, char byte)
{
    std::size_t i = at + 1;
    bool negated = false;
    if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) {
        negated = true;
        ++i;
    }
    bool found = false;
    bool first = true;
    while (i < pattern.size() && (first || pattern[i] != ']')) {
        first = false;
        char low = pattern[i];
        if (low == '\\' && i + 1 < pattern.size())
            low = pattern[++i];
        char high = low;
        if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
            i += 2;
            high = pattern[i];
            if (high == '\\' && i + 1 < pattern.size())
                high = pattern[++i];
        }
        const auto b = static_cast<unsigned char>(byte);
        if (static_cast<unsigned char>(low) <= b && b <= static_cast<unsigned char>(high))
            found = true;
        ++i;
    }
    if (i >= pattern.size()) {
        // No closing bracket: the "[" stands for itself.
        ++at;
        return byte == '[';
    }
    at = i + 1;
    return found != negated;
}

// Matches one pattern element at pattern[p] against text[t]; on success moves
// `p` past the element.
bool matchOne(std::string_view pattern, std::size_t& p, char byte)
{
    switch (pattern[p]) {
    case '?': ++p; return true;
    case '[': return matchSet(pattern, p, byte);
    case '\\':
        if (p + 1 < pattern.size()) {
            if (pattern[p + 1] != byte)
                return false;
            p += 2;
            return true;
        }
        [[fallthrough]];
    default:
        if (pattern[p] != byte)
            return false;
        ++p;
        return true;
    }
}

bool componentMatches(std::string_view pattern, std::string_view text)
{
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starT = t;
            continue;
        }
        std::size_t next = p;
        if (p < pattern.size() && matchOne(pattern, next, text[t])) {
            p = next;
            ++t;
            continue;
        }
        if (starP == std::string_view::npos)
            return false;
        p = starP;
        t = ++starT;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool PathMatchesGlob(std::string_view pattern, std::string_view path)
{
    if (pattern.empty())
        return false;
    std::vector<std::string_view> wanted = componentsOf(pattern);
    if (pattern.front() != '/')
        wanted.insert(wanted.begin(), "**");
    const std::vector<std::string_view> parts = componentsOf(path);

    std::size_t w = 0;
    std::size_t c = 0;
    std::size_t starW = SIZE_MAX;
    std::size_t starC = 0;
    while (c < parts.size()) {
        if (w < wanted.size() && wanted[w] == "**") {
            starW = ++w;
            starC = c;
            continue;
        }
        if (w < wanted.size() && componentMatches(wanted[w], parts[c])) {
            ++w;
            ++c;
            continue;
        }
        if (starW == SIZE_MAX)
            return false;
        w = starW;
        c = ++starC;
    }
    while (w < wanted.size() && wanted[w] == "**")
        ++w;
    return w == wanted.size();
}

} // namespace vacantix
