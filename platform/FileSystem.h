// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/Failure.h"

namespace vacantix {

// Why a file-system operation failed, in the classes the engine tells apart.
enum class FsError : std::uint8_t {
    PermissionDenied, // EACCES, EPERM
    PathNotFound,     // ENOENT, ENOTDIR: missing, or vanished meanwhile
    BadFileName,      // a name the platform refuses (EILSEQ, EINVAL)
    TooLong,          // beyond the platform's path or name limits
    Other,            // anything else (EIO, EMFILE, ...)
};

// The run-time error number of a failure class: 70, 76, 52, or another.
[[nodiscard]] int ErrorNumberOf(FsError error);

struct FsFailure {
    FsError error = FsError::Other;
    std::string detail; // the platform's own text, for messages

    [[nodiscard]] Failure toFailure() const;
};

// The outcome of one file-system operation: a value or a typed failure.
// Never throws across the platform boundary; orThrow() turns a failure into
// the run-time failure a trapped procedure catches.
template <class T>
class [[nodiscard]] FsResult {
public:
    FsResult(T value) : state_(std::move(value)) {}
    FsResult(FsFailure failure) : state_(std::move(failure)) {}

    [[nodiscard]] bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] T& value() { return std::get<0>(state_); }
    [[nodiscard]] const T& value() const { return std::get<0>(state_); }
    [[nodiscard]] const FsFailure& failure() const { return std::get<1>(state_); }
    [[nodiscard]] FsError error() const { return failure().error; }

    T& orThrow()
    {
        if (!ok())
            throw failure().toFailure();
        return value();
    }

private:
    std::variant<T, FsFailure> state_;
};

struct Done {};

// What a directory entry is, read from d_type (or lstat where d_type is
// unknown). A symbolic link is never a folder, whatever it points to.
enum class EntryKind : std::uint8_t { Folder, RegularFile, Symlink, OtherFile };

struct FileEntry {
    std::string name;
    EntryKind kind = EntryKind::RegularFile;
};

// Which file or folder a look found: on POSIX its device and inode number.
// Two looks that give the same identity saw the same file or folder.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// One folder, read once: its direct subfolders and its other entries, each in
// listing order. "." and ".." are never listed. The two failure fields let a
// test double fail one part of a listing alone; a real listing fails whole.
struct Listing {
    std::vector<std::string> subfolders;
    std::vector<FileEntry> files; // every entry that is not a folder: the Files count
    std::optional<FsFailure> subfoldersFailure;
    std::optional<FsFailure> filesFailure;
    // The listed folder is one the platform keeps for itself (see
    // FileSystem::isProtected), as found while it was read.
    bool protectedFolder = false;
    // When the listed folder was last modified, in seconds since 1970, as
    // read right after its entries; unset where the file system does not say.
    std::optional<std::int64_t> modified;
    // The listed folder's identity, where the platform tells it: on POSIX
    // always for a folder listed by its path (the first listing of a walk),
    // not for one listed below a folder held open.
    std::optional<FileIdentity> identity;
};

// A folder a file system keeps open for a reader, so that the folders inside
// it can be listed through it (see FileSystem::listBelow). Closed when let go.
class HeldFolder {
public:
    virtual ~HeldFolder() = default;
};

// What a walk looks at beyond the entries of the folders it lists (see
// FileSystem::expectWalk).
struct WalkNeeds {
    bool fileSizes = true;         // the sizes of regular files (the zero-byte rule)
    bool modificationTimes = true; // Listing::modified (a minimum age)
    bool operator==(const WalkNeeds&) const = default;
};

// Folder attribute bits, as the engine's exclusion rules read them.
enum FolderAttribute : int {
    ReadOnly = 1,
    Hidden = 2,
    System = 4,
    Directory = 16,
    Archive = 32,
    Alias = 1024,
};

// The engine's only view of the disk. Paths are absolute byte strings
// with "/" between their parts (on Windows too: see platform/PathRoot.h) and
// without a trailing separator ("/" for the root folder, "C:/" for a drive's). Implementations
// never follow a symbolic link below the path they are given.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Reads the entries of a folder once. A folder that is itself a symbolic
    // link is not listed (PathNotFound).
    virtual FsResult<Listing> list(const std::string& folder) = 0;

    // Lists `folder`, a direct subfolder of the folder `parent` holds open
    // (null for none), as list(folder) gives it. With `hold`, may hand
    // `folder` back held open too, for listing the folders inside it; any
    // file system may list what another instance of its kind holds. One that
    // cannot hold folders lists by path and holds nothing.
    virtual FsResult<Listing> listBelow(const HeldFolder* parent, const std::string& folder,
                                        std::unique_ptr<HeldFolder>* hold)
    {
        (void)parent;
        if (hold)
            hold->reset();
        return list(folder);
    }

    // Reads the entries of a folder the user named (a scan root): unlike
    // list(), a final symbolic link to a folder is followed, since the user
    // chose it. Nothing below it is ever followed.
    virtual FsResult<Listing> listNamed(const std::string& folder) { return list(folder); }

    // listNamed(folder), handing the folder back held open too where `hold`
    // is given and the file system can hold it (see listBelow).
    virtual FsResult<Listing> listNamedHeld(const std::string& folder, std::unique_ptr<HeldFolder>* hold)
    {
        if (hold)
            hold->reset();
        return listNamed(folder);
    }

    // The attribute value of a folder: Directory, plus Hidden for a name
    // starting with ".", ReadOnly when it is not writable, Alias for a link.
    virtual FsResult<int> attributes(const std::string& folder) = 0;

    // Bytes of one regular file of a folder, as listed by list().
    virtual FsResult<std::uint64_t> fileSize(const std::string& folder, const std::string& name) = 0;

    // The same for a folder `held` holds open (as listBelow handed it back;
    // null for none), without looking the folder up again where it is held.
    virtual FsResult<std::uint64_t> fileSizeBelow(const HeldFolder* held, const std::string& folder,
                                                  const std::string& name)
    {
        (void)held;
        return fileSize(folder, name);
    }

    // Says what the walk at hand will look at beyond the entries of the
    // folders it lists, so that a file system may read it while it has a
    // folder open, and leave out what nobody looks at: sizes are answered
    // either way, but listings below a walk's top may leave `modified` unset
    // while modification times are not needed. It holds until the next
    // endWalk(), which asks for everything again.
    virtual void expectWalk(WalkNeeds needs) { (void)needs; }

    // Total bytes of the regular files in the folder and every folder below
    // it. Stops early and answers a value above `stopAbove` as soon as the
    // total passes it, so size(path, 0) reads no more than it must to tell
    // whether the total is 0. The default walks with list() and fileSize()
    // on an explicit stack; links are never entered.
    virtual FsResult<std::uint64_t> size(const std::string& folder, std::uint64_t stopAbove);

    // True when the path names an existing file or folder (following a final
    // link). Never fails.
    virtual bool fileExists(const std::string& path) = 0;

    // True when the path names a folder (following a final link). Never fails.
    virtual bool isDirectory(const std::string& path) = 0;

    // The path the kernel reaches for `path`, absolute, with every symbolic
    // link followed and every ".", ".." and doubled separator resolved, as
    // realpath(3) gives it. Fails when any part of it cannot be found or
    // read. The engine asks it once per root: links below a root are never
    // followed, so a folder below it has the root's real path followed by
    // the rest of its own.
    virtual FsResult<std::string> realPath(const std::string& path) = 0;

    // False when no folder can carry the System attribute here (POSIX), so
    // that no folder can be protected and the attributes need not be read
    // for that rule.
    [[nodiscard]] virtual bool reportsSystemAttribute() const { return true; }

    // True for the root folder of the file system ("/"; on Windows a drive's
    // or a share's root, see IsRootPath).
    virtual bool isRootFolder(const std::string& folder);

    // True for a folder the platform keeps for itself, which is never offered
    // nor deleted, whatever it holds: a folder another file system is mounted
    // on, and "lost+found" at the top of a file system. Never true for the
    // root folder. Never fails: a folder that cannot be looked at is not
    // protected here (reading it fails all the same). A link is never
    // followed. Listings tell the same for the folder they read.
    virtual bool isProtected(const std::string& folder)
    {
        (void)folder;
        return false;
    }

    // Makes one folder; its parent must exist.
    virtual FsResult<Done> createFolder(const std::string& path) = 0;

    // Lets go of anything kept open to speed up a walk (such as descriptors of
    // the folders along the current path), so that nothing opened for one
    // walk is reused by a later one after the disk may have changed. Every
    // walk of the engine ends with it.
    virtual void endWalk() {}

    // Tells the file system that the calling thread let other code run (the
    // event loop, at a yield of a walk) that may have changed the disk:
    // nothing read before this call answers a request made after it. The
    // engine's walks call it right after each yield.
    virtual void callerYielded() {}

    // The system trees the exclusion rules keep out, as absolute paths.
    virtual const std::vector<std::string>& systemFolders() const = 0;

    // Limits beyond which a folder cannot be listed: a name must be shorter
    // than maxNameLength(), a folder path with one trailing separator shorter
    // than maxPathLength().
    virtual std::size_t maxNameLength() const { return 256; }
    virtual std::size_t maxPathLength() const { return 4096; }
};

// Brackets one walk of `fs`: ends any walk before it when it starts, so that
// nothing kept open then answers for a disk that may have changed, and ends
// its own walk when it goes, however the walk ends.
class WalkScope {
public:
    explicit WalkScope(FileSystem& fs) : fs_(fs) { fs_.endWalk(); }
    ~WalkScope() { fs_.endWalk(); }
    WalkScope(const WalkScope&) = delete;
    WalkScope& operator=(const WalkScope&) = delete;

private:
    FileSystem& fs_;
};

// The path of a folder's child: parent + "/" + name, with no doubled
// separator below the root.
[[nodiscard]] std::string ChildPath(std::string_view parent, std::string_view name);

// The last component of a path ("" for a root).
[[nodiscard]] std::string_view BaseName(std::string_view path);

// True when `path` is `folder` or lies below it; both are compared as they
// are spelled.
[[nodiscard]] bool IsWithin(std::string_view path, std::string_view folder);

// A folder path as the folder list holds it, ending with one separator
// ("" gives "/", as ChildPath takes "" for the root).
[[nodiscard]] std::string WithTrailingSeparator(std::string path);

// A path without its trailing separators; a root keeps the separator that
// ends it ("/" stays "/", "C:/" stays "C:/").
[[nodiscard]] std::string WithoutTrailingSeparator(std::string_view path);

} // namespace vacantix
