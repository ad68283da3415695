// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Disposal.h"

#include <optional>

#include "base/ProcedurePaths.h"
#include "cli/DryRun.h"
#include "cli/Interrupt.h"
#include "platform/PathRoot.h"
#include "platform/ShellQuote.h"
#include "scan/FinalPass.h"

namespace vacantix::cli {

namespace {

// The run's hooks as deletion sees them: a stop signal asks it to stop
// between two folders, but nothing in it yields to the run's hooks, whose
// yield ends the program at once after a stop signal, in the middle of a
// folder.
class BetweenFolders final : public ScanHooks {
public:
    explicit BetweenFolders(ScanHooks& run) : run_(run) {}
    bool stopRequested() override { return run_.stopRequested(); }

private:
    ScanHooks& run_;
};

std::string_view SentAs(const Disposal& disposal)
{
    if (disposal.dryRun)
        return disposal.directly ? "would be deleted" : "would be sent to the trash";
    return disposal.directly ? "deleted" : "sent to the trash";
}

// The dry run's line for each folder that would go, or would be gone by
// the time its turn came.
void ReportForetold(const DeletionSummary& summary, const Disposal& disposal, CliPrompter& prompter)
{
    for (const DeletionRecord& record : summary.records) {
        const std::string path = ShellQuoted(ToNativePath(record.path));
        if (record.result.outcome == DeletionOutcome::Sent)
            prompter.note(path + ": " + std::string(SentAs(disposal)));
        else if (record.result.outcome == DeletionOutcome::AlreadyGone)
            prompter.note(path + ": already gone by then");
    }
}

} // namespace

DeletionSummary DisposeOfResults(ResultsList& results, Settings& settings, CliServices& services,
                                 const Disposal& disposal)
{
    std::optional<DryRunDisk> dry;
    if (disposal.dryRun)
        dry.emplace(services.fs, services.trash);
    FileSystem& fs = dry ? static_cast<FileSystem&>(*dry) : services.fs;
    // The fresh look gets hooks that never stop: a folder at hand is always
    // finished.
    ScanHooks still;
    DeletionContext context{fs, settings, dry ? static_cast<Trash&>(*dry) : *services.trash,
                            dry ? static_cast<DirectRemover&>(*dry) : *services.remover,
                            [&](const std::string& path) { return HoldsContent(fs, settings, path, still); }};
    context.roots = disposal.roots;
    if (!disposal.zeroByteFilesAsked)
        context.zeroByteFilesKeptBecause = "holds zero-byte files; give --zero-byte-empty 1 to delete them";
    // The numbers are the error report's line numbers.
    Trap trap(services.prompter, kSendCheckedPath);
    BetweenFolders progress(services.hooks);
    return DeleteCheckedEntries(results, context, trap, progress);
}

void ReportDisposal(const DeletionSummary& summary, const Disposal& disposal, CliServices& services)
{
    if (disposal.dryRun)
        ReportForetold(summary, disposal, services.prompter);
    DeletionSummary shown = summary;
    for (DeletionRecord& record : shown.records)
        record.path = ShellQuoted(ToNativePath(record.path));
    for (const std::string& line : NotDeletedLines(shown))
        services.prompter.message(line);
    const std::string counts = DeletionCountsLine(summary, SentAs(disposal));
    services.prompter.note(disposal.dryRun ? "dry run, nothing changed: " + counts : counts);
    if (summary.stopped) {
        const std::size_t left = summary.chosen - summary.records.size();
        services.prompter.note("stopped by " + std::string(StopSignalName(services.hooks.stopSignal())) + "; " +
                               std::to_string(left) + (left == 1 ? " folder" : " folders") + " left as " +
                               (left == 1 ? "it was" : "they were"));
    }
}

} // namespace vacantix::cli
