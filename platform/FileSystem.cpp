// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileSystem.h"

#include <algorithm>

#include "platform/PathRoot.h"

namespace vacantix {

int ErrorNumberOf(FsError error)
{
    switch (error) {
    case FsError::PermissionDenied: return PermissionDenied;
    case FsError::PathNotFound: return PathNotFound;
    case FsError::BadFileName: return BadFileName;
    case FsError::TooLong: return PathNotFound;
    case FsError::Other: return OtherError;
    }
    return OtherError;
}

Failure FsFailure::toFailure() const
{
    const int number = ErrorNumberOf(error);
    return Failure(number, detail.empty() ? DescribeError(number) : detail);
}

FsResult<std::uint64_t> FileSystem::size(const std::string& folder, std::uint64_t stopAbove)
{
    std::uint64_t total = 0;
    std::vector<std::string> pending{folder};
    while (!pending.empty()) {
        const std::string current = std::move(pending.back());
        pending.pop_back();
        auto listing = list(current);
        if (!listing)
            return listing.failure();
        Listing& entries = listing.value();
        if (entries.filesFailure)
            return *entries.filesFailure;
        for (const FileEntry& file : entries.files) {
            if (file.kind != EntryKind::RegularFile)
                continue;
            auto bytes = fileSize(current, file.name);
            if (!bytes)
                return bytes.failure();
            total += bytes.value();
            if (total > stopAbove)
                return total;
        }
        if (entries.subfoldersFailure)
            return *entries.subfoldersFailure;
        for (auto it = entries.subfolders.rbegin(); it != entries.subfolders.rend(); ++it)
            pending.push_back(ChildPath(current, *it));
    }
    return total;
}

bool FileSystem::isRootFolder(const std::string& folder)
{
    return !folder.empty() && RootLength(folder) == folder.size();
}

std::string ChildPath(std::string_view parent, std::string_view name)
{
    std::string path;
    path.reserve(parent.size() + 1 + name.size());
    path.append(parent);
    path = WithTrailingSeparator(std::move(path));
    path.append(name);
    return path;
}

std::string_view BaseName(std::string_view path)
{
    const std::size_t root = RootLength(path);
    while (path.size() > root && path.back() == '/')
        path.remove_suffix(1);
    if (root > 0 && path.size() <= root)
        return {};
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsWithin(std::string_view path, std::string_view folder)
{
    return path.starts_with(folder) &&
           (path.size() == folder.size() || folder.ends_with('/') || path[folder.size()] == '/');
}

std::string WithTrailingSeparator(std::string path)
{
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    return path;
}

std::string WithoutTrailingSeparator(std::string_view path)
{
    const std::size_t root = std::max<std::size_t>(RootLength(path), 1);
    while (path.size() > root && path.back() == '/')
        path.remove_suffix(1);
    return std::string(path);
}

} // namespace vacantix
