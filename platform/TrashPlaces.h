// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vacantix {

// Where the desktop's trash (freedesktop.org) keeps its own folders: what
// they hold can only be brought back through the trash, so the engine never
// offers, deletes or sends them, nor any folder that holds one.

// The places of the user's home trash, as absolute paths that may not exist:
// $XDG_DATA_HOME/Trash, and $HOME/.local/share/Trash where that differs (the
// trash of a session that sets no XDG_DATA_HOME). A variable that is unset,
// empty or relative names no place. None on Windows, whose recycle bins are
// kept out by their attributes.
[[nodiscard]] std::vector<std::string> HomeTrashFolders();

// True for the name of a top-directory trash, of any user: ".Trash" (which
// holds one folder per user) or ".Trash-" followed by a user number.
[[nodiscard]] bool IsTrashFolderName(std::string_view name);

} // namespace vacantix
