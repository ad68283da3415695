// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PlatformServices.h"
#include "platform/posix/PosixFileSystem.h"

namespace vacantix {

std::unique_ptr<FileSystem> MakeFileSystem()
{
    return std::make_unique<PosixFileSystem>();
}

} // namespace vacantix
