// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the trash of a folder: which one (the user's, or one at the top of
// the folder's mount), then its folders one by one from descriptors, each
// opened without following a link and made where missing. Whether a mount
// is the system's own is GIO's judgement, as the desktop's file manager
// makes it.
#include "platform/gio/TrashFolder.h"

#include <gio/gunixmounts.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/PathRoot.h"
#include "platform/posix/PosixFailure.h"
#include "platform/posix/PosixIo.h"

namespace vacantix {

namespace {

constexpr int kTrashPart = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kOnTheWay = O_PATH | O_DIRECTORY | O_CLOEXEC;

// The mount the folder open as `fd` lies on; its device where the kernel
// does not number mounts (a bind mount is then not told apart).
std::optional<std::uint64_t> MountOf(int fd)
{
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &sx) != 0)
        return std::nullopt;
    if (sx.stx_mask & STATX_MNT_ID)
        return sx.stx_mnt_id;
    return makedev(sx.stx_dev_major, sx.stx_dev_minor);
}

// $XDG_DATA_HOME, else $HOME/.local/share (the account's home when HOME is
// not set); a relative one gives the trash no fixed place.
FsResult<std::string> UserDataHome()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string dataHome;
    if (data && *data) {
        dataHome = data;
    } else {
        std::string home;
        if (const char* variable = std::getenv("HOME"); variable && *variable) {
            home = variable;
        } else {
            std::vector<char> buffer(16384);
            struct passwd entry {};
            struct passwd* found = nullptr;
            if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
                home = found->pw_dir;
        }
        dataHome = home + "/.local/share";
    }
    if (dataHome.front() != '/')
        return FsFailure{FsError::Other, "the user's trash has no fixed place (HOME or XDG_DATA_HOME is a relative path)"};
    return dataHome;
}

// The deepest folder of a path that exists (links on the way followed:
// they are the user's own setting), and the names below it still missing.
struct Reached {
    Descriptor folder;
    std::string path;
    std::vector<std::string> missing; // outermost first
};

Reached DeepestExisting(std::string path)
{
    std::vector<std::string> missing;
    for (;;) {
        Descriptor folder(::open(path.c_str(), kOnTheWay));
        const auto slash = path.rfind('/');
        if (folder || errno != ENOENT || slash == std::string::npos || path == "/")
            return {std::move(folder), path, {missing.rbegin(), missing.rend()}};
        missing.push_back(path.substr(slash + 1));
        path = slash == 0 ? "/" : path.substr(0, slash);
    }
}

// Opens the folder `name` in `parent` as a part of a trash: never a link,
// made (0700) when missing and asked to. Checking only, a missing one is
// fine when `parent` lets it be made (the descriptor is then invalid).
FsResult<Descriptor> TrashPart(int parent, const std::string& path, const char* name, TrashFolder::Missing missing)
{
    Descriptor part(::openat(parent, name, kTrashPart));
    if (!part && errno == ENOENT) {
        if (missing == TrashFolder::Missing::Check) {
            if (::faccessat(parent, ".", W_OK | X_OK, AT_EACCESS) != 0)
                return FailureOfErrno(errno, "the trash '" + path + "' cannot be made");
            return Descriptor();
        }
        if (::mkdirat(parent, name, 0700) != 0 && errno != EEXIST)
            return FailureOfErrno(errno, "the trash '" + path + "' cannot be made");
        part.reset(::openat(parent, name, kTrashPart));
    }
    if (!part && errno == ENOTDIR)
        return FsFailure{FsError::Other, "the trash '" + path + "' is not a folder (a file or a symbolic link is in its place)"};
    if (!part)
        return FailureOfErrno(errno, "the trash '" + path + "' cannot be opened");
    return part;
}

// A top-directory trash folder must be the user's own.
bool OwnedByUser(int folder)
{
    const std::optional<struct stat> st = LookAt(folder, "");
    return st && st->st_uid == ::geteuid();
}

// The top of the mount the folder open as `folder` lies on, and how many
// folders up it is.
std::pair<Descriptor, std::size_t> TopOfMount(int folder)
{
    const std::optional<std::uint64_t> mount = MountOf(folder);
    Descriptor at(::openat(folder, ".", kOnTheWay));
    std::size_t levels = 0;
    while (at) {
        Descriptor up(::openat(at.get(), "..", kOnTheWay));
        const std::optional<struct stat> here = LookAt(at.get(), "");
        const std::optional<struct stat> there = up ? LookAt(up.get(), "") : std::nullopt;
        if (!here || !there || MountOf(up.get()) != mount || (there->st_dev == here->st_dev && there->st_ino == here->st_ino))
            break;
        at = std::move(up);
        ++levels;
    }
    return {std::move(at), levels};
}

// Whether the desktop counts the mount at `topdir` (or, where none is
// mounted exactly there, the one holding `folderPath`) as the system's own.
bool IsSystemMount(const std::string& topdir, const std::string& folderPath)
{
    GUnixMountEntry* mount = g_unix_mount_at(topdir.c_str(), nullptr);
    if (!mount)
        mount = g_unix_mount_for(folderPath.c_str(), nullptr);
    if (!mount)
        return true;
    const bool internal = g_unix_mount_is_system_internal(mount);
    g_unix_mount_free(mount);
    return internal;
}

} // namespace

FsResult<TrashFolder> TrashFolder::For(int folder, const std::string& folderPath, Missing missing)
{
    const FsResult<std::string> dataHome = UserDataHome();
    if (!dataHome)
        return dataHome.failure();
    const std::optional<std::uint64_t> mount = MountOf(folder);
    const Reached home = DeepestExisting(dataHome.value());
    if (!home.folder)
        return FailureOfErrno(errno, "the user's trash cannot be reached");
    FsResult<TrashFolder> trash = MountOf(home.folder.get()) == mount
                                      ? inHome(dataHome.value(), missing)
                                      : atTop(folder, folderPath, missing);
    if (trash && trash.value().files() >= 0 && MountOf(trash.value().files()) != mount)
        return FsFailure{FsError::Other, "the trash '" + trash.value().path() +
                                             "' lies on another file system, and nothing is copied between them"};
    return trash;
}

FsResult<TrashFolder> TrashFolder::inHome(const std::string& dataHome, Missing missing)
{
    Reached reached = DeepestExisting(dataHome);
    if (!reached.folder)
        return FailureOfErrno(errno, "the user's trash cannot be reached");
    // The folders of XDG_DATA_HOME that are missing are made 0700, as the
    // XDG base directory rules ask.
    reached.missing.push_back("Trash");
    Descriptor at = std::move(reached.folder);
    std::string path = reached.path;
    for (const std::string& name : reached.missing) {
        path = ChildPath(path, name);
        FsResult<Descriptor> part = TrashPart(at.get(), path, name.c_str(), missing);
        if (!part)
            return part.failure();
        if (!part.value())
            return TrashFolder(ChildPath(dataHome, "Trash"), {});
        at = std::move(part.value());
    }
    TrashFolder trash(path, {});
    if (FsResult<Done> parts = trash.openParts(at.get(), missing); !parts)
        return parts.failure();
    return trash;
}

FsResult<TrashFolder> TrashFolder::atTop(int folder, const std::string& folderPath, Missing missing)
{
    auto [top, levels] = TopOfMount(folder);
    if (!top)
        return FailureOfErrno(errno, "the top of its file system cannot be opened");
    std::string topdir = folderPath;
    for (std::size_t i = 0; i < levels; ++i)
        topdir = ParentPath(topdir);
    if (IsSystemMount(topdir, folderPath))
        return FsFailure{FsError::Other, "the desktop keeps no trash on this mount (a system file system such as tmpfs, or a bind mount)"};
    const std::string uid = std::to_string(::geteuid());

    // The shared $topdir/.Trash serves only when it is sticky and no link;
    // any part of it that cannot be used sends the entry to .Trash-$uid.
    const Descriptor shared(::openat(top.get(), ".Trash", kTrashPart));
    const std::optional<struct stat> sharedStat = shared ? LookAt(shared.get(), "") : std::nullopt;
    if (sharedStat && (sharedStat->st_mode & S_ISVTX)) {
        const std::string path = ChildPath(topdir, ".Trash/" + uid);
        FsResult<Descriptor> own = TrashPart(shared.get(), path, uid.c_str(), missing);
        if (own && (!own.value() || OwnedByUser(own.value().get()))) {
            TrashFolder trash(path, topdir);
            if (!own.value() || trash.openParts(own.value().get(), missing))
                return trash;
        }
    }
    const std::string path = ChildPath(topdir, ".Trash-" + uid);
    FsResult<Descriptor> own = TrashPart(top.get(), path, (".Trash-" + uid).c_str(), missing);
    if (!own)
        return own.failure();
    TrashFolder trash(path, topdir);
    if (!own.value())
        return trash;
    if (!OwnedByUser(own.value().get()))
        return FsFailure{FsError::PermissionDenied, "the trash '" + path + "' belongs to another user"};
    if (FsResult<Done> parts = trash.openParts(own.value().get(), missing); !parts)
        return parts.failure();
    return trash;
}

FsResult<Done> TrashFolder::openParts(int trash, Missing missing)
{
    FsResult<Descriptor> info = TrashPart(trash, path_ + "/info", "info", missing);
    if (!info)
        return info.failure();
    FsResult<Descriptor> files = TrashPart(trash, path_ + "/files", "files", missing);
    if (!files)
        return files.failure();
    info_ = std::move(info.value());
    files_ = std::move(files.value());
    return Done{};
}

std::string TrashFolder::recordedPath(const std::string& original) const
{
    if (topdir_.empty())
        return original;
    return original.substr(topdir_ == "/" ? 1 : topdir_.size() + 1);
}

} // namespace vacantix
