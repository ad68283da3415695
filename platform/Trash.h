// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace vacantix {

// The user's trash (the freedesktop.org trash on Linux, the recycle bin on
// Windows). Never throws across the platform boundary.
class Trash {
public:
    virtual ~Trash() = default;

    // Moves one file or folder, with everything inside it, to the trash,
    // asking nothing. On failure the path stays where it was: nothing is ever
    // deleted permanently instead, and the failure says why.
    virtual FsResult<Done> moveToTrash(const std::string& path) = 0;

    // The same for the file or folder a look found at `path` as `checked`,
    // and only for it: when what is at `path` now is another one, nothing
    // moves and the call fails with that reason. `root` is the folder above
    // it that the user named ("" for none): the links of the path are
    // followed up to there, and a link that appears below it leads nowhere.
    // A trash that cannot tell them apart moves what is at `path`.
    virtual FsResult<Done> moveCheckedToTrash(const std::string& path, const FileIdentity& checked,
                                              const std::string& root)
    {
        (void)checked;
        (void)root;
        return moveToTrash(path);
    }

    // Asks the trash what moveToTrash(path) would ask it (where the trash of
    // the file system of `path` is, whether it can be used, whether the move
    // would stay on one file system) and changes nothing. Done when nothing
    // it can foresee stands in the way; a trash that cannot tell says Done.
    virtual FsResult<Done> checkMoveToTrash(const std::string& path)
    {
        (void)path;
        return Done{};
    }
};

// A folder's tree as a fresh look found it: its folders, each with the
// identity the look saw, and the files in them that may be removed.
struct CheckedTree {
    struct Folder {
        std::string path;
        std::size_t parent = 0; // the index of the folder holding it; the top's is 0
        std::optional<FileIdentity> identity;
    };
    struct File {
        std::size_t folder = 0; // the index of the folder holding it
        std::string name;
        bool litter = false; // removed whatever it holds, since the user named it; else only while it has 0 bytes
    };
    std::vector<Folder> folders; // the top first, every folder before the folders inside it
    std::vector<File> files;
    // The folder above it that the user named ("" for none): the links of
    // the top's path are followed up to there and no further.
    std::string root;
};

// Where a removal stopped, and why.
struct RemovalFailure {
    std::string path;
    FsFailure failure;
};

// Deletion without the trash, limited to what is empty. Never throws across
// the platform boundary; never follows a symbolic link.
class DirectRemover {
public:
    virtual ~DirectRemover() = default;

    // Removes one regular file of 0 bytes. Refuses, and leaves in place,
    // anything else: a file with content, a link, a folder, a device.
    virtual FsResult<Done> removeEmptyFile(const std::string& path) = 0;

    // Removes one regular file whatever it holds, the user having named it
    // as litter; refuses anything else, as removeEmptyFile does. A remover
    // that cannot check what it removes refuses every file.
    virtual FsResult<Done> removeJunkFile(const std::string& path)
    {
        (void)path;
        return FsFailure{FsError::Other, "litter files cannot be removed here"};
    }

    // Removes one folder that holds nothing. Refuses a folder with any entry
    // in it, and anything that is not a folder.
    virtual FsResult<Done> removeEmptyFolder(const std::string& path) = 0;

    // Removes a tree as a look found it: its files, then its folders from
    // the deepest up, each removal refusing what it refuses above. Stops at
    // the first entry it cannot remove and names it; nullopt when all went.
    // `beforeEach` runs before each removal. A remover that works from the
    // descriptors of the folders the look saw removes nothing in a folder
    // that is not one of them; this default removes each entry by its path.
    virtual std::optional<RemovalFailure> removeTree(const CheckedTree& tree, const std::function<void()>& beforeEach);
};

// The platform's direct remover.
[[nodiscard]] std::unique_ptr<DirectRemover> MakeDirectRemover();

} // namespace vacantix
