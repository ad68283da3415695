// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "scan/ExclusionRules.h"

namespace vacantix {

// Which folders at and below one root lie in a system tree (see
// IsInSystemFolder), by their real paths and by the paths as given, decided
// for the root once: below a root inside a system tree every folder is, and
// below one that holds no system tree none is. Only where a system tree lies
// below the root is a folder's path compared, and then only the part below
// the root.
class SystemTreesBelow {
public:
    // `root`: the root as `real` was made for.
    SystemTreesBelow(const FileSystem& fs, const RealRoot& real, const std::string& root);

    // True when `path` (the root or a folder below it, as given) lies in a
    // system tree by its real path, or by the path as given.
    [[nodiscard]] bool contain(std::string_view path) const;

private:
    void add(const FileSystem& fs, const std::string& root);

    std::size_t rootLength_;
    bool rootInside_ = false;
    // The system trees below the root, as the parts of their paths below it.
    std::vector<std::string> below_;
};

} // namespace vacantix
