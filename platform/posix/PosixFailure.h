// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

#include "platform/FileSystem.h"

namespace vacantix {

// The failure class of an errno value, the same for every POSIX call of the
// program. A read-only file system refuses a change as a permission would
// (EROFS is PermissionDenied); a symbolic link met where O_NOFOLLOW wanted
// a folder or file (ELOOP) means that what was there is not there any more
// (PathNotFound), as a file met where a folder was wanted does (ENOTDIR).
[[nodiscard]] FsError FsErrorOfErrno(int error);

// A failure of that class whose detail is the system's text for the error,
// after "`what`: " when `what` is given.
[[nodiscard]] FsFailure FailureOfErrno(int error, std::string_view what = {});

} // namespace vacantix
