// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/ScanHooks.h"
#include "results/ResultsList.h"
#include "scan/ScanRecord.h"
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

// The final pass of a scan run: removes every results entry whose folder
// holds content by the rules of HoldsContent, visiting the entries from the
// last to the first; the others keep their order and check marks. Where
// `record` (from the search of the same run) already knows an entry's tree,
// that tree is not read again; within the pass each tree is read at most
// once and no further than its first content. "Check1" is read once, when
// the pass starts. Yields once when it starts and whenever 50 ms have passed.
// Failures met before a tree is read are shown as error reports through
// `prompter`; every other failure just makes the answer "holds content". A
// failure of the results list itself is thrown to the caller.
void RemoveFoldersWithFiles(FileSystem& fs, const Settings& settings, ResultsList& results, ScanHooks& hooks,
                            Prompter& prompter, const ScanRecord* record = nullptr);

} // namespace vacantix
