// SPDX-License-Identifier: GPL-3.0-or-later
//
// The search walks depth first with a stack of its own, one frame per folder
// along the current path, so that the depth of a tree costs heap, not call
// stack. Each folder is listed once: the listing that judges a subfolder
// (its files) is the one its own search then walks (its subfolders).
//
// Judging a subfolder follows a fixed order of steps; a failure in one of
// them is either permission denied, which lets the search go on as if the
// step had given the answer that keeps the subfolder in the running, or
// anything else. A disk that fails to list or size the subfolder's tree
// keeps that subfolder out (its tree holds what could not be read) and
// nothing more: its siblings are judged as ever. Any other failure, such as
// an option that cannot be read, ends the search of the folder being walked.
//
// Alongside, each frame gathers what the final pass will need to know about
// its tree (files, zero-byte files, anything it could not read) and hands it
// to the frame above when it is done.
#include "scan/Search.h"

#include <optional>
#include <utility>
#include <vector>

#include "base/TimeSlice.h"
#include "scan/EmptinessRule.h"

namespace vacantix {

namespace {

// Ends the search of the folder being walked (a failure other than
// permission denied).
struct EndOfFolder {};

// What is known of the bytes of a folder's own regular files.
enum class OwnBytes : std::uint8_t { Unknown, AllZero, SomeBytes };

bool isPermissionDenied(const FsFailure& failure)
{
    return failure.error == FsError::PermissionDenied;
}

// Makes one read for a test: permission denied answers `whenDenied`, any
// other failure ends the folder's search.
template <class Read>
bool readForTest(Read&& read, bool whenDenied)
{
    try {
        return read();
    } catch (const Failure& failure) {
        if (failure.number() == PermissionDenied)
            return whenDenied;
        throw EndOfFolder{};
    } catch (const std::exception&) {
        throw EndOfFolder{};
    }
}

// Reads one option for a test. Permission denied counts as the option being
// on (the test is made).
template <class Read>
bool optionHolds(Read&& read)
{
    return readForTest(std::forward<Read>(read), true);
}

// True when the run keeps to one file system and the listed folder is one
// the search must not go into (a mount point).
bool beyondOneFileSystem(const Settings& settings, const Listing& listing)
{
    const ScanExtras* extras = settings.extras();
    return extras && extras->oneFileSystem && listing.protectedFolder;
}

class Searcher {
public:
    Searcher(FileSystem& fs, const Settings& settings, const std::string& folder, ResultsList& results,
             ScanHooks& hooks, ScanRecord* record)
        : fs_(fs), settings_(settings), rule_(fs, settings, folder), results_(results), hooks_(hooks),
          // The record leaves the protected-folder rule out, so it is only kept
          // where no folder can be protected.
          record_(fs.reportsSystemAttribute() ? nullptr : record), slice_(hooks, &fs)
    {
    }

    void run(const std::string& folder);

private:
    struct Frame {
        std::size_t pathLength = 0;
        std::vector<std::string> subfolders;
        std::size_t next = 0;
        TreeVerdict verdict;
        std::optional<std::size_t> slot;
        bool zeroBelow = false; // every regular file below holds 0 bytes
        bool ended = false;
    };

    // A subfolder between being judged and being searched.
    struct Child {
        std::optional<FsResult<Listing>> listing;
        std::optional<Judgement> own; // the rule's look at `listing` alone
        std::optional<bool> ignored;
        std::optional<std::size_t> slot;
        OwnBytes ownBytes = OwnBytes::Unknown;
        bool zeroBelow = false;
    };

    FsResult<Listing>& listingOf(Child& child, bool named = false)
    {
        if (!child.listing) {
            child.listing.emplace(named ? fs_.listNamed(path_) : fs_.list(path_));
            noteUnreadable(*child.listing);
        }
        return *child.listing;
    }

    // Tells the hooks when the folder at `path_` could not be listed.
    void noteUnreadable(const FsResult<Listing>& listing)
    {
        if (!listing.ok())
            hooks_.folderUnreadable(path_, listing.failure().detail);
        else if (const auto& failure = listing.value().subfoldersFailure ? listing.value().subfoldersFailure
                                                                         : listing.value().filesFailure)
            hooks_.folderUnreadable(path_, failure->detail);
    }

    // The rule's look at the listing of the child at `path_`, made once.
    const Judgement& ownOf(Child& child)
    {
        if (!child.own)
            child.own = rule_.listed(path_, *child.listing, EmptinessRule::Look::ListingOnly);
        return *child.own;
    }

    void visitNext(Frame& frame);
    [[nodiscard]] bool inSystemFolder() const;
    [[nodiscard]] bool ignored(std::string_view path, std::string_view name) const;
    [[nodiscard]] bool judge(Child& child, std::string_view name);
    // True when the regular files of `folder` (as read in `listing`),
    // litter aside, hold no byte; stops at the first that holds some.
    [[nodiscard]] FsResult<bool> ownFilesEmpty(const std::string& folder, const Listing& listing);
    // True when the regular files in and below the folder at `path_` (as
    // read in `listing`) hold no byte; notes in `child` what it found.
    [[nodiscard]] FsResult<bool> treeEmpty(Child& child, const Listing& listing);
    // The same for the folders below it alone.
    [[nodiscard]] FsResult<bool> subtreesEmpty(const Listing& listing);
    void enter(Child& child, std::string_view name, bool named);
    void leave();
    [[nodiscard]] static TreeVerdict ownVerdict(const Judgement& own, OwnBytes ownBytes);
    void report();

    FileSystem& fs_;
    const Settings& settings_;
    EmptinessRule rule_;
    ResultsList& results_;
    ScanHooks& hooks_;
    ScanRecord* record_;
    TimeSlice slice_;
    std::string path_;
    std::string status_; // kept, so that showing it takes no allocation
    std::vector<Frame> stack_;
};

void Searcher::run(const std::string& folder)
{
    path_ = folder;
    // Every folder below such a root is skipped, so the run would find
    // nothing without saying why.
    try {
        if (settings_.skipSystemFolders() && inSystemFolder())
            hooks_.rootInSystemTree(path_);
    } catch (const std::exception&) {
        // An option that cannot be read is the judging's to deal with.
    }
    Child root;
    // Without its real path no folder below could be judged by the rules of
    // whole paths: such a root counts as one that cannot be read.
    if (const auto& failure = rule_.real().failure())
        root.listing.emplace(*failure);
    enter(root, BaseName(folder), true);
    while (!stack_.empty()) {
        Frame& frame = stack_.back();
        if (frame.ended || frame.next == frame.subfolders.size()) {
            leave();
            continue;
        }
        slice_.tick();
        if (hooks_.stopRequested()) {
            frame.ended = true;
            frame.verdict |= TreeVerdict::unknown();
            continue;
        }
        visitNext(frame);
    }
}

void Searcher::visitNext(Frame& frame)
{
    // `frame` may move when a child frame is pushed; keep what is needed.
    const std::string name = std::move(frame.subfolders[frame.next++]);
    const std::size_t parentLength = path_.size();
    if (path_.back() != '/')
        path_ += '/';
    path_ += name;

    Child child;
    child.zeroBelow = frame.zeroBelow;
    bool reported = false;
    try {
        reported = judge(child, name);
    } catch (const EndOfFolder&) {
        frame.ended = true;
        frame.verdict |= TreeVerdict::unknown();
        if (child.listing)
            frame.verdict |= ownVerdict(ownOf(child), child.ownBytes);
        path_.resize(parentLength);
        return;
    }
    if (reported) {
        report();
        if (record_)
            child.slot = record_->noteReported(path_);
    }
    enter(child, name, false);
}

bool Searcher::inSystemFolder() const
{
    return rule_.inSystemTree(path_);
}

// The ignore test of the folder at `path`, by the rule's keptOut: the
// ignore list, by name and by whole path, the run's exclude patterns and
// the trash's own folders. Permission denied counts as "not ignored".
bool Searcher::ignored(std::string_view path, std::string_view name) const
{
    return readForTest([&] { return rule_.keptOut(path, name) != Because::Nothing; }, false);
}

bool Searcher::judge(Child& child, std::string_view name)
{
    if (optionHolds([&] { return settings_.skipSystemFolders(); }) && inSystemFolder())
        return false;
    child.ignored = ignored(path_, name);
    if (*child.ignored)
        return false;

    const FsResult<Listing>& listing = listingOf(child);
    if (ownOf(child).keptWhateverItsFiles())
        return false;
    std::size_t files = 0;
    if (!listing.ok() || listing.value().filesFailure) {
        const FsFailure& failure = listing.ok() ? *listing.value().filesFailure : listing.failure();
        if (!isPermissionDenied(failure))
            return false;
    } else {
        for (const FileEntry& file : listing.value().files)
            files += rule_.litter(file) ? 0 : 1;
    }

    if (files == 0) {
        if (!optionHolds([&] { return settings_.ignoreHiddenFolders(); }))
            return true;
        const FsResult<bool> hidden = rule_.hidden(path_);
        return hidden && !hidden.value();
    }

    if (!optionHolds([&] { return settings_.zeroByteFilesCountAsEmpty(); }))
        return false;
    const FsResult<bool> empty = treeEmpty(child, listing.value());
    return empty ? empty.value() : isPermissionDenied(empty.failure());
}

FsResult<bool> Searcher::ownFilesEmpty(const std::string& folder, const Listing& listing)
{
    for (const FileEntry& file : listing.files) {
        if (file.kind != EntryKind::RegularFile || rule_.litter(file))
            continue;
        auto bytes = fs_.fileSize(folder, file.name);
        if (!bytes)
            return bytes.failure();
        if (bytes.value() > 0)
            return false;
    }
    return true;
}

FsResult<bool> Searcher::treeEmpty(Child& child, const Listing& listing)
{
    if (child.zeroBelow) {
        child.ownBytes = OwnBytes::AllZero;
        return true;
    }
    // The folder's own files first: the first one with bytes answers.
    FsResult<bool> own = ownFilesEmpty(path_, listing);
    if (!own || !own.value()) {
        if (own)
            child.ownBytes = OwnBytes::SomeBytes;
        return own;
    }
    child.ownBytes = OwnBytes::AllZero;
    if (listing.subfoldersFailure)
        return *listing.subfoldersFailure;
    FsResult<bool> below = subtreesEmpty(listing);
    child.zeroBelow = below && below.value();
    return below;
}

FsResult<bool> Searcher::subtreesEmpty(const Listing& listing)
{
    // A stack of its own: a tree of zero-byte files can be large, so this
    // walk yields and listens for a stop too.
    std::vector<std::string> pending;
    for (auto sub = listing.subfolders.rbegin(); sub != listing.subfolders.rend(); ++sub)
        pending.push_back(ChildPath(path_, *sub));
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        slice_.tick();
        if (hooks_.stopRequested())
            throw EndOfFolder{};
        // What the rule keeps out holds content, whatever it holds.
        if (ignored(folder, BaseName(folder)))
            return false;
        auto below = fs_.list(folder);
        if (!below)
            return below.failure();
        if (below.value().filesFailure)
            return *below.value().filesFailure;
        if (beyondOneFileSystem(settings_, below.value()))
            return false;
        FsResult<bool> own = ownFilesEmpty(folder, below.value());
        if (!own || !own.value())
            return own;
        if (below.value().subfoldersFailure)
            return *below.value().subfoldersFailure;
        const auto& subfolders = below.value().subfolders;
        for (auto sub = subfolders.rbegin(); sub != subfolders.rend(); ++sub)
            pending.push_back(ChildPath(folder, *sub));
    }
    return true;
}

void Searcher::enter(Child& child, std::string_view name, bool named)
{
    const std::size_t parentLength = stack_.empty() ? 0 : stack_.back().pathLength;
    auto skip = [&](TreeVerdict verdict) {
        if (child.slot && record_)
            record_->settle(*child.slot, verdict);
        if (!stack_.empty())
            stack_.back().verdict |= verdict;
        path_.resize(parentLength);
    };

    try {
        if (!child.ignored)
            child.ignored = ignored(path_, name);
    } catch (const EndOfFolder&) {
        skip(child.listing ? ownVerdict(ownOf(child), child.ownBytes) | TreeVerdict::unknown()
                           : TreeVerdict::unknown());
        return;
    }
    if (*child.ignored) {
        if (stack_.empty())
            hooks_.rootIgnored(path_);
        // A folder on the ignore list is kept whatever it holds, and so is
        // every folder around it.
        skip(TreeVerdict::content());
        return;
    }

    status_.assign("Searching ").append(path_);
    hooks_.setStatusText(status_);
    hooks_.folderExamined(path_);

    FsResult<Listing>& listing = listingOf(child, named);
    Frame frame;
    frame.pathLength = path_.size();
    frame.slot = child.slot;
    frame.zeroBelow = child.zeroBelow;
    frame.verdict = ownVerdict(ownOf(child), child.ownBytes);
    if (!listing.ok() || listing.value().subfoldersFailure)
        frame.ended = true;
    else if (named || !beyondOneFileSystem(settings_, listing.value()))
        frame.subfolders = std::move(listing.value().subfolders);
    stack_.push_back(std::move(frame));
}

void Searcher::leave()
{
    Frame& frame = stack_.back();
    if (frame.next < frame.subfolders.size())
        frame.verdict |= TreeVerdict::unknown();
    const TreeVerdict verdict = frame.verdict;
    if (frame.slot && record_)
        record_->settle(*frame.slot, verdict);
    stack_.pop_back();
    if (!stack_.empty()) {
        stack_.back().verdict |= verdict;
        path_.resize(stack_.back().pathLength);
    }
}

TreeVerdict Searcher::ownVerdict(const Judgement& own, OwnBytes ownBytes)
{
    if (!own.nothing())
        return TreeVerdict::content();
    TreeVerdict verdict;
    if (own.unsized) {
        verdict.everyFile = Verdict::Content;
        switch (ownBytes) {
        case OwnBytes::Unknown: verdict.bytesOnly = Verdict::Unknown; break;
        case OwnBytes::AllZero: verdict.bytesOnly = Verdict::Empty; break;
        case OwnBytes::SomeBytes: verdict.bytesOnly = Verdict::Content; break;
        }
    }
    return verdict;
}

void Searcher::report()
{
    results_.append(path_);
    results_.refresh();
}

} // namespace

void SearchEmptyFoldersinFolder(FileSystem& fs, const Settings& settings, const std::string& folder,
                                ResultsList& results, ScanHooks& hooks, ScanRecord* record)
{
    WalkScope walk(fs);
    WalkNeeds needs;
    try {
        needs.fileSizes = settings.zeroByteFilesCountAsEmpty();
    } catch (const std::exception&) {
        // Only a hint; the judging reads the option again and deals with it.
    }
    needs.modificationTimes = settings.extras() && settings.extras()->minAge;
    fs.expectWalk(needs);
    const std::string root = WithoutTrailingSeparator(folder);
    Searcher(fs, settings, root, results, hooks, record).run(root);
}

} // namespace vacantix
