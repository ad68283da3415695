// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/posix/Descriptor.h"

namespace vacantix {

// A folder ".vacantix-removing-XXXXXXXX" (eight random hex digits) that the
// direct remover makes beside a file it removes and moves the file into
// while it checks it. It is locked (flock) for as long as its remover
// works, so that a live run's holding folder is told apart from one left
// by a run that was killed.
class HoldingFolder {
public:
    // Makes a fresh holding folder in `folder` (mode 0700) and locks it.
    [[nodiscard]] static FsResult<HoldingFolder> Make(int folder);

    // True for a name a holding folder has.
    [[nodiscard]] static bool IsHoldingName(std::string_view name);

    // Puts back what a killed run left in the holding folder `name` of the
    // folder open as `folder` (at `folderPath`): each entry goes back to
    // `folder` under its own name, never over an entry that has the name
    // now, and the holding folder goes once empty. Says what it did, and
    // what it left, through PostNotice. Leaves a locked holding folder (a
    // live run's) alone. True when the holding folder is gone.
    static bool PutBack(int folder, const std::string& folderPath, const std::string& name);

    [[nodiscard]] int fd() const { return fd_.get(); }
    [[nodiscard]] const std::string& name() const { return name_; }

private:
    HoldingFolder(Descriptor fd, std::string name) : fd_(std::move(fd)), name_(std::move(name)) {}

    Descriptor fd_; // holds the lock
    std::string name_;
};

} // namespace vacantix
