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
#include <cstdlib>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PathRoot.h"
#include "platform/posix/CheckedFolders.h"
#include "platform/posix/HoldingFolder.h"
#include "platform/posix/PosixFailure.h"
#include "platform/posix/PosixIo.h"

namespace vacantix {

namespace {

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

// The folder holding `path`, reached from "/" along its real path without
// following a link, and the name of `path` in it.
FsResult<std::pair<Descriptor, std::string>> OpenHolder(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 == path.size())
        return FsFailure{FsError::BadFileName, "not a file name"};
    std::string name = path.substr(slash + 1);
    if (name == "." || name == "..")
        return FsFailure{FsError::BadFileName, "not a file name"};
    ReachedFolder folder = ReachFolder(slash == 0 ? "/" : path.substr(0, slash), {});
    if (!folder.fd)
        return FailureOfErrno(errno);
    return std::pair(std::move(folder.fd), std::move(name));
}

// Moves the regular file `name` of `folder`, first looked at as `first`,
// into a fresh holding folder, and removes it there when it is still that
// file (and still empty, with `onlyEmpty`); else puts it back.
FsResult<Done> RemoveThroughHoldingFolder(int folder, const std::string& name, const std::string& path,
                                          const struct stat& first, bool onlyEmpty)
{
    const FsResult<HoldingFolder> holder = HoldingFolder::Make(folder);
    if (!holder)
        return holder.failure();
    const int held = holder.value().fd();
    const std::string& holding = holder.value().name();
    const int moveError = RenameWithoutReplacing(folder, name.c_str(), held, name.c_str());
    if (moveError != 0) {
        ::unlinkat(folder, holding.c_str(), AT_REMOVEDIR);
        return FailureOfErrno(moveError);
    }

    // The file is out of reach by its old path now; look at what was moved.
    // A link or a device is not opened, only a regular file.
    const std::optional<struct stat> moved = LookAt(held, name.c_str());
    bool unchanged = moved && S_ISREG(moved->st_mode) && SameFile(*moved, first);
    bool inUse = false;
    int unlinkError = 0;
    if (unchanged) {
        const Descriptor file(
            ::openat(held, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        inUse = file && !LeaseAlone(file.get());
        const std::optional<struct stat> opened = file ? LookAt(file.get(), "") : std::nullopt;
        unchanged = !inUse && opened && S_ISREG(opened->st_mode) && SameFile(*opened, first) &&
                    (!onlyEmpty || opened->st_size == 0);
        if (unchanged && ::unlinkat(held, name.c_str(), 0) == 0) {
            ::unlinkat(folder, holding.c_str(), AT_REMOVEDIR);
            return Done{};
        }
        unlinkError = unchanged ? errno : 0;
    }

    if (RenameWithoutReplacing(held, name.c_str(), folder, name.c_str()) != 0) {
        // Another file took the name meanwhile: this one stays where it is
        // now, and the failure says where that is.
        const std::string parent = ParentPath(path);
        return FsFailure{FsError::Other, "the file changed while it was being removed and is kept as '" +
                                             ChildPath(ChildPath(parent, holding), name) +
                                             "', since another file now has its name"};
    }
    ::unlinkat(folder, holding.c_str(), AT_REMOVEDIR);
    if (inUse)
        return FsFailure{FsError::Other, "the file is open in another program, so it stays"};
    if (unlinkError != 0)
        return FailureOfErrno(unlinkError);
    return FsFailure{FsError::Other, "the file changed while it was being removed, so it stays"};
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
    FsResult<std::pair<Descriptor, std::string>> holder = OpenHolder(path);
    if (!holder)
        return holder.failure();
    return removeFileIn(holder.value().first.get(), holder.value().second, path, onlyEmpty);
}

FsResult<Done> PosixRemover::removeFileIn(int folder, const std::string& name, const std::string& path,
                                          bool onlyEmpty)
{
    const std::optional<struct stat> first = LookAt(folder, name.c_str());
    if (!first)
        return FailureOfErrno(errno);
    if (!S_ISREG(first->st_mode))
        return FsFailure{FsError::Other, "not a regular file"};
    if (onlyEmpty && first->st_size != 0)
        return FsFailure{FsError::Other, "the file is not empty"};
    if (betweenCheckAndRemoval_)
        betweenCheckAndRemoval_(path);
    return RemoveThroughHoldingFolder(folder, name, path, *first, onlyEmpty);
}

FsResult<Done> PosixRemover::removeEmptyFolder(const std::string& path)
{
    FsResult<std::pair<Descriptor, std::string>> holder = OpenHolder(path);
    if (!holder)
        return holder.failure();
    if (::unlinkat(holder.value().first.get(), holder.value().second.c_str(), AT_REMOVEDIR) != 0)
        return FailureOfErrno(errno);
    return Done{};
}

std::optional<RemovalFailure> PosixRemover::removeTree(const CheckedTree& tree,
                                                       const std::function<void()>& beforeEach)
{
    CheckedFolders folders(tree);
    for (const CheckedTree::File& file : tree.files) {
        beforeEach();
        const std::string& folderPath = tree.folders[file.folder].path;
        const FsResult<int> folder = folders.open(file.folder);
        if (!folder)
            return RemovalFailure{folderPath, folder.failure()};
        const std::string path = ChildPath(folderPath, file.name);
        if (FsResult<Done> removed = removeFileIn(folder.value(), file.name, path, !file.litter); !removed)
            return RemovalFailure{path, removed.failure()};
    }
    for (std::size_t index = tree.folders.size(); index-- > 0;) {
        beforeEach();
        if (FsResult<Done> removed = folders.removeFolder(index); !removed)
            return RemovalFailure{tree.folders[index].path, removed.failure()};
    }
    return std::nullopt;
}

std::unique_ptr<DirectRemover> MakeDirectRemover()
{
    return std::make_unique<PosixRemover>();
}

} // namespace vacantix
