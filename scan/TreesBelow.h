// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "scan/ExclusionRules.h"

namespace vacantix {

// Which folders at and below one root lie in one of some trees (the system
// trees): a folder lies in a tree when its path is the tree's or starts with
// it and "/" (see IsWithin). Decided for the root once: below a root inside
// a tree every folder is, and below one that holds no tree none is. Only
// where a tree lies below the root is a folder's path compared, and then
// only the part below the root.
class TreesBelow {
public:
    // `trees`: absolute paths; `root`: the root as `real` was made for.
    // Folders are judged by their real paths and by the paths as given.
    TreesBelow(const std::vector<std::string>& trees, const RealRoot& real, const std::string& root);

    // True when `path` (the root or a folder below it, as given) lies in a
    // tree.
    [[nodiscard]] bool contain(std::string_view path) const;

private:
    void add(const std::vector<std::string>& trees, const std::string& root);

    std::size_t rootLength_;
    bool rootInside_ = false;
    // The trees below the root, as the parts of their paths below it.
    std::vector<std::string> below_;
};

} // namespace vacantix
