// SPDX-License-Identifier: GPL-3.0-or-later
// The file system and the trash the programs use on Windows.
#include "platform/PlatformServices.h"
#include "platform/win/RecycleBin.h"
#include "platform/win/WinFileSystem.h"

namespace vacantix {

std::unique_ptr<FileSystem> MakeFileSystem()
{
    return std::make_unique<WinFileSystem>();
}

std::unique_ptr<Trash> MakeTrash()
{
    return std::make_unique<RecycleBin>();
}

} // namespace vacantix
