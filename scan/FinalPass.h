// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/ScanHooks.h"
#include "settings/Settings.h"

namespace vacantix {

// True when the folder's tree holds content, looking at the disk afresh:
// any entry that is not a folder (a regular file of 0 bytes excepted while
// "Check1" is 1), or any folder of the tree that could not be listed or is
// not entered (a refused name, a path too long, permission denied, vanished,
// any listing error). A path on the ignore list holds content without
// looking. Used before a folder is deleted; yields to `hooks` as it walks.
[[nodiscard]] bool HoldsContent(FileSystem& fs, const Settings& settings, const std::string& path,
                                ScanHooks& hooks);

} // namespace vacantix
