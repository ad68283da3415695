// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "settings/OwnChanges.h"

namespace vacantix {

// Choices of one command-line run that the window never makes: the search,
// the final pass and the fresh look before deletion read them through the
// Settings they are given. Absent (the window's case), nothing changes.
struct ScanExtras {
    // Names of regular files that count as litter, not content: exact names
    // compared without letter case, or "._*" for every name starting "._".
    std::vector<std::string> junkNames;

    // The names --junk-default stands for.
    static const std::vector<std::string>& defaultJunkNames();

    // True when a regular file called `name` is litter.
    [[nodiscard]] bool isJunk(std::string_view name) const;

    // When set, a folder modified less than this long ago holds content, and
    // so does every folder above it: something may still be at work in it.
    std::optional<std::chrono::seconds> minAge;

    // The folders the run changed itself while deleting, which deletion
    // notes: their change is not something at work in them. Shared by the
    // copies of one run's extras.
    std::shared_ptr<OwnChanges> ownChanges = std::make_shared<OwnChanges>();

    // True when `folder`, read in `listing`, was modified within minAge of
    // now, or cannot tell when it was modified; a modification that is the
    // run's own (see ownChanges) does not count.
    [[nodiscard]] bool tooYoung(std::string_view folder, const Listing& listing) const;

    // The search does not enter a folder another file system is mounted on,
    // bind mounts included (see FileSystem::isProtected; lost+found at the
    // top of a file system is kept out with them); such a folder holds
    // content, as it always does.
    bool oneFileSystem = false;

    // Glob patterns of whole paths (see PathMatchesGlob): a folder matching
    // one is neither searched nor offered, and its tree holds content.
    std::vector<std::string> excludes;

    // The folders other programs rely on (version-control metadata, a mail
    // folder's cur, new and tmp; see EmptinessRule) are searched, offered
    // and deleted like any other, as the user asked for on purpose.
    bool includeProgramFolders = false;
};

// True when `extras` is given and finds `folder`, read in `listing`, too young.
[[nodiscard]] inline bool IsTooYoung(const ScanExtras* extras, std::string_view folder, const Listing& listing)
{
    return extras && extras->tooYoung(folder, listing);
}

// The seconds a duration such as "30m", "12h", "7d" or "90s" stands for;
// unset for any other text.
[[nodiscard]] std::optional<std::chrono::seconds> ParseDuration(std::string_view text);

// True when `extras` is given and names `name` as litter.
[[nodiscard]] inline bool IsJunkFile(const ScanExtras* extras, std::string_view name)
{
    return extras && extras->isJunk(name);
}

} // namespace vacantix
