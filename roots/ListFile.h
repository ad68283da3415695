// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/ScanHooks.h"
#include "roots/FolderList.h"

namespace vacantix {

// Where a list's bytes come from: fills the buffer with up to its size in
// bytes and answers how many, 0 at the end of the list, or nothing when a
// stop was requested while it waited; throws the Failure of a failed read.
using ListSource = std::function<std::optional<std::size_t>(std::span<char>)>;

// Which listed paths a reading keeps.
enum class ListedFolders {
    Listable, // only folders that exist and can be listed (the window)
    All,      // every path, for a caller that reports missing ones itself
};

// What reading one list gave.
struct ListReading {
    std::vector<std::string> paths;        // in order, each with one trailing "/"
    std::optional<std::string> refusal;    // why nothing of the list may be used
    std::optional<Failure> failure;        // a read that failed after `paths`
    bool stopped = false;                  // a stop was requested; `paths` is empty
};

// Reads a list in chunks of bounded size. A line ends at CR, CR LF or the
// end of the list, and a lone LF inside a line separates further pieces of
// it; blank pieces are skipped, a leading UTF-8 byte-order mark is dropped,
// and paths are taken exactly as written otherwise. Yields to `hooks` before
// every line and every piece. A list with a NUL byte is no text, and a piece
// longer than the longest path `fs` can take is no path: reading stops at
// the first such byte or piece, with the reason (which names the line) and no
// paths, so no input holds more than one path and one chunk in memory.
[[nodiscard]] ListReading ReadList(const ListSource& source, FileSystem& fs, ScanHooks& hooks, ListedFolders kept);

// ReadList over the file `listFile`, opened for reading. Opening a FIFO
// waits for its writer until a stop is requested. Throws the Failure of a
// file that cannot be opened.
[[nodiscard]] ListReading ReadListFile(const std::string& listFile, FileSystem& fs, ScanHooks& hooks,
                                       ListedFolders kept);

// Reads one list file and appends to `roots` every folder it names that
// exists and can be listed (see ReadList). A file that does not exist gets
// the message "File not found"; a list that is refused gets one message
// naming the file and the reason, and adds nothing; a file that exists but
// cannot be read throws the Failure for its caller's trap (entries read
// before it are added).
void LoadListFile(FolderList& roots, const std::string& listFile, FileSystem& fs, Prompter& prompter,
                  ScanHooks& hooks);

// The rules of ReadList applied to text already read: appends every listed
// folder that exists and can be listed. Never shows a message and never
// throws; answers the reason when the text was refused (nothing added), else
// the empty text.
std::string LoadListText(FolderList& roots, std::string_view contents, FileSystem& fs, ScanHooks& hooks);

// Turns doubled separators into one, left to right without overlap; a leading
// run of separators becomes exactly one "/", but for the "//" that starts a
// network share's root on Windows ("//server/share/").
[[nodiscard]] std::string CollapseDoubleBackslashes(std::string_view path);

} // namespace vacantix
