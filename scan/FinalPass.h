// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/ScanHooks.h"
#include "results/ResultsList.h"
#include "scan/ScanRecord.h"
#include "settings/Settings.h"

namespace vacantix {

// True when the folder's tree holds content, looking at the disk afresh:
// any entry that is not a folder (a regular file of 0 bytes excepted while
// "Check1" is 1), any folder of the tree that could not be listed or is
// not entered (a refused name, a path too long, permission denied, vanished,
// any listing error, a folder the platform keeps for itself such as a mount
// point or lost+found at the top of a file system), or any folder of the
// tree on the ignore list, by name or by whole path, matching an exclude
// pattern of the run's extras (see Settings::extras), or of the trash's own
// (see RealRoot::inTrash): a folder on the list is kept, and so is every
// folder that would take it along. Whole paths are matched on the real path (the
// tested folder's, resolved once, see RealRoot) and on the path as given; a
// folder whose real path cannot be found holds content. A path on the
// ignore list holds content without looking. Used before a folder is deleted; yields to `hooks` as it walks.
[[nodiscard]] bool HoldsContent(FileSystem& fs, const Settings& settings, const std::string& path,
                                ScanHooks& hooks);

// The final pass of a scan run: removes every results entry whose folder
// holds content by the rules of HoldsContent, visiting the entries from the
// last to the first; the others keep their order and check marks. Where
// `record` (from the search of the same run) already knows an entry's tree,
// that tree is not read again; within the pass each tree is read at most
// once and no further than its first content. "Check1" is read once, when
// the pass starts. Yields whenever 50 ms have passed, from the first entry
// read, and once more before the first entry is judged.
// Failures met before a tree is read are shown as error reports through
// `prompter`; every other failure just makes the answer "holds content". A
// failure of the results list itself is thrown to the caller.
void RemoveFoldersWithFiles(FileSystem& fs, const Settings& settings, ResultsList& results, ScanHooks& hooks,
                            Prompter& prompter, const ScanRecord* record = nullptr);

// The enumeration step of the emptiness test: appends to `walk` the path of
// every direct subfolder of `folder` (as read in `listing`), in listing
// order. False as soon as a subfolder has a name the walk refuses to follow
// (see IsRefusedSubfolderName): what lies below it cannot be vouched for, so
// the tree holds content.
[[nodiscard]] bool GetSubDirectories2016(const FileSystem& fs, const std::string& folder, const Listing& listing,
                                         std::vector<std::string>& walk);

// The entries of `folder` (as read in `listing`) that count as files, at most
// `atMost` of them: every entry that is not a folder, whether it can be
// opened or not (links, sockets and devices too), except regular files of 0
// bytes while `zeroByteFilesCount` is false. Entries that need no size look
// come first. Empty when the folder holds no file that counts.
[[nodiscard]] std::vector<std::string> ListFilesInFolder(FileSystem& fs, const std::string& folder,
                                                         const Listing& listing, bool zeroByteFilesCount,
                                                         std::size_t atMost = SIZE_MAX);

} // namespace vacantix
