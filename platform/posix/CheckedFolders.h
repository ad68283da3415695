// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/Trash.h"
#include "platform/posix/Descriptor.h"

namespace vacantix {

// Descriptors of the folders of a checked tree, for removing what is in
// them. The top is reached from "/" along the real path of the folder
// holding it, and every folder below from the folder holding it, each
// without following a link; a folder is taken only when it is the one the
// look saw. So nothing reached here is outside the tree that was looked at.
//
// The descriptors along one path of the tree stay open (the deepest few
// dozen, the top and the folder holding the top), so that a walk over the
// tree in pre-order or its reverse opens each folder about once, however
// deep the tree is.
class CheckedFolders {
public:
    explicit CheckedFolders(const CheckedTree& tree) : tree_(tree) {}

    // The descriptor of the folder at `index` of the tree, or the failure.
    [[nodiscard]] FsResult<int> open(std::size_t index);

    // Removes the folder at `index`, which must be empty, from the folder
    // holding it, once the name there still is that folder.
    [[nodiscard]] FsResult<Done> removeFolder(std::size_t index);

    // How many descriptors below the top stay open at most.
    static constexpr std::size_t kMaxHeld = 32;

private:
    // The folder holding the top, and the top, opened once.
    FsResult<Done> openTop();
    // Whether the folder open as `fd` is the folder at `index` as the look saw it.
    [[nodiscard]] bool isChecked(int fd, const char* name, std::size_t index) const;

    const CheckedTree& tree_;
    Descriptor aboveTop_;
    std::vector<std::pair<std::size_t, Descriptor>> path_; // from the top down; closed ones are invalid
};

} // namespace vacantix
