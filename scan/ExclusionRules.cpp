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
    const auto& trees = fs.systemFolders();
    return std::any_of(trees.begin(), trees.end(), [&](const std::string& tree) { return IsWithin(path, tree); });
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

// `path`, which lies at or below `from`, as it lies below `to` instead.
std::string rebased(std::string_view path, std::string_view from, const std::string& to)
{
    std::string_view rest = path.substr(from.size());
    while (rest.starts_with('/'))
        rest.remove_prefix(1);
    return rest.empty() ? to : ChildPath(to, rest);
}

} // namespace

RealRoot::RealRoot(FileSystem& fs, std::string root) : root_(std::move(root))
{
    auto real = fs.realPath(root_);
    if (real)
        real_ = std::move(real.value());
    else
        failure_ = real.failure();
    rootInTrash_ = hasTrashFolderName(root_) || hasTrashFolderName(real_);
    // A trash that is not there yet holds nothing to keep. One below the
    // root is noted as the walks spell it, so that no folder's real path
    // needs to be made to be compared with it.
    for (const std::string& place : HomeTrashFolders()) {
        auto trash = fs.realPath(place);
        if (!trash || failure_)
            continue;
        if (IsWithin(real_, trash.value()))
            rootInTrash_ = true;
        else if (IsWithin(trash.value(), real_))
            homeTrashesBelow_.push_back(rebased(trash.value(), real_, root_));
    }
}

std::string RealRoot::of(std::string_view path) const
{
    if (failure_ || !path.starts_with(root_))
        return std::string(path);
    return rebased(path, root_, real_);
}

bool RealRoot::inTrashBelowJudged(std::string_view path, std::string_view name) const
{
    return rootInTrash_ || IsTrashFolderName(name) || inHomeTrashBelow(path);
}

bool RealRoot::inHomeTrashBelow(std::string_view path) const
{
    const auto within = [&](const std::string& trash) { return IsWithin(path, trash); };
    return std::any_of(homeTrashesBelow_.begin(), homeTrashesBelow_.end(), within);
}

FsResult<bool> HasProtectedAttributes(FileSystem& fs, const std::string& folder)
{
    if (!fs.reportsSystemAttribute() || fs.isRootFolder(folder))
        return false;
    const FsResult<int> value = fs.attributes(folder);
    if (!value)
        return value.failure();
    return value.value() == (Directory | System | Hidden) || value.value() == (Directory | System | Hidden | Alias);
}

bool IsProtectedFolder(FileSystem& fs, const std::string& folder)
{
    if (fs.isRootFolder(folder))
        return false;
    if (fs.isProtected(folder))
        return true;
    FsResult<bool> attributes = HasProtectedAttributes(fs, folder);
    return attributes.orThrow();
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
