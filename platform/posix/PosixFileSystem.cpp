// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixFileSystem.h"

#include "platform/posix/HoldingFolder.h"
#include "platform/posix/PosixFailure.h"

#include "platform/PathRoot.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace vacantix {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// True when `folder` is `ancestor` itself or lies below it.
bool isWithin(const std::string& folder, const std::string& ancestor)
{
    if (folder.size() < ancestor.size() || folder.compare(0, ancestor.size(), ancestor) != 0)
        return false;
    return folder.size() == ancestor.size() || ancestor.back() == '/' || folder[ancestor.size()] == '/';
}

// The name of `folder` within `parent` when it is a direct child, else "".
std::string_view childName(const std::string& folder, const std::string& parent)
{
    if (folder.size() <= parent.size() || !isWithin(folder, parent))
        return {};
    std::string_view rest(folder);
    rest.remove_prefix(parent.size());
    if (rest.front() == '/')
        rest.remove_prefix(1);
    if (rest.empty() || rest.find('/') != std::string_view::npos)
        return {};
    return rest;
}

// Where a folder lies: its device, and whether it is the top of a file
// system (the root folder, a mount point, a bind mount, or another device
// than its parent's).
struct Place {
    dev_t device = 0;
    bool top = false;
    bool root = false; // the root folder: its ".." is itself
    ino_t inode = 0;
};

// What one look at a folder tells: its device and inode, whether the
// kernel marks it as the root of a mount, and when it was last modified.
struct FolderStat {
    dev_t device = 0;
    ino_t inode = 0;
    bool mountRoot = false;
    std::optional<std::int64_t> modified;
};

// Looks at the folder open as `fd` (or at `name` within it).
bool statFolder(int fd, const char* name, FolderStat& out)
{
#if defined(__linux__) && defined(STATX_ATTR_MOUNT_ROOT)
    struct statx sx {};
    const int flags = *name ? AT_SYMLINK_NOFOLLOW : AT_EMPTY_PATH;
    if (::statx(fd, name, flags, STATX_INO | STATX_MTIME, &sx) == 0) {
        out.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
        out.inode = sx.stx_ino;
        out.mountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
        out.modified.reset();
        if (sx.stx_mask & STATX_MTIME)
            out.modified = static_cast<std::int64_t>(sx.stx_mtime.tv_sec);
        return true;
    }
#endif
    struct stat st {};
    if (::fstatat(fd, name, &st, *name ? AT_SYMLINK_NOFOLLOW : AT_EMPTY_PATH) != 0)
        return false;
    out.device = st.st_dev;
    out.inode = st.st_ino;
    out.mountRoot = false;
    out.modified = static_cast<std::int64_t>(st.st_mtime);
    return true;
}

// Where the folder open as `fd` lies, and where its parent lies, asking the
// disk for the parent only when `parent` is not known. `withParentTop` asks
// for the parent's own place too (whether the parent is a top). `modified`
// gets the folder's modification time where the disk tells it.
bool placeOf(int fd, const Place* parent, bool withParentTop, Place& self, bool& parentTop,
             std::optional<std::int64_t>* modified = nullptr)
{
    FolderStat own;
    if (!statFolder(fd, "", own))
        return false;
    if (modified)
        *modified = own.modified;
    self.device = own.device;
    self.inode = own.inode;
    if (parent) {
        self.top = own.mountRoot || self.device != parent->device;
        parentTop = parent->top;
        return true;
    }
    FolderStat up;
    if (!statFolder(fd, "..", up))
        return false;
    self.root = up.device == self.device && up.inode == own.inode;
    self.top = self.root || own.mountRoot || self.device != up.device;
    parentTop = false;
    if (withParentTop && !self.root) {
        FolderStat above;
        if (!statFolder(fd, "../..", above))
            return false;
        parentTop = up.mountRoot || up.device != above.device || up.inode == above.inode;
    }
    return true;
}

// The real path of the folder open as `fd`, as the kernel names it; unset
// where it cannot tell (a folder removed meanwhile, or no /proc).
std::optional<std::string> realPathOfOpen(int fd)
{
    char name[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(link.c_str(), name, sizeof name);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof name || name[0] != '/')
        return std::nullopt;
    std::string real(name, static_cast<std::size_t>(length));
    if (real.ends_with(" (deleted)"))
        return std::nullopt;
    return real;
}

bool isProtectedPlace(const Place& self, bool parentTop, std::string_view name)
{
    return !self.root && (self.top || (name == "lost+found" && parentTop));
}

EntryKind kindOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    if (S_ISREG(mode))
        return EntryKind::RegularFile;
    if (S_ISLNK(mode))
        return EntryKind::Symlink;
    return EntryKind::OtherFile;
}

bool IsDots(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The kind of `name` in the folder open as `fd`, looked at; false when it
// is gone since it was listed (it is then not there at all), true with the
// kind set otherwise (OtherFile when it cannot be looked at).
bool KindOfUnknown(int fd, const char* name, EntryKind& kind)
{
    struct stat st {};
    if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno != ENOENT;
    kind = kindOfMode(st.st_mode);
    return true;
}

#if defined(__linux__)
// Shows `visit` each entry of the folder open as `fd` but "." and "..",
// with its kind, reading through `buffer`; false with errno set when the
// folder could not be read.
template <class Visit>
bool ForEachEntry(int fd, std::vector<char>& buffer, Visit&& visit)
{
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer.data(), buffer.size());
        if (got <= 0)
            return got == 0;
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(buffer.data() + at);
            at += entry->d_reclen;
            const char* name = entry->d_name;
            if (IsDots(name))
                continue;
            EntryKind kind = EntryKind::OtherFile;
            switch (entry->d_type) {
            case DT_DIR: kind = EntryKind::Folder; break;
            case DT_REG: kind = EntryKind::RegularFile; break;
            case DT_LNK: kind = EntryKind::Symlink; break;
            case DT_UNKNOWN:
                if (!KindOfUnknown(fd, name, kind))
                    continue;
                break;
            default: kind = EntryKind::OtherFile; break;
            }
            visit(name, kind);
        }
    }
}
#else
template <class Visit>
bool ForEachEntry(int fd, std::vector<char>&, Visit&& visit)
{
    const int own = ::dup(fd);
    DIR* dir = own >= 0 ? ::fdopendir(own) : nullptr;
    if (!dir) {
        const int error = errno;
        if (own >= 0)
            ::close(own);
        errno = error;
        return false;
    }
    for (;;) {
        errno = 0;
        const struct dirent* entry = ::readdir(dir);
        if (!entry) {
            const int error = errno;
            ::closedir(dir);
            errno = error;
            return error == 0;
        }
        EntryKind kind = EntryKind::OtherFile;
        if (!IsDots(entry->d_name) && KindOfUnknown(fd, entry->d_name, kind))
            visit(entry->d_name, kind);
    }
}
#endif

} // namespace

PosixFileSystem::PosixFileSystem() : buffer_(64 * 1024) {}

PosixFileSystem::~PosixFileSystem()
{
    endWalk();
}

void PosixFileSystem::endWalk()
{
    for (const OpenFolder& open : chain_)
        ::close(open.fd);
    chain_.clear();
}

void PosixFileSystem::trimChainTo(const std::string& folder)
{
    while (!chain_.empty() && !isWithin(folder, chain_.back().path)) {
        ::close(chain_.back().fd);
        chain_.pop_back();
    }
}

int PosixFileSystem::openedAs(const std::string& folder) const
{
    for (auto it = chain_.rbegin(); it != chain_.rend(); ++it) {
        if (it->path == folder)
            return it->fd;
        if (!isWithin(folder, it->path))
            continue;
        break;
    }
    return -1;
}

int PosixFileSystem::open(const std::string& folder, bool followFinalLink, bool reuseSame)
{
    trimChainTo(folder);
    if (!chain_.empty() && chain_.back().path == folder) {
        if (reuseSame)
            return chain_.back().fd;
        // A listing always reads the folder as it is now, through a new descriptor.
        ::close(chain_.back().fd);
        chain_.pop_back();
    }

    int fd = -1;
    const int flags = kFolderFlags | (followFinalLink ? 0 : O_NOFOLLOW);
    const std::string_view name = chain_.empty() ? std::string_view{} : childName(folder, chain_.back().path);
    if (!name.empty() && !followFinalLink) {
        const std::string ownName(name);
        fd = ::openat(chain_.back().fd, ownName.c_str(), flags);
    } else {
        fd = ::open(folder.c_str(), flags);
    }
    if (fd < 0)
        return -1;

    chain_.push_back({folder, fd});
    if (chain_.size() > kMaxOpenFolders) {
        ::close(chain_.front().fd);
        chain_.pop_front();
    }
    return fd;
}

bool PosixFileSystem::placeOpenFolder(const std::string& folder, bool throughLink, Listing& listing)
{
    OpenFolder& self = chain_.back();
    Place known;
    const Place* parent = nullptr;
    // A folder reached through a link has its own parent, not the link's.
    if (!throughLink && chain_.size() >= 2) {
        const OpenFolder& above = chain_[chain_.size() - 2];
        if (above.placed && !childName(folder, above.path).empty()) {
            known = {above.device, above.top, false};
            parent = &known;
        }
    }
    const std::string_view name = BaseName(folder);
    Place place;
    bool parentTop = false;
    if (!placeOf(self.fd, parent, name == "lost+found", place, parentTop, &listing.modified))
        return false;
    listing.identity = FileIdentity{place.device, place.inode};
    self.placed = true;
    self.device = place.device;
    self.top = place.top;
    return isProtectedPlace(place, parentTop, name);
}

bool PosixFileSystem::isProtected(const std::string& folder)
{
    if (folder.empty() || folder.size() + 1 >= maxPathLength())
        return false;
    const int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const std::string_view name = BaseName(folder);
    Place place;
    bool parentTop = false;
    const bool placed = placeOf(fd, nullptr, name == "lost+found", place, parentTop);
    ::close(fd);
    return placed && isProtectedPlace(place, parentTop, name);
}

FsResult<Listing> PosixFileSystem::list(const std::string& folder)
{
    return read(folder, false);
}

FsResult<Listing> PosixFileSystem::listNamed(const std::string& folder)
{
    return read(folder, true);
}

FsResult<Listing> PosixFileSystem::read(const std::string& folder, bool followFinalLink)
{
    if (folder.size() + 1 >= maxPathLength())
        return FsFailure{FsError::TooLong, std::strerror(ENAMETOOLONG)};
    const int fd = open(folder, followFinalLink, false);
    if (fd < 0)
        return FailureOfErrno(errno);

    Listing listing;
    if (!readEntries(fd, folder, listing))
        return FailureOfErrno(errno);
    // One look after the entries places the folder and reads when it was
    // modified, so that a change made while they were read shows; the
    // folder is still open.
    listing.protectedFolder = placeOpenFolder(folder, followFinalLink, listing);
    return listing;
}

bool PosixFileSystem::readEntries(int fd, const std::string& folder, Listing& listing)
{
    bool putBack = false;
    const auto putBackHeld = [&](const char* name) { return putBack |= HoldingFolder::PutBack(fd, folder, name); };
    if (!readEntriesOnce(fd, listing, putBackHeld))
        return false;
    if (!putBack)
        return true;
    // What was put back is listed where it is now.
    listing.subfolders.clear();
    listing.files.clear();
    return ::lseek(fd, 0, SEEK_SET) == 0 && readEntriesOnce(fd, listing, nullptr);
}

bool PosixFileSystem::readEntriesOnce(int fd, Listing& listing, const std::function<bool(const char*)>& putBack)
{
    return ForEachEntry(fd, buffer_, [&](const char* name, EntryKind kind) {
        // A holding folder of the direct remover holds a file out of its
        // place: content of its folder, never a folder to search.
        if (kind == EntryKind::Folder && HoldingFolder::IsHoldingName(name)) {
            if (putBack && putBack(name))
                return;
            kind = EntryKind::OtherFile;
        }
        if (kind == EntryKind::Folder)
            listing.subfolders.emplace_back(name);
        else
            listing.files.push_back({name, kind});
    });
}

PosixFileSystem::HeldDescriptor::~HeldDescriptor()
{
    ::close(fd_);
}

FsResult<Listing> PosixFileSystem::listBelow(const HeldFolder* held, const std::string& folder,
                                             std::unique_ptr<HeldFolder>* hold)
{
    // Only a folder this kind of file system holds has a descriptor to list through.
    const auto* const parent = dynamic_cast<const HeldDescriptor*>(held);
    if (hold)
        hold->reset();
    if (folder.size() + 1 >= maxPathLength())
        return FsFailure{FsError::TooLong, std::strerror(ENAMETOOLONG)};
    const int fd = parent ? ::openat(parent->fd_, std::string(BaseName(folder)).c_str(), kFolderFlags | O_NOFOLLOW)
                          : ::open(folder.c_str(), kFolderFlags | O_NOFOLLOW);
    if (fd < 0)
        return FailureOfErrno(errno);
    return listOpen(fd, parent, folder, hold);
}

FsResult<Listing> PosixFileSystem::listNamedHeld(const std::string& folder, std::unique_ptr<HeldFolder>* hold)
{
    if (hold)
        hold->reset();
    if (folder.size() + 1 >= maxPathLength())
        return FsFailure{FsError::TooLong, std::strerror(ENAMETOOLONG)};
    const int fd = ::open(folder.c_str(), kFolderFlags);
    if (fd < 0)
        return FailureOfErrno(errno);
    return listOpen(fd, nullptr, folder, hold);
}

FsResult<Listing> PosixFileSystem::listOpen(int fd, const HeldDescriptor* parent, const std::string& folder,
                                            std::unique_ptr<HeldFolder>* hold)
{
    Listing listing;
    if (!readEntries(fd, folder, listing)) {
        const int error = errno;
        ::close(fd);
        return FailureOfErrno(error);
    }
    std::shared_ptr<const MountsBelow> mounts = parent ? parent->mounts_ : nullptr;
    Place place;
    if (mounts) {
        placeByPath(fd, *parent, folder, listing);
    } else {
        // Placed as read() places a folder whose parent is open on the
        // chain, or else one whose parent is not; a walk's top also looks
        // its real path up, to place the folders below it by theirs.
        Place known;
        if (parent)
            known = Place{parent->device_, parent->top_, false};
        bool parentTop = false;
        const std::string_view name = BaseName(folder);
        if (!placeOf(fd, parent ? &known : nullptr, name == "lost+found", place, parentTop, &listing.modified)) {
            ::close(fd);
            return listing;
        }
        listing.protectedFolder = isProtectedPlace(place, parentTop, name);
        listing.identity = FileIdentity{place.device, place.inode};
        if (!parent && hold)
            if (const auto real = realPathOfOpen(fd))
                mounts = MountTable::Instance().below(*real, folder);
    }
    if (!hold) {
        ::close(fd);
        return listing;
    }
    *hold = std::make_unique<HeldDescriptor>(fd, place.device, place.top, std::move(mounts));
    return listing;
}

void PosixFileSystem::placeByPath(int fd, const HeldDescriptor& parent, const std::string& folder,
                                  Listing& listing) const
{
    const MountsBelow& mounts = *parent.mounts_;
    listing.protectedFolder =
        mounts.mountPoint(folder) || (BaseName(folder) == "lost+found" && mounts.fileSystemTop(ParentPath(folder)));
    if (needsModified_) {
        FolderStat own;
        if (statFolder(fd, "", own))
            listing.modified = own.modified;
    }
}

FsResult<int> PosixFileSystem::attributes(const std::string& folder)
{
    if (folder.size() + 1 >= maxPathLength())
        return FsFailure{FsError::TooLong, std::strerror(ENAMETOOLONG)};
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return FailureOfErrno(errno);
    int value = 0;
    if (S_ISLNK(st.st_mode)) {
        struct stat target {};
        value |= Alias;
        if (::stat(folder.c_str(), &target) == 0 && S_ISDIR(target.st_mode))
            value |= Directory;
    } else if (S_ISDIR(st.st_mode)) {
        value |= Directory;
    }
    if (BaseName(folder).starts_with('.'))
        value |= Hidden;
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) != 0)
        value |= ReadOnly;
    return value;
}

FsResult<std::uint64_t> PosixFileSystem::fileSize(const std::string& folder, const std::string& name)
{
    struct stat st {};
    int rc = -1;
    if (const int fd = openedAs(folder); fd >= 0) {
        rc = ::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW);
    } else if (const std::string path = ChildPath(folder, name); path.size() < maxPathLength()) {
        rc = ::fstatat(AT_FDCWD, path.c_str(), &st, AT_SYMLINK_NOFOLLOW);
    } else {
        // Too long a path for the kernel: the file is still reached from its
        // folder, as it is while the folder is open on the chain, so the
        // answer does not depend on which folder was listed last.
        const int own = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (own < 0)
            return FailureOfErrno(errno);
        rc = ::fstatat(own, name.c_str(), &st, AT_SYMLINK_NOFOLLOW);
        const int error = errno;
        ::close(own);
        errno = error;
    }
    if (rc != 0)
        return FailureOfErrno(errno);
    return static_cast<std::uint64_t>(st.st_size);
}

FsResult<std::uint64_t> PosixFileSystem::fileSizeBelow(const HeldFolder* held, const std::string& folder,
                                                       const std::string& name)
{
    const auto* const open = dynamic_cast<const HeldDescriptor*>(held);
    if (!open)
        return fileSize(folder, name);
    struct stat st {};
    if (::fstatat(open->fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return FailureOfErrno(errno);
    return static_cast<std::uint64_t>(st.st_size);
}

bool PosixFileSystem::fileExists(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool PosixFileSystem::isDirectory(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

FsResult<std::string> PosixFileSystem::realPath(const std::string& path)
{
    if (path.empty())
        return FailureOfErrno(ENOENT);
#if defined(__linux__)
    // realpath(3) looks up every prefix of the path again, which costs the
    // square of its depth; the kernel names what it opened in one look-up.
    // Its name is taken only when it leads back to the same folder.
    const int fd = ::open(path.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0)
        return FailureOfErrno(errno);
    std::vector<char> name(maxPathLength());
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(link.c_str(), name.data(), name.size());
    std::string real;
    bool same = false;
    if (length > 0 && static_cast<std::size_t>(length) < name.size() && name.front() == '/') {
        real.assign(name.data(), static_cast<std::size_t>(length));
        struct stat opened {};
        struct stat named {};
        same = ::fstat(fd, &opened) == 0 && ::stat(real.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
               named.st_ino == opened.st_ino;
    }
    ::close(fd);
    if (same)
        return real;
#endif
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return FailureOfErrno(errno);
    std::string resolvedPath(resolved);
    std::free(resolved);
    return resolvedPath;
}

FsResult<Done> PosixFileSystem::createFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0777) != 0)
        return FailureOfErrno(errno);
    return Done{};
}

const std::vector<std::string>& PosixFileSystem::systemFolders() const
{
    static const std::vector<std::string> folders{
        "/proc", "/sys", "/dev", "/run",   "/boot",  "/etc",   "/usr",
        "/var",  "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32", "/snap",
    };
    return folders;
}

std::size_t PosixFileSystem::maxNameLength() const
{
    return NAME_MAX + 1;
}

std::size_t PosixFileSystem::maxPathLength() const
{
    return PATH_MAX;
}

} // namespace vacantix
