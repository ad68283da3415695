// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Trash.h"

namespace vacantix {

std::optional<RemovalFailure> DirectRemover::removeTree(const CheckedTree& tree,
                                                        const std::function<void()>& beforeEach)
{
    for (const CheckedTree::File& file : tree.files) {
        beforeEach();
        const std::string path = ChildPath(tree.folders[file.folder].path, file.name);
        if (auto removed = file.litter ? removeJunkFile(path) : removeEmptyFile(path); !removed)
            return RemovalFailure{path, removed.failure()};
    }
    for (auto it = tree.folders.rbegin(); it != tree.folders.rend(); ++it) {
        beforeEach();
        if (auto removed = removeEmptyFolder(it->path); !removed)
            return RemovalFailure{it->path, removed.failure()};
    }
    return std::nullopt;
}

} // namespace vacantix
