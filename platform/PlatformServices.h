// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "platform/FileSystem.h"
#include "platform/Trash.h"

namespace vacantix {

// The platform's file system, for a program to hand to the engine: the
// POSIX one on Linux, the Win32 one on Windows.
[[nodiscard]] std::unique_ptr<FileSystem> MakeFileSystem();

// The platform's trash: the desktop's trash (GIO) on Linux, the recycle bin
// on Windows. (The direct remover comes from MakeDirectRemover.)
[[nodiscard]] std::unique_ptr<Trash> MakeTrash();

} // namespace vacantix
