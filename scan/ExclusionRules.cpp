// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/ExclusionRules.h"

#include <algorithm>

#include "platform/TrashPlaces.h"
#include "platform/Utf8.h"

namespace vacantix {

bool IsIgnoredName(const Settings& settings, std::string_view text)
{
    return settings.ignoreList().matches(text);
}

bool IsInSystemFolder(const FileSystem& fs, std::string_view path)
{
    for (const std::string& tree : fs.systemFolders()) {
        if (!path.starts_with(tree))
            continue;
        if (path.size() == tree.size() || path[tree.size()] == '/' || tree.ends_with('/'))
            return true;
    }
    return false;
}

RealRoot::RealRoot(FileSystem& fs, std::string root) : root_(std::move(root))
{
    auto real = fs.realPath(root_);
    if (real)
        real_ = std::move(real.value());
    else
        failure_ = real.failure();
    // A trash that is not there yet holds nothing to keep.
    for (const std::string& place : HomeTrashFolders())
        if (auto trash = fs.realPath(place))
            homeTrashes_.push_back(std::move(trash.value()));
}

std::string RealRoot::of(std::string_view path) const
{
    if (failure_ || !path.starts_with(root_))
        return std::string(path);
    std::string_view rest = path.substr(root_.size());
    while (rest.starts_with('/'))
        rest.remove_prefix(1);
    return rest.empty() ? real_ : ChildPath(real_, rest);
}

namespace {

// True when a part of `path` is named as a top-directory trash.
bool hasTrashFolderName(std::string_view path)
{
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        if (IsTrashFolderName(path.substr(0, slash)))
            return true;
        path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
    }
    return false;
}

} // namespace

bool RealRoot::inTrash(std::string_view path) const
{
    const std::string real = of(path);
    const auto within = [&](const std::string& trash) { return IsWithin(real, trash); };
    return std::any_of(homeTrashes_.begin(), homeTrashes_.end(), within) || hasTrashFolderName(real) ||
           hasTrashFolderName(path);
}

namespace {

bool hasProtectedAttributes(FileSystem& fs, const std::string& folder)
{
    if (!fs.reportsSystemAttribute())
        return false;
    const int value = fs.attributes(folder).orThrow();
    return value == (Directory | System | Hidden) || value == (Directory | System | Hidden | Alias);
}

} // namespace

bool IsProtectedFolder(FileSystem& fs, const std::string& folder)
{
    if (fs.isRootFolder(folder))
        return false;
    return fs.isProtected(folder) || hasProtectedAttributes(fs, folder);
}

bool IsProtectedFolder(FileSystem& fs, const std::string& folder, const Listing& listing)
{
    if (fs.isRootFolder(folder))
        return false;
    return listing.protectedFolder || hasProtectedAttributes(fs, folder);
}

bool HasUnsafeCharacters(std::string_view name)
{
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = Utf8SequenceLength(name, i);
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(name[i + k]); };
        if (length == 0)
            return true;
        if (length == 1 && (byte(0) < 32 || byte(0) == 127 || byte(0) == '?'))
            return true;
        if (length == 2 && byte(0) == 0xC2 && byte(1) < 0xA0) // U+0080 to U+009F
            return true;
        i += length;
    }
    return false;
}

bool IsRefusedSubfolderName(const FileSystem& fs, std::string_view name)
{
    return name.size() >= fs.maxNameLength() || name == "." || name == ".." || HasUnsafeCharacters(name);
}

} // namespace vacantix
