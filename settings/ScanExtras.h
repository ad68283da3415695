// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vacantix {

// Choices of one command-line run that the window never makes: the search,
// the final pass and the fresh look before deletion read them through the
// Settings they are given. Absent (the window's case), nothing changes.
struct ScanExtras {
    // Names of regular files that count as litter, not content: exact names
    // compared without letter case, or "._*" for every name starting "._".
    std::vector<std::string> junkNames;

    // The names --junk-default stands for.
    static const std::vector<std::string>& defaultJunkNames();

    // True when a regular file called `name` is litter.
    [[nodiscard]] bool isJunk(std::string_view name) const;
};

// True when `extras` is given and names `name` as litter.
[[nodiscard]] inline bool IsJunkFile(const ScanExtras* extras, std::string_view name)
{
    return extras && extras->isJunk(name);
}

} // namespace vacantix
