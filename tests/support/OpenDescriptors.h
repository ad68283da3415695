// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <filesystem>
#include <iterator>

namespace vacantix::test {

// How many file descriptors this process has open now.
inline std::size_t OpenDescriptorCount()
{
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator{}));
}

} // namespace vacantix::test
