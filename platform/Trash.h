// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

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
    // moves and the call fails with that reason. A trash that cannot tell
    // them apart moves what is at `path`.
    virtual FsResult<Done> moveCheckedToTrash(const std::string& path, const FileIdentity& checked)
    {
        (void)checked;
        return moveToTrash(path);
    }
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
};

// The platform's direct remover.
[[nodiscard]] std::unique_ptr<DirectRemover> MakeDirectRemover();

} // namespace vacantix
