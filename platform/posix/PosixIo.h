// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

#include "platform/posix/Descriptor.h"

// The few POSIX steps that user data depends on, each written once, in its
// safe form. Functions answer 0 or the errno of the step that failed.
namespace vacantix {

// Writes all of `bytes` to `fd`, going on after short writes and after
// interruptions by a signal. A write that takes no byte is ENOSPC (it would
// take none the next time either).
[[nodiscard]] int WriteAll(int fd, std::string_view bytes);

// Renames `from` in the folder `fromFolder` to `to` in `toFolder`, never
// replacing anything at `to` (EEXIST then): renameat2 with RENAME_NOREPLACE,
// or, on a file system without it, a hard link followed by the removal of
// the old name (a folder, which cannot be linked, is renamed over an empty
// folder made for it at `to`). What is at `to` is never looked at first and
// then replaced. On failure `from` keeps its name (after a failed removal of
// the old name, the file has both).
[[nodiscard]] int RenameWithoutReplacing(int fromFolder, const char* from, int toFolder, const char* to);

// What ReplaceThroughTemporary did.
struct Replacement {
    int error = 0;        // 0 when all went well
    bool inPlace = false; // the new bytes are at `name`, though the folder's sync may have failed
};

// Makes `name` in `folder` hold exactly `bytes`: they are written to a fresh
// temporary file beside it, which is synced, renamed over `name`, and then
// the folder is synced, so that a reader or a crash finds the old bytes or
// the new ones, never a part. With `keep`, the file takes its mode and, where
// the rights allow, its owner; without, it is made with 0666 less the umask.
// On a failure before the rename the temporary file is removed and `name`
// is untouched.
[[nodiscard]] Replacement ReplaceThroughTemporary(int folder, const std::string& name, std::string_view bytes,
                                                  const struct stat* keep);

// Opens the folder at the absolute `path` one folder at a time from "/",
// never following a symbolic link (O_NOFOLLOW | O_DIRECTORY on each part),
// so that the descriptor is of the folder that is at exactly that path now.
// The descriptor serves the *at calls only (O_PATH); reopen it to read. A
// link or file on the way fails (ENOTDIR); "." parts are skipped and ".."
// is refused (EINVAL). An invalid descriptor with errno set on failure.
[[nodiscard]] Descriptor OpenFolderWithoutLinks(std::string_view path);

// A folder opened by ReachFolder, and the real path it was opened at.
struct ReachedFolder {
    Descriptor fd;
    std::string realPath;
};

// Opens the folder at `path` as OpenFolderWithoutLinks does, after the
// system has resolved the part of it that may hold links: `root` (a folder
// above it, as the user named it) when given, else the whole path. So a link
// that appears below the root never leads anywhere. An invalid descriptor
// with errno set on failure.
[[nodiscard]] ReachedFolder ReachFolder(const std::string& path, const std::string& root);

// The names of the entries of the folder open as `folder`, "." and ".."
// left out, as many as could be read.
[[nodiscard]] std::vector<std::string> NamesIn(int folder);

// What `name` in `folder` is (the folder itself for ""), without following
// a final link; nullopt with errno set when it cannot be looked at.
[[nodiscard]] std::optional<struct stat> LookAt(int folder, const char* name);

} // namespace vacantix
