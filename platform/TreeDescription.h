// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vacantix {

// One entry of a tree description: the compact form in which test trees,
// in memory or on disk, are written down.
struct DescribedEntry {
    enum class Kind : std::uint8_t { Folder, File, Link, Other };

    Kind kind = Kind::Folder;
    std::string path;        // relative to the tree's root, no trailing separator
    std::uint64_t bytes = 1; // of a file
    std::string target;      // of a link, as written
};

// Reads a description, one entry per line:
//   "A/B/"         a folder (missing parents are made)
//   "A/f"          a file of 1 byte; "A/f:0", "A/f:123" give the size
//   "A/l->target"  a symbolic link to `target`, as written
//   "A/p!"         another kind of entry (a socket, FIFO or device)
// Blank lines are skipped; blanks around a line are dropped. A size that
// is not all decimal digits throws std::invalid_argument, one beyond 64 bits
// std::out_of_range.
[[nodiscard]] std::vector<DescribedEntry> ParseTreeDescription(std::string_view description);

} // namespace vacantix
