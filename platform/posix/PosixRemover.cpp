// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixRemover.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace vacantix {

namespace {

FsFailure failureOf(int error)
{
    FsError kind = FsError::Other;
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: kind = FsError::PermissionDenied; break;
    case ENOENT:
    case ENOTDIR: kind = FsError::PathNotFound; break;
    case EINVAL:
    case EILSEQ: kind = FsError::BadFileName; break;
    case ENAMETOOLONG: kind = FsError::TooLong; break;
    default: break;
    }
    return FsFailure{kind, std::strerror(error)};
}

} // namespace

FsResult<Done> PosixRemover::removeEmptyFile(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return failureOf(errno);
    if (!S_ISREG(info.st_mode))
        return FsFailure{FsError::Other, "not a regular file"};
    // The size is looked at right before the unlink so that a file that
    // received content since the folder was examined stays.
    if (info.st_size != 0)
        return FsFailure{FsError::Other, "the file is not empty"};
    if (::unlink(path.c_str()) != 0)
        return failureOf(errno);
    return Done{};
}

FsResult<Done> PosixRemover::removeEmptyFolder(const std::string& path)
{
    if (::rmdir(path.c_str()) != 0)
        return failureOf(errno);
    return Done{};
}

std::unique_ptr<DirectRemover> MakeDirectRemover()
{
    return std::make_unique<PosixRemover>();
}

} // namespace vacantix
