// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/ScanHooks.h"
#include "scan/ResultsList.h"
#include "scan/ScanRecord.h"
#include "settings/Settings.h"

namespace vacantix {

// Searches the tree below `folder` (an absolute path without trailing
// separator, "/" for the root; a final link the user named is followed) and
// appends, checked, every folder below it that looks empty, in depth-first
// pre-order, refreshing `results` after each append. A folder looks empty
// when it holds no entry but folders, or, while "Check1" is 1, when the
// regular files in and below it add up to 0 bytes; folders inside system
// trees (while "Check2" is not 0), hidden ones without files (while "Check3"
// is 1) and those on the ignore list, by name or by whole path, are not
// reported; nothing below an ignored folder is visited, and a tree that
// holds one holds content. A folder the platform keeps for itself (a mount
// point, lost+found at the top of a file system) is not reported and its
// tree holds content; what lies inside it is judged on its own. The run's
// command-line extras (Settings::extras), when set, add to this: a folder whose
// path matches an exclude pattern is treated as one on the ignore list, as
// one of the trash's own folders always is (the keptOut of the emptiness
// rule, see EmptinessRule), and under oneFileSystem a folder the platform
// keeps for itself is not entered (the root excepted). Options are
// read when each folder needs them. Symbolic links are never folders here:
// never reported, never entered.
//
// System trees and whole paths are judged on real paths (see RealRoot), and
// on the paths as given where those differ; a root whose real path cannot be
// found is searched no further than a root that cannot be read. Entries name
// folders by `folder` as given, followed by the names below it.
//
// Shows "Searching " + path for each folder it enters and leaves the last
// one shown. Asks `hooks` whether to stop before every subfolder (and while
// it adds up the bytes of a tree), and yields whenever 50 ms have passed.
// Permission denied while judging a folder counts as the answer that lets it
// be reported. Any other failure to list, size or read a folder keeps that
// folder out (what could not be read counts as content of its tree) and
// nothing more: its siblings are still judged and searched. A failure of
// anything else (an option, the ignore list) ends the search of the folder
// concerned, the folders above go on. Nothing is thrown and nothing reported.
//
// When `record` is given, each folder appended gets a slot there with what
// the search saw of its tree (see ScanRecord).
void SearchEmptyFoldersinFolder(FileSystem& fs, const Settings& settings, const std::string& folder,
                                ResultsList& results, ScanHooks& hooks, ScanRecord* record = nullptr);

} // namespace vacantix
