// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstring>

#include "cli/OutputWriter.h"
#include "platform/posix/PosixIo.h"

namespace vacantix::cli {

std::optional<std::string> WriteAll(std::FILE* stream, std::string_view bytes)
{
    if (const int error = vacantix::WriteAll(fileno(stream), bytes))
        return std::strerror(error);
    return std::nullopt;
}

} // namespace vacantix::cli
