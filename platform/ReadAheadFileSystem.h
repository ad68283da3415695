// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

namespace vacantix {

namespace readahead {
class Crew;
struct Folder;
struct Read;
} // namespace readahead

// How many helper threads read ahead: `first` from the start, and up to
// `most` while the walk keeps waiting for the disk. One number is both.
struct ReaderCount {
    ReaderCount(unsigned count = 0) : first(count), most(count) {} // NOLINT: one number is a count
    ReaderCount(unsigned first, unsigned most) : first(first), most(most < first ? first : most) {}
    unsigned first;
    unsigned most;
};

// A file system that lists the folders of a depth-first walk from the folder
// it listed last, held open, and with helper threads ahead of the walk, so
// that the walk finds most listings read by the time it asks.
//
// Without helpers every listing is read on the calling thread, each folder
// opened from its parent held open (no look-up of its whole path), and the
// sizes of the files of the folder listed last are read from it while it is
// held. With helpers, once a listing is handed out they list what a walk in
// pre-order asks for next: the folder's subfolders in listing order, each
// followed by its own tree, then the later subfolders of the folders above
// it, each opened from its parent; the sizes of regular files are read with
// the listing while the walk says it will ask for them. The helpers start
// `readers.first` strong (none: the walk reads alone, as without helpers)
// and grow to `readers.most` while the walk keeps waiting for the disk (one
// that makes each call wait: a network share, FUSE, a cold cache).
//
// Everything but listing (and sizes read as said) goes to the wrapped file
// system on the calling thread, and so does every listing of a folder the
// walk reaches in another order: a folder elsewhere starts the walk anew
// from it; one asked again (a step back, as the search does after the
// zero-byte rule looked at a tree) is read there and then. A listing read
// ahead is handed out only for exactly the path it was read for, and is what
// the wrapped kind of file system gives for that path (failures too).
//
// How fresh: a listing handed out was read after the start of its walk
// (endWalk()), after the caller's last callerYielded() and after the
// caller's last createFolder() here. It may thus be older than one read when
// asked: in the engine's walks by less than a yield's slice (50 ms) where
// the scan hooks run an event loop, and where they do not (the command line,
// whose hooks change nothing on disk) by the time the walk takes to get
// through the folders read ahead of it. A change another program makes
// meanwhile may be missed as a walk that had read the folder that much
// earlier would miss it; when other programs' changes fall between a walk's
// reads is never defined anyway. Whatever the calling thread changes between
// two such points without telling (another hook than yield, a remover of its
// own) is not seen.
//
// Bounds: at most `Limits::listings` listings are read ahead and not yet
// handed out, those being read included, and no new one is started while
// they hold more than `Limits::bytes` (so one huge folder still passes). At
// most 256 folders are held open for the helpers, and as many along the
// walk's path without them; more are listed by path. Nothing stays open
// after endWalk().
class ReadAheadFileSystem final : public FileSystem {
public:
    // Makes the file system one helper lists through (called on the thread
    // that uses this file system, once for each helper it starts).
    using ReaderFactory = std::function<std::unique_ptr<FileSystem>()>;

    struct Limits {
        std::size_t listings = 256;
        std::size_t bytes = std::size_t{4} << 20;
    };

    // `fs` answers on the calling thread. With no readers nothing is read
    // ahead.
    ReadAheadFileSystem(FileSystem& fs, ReaderCount readers, ReaderFactory makeReader);
    ReadAheadFileSystem(FileSystem& fs, ReaderCount readers, ReaderFactory makeReader, Limits limits);
    // Stops the helpers; one still stuck in a listing after two seconds is
    // left to end on its own.
    ~ReadAheadFileSystem() override;
    ReadAheadFileSystem(const ReadAheadFileSystem&) = delete;
    ReadAheadFileSystem& operator=(const ReadAheadFileSystem&) = delete;

    FsResult<Listing> list(const std::string& folder) override;
    FsResult<Listing> listNamed(const std::string& folder) override;
    FsResult<int> attributes(const std::string& folder) override { return fs_.attributes(folder); }
    FsResult<std::uint64_t> fileSize(const std::string& folder, const std::string& name) override;
    FsResult<std::uint64_t> size(const std::string& folder, std::uint64_t stopAbove) override
    {
        return fs_.size(folder, stopAbove);
    }
    bool fileExists(const std::string& path) override { return fs_.fileExists(path); }
    bool isDirectory(const std::string& path) override { return fs_.isDirectory(path); }
    FsResult<std::string> realPath(const std::string& path) override { return fs_.realPath(path); }
    [[nodiscard]] bool reportsSystemAttribute() const override { return fs_.reportsSystemAttribute(); }
    bool isRootFolder(const std::string& folder) override { return fs_.isRootFolder(folder); }
    bool isProtected(const std::string& folder) override { return fs_.isProtected(folder); }
    FsResult<Done> createFolder(const std::string& path) override;
    void endWalk() override;
    void callerYielded() override;
    void expectWalk(WalkNeeds needs) override;
    const std::vector<std::string>& systemFolders() const override { return fs_.systemFolders(); }
    std::size_t maxNameLength() const override { return fs_.maxNameLength(); }
    std::size_t maxPathLength() const override { return fs_.maxPathLength(); }

    // How many helper threads read ahead now.
    [[nodiscard]] unsigned readers() const;

private:
    // One folder handed out, from the walk's top down to the one listed last.
    struct Level {
        std::size_t length = 0;                     // of its path
        std::uint32_t nextIndex = 0;                // its first subfolder not yet handed out
        std::shared_ptr<readahead::Folder> folder;  // its subfolders' slots (with helpers)
        std::unique_ptr<HeldFolder> held;           // the folder held open (without helpers)
    };
    // Where a path lies below the trail.
    struct Place {
        std::size_t level = 0;
        std::string_view name;
    };

    // Places `folder` as a subfolder of a folder on the trail.
    [[nodiscard]] bool locate(const std::string& folder, Place& place) const;
    // Starts the trail anew at `folder`, the folder the user named or another.
    FsResult<Listing> startAt(const std::string& folder, bool named);
    // Gives the folders on the trail read before any helper ran their
    // slots, and offers what lies beyond the walk's place to the helpers.
    void adoptTrail();
    // Lists a placed folder on this thread, from its parent held open.
    FsResult<Listing> readHere(const Place& place, const std::string& folder);
    // Hands out a placed folder's listing read ahead, or reads it here.
    FsResult<Listing> readAhead(const Place& place, const std::string& folder);
    // The read of subfolder `index` of `folder`: what a helper read, after
    // waiting for it if need be, or else read here (`byWalk`).
    std::unique_ptr<readahead::Read> take(const std::shared_ptr<readahead::Folder>& folder, std::uint32_t index,
                                          bool& byWalk);
    // The place of a placed folder among its parent's subfolders; UINT32_MAX
    // when it is not among them.
    [[nodiscard]] std::uint32_t indexOf(const Place& place) const;
    void dropSkipped(Level& level, std::uint32_t index);
    // Makes `next` the trail's level `level`, below the ones kept.
    void descend(std::size_t level, Level next, const std::string& folder);
    void holdAtMost();
    void leaveTrail(std::size_t keep);
    // Starts a new epoch and offers the trail's subfolders not yet handed
    // out to the helpers again, dropping what they had read of them.
    void offerTrailAgain();
    // True once helpers read ahead.
    [[nodiscard]] bool readingAhead() const;
    // Counts a listing this thread read from `since` until now, as one the
    // walk waited for when it took long.
    void noteRead(std::chrono::steady_clock::time_point since);
    // Counts a listing handed out, and whether the walk waited for the disk
    // for it; grows the crew when it waits often.
    void noteWait(bool waited);

    FileSystem& fs_;
    const ReaderCount readers_;
    std::shared_ptr<readahead::Crew> crew_;
    std::vector<Level> trail_;
    std::string lastPath_; // the path listed last
    // The sizes read with the listing handed out last.
    std::vector<std::pair<std::string, FsResult<std::uint64_t>>> lastSizes_;
    bool trailHasSlots_ = false; // the trail's folders were read with helpers running
    bool topNamed_ = false;      // the trail's top is a folder the user named
    std::size_t heldLevels_ = 0;
    std::size_t shallowestHeld_ = 0;
    unsigned listsSinceCount_ = 0;
    unsigned waitsSinceCount_ = 0;
};

// How many helper threads the programs read ahead with: VACANTIX_READERS
// when it holds a number (0 reads every folder on the calling thread), else
// none while the disk answers at once (a warm local disk, where helpers
// would only add work), two from the first run of listings that made the
// walk wait, and twice as many after each further run up to 16.
[[nodiscard]] ReaderCount ReadAheadReaders();

} // namespace vacantix
