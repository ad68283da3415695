// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/ScanHooks.h"
#include "roots/FolderList.h"

namespace vacantix {

// Reads one list file and appends to `roots` every folder it names that
// exists and can be listed, each with one trailing "/". A line ends at CR,
// CR LF or LF; blank lines (and the empty piece after a final line end) are
// skipped, a leading UTF-8 byte-order mark is dropped, and paths are taken
// exactly as written otherwise. Yields to `hooks` before every line and every
// piece. A file that does not exist gets the message "File not found"; a file
// that exists but cannot be read throws the Failure for its caller's trap
// (entries added before it stay).
void LoadListFile(FolderList& roots, const std::string& listFile, FileSystem& fs, Prompter& prompter,
                  ScanHooks& hooks);

// The line rules of LoadListFile applied to text already read (a list that
// arrives on standard input): appends every listed folder that exists and
// can be listed. Never shows a message; nothing here throws.
void LoadListText(FolderList& roots, std::string_view contents, FileSystem& fs, ScanHooks& hooks);

// Turns doubled separators into one, left to right without overlap; a leading
// run of separators becomes exactly one "/" (there are no network paths).
[[nodiscard]] std::string CollapseDoubleBackslashes(std::string_view path);

} // namespace vacantix
