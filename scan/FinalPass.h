// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/ScanHooks.h"
#include "scan/ResultsList.h"
#include "scan/ScanRecord.h"
#include "settings/Settings.h"

namespace vacantix {

// True when the folder's tree holds content by the emptiness rule (see
// EmptinessRule), looking at the disk afresh: every entry that is not a
// folder counts (a regular file of 0 bytes only while "Check1" is not 1),
// and so does every folder of the tree the walk cannot list (a path too
// long) or the rule keeps or cannot vouch for. Whole paths are matched on
// the tested folder's real path, resolved once, and on the path as given; a
// folder whose real path cannot be found holds content. A path on the
// ignore list holds content without looking. Used before a folder is
// deleted; yields to `hooks` as it walks.
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

} // namespace vacantix
