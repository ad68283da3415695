// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"

namespace vacantix {

namespace readahead {
struct Node;
struct Plan;
} // namespace readahead

// A file system that lists folders on helper threads ahead of a depth-first
// walk, so that the walk finds most listings read by the time it asks.
//
// Everything but listing goes to the wrapped file system on the calling
// thread, and so does every listing that was not read ahead: the helpers
// only ever list, each through a file system of its own. Once a listing is
// handed out, the helpers list what a walk in pre-order asks for next: the
// folder's subfolders in listing order, each followed by its own tree, then
// the later subfolders of the folders above it. A listing read ahead is
// handed out only for exactly the path it was read for, and is what the
// wrapped file system gave for that path (failures too). A walk that
// leaves a subtree unasked (a folder it skips) drops what was read of it. A
// walk that steps back (asks again for a folder it has passed, as the
// search does after the zero-byte rule looked at a tree) gets listings read
// then and there until it is past what was read ahead; one that keeps
// stepping back (pre-order in reverse) is read on the calling thread alone
// until it ends; a folder elsewhere is read there and then, and the helpers
// start anew from it.
//
// How fresh: a listing handed out was read after the start of its walk
// (endWalk()), after the caller's last callerYielded() and after the
// caller's last createFolder() here. It may thus be older than one read
// when asked: in the engine's walks by less than a yield's slice (50 ms)
// where the scan hooks run an event loop, and where they do not (the
// command line, whose hooks change nothing on disk) by the time the walk
// takes to get through the folders read ahead of it.
// A change another program makes meanwhile may be missed as a walk that had
// read the folder that much earlier would miss it; when other programs'
// changes fall between a walk's reads is never defined anyway. A walk that
// steps back may get a listing of a subfolder read before the listing of
// its parent it was just given again. Whatever the calling thread changes
// between two such points without telling (another hook than yield, a
// remover of its own) is not seen.
//
// Bounds: at most `Limits::listings` listings are read ahead and not yet
// handed out, those being read included, and no new one is started while
// they hold more than `Limits::bytes` (so one huge folder still passes);
// what remains to be read is kept as positions in the listings already
// read, about one per level of the walk. Each helper's own file system
// keeps its descriptors (a PosixFileSystem at most 128), and lets them go
// when the walk ends. Helpers listing through PosixFileSystems also hold
// open the folders whose subfolders are still to be read, at most about
// 256 of them, so that a subfolder is opened from its parent whichever
// helper read that; they are let go as the walk moves past them, and when
// it ends or starts anew.
class ReadAheadFileSystem final : public FileSystem {
public:
    // Makes the file system one helper lists through (called once per
    // helper, on the constructing thread).
    using ReaderFactory = std::function<std::unique_ptr<FileSystem>()>;

    struct Limits {
        std::size_t listings = 256;
        std::size_t bytes = std::size_t{4} << 20;
    };

    // `fs` answers on the calling thread. With `readers` 0 nothing is read
    // ahead and every call goes straight to `fs`.
    ReadAheadFileSystem(FileSystem& fs, unsigned readers, const ReaderFactory& makeReader);
    ReadAheadFileSystem(FileSystem& fs, unsigned readers, const ReaderFactory& makeReader, Limits limits);
    // Stops the helpers; one still stuck in a listing after two seconds is
    // left to end on its own.
    ~ReadAheadFileSystem() override;
    ReadAheadFileSystem(const ReadAheadFileSystem&) = delete;
    ReadAheadFileSystem& operator=(const ReadAheadFileSystem&) = delete;

    FsResult<Listing> list(const std::string& folder) override;
    FsResult<Listing> listNamed(const std::string& folder) override;
    FsResult<int> attributes(const std::string& folder) override { return fs_.attributes(folder); }
    FsResult<std::uint64_t> fileSize(const std::string& folder, const std::string& name) override
    {
        return fs_.fileSize(folder, name);
    }
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
    const std::vector<std::string>& systemFolders() const override { return fs_.systemFolders(); }
    std::size_t maxNameLength() const override { return fs_.maxNameLength(); }
    std::size_t maxPathLength() const override { return fs_.maxPathLength(); }

    // How many helper threads read ahead.
    [[nodiscard]] unsigned readers() const { return static_cast<unsigned>(threads_.size()); }

private:
    using NodePtr = std::shared_ptr<const readahead::Node>;

    [[nodiscard]] bool locate(const std::string& folder, std::size_t& level, std::uint32_t& index) const;
    void startAt(const std::string& folder, const FsResult<Listing>& listing);
    void descend(std::size_t level, NodePtr node, const std::string& folder);
    void replan();
    // Reads the rest of the walk on the calling thread alone.
    void goPassive();

    FileSystem& fs_;
    std::shared_ptr<readahead::Plan> plan_;
    std::vector<std::thread> threads_;
    // The handed-out folders from the walk's top down to the one asked for
    // last, with the lengths of their paths; the last one's path.
    std::vector<NodePtr> trail_;
    std::vector<std::size_t> lengths_;
    std::string lastPath_;
    int backInARow_ = 0;
    bool passive_ = false; // this walk is read on the calling thread alone
};

// How many helper threads the programs read ahead with:
// VACANTIX_READERS when it holds a number (0 reads every folder on the
// calling thread), else 2 where the machine has two cores or more, else 0.
[[nodiscard]] unsigned ReadAheadReaders();

} // namespace vacantix
