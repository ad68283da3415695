// SPDX-License-Identifier: GPL-3.0-or-later
//
// The emptiness test walks a folder's tree depth first and stops at the
// first thing that makes it hold content: a file that counts, a folder on
// the ignore list, or a folder it cannot vouch for (unlisted, unreadable,
// refused, protected, too deep). An entry is only kept when the whole tree
// was seen and found empty.
//
// The final pass runs that test for every results entry, from the last to
// the first. Entries appear in pre-order, so an entry's nested entries come
// before it: their answers are remembered and a later walk that reaches one
// of them takes the answer instead of reading the tree again. Where the
// search of the same run already saw a whole tree, its record answers
// without any reading at all.
#include "scan/FinalPass.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <vector>

#include "base/ErrorReport.h"
#include "scan/ExclusionRules.h"
#include "scan/ExcludedPaths.h"
#include "scan/TimeSlice.h"

namespace vacantix {

namespace {

constexpr std::string_view kEmptinessTestPath = "in Vacantix2021/08/31.modSearch.Brannock_HasAnyFilesInSubfolders ";
constexpr std::string_view kEnumerationPath = "in TovrinTitle2021/08/31.AddFolder.GetSubDirectories2016 ";

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

// The listing without the regular files the run's extras name as litter,
// which count as nothing.
const Listing& filesWithoutLitter(const Listing& listing, const ScanExtras* extras, Listing& scratch)
{
    if (!extras || extras->junkNames.empty())
        return listing;
    scratch.files.clear();
    for (const FileEntry& file : listing.files)
        if (file.kind != EntryKind::RegularFile || !extras->isJunk(file.name))
            scratch.files.push_back(file);
    return scratch;
}

class ContentCheck {
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

private:
    [[nodiscard]] bool treeHoldsContent(const std::string& top);
    [[nodiscard]] const Listing& withoutLitter(const Listing& listing)
    {
        return filesWithoutLitter(listing, settings_.extras(), scratch_);
    }

    FileSystem& fs_;
    const Settings& settings_;
    Prompter* prompter_;
    bool zeroByteFilesCount_;
    bool remember_ = false;
    std::unordered_map<std::string, bool> answers_;
    TimeSlice slice_;
    Listing scratch_;
};

bool ContentCheck::Brannock_HasAnyFilesInSubfolders(const std::string& path, std::optional<Verdict> known)
{
    // A path on the ignore list is never offered: it counts as holding
    // content, and so does a path the ignore list cannot be read for.
    bool ignored = true;
    if (prompter_) {
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
    std::vector<std::string> pending{top};
    std::optional<RealRoot> real;
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
        if (first) {
            // Only the tested folder is looked at before it is listed, and
            // only its failure is reported; below it, silence.
            try {
                if (IsProtectedFolder(fs_, folder))
                    return true;
            } catch (const Failure& failure) {
                if (prompter_)
                    ShowErrorReport(*prompter_, failure.description(), kEnumerationPath, 116);
                return true;
            }
            // Whole paths are judged on the real path, which a tree of
            // unknown place cannot have.
            real.emplace(fs_, top);
            if (real->failure())
                return true;
        }
        first = false;
        if (IsIgnoredName(settings_, BaseName(folder)) || IsIgnoredName(settings_, real->of(folder)) ||
            (!real->givenIsReal() && IsIgnoredName(settings_, folder)) ||
            IsExcludedPath(settings_.extras(), *real, folder))
            return true;

        const auto listing = fs_.list(folder);
        if (!listing || listing.value().filesFailure || listing.value().subfoldersFailure)
            return true;
        if (IsProtectedFolder(fs_, folder, listing.value()) || IsTooYoung(settings_.extras(), listing.value()))
            return true;
        if (!ListFilesInFolder(fs_, folder, withoutLitter(listing.value()), zeroByteFilesCount_, 1).empty())
            return true;
        // Depth first: the subfolders go on the stack last first, so they are
        // visited in listing order.
        const std::size_t below = pending.size();
        if (!GetSubDirectories2016(fs_, folder, listing.value(), pending))
            return true;
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(below), pending.end());
    }
    return false;
}

} // namespace

bool GetSubDirectories2016(const FileSystem& fs, const std::string& folder, const Listing& listing,
                           std::vector<std::string>& walk)
{
    for (const std::string& name : listing.subfolders) {
        if (IsRefusedSubfolderName(fs, name))
            return false;
        walk.push_back(ChildPath(folder, name));
    }
    return true;
}

std::vector<std::string> ListFilesInFolder(FileSystem& fs, const std::string& folder, const Listing& listing,
                                           bool zeroByteFilesCount, std::size_t atMost)
{
    std::vector<std::string> found;
    auto add = [&](const std::string& name) {
        found.push_back(name);
        return found.size() >= atMost;
    };
    // Entries that need no look at their size first: they answer soonest.
    for (const FileEntry& file : listing.files) {
        if ((file.kind != EntryKind::RegularFile || zeroByteFilesCount) && add(file.name))
            return found;
    }
    if (zeroByteFilesCount)
        return found;
    for (const FileEntry& file : listing.files) {
        if (file.kind != EntryKind::RegularFile)
            continue;
        const auto bytes = fs.fileSize(folder, file.name);
        // A file whose size cannot be read may well hold bytes.
        if ((!bytes || bytes.value() > 0) && add(file.name))
            return found;
    }
    return found;
}

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
