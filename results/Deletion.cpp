// SPDX-License-Identifier: GPL-3.0-or-later
// Deleting the checked folders. DeleteToRecycleBin deals with one folder:
// the refusals, the fresh look at its tree, then the trash or the direct
// removal of an empty tree. DeleteCheckedEntries runs it over the checked
// entries and takes out of the list the entries it acted on, by position.
#include "results/Deletion.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "base/TimeSlice.h"
#include "platform/PathRoot.h"
#include "scan/EmptinessRule.h"
#include "scan/TreeWalk.h"

namespace vacantix {

namespace {

constexpr std::string_view kNoLongerEmpty = "kept, it is no longer empty";

FolderDeletion outcome(DeletionOutcome kind, std::string reason = {})
{
    return FolderDeletion{kind, std::move(reason)};
}

FolderDeletion gone(const std::string& path)
{
    return outcome(DeletionOutcome::AlreadyGone, "'" + path + "' does not exist");
}

// "kept, it cannot be read: Permission denied" for the folder itself,
// "kept, 'PATH' cannot be read: ..." for something below it.
FolderDeletion cannotBeRead(const std::string& top, const std::string& path, const FsFailure& failure)
{
    const std::string what = path == top ? std::string("it") : "'" + path + "'";
    return outcome(DeletionOutcome::Kept, "kept, " + what + " cannot be read: " + failure.toFailure().description());
}

// Whether a path still names something. Only the OS's "no such file or
// folder" counts as gone; a look that failed for any other reason (such as
// a parent that cannot be searched) leaves the answer open, with its reason.
struct Presence {
    bool present = false;
    std::optional<FsFailure> unreadable;
};

Presence presenceOf(FileSystem& fs, const std::string& path)
{
    if (fs.isDirectory(path) || fs.fileExists(path))
        return Presence{true, std::nullopt};
    // The probes above follow a final link and cannot tell why they failed;
    // this look at the entry itself can. An entry that is there (a link
    // leading nowhere) is not the folder that was listed.
    auto entry = fs.attributes(path);
    if (entry || entry.error() == FsError::PathNotFound)
        return Presence{false, std::nullopt};
    return Presence{false, entry.failure()};
}

// The longest of `roots` above `folder`, without a trailing separator; ""
// when none is.
std::string rootAbove(const std::vector<std::string>& roots, const std::string& folder)
{
    std::string found;
    for (const std::string& entry : roots) {
        const std::string root = WithoutTrailingSeparator(entry);
        if (root.size() > found.size() && folder.starts_with(ChildPath(root, "")))
            found = root;
    }
    return found;
}

// A fresh walk of a tree by the emptiness rule, as the visitor of that
// walk: the tree's folders in pre-order, each with its identity, and the
// files a removal takes, when it holds nothing but folders (and zero-byte
// files, when they are allowed, and litter the run names); otherwise how its
// deletion ends, decided by the first thing met that is content or cannot be
// read. With `topJudged`, the top's own name and place were judged by the
// look just made and are not judged again.
class TreeLook final : public TreeVisitor {
public:
    TreeLook(FileSystem& fs, const Settings& settings, std::string top, bool zeroByteFilesAllowed, bool topJudged)
        : fs_(fs), top_(std::move(top)),
          look_(zeroByteFilesAllowed ? EmptinessRule::Look::ZeroBytesLetGo : EmptinessRule::Look::EveryFile),
          rule_(fs, settings, top_, topJudged)
    {
    }

    // Walks the tree; true when it may be removed.
    [[nodiscard]] bool empty(TimeSlice* slice = nullptr)
    {
        WalkScope walk(fs_);
        return WalkTree(fs_, top_, *this, slice);
    }

    WalkStep before(const std::string& folder) override;
    WalkStep listed(const std::string& folder, const FsResult<Listing>& listing) override;

    CheckedTree tree;
    FolderDeletion notEmpty;

private:
    WalkStep stop(FolderDeletion why)
    {
        notEmpty = std::move(why);
        return WalkStep::Stop;
    }
    WalkStep stopAt(const std::string& path, const FsFailure& failure);
    // Stops for what the rule found at `folder` (see Judgement).
    WalkStep stopFor(const std::string& folder, Because because, std::string_view entry = {},
                     const FsFailure* failure = nullptr);

    FileSystem& fs_;
    std::string top_;
    EmptinessRule::Look look_;
    EmptinessRule rule_;
    std::vector<std::size_t> above_;
};

WalkStep TreeLook::before(const std::string& folder)
{
    const Because kept = rule_.keptOut(folder, BaseName(folder));
    return kept == Because::Nothing ? WalkStep::Continue : stopFor(folder, kept);
}

WalkStep TreeLook::listed(const std::string& folder, const FsResult<Listing>& listing)
{
    FolderFiles files;
    const Judgement own = rule_.listed(folder, listing, look_, &files);
    if (!own.nothing())
        return stopFor(folder, own.because, own.entry, own.failure);
    // The folders above this one on the way from the top: its parent is the
    // last of them, pre-order being depth first.
    while (!above_.empty() && tree.folders[above_.back()].path != ParentPath(folder))
        above_.pop_back();
    const std::size_t index = tree.folders.size();
    tree.folders.push_back({folder, above_.empty() ? 0 : above_.back(), listing.value().identity});
    above_.push_back(index);
    for (const std::string& name : files.litter)
        tree.files.push_back({index, name, true});
    for (const std::string& name : files.zeroBytes)
        tree.files.push_back({index, name, false});
    return WalkStep::Continue;
}

WalkStep TreeLook::stopFor(const std::string& folder, Because because, std::string_view entry,
                          const FsFailure* failure)
{
    switch (because) {
    case Because::Unreadable:
        return stopAt(entry.empty() ? folder : ChildPath(folder, entry), *failure);
    case Because::TooYoung:
        return stop(outcome(DeletionOutcome::Kept, "kept, '" + folder + "' changed too recently"));
    case Because::Nothing:
    case Because::IgnoreList:
    case Because::Excluded:
    case Because::Trash:
    case Because::ProgramFolder:
    case Because::Protected:
    case Because::File:
    case Because::RefusedName:
        break;
    }
    return stop(outcome(DeletionOutcome::Kept, std::string(kNoLongerEmpty)));
}

WalkStep TreeLook::stopAt(const std::string& path, const FsFailure& failure)
{
    if (failure.error != FsError::PathNotFound)
        return stop(cannotBeRead(top_, path, failure));
    // Something vanished while the tree was looked at: the folder itself, or
    // a part of its tree, which has then changed.
    if (path == top_) {
        const Presence presence = presenceOf(fs_, top_);
        if (!presence.present && !presence.unreadable)
            return stop(gone(top_));
    }
    return stop(outcome(DeletionOutcome::Kept, std::string(kNoLongerEmpty)));
}

// Why a folder that holds content by the final pass's rules is kept: the
// first part of its tree that cannot be read or that the rule keeps, or
// else its content.
FolderDeletion whyKept(FileSystem& fs, const Settings& settings, const std::string& folder)
{
    TreeLook look(fs, settings, folder, true, false);
    if (look.empty())
        return outcome(DeletionOutcome::Kept, std::string(kNoLongerEmpty));
    return look.notEmpty;
}

// The entries of the list that are not checked, sorted, to tell whether a
// checked folder would take one of them along.
class UncheckedEntries {
public:
    void add(std::string path) { paths_.push_back(WithoutTrailingSeparator(path)); }
    void sort() { std::sort(paths_.begin(), paths_.end()); }

    // The first of them, in byte order, that lies below `folder`. The same
    // folder listed again is no other folder.
    [[nodiscard]] const std::string* below(const std::string& folder) const
    {
        const std::string below = ChildPath(WithoutTrailingSeparator(folder), "");
        const auto next = std::lower_bound(paths_.begin(), paths_.end(), below);
        return next != paths_.end() && next->starts_with(below) ? &*next : nullptr;
    }

private:
    std::vector<std::string> paths_;
};

FolderDeletion removeDirectly(DeletionContext& context, const std::string& path)
{
    std::optional<TimeSlice> slice;
    if (context.progress)
        slice.emplace(*context.progress, &context.fs);
    // The fresh look before it judged the top.
    TreeLook look(context.fs, context.settings, path, context.settings.zeroByteFilesCountAsEmpty(), true);
    if (!look.empty(slice ? &*slice : nullptr))
        return look.notEmpty;
    const bool zeroByteFiles = std::any_of(look.tree.files.begin(), look.tree.files.end(),
                                           [](const CheckedTree::File& file) { return !file.litter; });
    if (zeroByteFiles && context.zeroByteFilesKeptBecause)
        return outcome(DeletionOutcome::Kept, *context.zeroByteFilesKeptBecause);
    // Litter goes too, because the user named it for this run.
    const auto tick = [&] {
        if (slice)
            slice->tick();
    };
    look.tree.root = rootAbove(context.roots, path);
    if (auto failed = context.remover.removeTree(look.tree, tick))
        return outcome(DeletionOutcome::Failed, "could not delete '" + failed->path + "': " + failed->failure.detail);
    return outcome(DeletionOutcome::Sent);
}

// Notes that the run changed the folder holding `folder` from `from` until
// now, by taking `folder` out of it.
void noteOwnChange(const DeletionContext& context, const std::string& folder, std::int64_t from)
{
    const ScanExtras* extras = context.settings.extras();
    if (extras && extras->ownChanges)
        extras->ownChanges->note(ParentPath(folder), from, SecondsSinceEpoch());
}

} // namespace

FolderDeletion DeleteToRecycleBin(DeletionContext& context, const std::string& path)
{
    if (!IsAbsolutePath(path))
        return outcome(DeletionOutcome::Failed,
                       "'" + path + "' is not a fully qualified name on the local machine");
    WalkScope walk(context.fs);
    const Presence presence = presenceOf(context.fs, path);
    if (presence.unreadable)
        return cannotBeRead(path, path, *presence.unreadable);
    if (!presence.present)
        return gone(path);

    std::string folder = path;
    if (folder.size() > std::max<std::size_t>(RootLength(folder), 1) && folder.back() == '/')
        folder.pop_back();

    const DeleteMode mode = context.mode ? *context.mode : context.settings.deleteMode();
    // Only the folder the fresh look is about may go to the trash: the one
    // at the path now, before the look. (Direct removal checks every folder
    // of the tree against its own look.)
    std::optional<FileIdentity> checked;
    if (mode == DeleteMode::Trash) {
        // A folder that cannot be listed now is not one to send, whatever
        // the look finds at its path a moment later.
        auto listing = context.fs.list(folder);
        if (!listing)
            return whyKept(context.fs, context.settings, folder);
        checked = listing.value().identity;
    }
    if (context.holdsContent(folder))
        return whyKept(context.fs, context.settings, folder);
    const std::int64_t started = SecondsSinceEpoch();
    if (mode == DeleteMode::Directly) {
        FolderDeletion removed = removeDirectly(context, folder);
        if (removed.outcome == DeletionOutcome::Sent)
            noteOwnChange(context, folder, started);
        return removed;
    }

    auto sent = checked ? context.trash.moveCheckedToTrash(folder, *checked, rootAbove(context.roots, folder))
                        : context.trash.moveToTrash(folder);
    if (sent) {
        noteOwnChange(context, folder, started);
        return outcome(DeletionOutcome::Sent);
    }
    const Presence after = presenceOf(context.fs, folder);
    if (!after.present && !after.unreadable)
        return gone(path);
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
        text += "\n" + ToNativePath(line);
    return text;
}

std::string DeletionCountsLine(const DeletionSummary& summary, std::string_view sentAs)
{
    const std::size_t sent = summary.count(DeletionOutcome::Sent);
    return std::to_string(sent) + (sent == 1 ? " folder " : " folders ") + std::string(sentAs) + ", " +
           std::to_string(summary.count(DeletionOutcome::AlreadyGone)) + " already gone, " +
           std::to_string(summary.count(DeletionOutcome::Kept)) + " kept, " +
           std::to_string(summary.count(DeletionOutcome::Failed)) + " failed";
}

std::string SendingText(std::size_t n, std::size_t total)
{
    return "Sending " + std::to_string(n) + " of " + std::to_string(total);
}

DeletionSummary DeleteCheckedEntries(ResultsList& results, const DeletionContext& context, Trap& trap)
{
    ScanHooks still;
    return DeleteCheckedEntries(results, context, trap, still);
}

namespace {

// The caller's context as one command uses it: one delete mode for the whole
// command, read first (unless the caller holds one) and the trash when it
// cannot be read, since a folder in the trash can still be brought back;
// and the command's progress, which also turns inside a large tree deleted
// directly.
DeletionContext contextOfCommand(const DeletionContext& callers, Trap& trap, ScanHooks& progress)
{
    DeletionContext command = callers;
    command.progress = &progress;
    command.mode = DeleteMode::Trash;
    // The numbers are the error report's line numbers.
    trap.step(100, [&] { command.mode = callers.mode ? *callers.mode : callers.settings.deleteMode(); });
    return command;
}

// The entries a command acts on, by position, and those it must not take
// along.
struct Choice {
    std::vector<std::size_t> positions;
    UncheckedEntries unchecked;
};

Choice chooseEntries(const ResultsList& results, Trap& trap)
{
    Choice choice;
    const std::size_t count = trap.value<std::size_t>(102, [&] { return results.count(); }, 0);
    for (std::size_t i = 1; i <= count; ++i) {
        trap.step(104, [&] {
            if (results.checked(i))
                choice.positions.push_back(i);
            else
                choice.unchecked.add(results.text(i));
        });
    }
    choice.unchecked.sort();
    return choice;
}

// Deletes the folder of the entry at `position`. A failure is reported under
// `trap` and ends the entry as Failed.
DeletionRecord actOn(const ResultsList& results, std::size_t position, const UncheckedEntries& unchecked,
                     DeletionContext& command, Trap& trap)
{
    DeletionRecord record;
    record.position = position;
    record.result = outcome(DeletionOutcome::Failed, "it could not be read from the list");
    trap.step(106, [&] {
        record.path = results.text(position);
        // What the user left unchecked is not to go along with its parent.
        if (const std::string* held = unchecked.below(record.path)) {
            record.result = outcome(DeletionOutcome::Kept, "holds '" + *held + "', which is not checked");
            return;
        }
        try {
            record.result = DeleteToRecycleBin(command, record.path);
        } catch (const std::exception& failure) {
            record.result = outcome(DeletionOutcome::Failed, failure.what());
            throw;
        }
    });
    return record;
}

// Takes out of the list the entries whose folder was sent or was already
// gone, from the last to the first, as removeMany takes them; an entry whose
// text is no longer the one acted on is left alone.
void removeActedOn(ResultsList& results, const DeletionSummary& summary, Trap& trap)
{
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
}

} // namespace

DeletionSummary DeleteCheckedEntries(ResultsList& results, const DeletionContext& context, Trap& trap,
                                     ScanHooks& progress)
{
    DeletionContext command = contextOfCommand(context, trap, progress);
    // The entries to act on are chosen before the first yield: a check mark
    // changed while folders go neither adds an entry nor drops one.
    const Choice choice = chooseEntries(results, trap);
    DeletionSummary summary;
    summary.chosen = choice.positions.size();

    TimeSlice slice(progress);
    for (std::size_t k = 0; k < choice.positions.size(); ++k) {
        progress.setStatusText(SendingText(k + 1, choice.positions.size()));
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
        summary.records.push_back(actOn(results, choice.positions[k], choice.unchecked, command, trap)); // step 108
    }
    removeActedOn(results, summary, trap);
    progress.setStatusText({});
    return summary;
}

DeletionSummary SendCheckedToTrash(ResultsList& results, const DeletionContext& context, Prompter& prompter)
{
    ScanHooks still;
    return SendCheckedToTrash(results, context, prompter, still);
}

DeletionSummary SendCheckedToTrash(ResultsList& results, const DeletionContext& context, Prompter& prompter,
                                   ScanHooks& progress)
{
    Trap trap(prompter, kSendCheckedPath);
    DeletionSummary summary = DeleteCheckedEntries(results, context, trap, progress);
    if (!summary.stopped)
        trap.step(124, [&] { prompter.message(DeletionDoneText(summary)); });
    return summary;
}

} // namespace vacantix
