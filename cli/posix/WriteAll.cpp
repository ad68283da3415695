// SPDX-License-Identifier: GPL-3.0-or-later
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "cli/OutputWriter.h"

namespace vacantix::cli {

std::optional<std::string> WriteAll(std::FILE* stream, std::string_view bytes)
{
    const int fd = fileno(stream);
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) // a write of nothing would loop for ever
            return std::strerror(written < 0 ? errno : EIO);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return std::nullopt;
}

} // namespace vacantix::cli
