// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/posix/Descriptor.h"

namespace vacantix {

// The freedesktop.org trash that takes the entries of one folder: the
// user's trash ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash) when the
// folder lies on its mount, else the trash at the top of the folder's own
// mount: $topdir/.Trash/$uid below a sticky $topdir/.Trash that is no
// link, else $topdir/.Trash-$uid. The trash folder, its info/ and files/
// are real folders (never links; the top-directory ones the user's own)
// on the folder's mount, so a move into it never crosses file systems. No
// trash is used on a mount the desktop keeps none on (tmpfs and other
// system file systems, bind mounts), nor when HOME or XDG_DATA_HOME is a
// relative path.
class TrashFolder {
public:
    // Whether missing folders of the trash are made or only checked.
    enum class Missing { Make, Check };

    // The trash for the entries of `folder`, open at its real path
    // `folderPath`. With Missing::Make the trash is made where it is missing
    // (mode 0700) and opened; with Missing::Check nothing changes on the
    // disk, and a trash that is missing in part is taken when it could be
    // made (its info() and files() are then -1). The failure says why no
    // trash can take them.
    [[nodiscard]] static FsResult<TrashFolder> For(int folder, const std::string& folderPath, Missing missing);

    [[nodiscard]] int info() const { return info_.get(); }
    [[nodiscard]] int files() const { return files_.get(); }
    [[nodiscard]] const std::string& path() const { return path_; }

    // What a record's Path= holds for an entry at the real path `original`:
    // the path itself in the user's trash, the part below the top folder in
    // a top-directory trash.
    [[nodiscard]] std::string recordedPath(const std::string& original) const;

private:
    TrashFolder(std::string path, std::string topdir) : path_(std::move(path)), topdir_(std::move(topdir)) {}

    static FsResult<TrashFolder> inHome(const std::string& dataHome, Missing missing);
    static FsResult<TrashFolder> atTop(int folder, const std::string& folderPath, Missing missing);
    // Opens (or checks) info/ and files/ of the trash open as `trash`.
    FsResult<Done> openParts(int trash, Missing missing);

    Descriptor info_;
    Descriptor files_;
    std::string path_;
    std::string topdir_; // empty for the user's trash
};

} // namespace vacantix
