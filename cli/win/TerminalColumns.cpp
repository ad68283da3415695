// SPDX-License-Identifier: GPL-3.0-or-later
#include <io.h>

#include <windows.h>

#include "cli/Program.h"

namespace vacantix::cli {

std::size_t TerminalColumns(std::FILE* stream)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(handle, &info))
        return 0;
    return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

} // namespace vacantix::cli
