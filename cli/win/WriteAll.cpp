// SPDX-License-Identifier: GPL-3.0-or-later
#include <cerrno>
#include <cstring>

#include "cli/OutputWriter.h"

namespace vacantix::cli {

// Windows interrupts no write for Ctrl-C: its handler runs on a thread of
// its own.
std::optional<std::string> WriteAll(std::FILE* stream, std::string_view bytes)
{
    if (std::fwrite(bytes.data(), 1, bytes.size(), stream) != bytes.size() || std::fflush(stream) != 0)
        return std::strerror(errno);
    return std::nullopt;
}

} // namespace vacantix::cli
