// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <string>
#include <vector>

#include <sys/types.h>

#include "platform/FileSystem.h"
#include "platform/posix/MountTable.h"

namespace vacantix {

// The file system of a POSIX machine. Folders are read with one open and a
// few getdents (readdir elsewhere) per folder; entry kinds come from d_type,
// with lstat only where the file system leaves d_type unknown. A symbolic
// link is never opened as a folder, except a scan root the user named.
//
// To make a depth-first walk cheap, the descriptors of the folders along the
// path listed last stay open (up to a fixed number), and a child of one of
// them is opened relative to it. endWalk() closes them all. A listing also
// tells whether its folder is the top of a file system (one statx of the
// open folder, compared with its parent's device kept on the chain), which
// is what makes mount points and lost+found protected.
//
// Folders listed below a held folder (listBelow) are placed by their paths
// instead, from the mount table (see MountTable), which the top of their
// walk looked up once with its real path: such a folder costs an open, the
// reads of its entries and a close, and one statx more only while the walk
// needs modification times. The table is read again whenever the kernel
// says it changed; isProtected() looks at the disk itself.
class PosixFileSystem final : public FileSystem {
public:
    PosixFileSystem();
    ~PosixFileSystem() override;
    PosixFileSystem(const PosixFileSystem&) = delete;
    PosixFileSystem& operator=(const PosixFileSystem&) = delete;

    FsResult<Listing> list(const std::string& folder) override;
    FsResult<Listing> listNamed(const std::string& folder) override;
    FsResult<int> attributes(const std::string& folder) override;
    FsResult<std::uint64_t> fileSize(const std::string& folder, const std::string& name) override;
    FsResult<std::uint64_t> fileSizeBelow(const HeldFolder* held, const std::string& folder,
                                          const std::string& name) override;
    bool fileExists(const std::string& path) override;
    bool isDirectory(const std::string& path) override;
    bool isProtected(const std::string& folder) override;
    FsResult<std::string> realPath(const std::string& path) override;
    FsResult<Done> createFolder(const std::string& path) override;
    void endWalk() override;
    const std::vector<std::string>& systemFolders() const override;
    [[nodiscard]] bool reportsSystemAttribute() const override { return false; }
    std::size_t maxNameLength() const override;
    std::size_t maxPathLength() const override;

    // How many folder descriptors the walk keeps open at most.
    static constexpr std::size_t kMaxOpenFolders = 128;

    // A listed folder held open with where it lies, so that its subfolders
    // can be listed through it, by any PosixFileSystem on any thread,
    // without looking its path up again. Closed when let go.
    class HeldDescriptor final : public HeldFolder {
    public:
        HeldDescriptor(int fd, dev_t device, bool top, std::shared_ptr<const MountsBelow> mounts)
            : fd_(fd), device_(device), top_(top), mounts_(std::move(mounts))
        {
        }
        ~HeldDescriptor() override;
        HeldDescriptor(const HeldDescriptor&) = delete;
        HeldDescriptor& operator=(const HeldDescriptor&) = delete;

    private:
        friend class PosixFileSystem;
        int fd_;
        dev_t device_;
        bool top_;
        // Where file systems are mounted below the walk's top; null where
        // folders are placed by looking at them (device_ and top_).
        std::shared_ptr<const MountsBelow> mounts_;
    };

    // Lists `folder`, a subfolder of the folder `parent` holds open, as
    // list(folder) gives it when its parent is open on the chain (by its
    // path, as list() does when not, where `parent` is null). With `hold`,
    // hands `folder` back held open too (null where it could not be
    // placed). Leaves the chain as it is.
    FsResult<Listing> listBelow(const HeldFolder* parent, const std::string& folder,
                                std::unique_ptr<HeldFolder>* hold) override;
    FsResult<Listing> listNamedHeld(const std::string& folder, std::unique_ptr<HeldFolder>* hold) override;
    void expectWalk(WalkNeeds needs) override { needsModified_ = needs.modificationTimes; }

private:
    struct OpenFolder {
        std::string path;
        int fd;
        // Where the folder lies, once a listing has looked.
        bool placed = false;
        dev_t device = 0;
        bool top = false; // the top of a file system
    };

    FsResult<Listing> read(const std::string& folder, bool followFinalLink);
    // Adds the entries of the folder open as `fd` (at `folder`) to
    // `listing`; false with errno set when the folder could not be read. A
    // holding folder a killed run left there has its files put back first
    // (see HoldingFolder), and one that stays is listed as a file.
    bool readEntries(int fd, const std::string& folder, Listing& listing);
    // One reading of the entries, with `putBack` (when set) asked about each
    // holding folder met: true when it put its files back and went.
    bool readEntriesOnce(int fd, Listing& listing, const std::function<bool(const char*)>& putBack);
    // A descriptor for the folder, owned by the chain; -1 with errno set on failure.
    int open(const std::string& folder, bool followFinalLink, bool reuseSame);
    // The descriptor of an open folder on the chain whose path is `folder`, or -1.
    [[nodiscard]] int openedAs(const std::string& folder) const;
    void trimChainTo(const std::string& folder);
    // Notes where the folder open as chain_.back() lies and answers whether
    // it is protected, taking what is known of its parent from the chain
    // unless the folder was reached through a final link. Sets the
    // listing's modification time and identity where the disk tells them.
    bool placeOpenFolder(const std::string& folder, bool throughLink, Listing& listing);

    // Lists the folder open as `fd` (which it owns) below `parent`, or as a
    // walk's top where `parent` is null, as listBelow says.
    FsResult<Listing> listOpen(int fd, const HeldDescriptor* parent, const std::string& folder,
                               std::unique_ptr<HeldFolder>* hold);
    // Places a folder below `parent` by its path (see MountsBelow).
    void placeByPath(int fd, const HeldDescriptor& parent, const std::string& folder, Listing& listing) const;

    std::deque<OpenFolder> chain_;
    std::vector<char> buffer_;
    bool needsModified_ = true;
};

} // namespace vacantix
