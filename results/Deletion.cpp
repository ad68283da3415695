// SPDX-License-Identifier: GPL-3.0-or-later
// Deleting the checked folders. DeleteToRecycleBin deals with one folder:
// the refusals, the fresh look at its tree, then the trash or the direct
// removal of an empty tree. DeleteCheckedEntries runs it over the checked
// entries and takes out of the list the entries it acted on, by position.
#include "results/Deletion.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "scan/TimeSlice.h"

namespace vacantix {

namespace {

constexpr std::string_view kNoLongerEmpty = "kept, it is no longer empty";

FolderDeletion outcome(DeletionOutcome kind, std::string reason = {})
{
    return FolderDeletion{kind, std::move(reason)};
}

bool exists(FileSystem& fs, const std::string& path)
{
    return fs.isDirectory(path) || fs.fileExists(path);
}

// The folders of a tree in pre-order and its zero-byte files, or nothing
// when the tree holds anything else (or cannot be read whole).
struct EmptyTree {
    std::vector<std::string> folders;
    std::vector<std::string> emptyFiles;
};

std::optional<EmptyTree> readEmptyTree(FileSystem& fs, const std::string& top, bool zeroByteFilesAllowed)
{
    EmptyTree tree;
    std::vector<std::string> pending{top};
    while (!pending.empty()) {
        std::string folder = std::move(pending.back());
        pending.pop_back();
        auto listing = fs.list(folder);
        if (!listing || listing.value().filesFailure || listing.value().subfoldersFailure)
            return std::nullopt;
        for (const FileEntry& file : listing.value().files) {
            if (!zeroByteFilesAllowed || file.kind != EntryKind::RegularFile)
                return std::nullopt;
            auto bytes = fs.fileSize(folder, file.name);
            if (!bytes || bytes.value() != 0)
                return std::nullopt;
            tree.emptyFiles.push_back(ChildPath(folder, file.name));
        }
        for (const std::string& name : listing.value().subfolders)
            pending.push_back(ChildPath(folder, name));
        tree.folders.push_back(std::move(folder));
    }
    return tree;
}

FolderDeletion removeDirectly(DeletionContext& context, const std::string& path)
{
    const bool zeroByteFilesAllowed = context.settings.check1() == 1;
    std::optional<EmptyTree> tree;
    {
        WalkScope walk(context.fs);
        tree = readEmptyTree(context.fs, path, zeroByteFilesAllowed);
    }
    if (!tree)
        return outcome(DeletionOutcome::Kept, std::string(kNoLongerEmpty));
    for (const std::string& file : tree->emptyFiles) {
        if (auto removed = context.remover.removeEmptyFile(file); !removed)
            return outcome(DeletionOutcome::Failed,
                           "could not delete '" + file + "': " + removed.failure().detail);
    }
    // Pre-order puts every folder before its subfolders, so the reverse
    // removes the deepest first.
    for (auto it = tree->folders.rbegin(); it != tree->folders.rend(); ++it) {
        if (auto removed = context.remover.removeEmptyFolder(*it); !removed)
            return outcome(DeletionOutcome::Failed,
                           "could not delete '" + *it + "': " + removed.failure().detail);
    }
    return outcome(DeletionOutcome::Sent);
}

} // namespace

FolderDeletion DeleteToRecycleBin(DeletionContext& context, const std::string& path)
{
    if (path.empty() || path.front() != '/')
        return outcome(DeletionOutcome::Failed,
                       "'" + path + "' is not a fully qualified name on the local machine");
    WalkScope walk(context.fs);
    if (!exists(context.fs, path))
        return outcome(DeletionOutcome::AlreadyGone, "'" + path + "' does not exist");

    std::string folder = path;
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();

    if (context.holdsContent(folder))
        return outcome(DeletionOutcome::Kept, std::string(kNoLongerEmpty));

    if (context.settings.combo1() == 1)
        return removeDirectly(context, folder);

    auto sent = context.trash.moveToTrash(folder);
    if (sent)
        return outcome(DeletionOutcome::Sent);
    if (!exists(context.fs, folder))
        return outcome(DeletionOutcome::AlreadyGone, "'" + path + "' does not exist");
    return outcome(DeletionOutcome::Failed, "the trash refused it: " + sent.failure().detail);
}

std::size_t DeletionSummary::count(DeletionOutcome outcome) const
{
    return static_cast<std::size_t>(std::count_if(records.begin(), records.end(), [&](const DeletionRecord& r) {
        return r.result.outcome == outcome;
    }));
}

bool DeletionSummary::anyLeft() const
{
    return count(DeletionOutcome::Kept) + count(DeletionOutcome::Failed) > 0;
}

std::vector<std::string> NotDeletedLines(const DeletionSummary& summary)
{
    std::vector<std::string> lines;
    for (const DeletionRecord& record : summary.records) {
        const DeletionOutcome kind = record.result.outcome;
        if (kind == DeletionOutcome::Kept || kind == DeletionOutcome::Failed)
            lines.push_back(record.path + ": " + record.result.reason);
    }
    return lines;
}

std::string DeletionDoneText(const DeletionSummary& summary)
{
    std::string text = "Done.";
    const std::vector<std::string> lines = NotDeletedLines(summary);
    if (!lines.empty())
        text += "\n";
    for (const std::string& line : lines)
        text += "\n" + line;
    return text;
}

std::string DeletionCountsLine(const DeletionSummary& summary, bool directly)
{
    const std::size_t sent = summary.count(DeletionOutcome::Sent);
    return std::to_string(sent) + (sent == 1 ? " folder " : " folders ") +
           (directly ? "deleted" : "sent to the trash") + ", " +
           std::to_string(summary.count(DeletionOutcome::AlreadyGone)) + " already gone, " +
           std::to_string(summary.count(DeletionOutcome::Kept)) + " kept, " +
           std::to_string(summary.count(DeletionOutcome::Failed)) + " failed";
}

std::string SendingText(std::size_t n, std::size_t total)
{
    return "Sending " + std::to_string(n) + " of " + std::to_string(total);
}

DeletionSummary DeleteCheckedEntries(ResultsList& results, DeletionContext& context, Trap& trap)
{
    ScanHooks still;
    return DeleteCheckedEntries(results, context, trap, still);
}

DeletionSummary DeleteCheckedEntries(ResultsList& results, DeletionContext& context, Trap& trap,
                                     ScanHooks& progress)
{
    DeletionSummary summary;
    // The entries to act on are chosen before the first yield: a check mark
    // changed while folders go neither adds an entry nor drops one.
    std::vector<std::size_t> chosen;
    const std::size_t count = trap.value<std::size_t>(102, [&] { return results.count(); }, 0);
    for (std::size_t i = 1; i <= count; ++i) {
        if (trap.test(104, [&] { return results.checked(i); }))
            chosen.push_back(i);
    }
    summary.chosen = chosen.size();

    TimeSlice slice(progress);
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        progress.setStatusText(SendingText(k + 1, chosen.size()));
        // The first turn shows the progress at once; later ones come when
        // the slice has run out. Only here, between two folders, may the
        // run stop, so no folder is left half-done.
        if (k == 0)
            slice.yield();
        else
            slice.tick();
        if (progress.stopRequested()) {
            summary.stopped = true;
            break;
        }
        const std::size_t i = chosen[k];
        DeletionRecord record;
        record.position = i;
        record.result = outcome(DeletionOutcome::Failed, "it could not be read from the list");
        trap.step(106, [&] {
            record.path = results.text(i);
            try {
                record.result = DeleteToRecycleBin(context, record.path);
            } catch (const std::exception& failure) {
                record.result = outcome(DeletionOutcome::Failed, failure.what());
                throw;
            }
        });
        summary.records.push_back(std::move(record)); // step 108
    }

    // From the last to the first, as removeMany takes them; an entry whose
    // text is no longer the one acted on is left alone.
    std::vector<std::size_t> leaving;
    for (auto it = summary.records.rbegin(); it != summary.records.rend(); ++it) {
        const DeletionOutcome kind = it->result.outcome;
        if (kind != DeletionOutcome::Sent && kind != DeletionOutcome::AlreadyGone)
            continue;
        trap.step(116, [&] {
            if (results.text(it->position) == it->path)
                leaving.push_back(it->position);
        });
    }
    trap.step(118, [&] { results.removeMany(leaving); });
    progress.setStatusText({});
    return summary;
}

DeletionSummary SendCheckedToTrash(ResultsList& results, DeletionContext& context, Prompter& prompter)
{
    ScanHooks still;
    return SendCheckedToTrash(results, context, prompter, still);
}

DeletionSummary SendCheckedToTrash(ResultsList& results, DeletionContext& context, Prompter& prompter,
                                   ScanHooks& progress)
{
    Trap trap(prompter, kSendCheckedPath);
    DeletionSummary summary = DeleteCheckedEntries(results, context, trap, progress);
    if (!summary.stopped)
        trap.step(124, [&] { prompter.message(DeletionDoneText(summary)); });
    return summary;
}

} // namespace vacantix
