// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixIo.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/FreshName.h"

namespace vacantix {

namespace {

constexpr int kPathFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The fallback of RenameWithoutReplacing, for file systems that refuse
// RENAME_NOREPLACE.
int RenameByLinking(int fromFolder, const char* from, int toFolder, const char* to)
{
    const std::optional<struct stat> source = LookAt(fromFolder, from);
    if (!source)
        return errno;
    if (!S_ISDIR(source->st_mode)) {
        if (::linkat(fromFolder, from, toFolder, to, 0) != 0)
            return errno;
        return ::unlinkat(fromFolder, from, 0) == 0 ? 0 : errno;
    }
    // A rename replaces nothing but an empty folder; the one it replaces
    // here is made for it, and making it fails when the name is taken.
    if (::mkdirat(toFolder, to, 0700) != 0)
        return errno;
    if (::renameat(fromFolder, from, toFolder, to) == 0)
        return 0;
    const int error = errno;
    ::unlinkat(toFolder, to, AT_REMOVEDIR);
    return error;
}

} // namespace

int WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return errno;
        if (written == 0)
            return ENOSPC;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

int RenameWithoutReplacing(int fromFolder, const char* from, int toFolder, const char* to)
{
    if (::renameat2(fromFolder, from, toFolder, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return errno;
    return RenameByLinking(fromFolder, from, toFolder, to);
}

Replacement ReplaceThroughTemporary(int folder, const std::string& name, std::string_view bytes,
                                    const struct stat* keep)
{
    Descriptor file;
    // A replacement starts private and takes the old file's mode once written.
    const std::string temporary = CreateUnderFreshName(".vacantix-new-", [&](const char* fresh) {
        file.reset(::openat(folder, fresh, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, keep ? 0600 : 0666));
        return static_cast<bool>(file);
    });
    if (temporary.empty())
        return {errno, false};
    int error = WriteAll(file.get(), bytes);
    if (error == 0 && keep) {
        // Without privileges another owner cannot be kept; the mode still is.
        (void)!::fchown(file.get(), keep->st_uid, keep->st_gid);
        if (::fchmod(file.get(), keep->st_mode & 07777) != 0)
            error = errno;
    }
    if (error == 0 && ::fsync(file.get()) != 0)
        error = errno;
    if (error == 0 && file.closeChecked() != 0)
        error = errno;
    if (error == 0 && ::renameat(folder, temporary.c_str(), folder, name.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlinkat(folder, temporary.c_str(), 0);
        return {error, false};
    }
    // The rename is only lasting once the folder is synced.
    return {::fsync(folder) == 0 ? 0 : errno, true};
}

Descriptor OpenFolderWithoutLinks(std::string_view path)
{
    if (path.empty() || path.front() != '/') {
        errno = EINVAL;
        return Descriptor();
    }
    Descriptor folder(::open("/", kPathFlags));
    while (folder) {
        while (!path.empty() && path.front() == '/')
            path.remove_prefix(1);
        if (path.empty())
            break;
        const std::string part(path.substr(0, path.find('/')));
        path.remove_prefix(part.size());
        if (part == ".")
            continue;
        if (part == "..") {
            errno = EINVAL;
            return Descriptor();
        }
        folder = Descriptor(::openat(folder.get(), part.c_str(), kPathFlags));
    }
    return folder;
}

ReachedFolder ReachFolder(const std::string& path, const std::string& root)
{
    const bool below = !root.empty() && path.size() > root.size() && path.starts_with(root) &&
                       (root.back() == '/' || path[root.size()] == '/');
    const std::string linked = below || path == root ? root : path;
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(linked.c_str(), nullptr), &std::free);
    if (!real)
        return {Descriptor(), {}};
    std::string realPath = real.get();
    for (std::string_view rest = std::string_view(path).substr(linked.size()); !rest.empty();) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
        if (!part.empty() && part != ".")
            realPath += (realPath == "/" ? "" : "/") + std::string(part);
    }
    Descriptor fd = OpenFolderWithoutLinks(realPath);
    return {std::move(fd), std::move(realPath)};
}

std::vector<std::string> NamesIn(int folder)
{
    std::vector<std::string> names;
    Descriptor own(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* dir = own ? ::fdopendir(own.get()) : nullptr;
    if (!dir)
        return names;
    (void)own.release(); // the listing owns it now
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

std::optional<struct stat> LookAt(int folder, const char* name)
{
    struct stat st {};
    if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW | (*name ? 0 : AT_EMPTY_PATH)) != 0)
        return std::nullopt;
    return st;
}

} // namespace vacantix
