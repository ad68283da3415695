// SPDX-License-Identifier: GPL-3.0-or-later
#include "roots/FolderPicker.h"

#include <string>

#include "base/ErrorReport.h"
#include "roots/ListFile.h"

namespace vacantix {

void AddOneFolder(FolderList& roots, Prompter& prompter)
{
    Trap trap(prompter, kAddOneFolderPath);
    std::string path;
    trap.step(100, [&] { path = prompter.chooseFolder("Select Folder").value_or(std::string()) + "/"; });
    if (trap.test(102, [&] { return path.empty() || path == "/"; }))
        return;
    // A relative answer would be taken against whatever the current folder
    // is when the scan runs, which need not be the folder chosen.
    if (!path.starts_with('/')) {
        trap.step(104, [&] { prompter.message(path + " is no absolute path; the folder was not added."); });
        return;
    }
    // There are no network paths here: a leading run of separators is the
    // root, so every choice is tidied ("/" + "/" gives "/" again).
    trap.step(108, [&] { roots.append(CollapseDoubleBackslashes(path)); });
}

} // namespace vacantix
