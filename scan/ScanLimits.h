// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vacantix {

class RealRoot;

// Limits a run may set beside its options, for the command line only; the
// window never sets any. Read by the search, the final pass and the
// re-check before deletion alike (see Settings::scanLimits).
struct ScanLimits {
    // The search does not enter a folder another file system is mounted on,
    // bind mounts included (see FileSystem::isProtected; lost+found at the
    // top of a file system is kept out with them); such a folder holds
    // content, as it always does.
    bool oneFileSystem = false;
    // Glob patterns of whole paths (see PathMatchesGlob): a folder matching
    // one is neither searched nor offered, and its tree holds content.
    std::vector<std::string> excludes;
};

// True when `path` (the root of `real` or a folder below it, as given)
// matches a pattern of `limits`: its real path, or the path as given where
// that differs, so that no spelling of a path leads around a pattern. False
// without limits.
[[nodiscard]] bool IsExcludedPath(const ScanLimits* limits, const RealRoot& real, std::string_view path);

} // namespace vacantix
