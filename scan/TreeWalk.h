// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"
#include "base/TimeSlice.h"

namespace vacantix {

// What a tree walk does after a visitor has seen a folder.
enum class WalkStep : std::uint8_t {
    Continue, // on into the folder (and, once it is listed, its subfolders)
    Prune,    // on with the rest of the tree, leaving this folder's tree out
    Stop,     // the walk ends here
};

// What a tree walk shows each folder it reaches.
class TreeVisitor {
public:
    virtual ~TreeVisitor() = default;

    // Before `folder` is listed; Prune leaves it unlisted.
    virtual WalkStep before(const std::string& folder)
    {
        (void)folder;
        return WalkStep::Continue;
    }

    // `folder` as listed, or why it could not be; Continue goes on into every
    // subfolder of the listing (and, after a failed listing, into none).
    virtual WalkStep listed(const std::string& folder, const FsResult<Listing>& listing) = 0;
};

// Walks the tree of `top` (`top` first) depth first, in pre-order, each
// folder's subfolders in listing order, on a stack of its own, so that no
// depth of tree overflows the call stack. Each folder is listed once, with
// FileSystem::list, after `slice` (when given) had its tick. Links are never
// entered: a listing names none among its subfolders. True when the walk went
// to its end; false when the visitor stopped it.
bool WalkTree(FileSystem& fs, const std::string& top, TreeVisitor& visitor, TimeSlice* slice = nullptr);

} // namespace vacantix
