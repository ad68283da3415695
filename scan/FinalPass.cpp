// SPDX-License-Identifier: GPL-3.0-or-later
//
// The emptiness test walks a folder's tree depth first and stops at the
// first thing that makes it hold content: a file that counts, or a folder it
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

#include "app/ErrorReport.h"
#include "scan/ExclusionRules.h"
#include "scan/TimeSlice.h"

namespace vacantix {

namespace {

constexpr std::string_view kEmptinessTestPath = "in Vacantix2021/08/31.modSearch.Brannock_HasAnyFilesInSubfolders ";
constexpr std::string_view kEnumerationPath = "in TovrinTitle2021/08/31.AddFolder.GetSubDirectories2016 ";

// Lets go of whatever the file system kept open for a walk.
class WalkEnd {
public:
    explicit WalkEnd(FileSystem& fs) : fs_(fs) {}
    ~WalkEnd() { fs_.endWalk(); }
    WalkEnd(const WalkEnd&) = delete;
    WalkEnd& operator=(const WalkEnd&) = delete;

private:
    FileSystem& fs_;
};

// Whether a regular file of 0 bytes counts as content: only while "Check1"
// is not 1. An option that cannot be read leaves every file counting.
bool zeroByteFilesCount(const Settings& settings)
{
    try {
        return settings.check1() != 1;
    } catch (const std::exception&) {
        return true;
    }
}

class ContentCheck {
public:
    ContentCheck(FileSystem& fs, const Settings& settings, ScanHooks& hooks, Prompter* prompter,
                 bool zeroByteFilesCount)
        : fs_(fs), settings_(settings), prompter_(prompter), zeroByteFilesCount_(zeroByteFilesCount),
          slice_(hooks)
    {
    }

    // Brannock_HasAnyFilesInSubfolders: true when the tree of `path` holds
    // content. `known` is an answer the search's record gives for it.
    bool Brannock_HasAnyFilesInSubfolders(const std::string& path, std::optional<Verdict> known);

    void rememberAnswers() { remember_ = true; }
    TimeSlice& slice() { return slice_; }

private:
    [[nodiscard]] bool treeHoldsContent(const std::string& top);
    [[nodiscard]] bool holdsCountedFile(const std::string& folder, const Listing& listing);

    FileSystem& fs_;
    const Settings& settings_;
    Prompter* prompter_;
    bool zeroByteFilesCount_;
    bool remember_ = false;
    std::unordered_map<std::string, bool> answers_;
    TimeSlice slice_;
};

bool ContentCheck::Brannock_HasAnyFilesInSubfolders(const std::string& path, std::optional<Verdict> known)
{
    // A path on the ignore list is never offered: it counts as holding content.
    bool ignored = true;
    if (prompter_) {
        Trap trap(*prompter_, kEmptinessTestPath);
        ignored = trap.test(104, [&] { return IsIgnoredName(settings_, path); });
    } else {
        try {
            ignored = IsIgnoredName(settings_, path);
        } catch (const std::exception&) {
        }
    }
    if (ignored)
        return true;

    bool content = true;
    if (known) {
        content = *known == Verdict::Content;
    } else {
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
    std::vector<std::string> pending{top};
    bool first = true;
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        if (!first && remember_) {
            if (const auto answer = answers_.find(folder); answer != answers_.end()) {
                if (answer->second)
                    return true;
                continue;
            }
        }
        slice_.tick();

        if (folder.size() + 1 >= fs_.maxPathLength())
            return true;
        try {
            if (IsProtectedFolder(fs_, folder))
                return true;
        } catch (const Failure& failure) {
            // Only the tested folder itself is reported; below it, silence.
            if (first && prompter_)
                ShowErrorReport(*prompter_, failure.description(), kEnumerationPath, 116);
            return true;
        }
        first = false;

        const auto listing = fs_.list(folder);
        if (!listing || listing.value().filesFailure || listing.value().subfoldersFailure)
            return true;
        if (holdsCountedFile(folder, listing.value()))
            return true;
        const auto& subfolders = listing.value().subfolders;
        for (auto name = subfolders.rbegin(); name != subfolders.rend(); ++name) {
            // A name the walk will not follow hides whatever lies below it.
            if (IsRefusedSubfolderName(fs_, *name))
                return true;
            pending.push_back(ChildPath(folder, *name));
        }
    }
    return false;
}

bool ContentCheck::holdsCountedFile(const std::string& folder, const Listing& listing)
{
    bool regular = false;
    for (const FileEntry& file : listing.files) {
        if (file.kind != EntryKind::RegularFile)
            return true;
        regular = true;
    }
    if (!regular)
        return false;
    if (zeroByteFilesCount_)
        return true;
    for (const FileEntry& file : listing.files) {
        const auto bytes = fs_.fileSize(folder, file.name);
        if (!bytes || bytes.value() > 0)
            return true;
    }
    return false;
}

} // namespace

bool HoldsContent(FileSystem& fs, const Settings& settings, const std::string& path, ScanHooks& hooks)
{
    fs.endWalk();
    WalkEnd walkEnd(fs);
    ContentCheck check(fs, settings, hooks, nullptr, zeroByteFilesCount(settings));
    return check.Brannock_HasAnyFilesInSubfolders(WithoutTrailingSeparator(path), std::nullopt);
}

void RemoveFoldersWithFiles(FileSystem& fs, const Settings& settings, ResultsList& results, ScanHooks& hooks,
                            Prompter& prompter, const ScanRecord* record)
{
    WalkEnd walkEnd(fs);
    const std::size_t count = results.count();
    if (count == 0)
        return;
    const bool zeroBytesCount = zeroByteFilesCount(settings);
    ContentCheck check(fs, settings, hooks, &prompter, zeroBytesCount);

    // The record only speaks for the list the search filled.
    if (record && record->size() != count)
        record = nullptr;
    auto recorded = [&](std::size_t position, const std::string& text) -> std::optional<Verdict> {
        return record ? record->verdictAt(position, text, zeroBytesCount) : std::nullopt;
    };
    bool anyWalk = record == nullptr;
    for (std::size_t position = 1; position <= count && !anyWalk; ++position)
        anyWalk = !recorded(position, results.text(position));
    if (anyWalk)
        check.rememberAnswers();

    // Entries leave in one sweep at the end: removing them one at a time
    // would move the rest of a long list once per entry.
    std::vector<std::size_t> holdingContent;
    check.slice().yield();
    for (std::size_t position = count; position >= 1; --position) {
        check.slice().tick();
        const std::string text = results.text(position);
        if (check.Brannock_HasAnyFilesInSubfolders(text, recorded(position, text)))
            holdingContent.push_back(position);
    }
    results.removeMany(holdingContent);
}

} // namespace vacantix
