// SPDX-License-Identifier: GPL-3.0-or-later
// Direct removal. A zero-byte file is removed in four moves, so that a file
// that receives bytes (or is replaced) after it was looked at is not lost:
// it is renamed into a fresh holding folder beside it, where no other program
// opens it by its old path any more; it is opened there and, where the file
// system grants leases, leased, which proves that no other program holds it
// open; it is checked through the descriptor; it is unlinked only when it is
// still the file first looked at and still holds 0 bytes; otherwise it is
// renamed back, never over a file that took its name meanwhile.
#include "platform/posix/PosixRemover.h"

#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/FreshName.h"
#include "platform/posix/PosixFailure.h"
#include "platform/posix/PosixIo.h"

namespace vacantix {

namespace {

// A holding folder of a fresh, unguessable name, made inside `folder`.
std::string MakeHoldingFolder(int folder)
{
    return CreateUnderFreshName(".vacantix-removing-",
                                [folder](const char* name) { return ::mkdirat(folder, name, 0700) == 0; });
}

// Takes a write lease on `file`, which the kernel grants only while no other
// descriptor anywhere is open on it, and holds it until `file` is closed:
// opening it anew then waits for the lease. False when another descriptor is
// open (a program that opened the file before it was moved could still
// write to it). Where leases cannot be had (another owner without the
// right, a file system without leases), true: the checks through the
// descriptor are then all there is.
bool LeaseAlone(int file)
{
    // A broken lease is signalled; SIGURG is ignored unless handled, so it
    // cannot end the program as the default SIGIO would.
    if (::fcntl(file, F_SETSIG, SIGURG) != 0)
        return true;
    if (::fcntl(file, F_SETLEASE, F_WRLCK) == 0)
        return true;
    return errno != EAGAIN;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

FsResult<Done> PosixRemover::removeEmptyFile(const std::string& path)
{
    return removeRegularFile(path, true);
}

FsResult<Done> PosixRemover::removeJunkFile(const std::string& path)
{
    return removeRegularFile(path, false);
}

FsResult<Done> PosixRemover::removeRegularFile(const std::string& path, bool onlyEmpty)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 == path.size())
        return FsFailure{FsError::BadFileName, "not a file name"};
    const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = path.substr(slash + 1);
    if (name == "." || name == "..")
        return FsFailure{FsError::BadFileName, "not a file name"};

    const Descriptor folder(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return FailureOfErrno(errno);
    struct stat first {};
    if (::fstatat(folder.get(), name.c_str(), &first, AT_SYMLINK_NOFOLLOW) != 0)
        return FailureOfErrno(errno);
    if (!S_ISREG(first.st_mode))
        return FsFailure{FsError::Other, "not a regular file"};
    if (onlyEmpty && first.st_size != 0)
        return FsFailure{FsError::Other, "the file is not empty"};

    if (betweenCheckAndRemoval_)
        betweenCheckAndRemoval_(path);

    const std::string holding = MakeHoldingFolder(folder.get());
    if (holding.empty())
        return FailureOfErrno(errno);
    const Descriptor held(::openat(folder.get(), holding.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const int moveError = held ? RenameWithoutReplacing(folder.get(), name.c_str(), held.get(), name.c_str()) : errno;
    if (moveError != 0) {
        ::unlinkat(folder.get(), holding.c_str(), AT_REMOVEDIR);
        return FailureOfErrno(moveError);
    }

    // The file is out of reach by its old path now; look at what was moved.
    // A link or a device is not opened, only a regular file.
    struct stat moved {};
    bool unchanged = ::fstatat(held.get(), name.c_str(), &moved, AT_SYMLINK_NOFOLLOW) == 0 &&
                     S_ISREG(moved.st_mode) && SameFile(moved, first);
    bool inUse = false;
    int unlinkError = 0;
    if (unchanged) {
        const Descriptor file(
            ::openat(held.get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        inUse = file && !LeaseAlone(file.get());
        struct stat opened {};
        unchanged = !inUse && file && ::fstat(file.get(), &opened) == 0 && S_ISREG(opened.st_mode) &&
                    SameFile(opened, first) && (!onlyEmpty || opened.st_size == 0);
        if (unchanged && ::unlinkat(held.get(), name.c_str(), 0) == 0) {
            ::unlinkat(folder.get(), holding.c_str(), AT_REMOVEDIR);
            return Done{};
        }
        unlinkError = unchanged ? errno : 0;
    }

    if (RenameWithoutReplacing(held.get(), name.c_str(), folder.get(), name.c_str()) != 0) {
        // Another file took the name meanwhile: this one stays where it is
        // now, and the failure says where that is.
        return FsFailure{FsError::Other, "the file changed while it was being removed and is kept as '" + parent +
                                             (parent == "/" ? "" : "/") + holding + "/" + name +
                                             "', since another file now has its name"};
    }
    ::unlinkat(folder.get(), holding.c_str(), AT_REMOVEDIR);
    if (inUse)
        return FsFailure{FsError::Other, "the file is open in another program, so it stays"};
    if (unlinkError != 0)
        return FailureOfErrno(unlinkError);
    return FsFailure{FsError::Other, "the file changed while it was being removed, so it stays"};
}

FsResult<Done> PosixRemover::removeEmptyFolder(const std::string& path)
{
    if (::rmdir(path.c_str()) != 0)
        return FailureOfErrno(errno);
    return Done{};
}

std::unique_ptr<DirectRemover> MakeDirectRemover()
{
    return std::make_unique<PosixRemover>();
}

} // namespace vacantix
