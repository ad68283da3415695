// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/EmptinessRule.h"

#include <array>
#include <utility>

#include "platform/PathRoot.h"
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

// False for most names at the first look: every name of a folder other
// programs rely on is 3, 4 or 6 bytes long and starts with ".", "_", "c",
// "n" or "t".
bool mayBeProgramFolder(std::string_view name)
{
    constexpr unsigned kLengths = 1u << 3 | 1u << 4 | 1u << 6;
    if (name.size() > 6 || (kLengths >> name.size() & 1u) == 0)
        return false;
    switch (name.front()) {
    case '.':
    case '_':
    case 'c':
    case 'n':
    case 't': return true;
    default: return false;
    }
}

bool sameLetters(std::string_view name, std::string_view lower)
{
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] - 'A' + 'a') : name[i];
        if (c != lower[i])
            return false;
    }
    return true;
}

// A version-control metadata folder. In any letter case: where the file
// system ignores case, the tools find it so.
bool isVersionControlFolder(std::string_view name)
{
    switch (name.size()) {
    case 3: return sameLetters(name, ".hg");
    case 4: return sameLetters(name, ".git") || sameLetters(name, ".svn") || sameLetters(name, ".bzr");
    case 6: return sameLetters(name, "_darcs");
    default: return false;
    }
}

// The three folders of a mail folder, as mail programs spell them.
constexpr std::array<std::string_view, 3> kMailParts{"cur", "new", "tmp"};

// The bit of a mail folder's part named `name`, or 0.
unsigned mailPartBit(std::string_view name)
{
    if (name.size() != 3)
        return 0;
    for (std::size_t part = 0; part < kMailParts.size(); ++part)
        if (name == kMailParts[part])
            return 1u << part;
    return 0;
}

constexpr unsigned kWholeMailFolder = 7;

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
    if (!includesProgramFolders() &&
        (path.size() == top_.size() ? topInProgramFolder() : mayBeProgramFolder(name) && isProgramFolder(path, name)))
        return Because::ProgramFolder;
    return Because::Nothing;
}

bool EmptinessRule::isProgramFolder(std::string_view path, std::string_view name) const
{
    if (isVersionControlFolder(name))
        return true;
    const unsigned part = mailPartBit(name);
    if (part == 0)
        return false;
    // Its parent's listing is not at hand: the disk tells whether the other
    // two stand beside it.
    const std::string parent = ParentPath(path);
    for (std::size_t other = 0; other < kMailParts.size(); ++other)
        if ((1u << other) != part && !fs_.isDirectory(ChildPath(parent, kMailParts[other])))
            return false;
    return true;
}

bool EmptinessRule::topInProgramFolder() const
{
    if (topInProgramFolder_)
        return *topInProgramFolder_;
    // Every folder on the way to the top, as given and by its real path.
    const auto onTheWay = [&](std::string_view top) {
        for (std::size_t end = top.size(); end > 0;) {
            const std::size_t slash = top.rfind('/', end - 1);
            const std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
            const std::string_view path = top.substr(0, end);
            if (start < end && mayBeProgramFolder(path.substr(start)) && isProgramFolder(path, path.substr(start)))
                return true;
            end = slash == std::string_view::npos ? 0 : slash;
        }
        return false;
    };
    topInProgramFolder_ =
        onTheWay(top_) || (!real().failure() && !real().givenIsReal() && onTheWay(real().of(top_)));
    return *topInProgramFolder_;
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

    // A folder other programs rely on is content; the names the walks
    // refuse come after the files, which answer more plainly.
    const std::string* refused = nullptr;
    const bool programFolders = !includesProgramFolders();
    unsigned mailParts = 0;
    for (const std::string& name : entries.subfolders) {
        if (programFolders && mayBeProgramFolder(name) &&
            (isVersionControlFolder(name) || (mailParts |= mailPartBit(name)) == kWholeMailFolder))
            return found(Holds::Content, Because::ProgramFolder, name);
        if (!refused && IsRefusedSubfolderName(fs_, name))
            refused = &name;
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
    if (refused)
        return found(Holds::Unknown, Because::RefusedName, *refused);
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
