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
    // There are no network paths here: a leading run of separators is the
    // root, so every choice is tidied ("/" + "/" gives "/" again).
    trap.step(108, [&] { roots.append(CollapseDoubleBackslashes(path)); });
}

} // namespace vacantix
