// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/DistinctResults.h"

#include "platform/PathRoot.h"

namespace vacantix::cli {

namespace {

// The longest folder above `path` (not the path itself) for which `take`
// answers true, or nothing. A root keeps the separator that ends it ("/").
template <class Take>
std::optional<std::string_view> LongestFolderAbove(std::string_view path, Take&& take)
{
    const std::size_t root = RootLength(path);
    for (std::size_t end = path.size(); end > root;) {
        const std::size_t slash = path.rfind('/', end - 1);
        end = slash == std::string_view::npos || slash < root ? root : slash;
        if (end > 0 && take(path.substr(0, end)))
            return path.substr(0, end);
    }
    return std::nullopt;
}

// What follows `folder` in `path`, which lies below it.
std::string_view RestBelow(std::string_view path, std::string_view folder)
{
    return path.substr(folder.size() + (folder.ends_with('/') ? 0 : 1));
}

} // namespace

DistinctResults::DistinctResults(ResultsList& list, const std::vector<SpelledRoot>& roots) : list_(list)
{
    TextSet reals;
    for (const SpelledRoot& root : roots) {
        realOf_.emplace(root.spelling, root.real);
        reals.insert(root.real);
    }
    for (const std::string& real : reals)
        if (LongestFolderAbove(real, [&](std::string_view folder) { return reals.contains(folder); }))
            overlaps_.insert(real);
}

std::string DistinctResults::overlappingKey(std::string_view path) const
{
    if (overlaps_.empty())
        return {};
    // The root the folder was found below is the longest spelling that holds
    // it: a shorter one could not have reached it through a link.
    const auto spelling = LongestFolderAbove(path, [&](std::string_view folder) { return realOf_.contains(folder); });
    if (!spelling)
        return {};
    std::string key = ChildPath(realOf_.find(*spelling)->second, RestBelow(path, *spelling));
    const bool overlapping =
        LongestFolderAbove(key, [&](std::string_view folder) { return overlaps_.contains(folder); }).has_value();
    return overlapping ? key : std::string();
}

void DistinctResults::append(std::string path)
{
    std::string key = overlappingKey(path);
    if (!key.empty() && !seen_.insert(std::move(key)).second)
        return;
    list_.append(std::move(path));
}

void DistinctResults::clear()
{
    seen_.clear();
    list_.clear();
}

std::vector<SpelledRoot> DropRepeatedRoots(MemoryFolderList& roots, FileSystem& fs)
{
    std::vector<SpelledRoot> resolved;
    TextSet spellings;
    TextSet reals;
    MemoryFolderList once;
    for (const std::string& root : roots.entries()) {
        std::string spelling = WithoutTrailingSeparator(root);
        if (!spellings.insert(spelling).second)
            continue;
        auto real = fs.realPath(spelling);
        if (real && !reals.insert(real.value()).second)
            continue;
        once.append(root);
        if (real)
            resolved.push_back({std::move(spelling), std::move(real.value())});
    }
    roots = std::move(once);
    return resolved;
}

} // namespace vacantix::cli
