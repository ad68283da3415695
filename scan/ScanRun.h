// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

#include "base/ErrorReport.h"
#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/ScanHooks.h"
#include "roots/FolderList.h"
#include "scan/ResultsList.h"
#include "settings/Settings.h"

namespace vacantix {

struct ScanSummary;

// Everything a scan run works with. The window binds its lists and the
// event loop; the command line binds lists in memory.
struct ScanEnvironment {
    FileSystem& fs;
    Settings& settings;
    FolderList& roots;
    ResultsList& results;
    ScanHooks& hooks;
    Prompter& prompter;
    // The text of the closing box; unset, it is "Done.".
    std::function<std::string(const ScanSummary&)> closingText = {};
};

// What a run did, for callers that summarise (the command line's exit status).
struct ScanSummary {
    int missingRoots = 0;   // roots reported as "folder does not exist."
    int rootsSearched = 0;
    bool stopped = false;   // the stop flag ended the search early
};

// One scan run over the folder list, as the scan button drives it once it
// has found at least one root: clears the results, searches each root in
// order (yielding once before each, leaving the loop when a stop was
// requested, reporting a root that is no folder), puts the header text back,
// runs the final pass and shows "Done." (or the environment's closingText).
// Failures are reported under `trap`
// with the button's step numbers (110 to 136).
ScanSummary RunScan(ScanEnvironment& env, Trap& trap);

} // namespace vacantix
