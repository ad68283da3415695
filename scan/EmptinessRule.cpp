// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/EmptinessRule.h"

#include <utility>

#include "scan/ExcludedPaths.h"

namespace vacantix {

namespace {

Judgement found(Holds holds, Because because, std::string_view entry = {})
{
    return Judgement{holds, because, false, entry, nullptr};
}

// `failure` must outlive the judgement: the listing's, or one the rule keeps.
Judgement unreadable(const FsFailure& failure, std::string_view entry = {})
{
    return Judgement{Holds::Unknown, Because::Unreadable, false, entry, &failure};
}

} // namespace

FolderFiles ListFilesInFolder(FileSystem& fs, const std::string& folder, const Listing& listing,
                              bool zeroByteFilesCount, const ScanExtras* extras)
{
    FolderFiles files;
    const auto litter = [&](const FileEntry& file) {
        return file.kind == EntryKind::RegularFile && IsJunkFile(extras, file.name);
    };
    // Entries that need no look at their size first: they answer soonest.
    for (const FileEntry& file : listing.files) {
        if (litter(file)) {
            files.litter.push_back(file.name);
        } else if (file.kind != EntryKind::RegularFile || zeroByteFilesCount) {
            files.counted = file.name;
            return files;
        }
    }
    for (const FileEntry& file : listing.files) {
        if (file.kind != EntryKind::RegularFile || litter(file))
            continue;
        auto bytes = fs.fileSize(folder, file.name);
        // A file whose size cannot be read may well hold bytes.
        if (!bytes || bytes.value() > 0) {
            files.counted = file.name;
            if (!bytes)
                files.unsized = bytes.failure();
            return files;
        }
        files.zeroBytes.push_back(file.name);
    }
    return files;
}

EmptinessRule::EmptinessRule(FileSystem& fs, const Settings& settings, std::string top, bool topJudged)
    : fs_(fs), settings_(settings), top_(std::move(top)), topJudged_(topJudged)
{
}

const RealRoot& EmptinessRule::findReal() const
{
    return real_.emplace(fs_, top_);
}

Because EmptinessRule::keptOut(std::string_view path, std::string_view name) const
{
    // Below the top, `path` is longer than the top's.
    if (topJudged_ && path.size() == top_.size())
        return Because::Nothing;
    const IgnoreList& list = settings_.ignoreList();
    // Only an entry holding a "/" can equal a whole path, so the real path is
    // made only where the list holds one.
    if (list.matches(name) ||
        (!list.paths.empty() && (list.matches(real().of(path)) || (!real().givenIsReal() && list.matches(path)))))
        return Because::IgnoreList;
    const ScanExtras* extras = settings_.extras();
    if (extras && !extras->excludes.empty() && IsExcludedPath(extras, real(), path))
        return Because::Excluded;
    // The walk has judged every folder above this one, so its own name
    // tells the rest.
    if (real().inTrashBelowJudged(path, name))
        return Because::Trash;
    return Because::Nothing;
}

Judgement EmptinessRule::listed(const std::string& path, const FsResult<Listing>& listing, Look look,
                                FolderFiles* files) const
{
    if (!listing)
        return unreadable(listing.failure());
    const Listing& entries = listing.value();
    if (entries.protectedFolder)
        return found(Holds::Content, Because::Protected);
    // A folder changed too recently may still be at work.
    if (IsTooYoung(settings_.extras(), path, entries))
        return found(Holds::Content, Because::TooYoung);
    if (const auto& failed = entries.subfoldersFailure ? entries.subfoldersFailure : entries.filesFailure)
        return unreadable(*failed);
    if (look != Look::ListingOnly) {
        const FsResult<bool> attributes = HasProtectedAttributes(fs_, path);
        if (!attributes)
            return unreadable(keep(attributes.failure()));
        if (attributes.value())
            return found(Holds::Content, Because::Protected);
    }

    Judgement judgement;
    if (look == Look::ListingOnly) {
        for (const FileEntry& file : entries.files) {
            if (litter(file))
                continue;
            if (file.kind != EntryKind::RegularFile)
                return found(Holds::Content, Because::File, file.name);
            judgement.unsized = true;
        }
    } else {
        FolderFiles own = ListFilesInFolder(fs_, path, entries, look == Look::EveryFile, settings_.extras());
        if (own.counted && own.unsized)
            return unreadable(keep(*own.unsized), *own.counted);
        if (own.counted)
            return found(Holds::Content, Because::File, *own.counted);
        if (files)
            *files = std::move(own);
    }
    // What lies below a name the walks refuse cannot be vouched for.
    for (const std::string& name : entries.subfolders)
        if (IsRefusedSubfolderName(fs_, name))
            return found(Holds::Unknown, Because::RefusedName, name);
    return judgement;
}

const TreesBelow& EmptinessRule::findSystemTrees() const
{
    return systemTrees_.emplace(fs_.systemFolders(), real(), top_);
}

FsResult<bool> EmptinessRule::hidden(const std::string& path) const
{
    const FsResult<int> attributes = fs_.attributes(path);
    if (!attributes)
        return attributes.failure();
    return (attributes.value() & Hidden) != 0;
}

} // namespace vacantix
