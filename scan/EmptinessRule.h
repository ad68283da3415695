// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "scan/ExclusionRules.h"
#include "scan/TreesBelow.h"
#include "settings/Settings.h"

namespace vacantix {

// What one look at a folder tells about whether its tree holds content.
enum class Holds : std::uint8_t {
    Nothing, // nothing that counts, as far as the look went
    Content, // something that counts: the folder, and every folder above it, stays
    Unknown, // it could not be told: kept, as content is
};

// Why a look found content or could not tell.
enum class Because : std::uint8_t {
    Nothing,
    IgnoreList,    // on the ignore list, by its name or its whole path
    Excluded,      // its path matches an exclude pattern of the run
    Trash,         // one of the trash's own folders, or inside one
    ProgramFolder, // a folder other programs rely on, inside one, or holding one (`entry`)
    Protected,     // kept by the platform for itself (see IsProtectedFolder)
    TooYoung,      // changed within the run's minimum age
    File,          // holds a file that counts: `entry`
    Unreadable,    // not listed, or the size of file `entry` not read: `failure` says why
    RefusedName,   // holds a subfolder `entry` that no walk follows
};

// Small and cheap to make, as a walk asks for two of them at every folder.
struct Judgement {
    Holds holds = Holds::Nothing;
    Because because = Because::Nothing;
    // With Look::ListingOnly and nothing else found: the folder holds
    // regular files whose sizes were not read, which count unless regular
    // files of 0 bytes count as nothing and they hold none.
    bool unsized = false;
    // The name it is about, if any, as the listing judged holds it.
    std::string_view entry;
    // Why, when Unreadable: in the listing judged, or kept by the rule until
    // its next look.
    const FsFailure* failure = nullptr;

    [[nodiscard]] bool nothing() const { return holds == Holds::Nothing; }
    // True when the folder is kept whatever its files hold: it is protected,
    // too young, or holds a folder other programs rely on.
    [[nodiscard]] bool keptWhateverItsFiles() const
    {
        return because == Because::Protected || because == Because::TooYoung || because == Because::ProgramFolder;
    }
};

// The entries of `folder` (as read in `listing`) that are not folders, as
// the emptiness rule sees them. Any such entry counts as a file, whether it
// can be opened or not (links, sockets and devices too), except the regular
// files `extras` name as litter (of any size) and, while
// `zeroByteFilesCount` is false, regular files of 0 bytes. Entries that need
// no look at their size come first, and the first that counts ends the look.
struct FolderFiles {
    std::optional<std::string_view> counted; // the name of a file that counts, if any, in `listing`
    std::optional<FsFailure> unsized;        // why its size could not be read, when that made it count
    // Until a file counts: the regular files of 0 bytes that do not, and the litter.
    std::vector<std::string> zeroBytes;
    std::vector<std::string> litter;
};
[[nodiscard]] FolderFiles ListFilesInFolder(FileSystem& fs, const std::string& folder, const Listing& listing,
                                            bool zeroByteFilesCount, const ScanExtras* extras);

// The one rule of what a folder's tree holds, for every walk that judges
// one: the search (and the record it keeps), the final pass, and the fresh
// look before a folder is moved or removed. A walk asks it twice about each
// folder, top down: keptOut before listing it, listed once it is listed; a
// folder's tree holds nothing only while both say Nothing for it and for
// every folder below it. It reads the run's settings when asked (the
// ignore list; the extras: litter, minimum age, exclude patterns, whether
// folders other programs rely on are included) and
// throws the Failure of one that cannot be read. What the search alone
// offers or not (system trees, hidden folders) it answers too, apart:
// those folders are searched and their trees judged like any other.
//
// Folders that hold content whatever they hold: those on the ignore list or
// matching an exclude pattern, the trash's own (see RealRoot) and, unless
// the run's extras include them, the folders other programs rely on, which
// no walk enters; and those the platform keeps for itself, inside which
// only the search goes on, judging each folder on its own. A folder holding
// one holds content. The folders other programs rely on are the metadata
// folders of version control (.git, .hg, .svn, .bzr and _darcs, in any
// letter case) and the cur, new and tmp folders of a mail folder (one that
// holds all three); a folder inside one is kept out with it.
class EmptinessRule {
public:
    // How far a look at a listed folder goes beyond its listing.
    enum class Look : std::uint8_t {
        ListingOnly,    // not at all: regular files are left unsized, attributes unread
        EveryFile,      // every file counts; attributes are read where folders carry them
        ZeroBytesLetGo, // the same, but regular files of 0 bytes count as nothing
    };

    // Judges `top` (absolute, as given, without trailing separator) and the
    // folders below it. With `topJudged`, the top's own name and place were
    // judged by a look just made, and keptOut lets it pass; the real path of
    // the top is then found only once a folder below it needs it.
    EmptinessRule(FileSystem& fs, const Settings& settings, std::string top, bool topJudged = false);

    // The folder at `path` (the top or a folder below it, as given, named
    // `name`), before it is listed: Because::Nothing, or why it is kept out,
    // unlisted with everything below it; it then holds content.
    [[nodiscard]] Because keptOut(std::string_view path, std::string_view name) const;

    // The folder at `path` as listed. Nothing when nothing in it counts;
    // with `files`, fills in the files it let go (see FolderFiles). Never
    // throws for the disk: what cannot be read is Unknown.
    [[nodiscard]] Judgement listed(const std::string& path, const FsResult<Listing>& listing, Look look,
                                   FolderFiles* files = nullptr) const;

    // True when `file` is litter of the run: it counts as nothing.
    [[nodiscard]] bool litter(const FileEntry& file) const
    {
        return file.kind == EntryKind::RegularFile && IsJunkFile(settings_.extras(), file.name);
    }

    // For the search's offer alone: whether `path` lies in a system tree,
    // judged by its real path and the path as given; whether the folder
    // carries the hidden attribute.
    [[nodiscard]] bool inSystemTree(std::string_view path) const
    {
        return (systemTrees_ ? *systemTrees_ : findSystemTrees()).contain(path);
    }
    [[nodiscard]] FsResult<bool> hidden(const std::string& path) const;

    // The top's real path and the rules that go by it, found on first use.
    [[nodiscard]] const RealRoot& real() const { return real_ ? *real_ : findReal(); }

private:
    const RealRoot& findReal() const;
    const TreesBelow& findSystemTrees() const;
    const FsFailure& keep(FsFailure failure) const { return failure_.emplace(std::move(failure)); }
    [[nodiscard]] bool includesProgramFolders() const
    {
        return settings_.extras() && settings_.extras()->includeProgramFolders;
    }
    [[nodiscard]] bool isProgramFolder(std::string_view path, std::string_view name) const;
    [[nodiscard]] bool topInProgramFolder() const;

    FileSystem& fs_;
    const Settings& settings_;
    std::string top_;
    bool topJudged_;
    mutable std::optional<RealRoot> real_;
    mutable std::optional<TreesBelow> systemTrees_;
    mutable std::optional<FsFailure> failure_;
    mutable std::optional<bool> topInProgramFolder_;
};

} // namespace vacantix
