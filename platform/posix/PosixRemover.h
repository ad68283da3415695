// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

#include "platform/Trash.h"

namespace vacantix {

// Direct deletion with unlinkat(2), relative to descriptors of folders
// reached without following a link (a checked tree's folders through
// CheckedFolders, so that nothing outside the tree looked at is touched).
//
// A zero-byte file is first moved out of reach into a fresh holding folder
// ".vacantix-removing-XXXXXXXX" made beside it (same file system, mode 0700),
// checked there through an open descriptor (the same file as first looked
// at, still a regular file of 0 bytes) and only then unlinked. A file that
// changed is moved back under its own name. Should the program die midway,
// the file is either in its place or in that holding folder, under its own
// name, and the next listing of its folder puts it back (see HoldingFolder).
class PosixRemover final : public DirectRemover {
public:
    PosixRemover() = default;
    // `betweenCheckAndRemoval` runs after a file was first found to be a
    // zero-byte regular file and before anything is done to it, with the
    // file's path: tests change the file there.
    explicit PosixRemover(std::function<void(const std::string&)> betweenCheckAndRemoval)
        : betweenCheckAndRemoval_(std::move(betweenCheckAndRemoval))
    {
    }

    FsResult<Done> removeEmptyFile(const std::string& path) override;
    FsResult<Done> removeEmptyFolder(const std::string& path) override;
    // The same checked removal, whatever the file holds.
    FsResult<Done> removeJunkFile(const std::string& path) override;
    std::optional<RemovalFailure> removeTree(const CheckedTree& tree, const std::function<void()>& beforeEach) override;

private:
    FsResult<Done> removeRegularFile(const std::string& path, bool onlyEmpty);
    // The checked removal of the regular file `name` of `folder`, at `path`.
    FsResult<Done> removeFileIn(int folder, const std::string& name, const std::string& path, bool onlyEmpty);

    std::function<void(const std::string&)> betweenCheckAndRemoval_;
};

} // namespace vacantix
