// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliRun.h"
#include "results/Deletion.h"

namespace vacantix::cli {

// How --trash or --delete deals with the results.
struct Disposal {
    bool directly = false;           // --delete: removed if still empty, never sent to the trash
    bool zeroByteFilesAsked = false; // --zero-byte-empty 1 on this command line: --delete removes them
    bool dryRun = false;             // --dry-run: nothing is moved or removed
    std::vector<std::string> roots;  // the folders scanned (see DeletionContext::roots)
};

// Acts on every result as the window's "Send Checked To Recycle Bin" does on
// checked entries: each folder is looked at afresh and goes to the trash (or,
// when deleting directly, is deleted if still empty). Deleting directly
// removes zero-byte files only when they were asked for: otherwise a folder
// holding them is kept, with a reason that says how to have them deleted. A
// stop signal stops it once the folder at hand is done. In a dry run nothing
// is moved or removed: each folder ends as it would (see DryRunDisk).
[[nodiscard]] DeletionSummary DisposeOfResults(ResultsList& results, Settings& settings, CliServices& services,
                                               const Disposal& disposal);

// Says on standard error what DisposeOfResults did: in a dry run what would
// happen to each folder, then each folder not deleted with the reason
// (shell-quoted as results are), a line of counts, and after a stop signal
// how many folders were left as they were.
void ReportDisposal(const DeletionSummary& summary, const Disposal& disposal, CliServices& services);

} // namespace vacantix::cli
