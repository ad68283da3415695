// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/ScanHooks.h"
#include "scan/ResultsList.h"
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

// The entries of `folder` (as read in `listing`) that are not folders, as
// the emptiness test and a direct removal see them. Any such entry counts as
// a file, whether it can be opened or not (links, sockets and devices too),
// except the regular files `extras` name as litter (of any size) and, while
// `zeroByteFilesCount` is false, regular files of 0 bytes. Entries that need
// no look at their size come first, and the first that counts ends the look.
struct FolderFiles {
    std::optional<std::string> counted; // the name of a file that counts, if any
    std::optional<FsFailure> unsized;   // why its size could not be read, when that made it count
    // Until a file counts: the regular files of 0 bytes that do not, and the litter.
    std::vector<std::string> zeroBytes;
    std::vector<std::string> litter;
};
[[nodiscard]] FolderFiles ListFilesInFolder(FileSystem& fs, const std::string& folder, const Listing& listing,
                                            bool zeroByteFilesCount, const ScanExtras* extras);

} // namespace vacantix
