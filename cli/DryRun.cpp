// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/DryRun.h"

#include <algorithm>

#include "platform/PathRoot.h"

namespace vacantix::cli {

namespace {

FsFailure NotFound()
{
    return FsFailure{FsError::PathNotFound, "No such file or directory"};
}

} // namespace

bool DryRunDisk::gone(const std::string& path) const
{
    const std::string whole = WithoutTrailingSeparator(path);
    for (std::size_t slash = whole.find('/', 1);; slash = whole.find('/', slash + 1)) {
        if (gone_.contains(whole.substr(0, slash)))
            return true;
        if (slash == std::string::npos)
            return false;
    }
}

FsResult<Listing> DryRunDisk::without(FsResult<Listing> listing, const std::string& folder) const
{
    if (!listing)
        return listing;
    Listing& entries = listing.value();
    std::erase_if(entries.subfolders, [&](const std::string& name) { return gone_.contains(ChildPath(folder, name)); });
    std::erase_if(entries.files, [&](const FileEntry& file) { return gone_.contains(ChildPath(folder, file.name)); });
    return listing;
}

FsResult<Done> DryRunDisk::moveToTrash(const std::string& path)
{
    if (!fileExists(path) && !attributes(path))
        return NotFound();
    if (trash_) {
        if (FsResult<Done> possible = trash_->checkMoveToTrash(path); !possible)
            return possible;
    }
    gone_.insert(WithoutTrailingSeparator(path));
    return Done{};
}

FsResult<Done> DryRunDisk::removeFile(const std::string& path, bool onlyWhenEmpty)
{
    if (gone(path))
        return NotFound();
    const std::string parent = ParentPath(path);
    auto bytes = disk_.fileSize(parent, std::string(BaseName(path)));
    if (!bytes)
        return bytes.failure();
    if (onlyWhenEmpty && bytes.value() != 0)
        return FsFailure{FsError::Other, "the file is not empty"};
    gone_.insert(path);
    return Done{};
}

FsResult<Done> DryRunDisk::removeEmptyFile(const std::string& path)
{
    return removeFile(path, true);
}

FsResult<Done> DryRunDisk::removeJunkFile(const std::string& path)
{
    return removeFile(path, false);
}

FsResult<Done> DryRunDisk::removeEmptyFolder(const std::string& path)
{
    auto listing = list(path);
    if (!listing)
        return listing.failure();
    if (!listing.value().subfolders.empty() || !listing.value().files.empty())
        return FsFailure{FsError::Other, "Directory not empty"};
    gone_.insert(WithoutTrailingSeparator(path));
    return Done{};
}

FsResult<Listing> DryRunDisk::list(const std::string& folder)
{
    if (gone(folder))
        return NotFound();
    return without(disk_.list(folder), folder);
}

FsResult<Listing> DryRunDisk::listNamed(const std::string& folder)
{
    if (gone(folder))
        return NotFound();
    return without(disk_.listNamed(folder), folder);
}

FsResult<int> DryRunDisk::attributes(const std::string& folder)
{
    if (gone(folder))
        return NotFound();
    return disk_.attributes(folder);
}

FsResult<std::uint64_t> DryRunDisk::fileSize(const std::string& folder, const std::string& name)
{
    if (gone(ChildPath(folder, name)))
        return NotFound();
    return disk_.fileSize(folder, name);
}

FsResult<std::string> DryRunDisk::realPath(const std::string& path)
{
    if (gone(path))
        return NotFound();
    return disk_.realPath(path);
}

FsResult<Done> DryRunDisk::createFolder(const std::string&)
{
    return FsFailure{FsError::Other, "nothing is made in a dry run"};
}

} // namespace vacantix::cli
