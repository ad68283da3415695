// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <set>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Trash.h"

namespace vacantix::cli {

// The disk as a deletion would leave it, for --dry-run: a trash and a
// direct remover that only note what they would move or remove, over a view
// of the real disk in which everything noted, with all below it, is gone.
// A deletion run through it looks at every folder afresh as a real one does
// and ends each with the outcome it would have, while nothing on the disk
// changes: a folder below one that would go is already gone, and a removal
// that the real remover would refuse (a folder still holding an entry) is
// refused here too. What only the real trash or remover can tell (a trash
// that refuses, a removal the system denies) is not foreseen.
class DryRunDisk final : public FileSystem, public Trash, public DirectRemover {
public:
    // `trash` (none for a direct deletion) is the trash the real run uses.
    DryRunDisk(FileSystem& disk, Trash* trash) : disk_(disk), trash_(trash) {}

    // Trash and DirectRemover: the path is noted as gone, when it is there.
    FsResult<Done> moveToTrash(const std::string& path) override;
    FsResult<Done> removeEmptyFile(const std::string& path) override;
    FsResult<Done> removeJunkFile(const std::string& path) override;
    FsResult<Done> removeEmptyFolder(const std::string& path) override;

    // FileSystem: the real disk without what is noted as gone.
    FsResult<Listing> list(const std::string& folder) override;
    FsResult<Listing> listNamed(const std::string& folder) override;
    FsResult<int> attributes(const std::string& folder) override;
    FsResult<std::uint64_t> fileSize(const std::string& folder, const std::string& name) override;
    bool fileExists(const std::string& path) override { return !gone(path) && disk_.fileExists(path); }
    bool isDirectory(const std::string& path) override { return !gone(path) && disk_.isDirectory(path); }
    FsResult<std::string> realPath(const std::string& path) override;
    [[nodiscard]] bool reportsSystemAttribute() const override { return disk_.reportsSystemAttribute(); }
    bool isRootFolder(const std::string& folder) override { return disk_.isRootFolder(folder); }
    bool isProtected(const std::string& folder) override { return !gone(folder) && disk_.isProtected(folder); }
    FsResult<Done> createFolder(const std::string& path) override;
    void endWalk() override { disk_.endWalk(); }
    const std::vector<std::string>& systemFolders() const override { return disk_.systemFolders(); }
    std::size_t maxNameLength() const override { return disk_.maxNameLength(); }
    std::size_t maxPathLength() const override { return disk_.maxPathLength(); }

private:
    // True when the path or a folder above it is noted as gone.
    [[nodiscard]] bool gone(const std::string& path) const;
    FsResult<Listing> without(FsResult<Listing> listing, const std::string& folder) const;
    // Notes a regular file as gone, when it is there (and, if asked, empty).
    FsResult<Done> removeFile(const std::string& path, bool onlyWhenEmpty);

    FileSystem& disk_;
    Trash* trash_;
    std::set<std::string> gone_;
};

} // namespace vacantix::cli
