// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixFileWriter.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/PosixFailure.h"
#include "platform/posix/PosixIo.h"

namespace vacantix {

FsResult<Done> PosixFileWriter::replaceWhole(const std::string& path, std::string_view bytes)
{
    std::string target = path;
    struct stat old {};
    bool exists = ::lstat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return FailureOfErrno(errno);
    if (exists && S_ISLNK(old.st_mode)) {
        // Saving over a link replaces what it points to, not the link.
        char* resolved = ::realpath(target.c_str(), nullptr);
        if (resolved) {
            target = resolved;
            std::free(resolved);
            exists = ::stat(target.c_str(), &old) == 0;
        } else if (errno == ENOENT) {
            return FsFailure{FsError::PathNotFound, "the link points to nothing"};
        } else {
            return FailureOfErrno(errno);
        }
    }
    if (exists && S_ISDIR(old.st_mode))
        return FailureOfErrno(EISDIR);
    if (exists && !S_ISREG(old.st_mode))
        return FsFailure{FsError::Other, "not a regular file"};
    // A file that may not be written is not replaced behind its back, even
    // though its folder would allow the rename.
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return FailureOfErrno(errno);

    const std::size_t slash = target.rfind('/');
    const std::string folderPath = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty())
        return FailureOfErrno(EISDIR);

    const Descriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return FailureOfErrno(errno);
    const Replacement replaced = ReplaceThroughTemporary(folder.get(), name, bytes, exists ? &old : nullptr);
    if (replaced.error == 0)
        return Done{};
    if (!replaced.inPlace)
        return FailureOfErrno(replaced.error);
    return FailureOfErrno(replaced.error, "the file was replaced, but its folder could not be synced");
}

std::unique_ptr<FileWriter> MakeFileWriter()
{
    return std::make_unique<PosixFileWriter>();
}

} // namespace vacantix
