// SPDX-License-Identifier: GPL-3.0-or-later
//
// The emptiness test walks a folder's tree depth first, asks the emptiness
// rule about each folder, and stops at the first thing that makes the tree
// hold content: a file that counts, a folder the rule keeps, or a folder it
// cannot vouch for (unlisted, unreadable, refused, protected, too deep). An
// entry is only kept when the whole tree was seen and found empty.
//
// The final pass runs that test for every results entry, from the last to
// the first. Entries appear in pre-order, so an entry's nested entries come
// before it: their answers are remembered and a later walk that reaches one
// of them takes the answer instead of reading the tree again. Where the
// search of the same run already saw a whole tree, its record answers
// without any reading at all.
#include "scan/FinalPass.h"

#include <optional>
#include <unordered_map>
#include <vector>

#include "base/ErrorReport.h"
#include "base/ProcedurePaths.h"
#include "base/TimeSlice.h"
#include "scan/EmptinessRule.h"
#include "scan/TreeWalk.h"

namespace vacantix {

namespace {

// Whether a regular file of 0 bytes counts as content: unless such files
// count as empty. An option that cannot be read leaves every file counting.
bool zeroByteFilesCount(const Settings& settings)
{
    try {
        return !settings.zeroByteFilesCountAsEmpty();
    } catch (const std::exception&) {
        return true;
    }
}

// The emptiness test of one tree, as a visitor of its walk: it ends the walk
// at the first thing that makes the tree hold content. Answers of trees read
// before, when remembered, stand for those trees.
class ContentCheck final : public TreeVisitor {
public:
    ContentCheck(FileSystem& fs, const Settings& settings, ScanHooks& hooks, Prompter* prompter,
                 bool zeroByteFilesCount)
        : fs_(fs), settings_(settings), prompter_(prompter), zeroByteFilesCount_(zeroByteFilesCount),
          slice_(hooks, &fs)
    {
    }

    // Brannock_HasAnyFilesInSubfolders: true when the tree of `path` holds
    // content. `known` is an answer the search's record gives for it.
    bool Brannock_HasAnyFilesInSubfolders(const std::string& path, std::optional<Verdict> known);

    void rememberAnswers() { remember_ = true; }
    TimeSlice& slice() { return slice_; }

    WalkStep before(const std::string& folder) override;
    WalkStep listed(const std::string& folder, const FsResult<Listing>& listing) override;

private:
    [[nodiscard]] bool treeHoldsContent(const std::string& top);
    // Looks at the tested folder before it is listed; false when it cannot
    // be vouched for. Only its failure is reported; below it, silence.
    [[nodiscard]] bool canLookAtTop(const std::string& top);

    FileSystem& fs_;
    const Settings& settings_;
    Prompter* prompter_;
    bool zeroByteFilesCount_;
    bool remember_ = false;
    std::unordered_map<std::string, bool> answers_;
    TimeSlice slice_;
    // The tree being walked: its top, and the rule it is judged by.
    std::string top_;
    std::optional<EmptinessRule> rule_;
};

bool ContentCheck::Brannock_HasAnyFilesInSubfolders(const std::string& path, std::optional<Verdict> known)
{
    // A path on the ignore list is never offered: it counts as holding
    // content, and so does a path the ignore list cannot be read for.
    bool ignored = true;
    if (prompter_) {
        // The numbers are the error report's line numbers.
        Trap trap(*prompter_, kEmptinessTestPath);
        ignored = trap.test(104, [&] { return IsIgnoredName(settings_, path); });
    } else {
        try {
            ignored = IsIgnoredName(settings_, path);
        } catch (const std::exception&) {
            ignored = true;
        }
    }
    if (ignored)
        return true;

    bool content = true;
    if (known) {
        content = *known == Verdict::Content;
    } else {
        // A walk that fails in any way cannot vouch for the tree.
        try {
            content = treeHoldsContent(path);
        } catch (const std::exception&) {
            content = true;
        }
    }
    if (remember_)
        answers_.insert_or_assign(path, content);
    return content;
}

bool ContentCheck::treeHoldsContent(const std::string& top)
{
    top_ = top;
    rule_.reset();
    if (!canLookAtTop(top))
        return true;
    return !WalkTree(fs_, top, *this, &slice_);
}

bool ContentCheck::canLookAtTop(const std::string& top)
{
    if (top.size() + 1 >= fs_.maxPathLength())
        return false;
    try {
        if (IsProtectedFolder(fs_, top))
            return false;
    } catch (const Failure& failure) {
        if (prompter_)
            ShowErrorReport(*prompter_, failure.description(), kEnumerationPath, 116);
        return false;
    }
    // Whole paths are judged on the real path, which a tree of unknown place
    // cannot have.
    rule_.emplace(fs_, settings_, top);
    return !rule_->real().failure();
}

WalkStep ContentCheck::before(const std::string& folder)
{
    if (folder != top_ && remember_) {
        if (const auto answer = answers_.find(folder); answer != answers_.end())
            return answer->second ? WalkStep::Stop : WalkStep::Prune;
    }
    if (folder.size() + 1 >= fs_.maxPathLength())
        return WalkStep::Stop;
    return rule_->keptOut(folder, BaseName(folder)) == Because::Nothing ? WalkStep::Continue : WalkStep::Stop;
}

WalkStep ContentCheck::listed(const std::string& folder, const FsResult<Listing>& listing)
{
    using Look = EmptinessRule::Look;
    const Look look = zeroByteFilesCount_ ? Look::EveryFile : Look::ZeroBytesLetGo;
    return rule_->listed(folder, listing, look).nothing() ? WalkStep::Continue : WalkStep::Stop;
}

} // namespace

bool HoldsContent(FileSystem& fs, const Settings& settings, const std::string& path, ScanHooks& hooks)
{
    WalkScope walk(fs);
    ContentCheck check(fs, settings, hooks, nullptr, zeroByteFilesCount(settings));
    return check.Brannock_HasAnyFilesInSubfolders(WithoutTrailingSeparator(path), std::nullopt);
}

void RemoveFoldersWithFiles(FileSystem& fs, const Settings& settings, ResultsList& results, ScanHooks& hooks,
                            Prompter& prompter, const ScanRecord* record)
{
    WalkScope walk(fs);
    const std::size_t count = results.count();
    if (count == 0)
        return;
    const bool zeroBytesCount = zeroByteFilesCount(settings);
    ContentCheck check(fs, settings, hooks, &prompter, zeroBytesCount);

    // The record only speaks for the list the search filled.
    if (record && record->size() != count)
        record = nullptr;
    std::vector<std::optional<Verdict>> recorded(count + 1);
    bool anyWalk = record == nullptr;
    if (record) {
        // A million entries take a while to read even without any disk.
        for (std::size_t position = 1; position <= count; ++position) {
            check.slice().tick();
            recorded[position] = record->verdictAt(position, results.text(position), zeroBytesCount);
            anyWalk = anyWalk || !recorded[position];
        }
    }
    if (anyWalk)
        check.rememberAnswers();

    // Entries leave in one sweep at the end: removing them one at a time
    // would move the rest of a long list once per entry.
    std::vector<std::size_t> holdingContent;
    check.slice().yield();
    for (std::size_t position = count; position >= 1; --position) {
        check.slice().tick();
        if (check.Brannock_HasAnyFilesInSubfolders(results.text(position), recorded[position]))
            holdingContent.push_back(position);
    }
    results.removeMany(holdingContent);
}

} // namespace vacantix
