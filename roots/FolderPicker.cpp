// SPDX-License-Identifier: GPL-3.0-or-later
#include "roots/FolderPicker.h"

#include <string>

#include "base/ErrorReport.h"
#include "base/ProcedurePaths.h"
#include "platform/PathRoot.h"
#include "roots/ListFile.h"

namespace vacantix {

void AddOneFolder(FolderList& roots, Prompter& prompter)
{
    // The numbers are the error report's line numbers.
    Trap trap(prompter, kAddOneFolderPath);
    std::string path;
    trap.step(100, [&] { path = prompter.chooseFolder("Select Folder").value_or(std::string()) + "/"; });
    if (trap.test(102, [&] { return path.empty() || path == "/"; }))
        return;
    // A relative answer would be taken against whatever the current folder
    // is when the scan runs, which need not be the folder chosen.
    if (!IsAbsolutePath(path)) {
        trap.step(104, [&] { prompter.message(path + " is no absolute path; the folder was not added."); });
        return;
    }
    // Every choice is tidied ("/" + "/" gives "/" again); only Windows knows
    // network paths ("//server/share/").
    trap.step(108, [&] { roots.append(CollapseDoubleBackslashes(path)); });
}

} // namespace vacantix
