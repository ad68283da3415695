// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/ScanRun.h"

#include "platform/PathRoot.h"
#include "scan/FinalPass.h"
#include "scan/ScanRecord.h"
#include "scan/Search.h"

namespace vacantix {

ScanSummary RunScan(ScanEnvironment& env, Trap& trap)
{
    ScanSummary summary;
    ScanRecord record;

    // The numbers are the error report's line numbers.
    trap.step(110, [&] { env.results.clear(); });
    const std::size_t roots = trap.value(114, [&] { return env.roots.count(); }, std::size_t{0});
    for (std::size_t position = 1; position <= roots; ++position) {
        trap.step(116, [&] { env.hooks.yield(); });
        if (trap.test(118, [&] { return env.hooks.stopRequested(); })) {
            summary.stopped = true;
            break;
        }
        std::string root;
        trap.step(120, [&] { root = env.roots.text(position); });
        if (trap.test(122, [&] { return env.fs.isDirectory(root); })) {
            const std::string folder = WithoutTrailingSeparator(root);
            trap.step(126, [&] {
                SearchEmptyFoldersinFolder(env.fs, env.settings, folder, env.results, env.hooks, &record);
            });
            ++summary.rootsSearched;
        } else {
            trap.step(128, [&] { env.prompter.message(ToNativePath(root) + " folder does not exist."); });
            ++summary.missingRoots;
        }
    }
    if (!summary.stopped)
        summary.stopped = env.hooks.stopRequested();

    trap.step(132, [&] { env.roots.setHeaderText(std::string(kFolderListHeader)); });
    trap.step(134, [&] {
        RemoveFoldersWithFiles(env.fs, env.settings, env.results, env.hooks, env.prompter, &record);
    });
    trap.step(136, [&] { env.prompter.message(env.closingText ? env.closingText(summary) : std::string("Done.")); });
    return summary;
}

} // namespace vacantix
