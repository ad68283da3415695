// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixFailure.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace vacantix {

FsError FsErrorOfErrno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return FsError::PermissionDenied;
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
        return FsError::PathNotFound;
    case EILSEQ:
    case EINVAL:
        return FsError::BadFileName;
    case ENAMETOOLONG:
        return FsError::TooLong;
    default:
        return FsError::Other;
    }
}

FsFailure FailureOfErrno(int error, std::string_view what)
{
    std::string detail(what);
    if (!detail.empty())
        detail += ": ";
    detail += std::strerror(error);
    return FsFailure{FsErrorOfErrno(error), std::move(detail)};
}

} // namespace vacantix
