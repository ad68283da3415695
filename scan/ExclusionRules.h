// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "settings/Settings.h"

namespace vacantix {

// True when `text` (a bare folder name, or a whole path) equals an entry of
// the ignore list ("Text1"), ignoring case; only whole entries match.
[[nodiscard]] bool IsIgnoredName(const Settings& settings, std::string_view text);

// True when `path` is one of the system trees of `fs` or lies below one
// (the tree followed by "/"). Case counts, as it does on the disk. The path
// is compared as it stands: give it a real path (see RealRoot), so that no
// spelling ("//usr", "/tmp/../usr", a link to /usr) leads around the test.
[[nodiscard]] bool IsInSystemFolder(const FileSystem& fs, std::string_view path);

// The real paths of the folders at and below one root, for the rules that go
// by whole paths (system trees, whole paths on the ignore list, the trash's
// own folders). The root's real path is asked of the file system once, and
// so are those of the home trash's places (see HomeTrashFolders); a folder
// below the root has the root's real path followed by the rest of its own
// path, as it stands, since links below a root are never followed. The paths
// shown and deleted stay as given.
class RealRoot {
public:
    // `root`: the root as given, absolute, without a trailing separator.
    RealRoot(FileSystem& fs, std::string root);

    // Why the root's real path could not be found, if it could not.
    [[nodiscard]] const std::optional<FsFailure>& failure() const { return failure_; }

    // True when the root as given is its own real path.
    [[nodiscard]] bool givenIsReal() const { return real_ == root_; }

    // The real path of `path`: the root or a folder below it, as given.
    // The path as given while the root's real path is unknown.
    [[nodiscard]] std::string of(std::string_view path) const;

    // True when `path` (the root or a folder below it, as given, named
    // `name`) is one of the trash's own folders or lies in one: the user's
    // home trash, found by its real path, or a folder named as a
    // top-directory trash (see IsTrashFolderName), wherever it lies, in the
    // real path or the path as given. For a folder reached by a walk from
    // the root that has judged every folder above it already: only its own
    // name and the home trashes below the root are looked at.
    [[nodiscard]] bool inTrashBelowJudged(std::string_view path, std::string_view name) const;

private:
    [[nodiscard]] bool inHomeTrashBelow(std::string_view path) const;

    std::string root_;
    std::string real_;
    std::optional<FsFailure> failure_;
    bool rootInTrash_ = false;
    std::vector<std::string> homeTrashesBelow_; // those that exist, as spelled below the root
};

// True when the folder is not the root folder and either the platform keeps
// it for itself (FileSystem::isProtected: a mount point, lost+found at the
// top of a file system) or its attribute value is exactly 22 (directory,
// system, hidden) or 1046 (the same plus alias); the attribute test is made
// only where folders carry a System attribute. A failure to read the
// attributes is thrown as the Failure of its class.
[[nodiscard]] bool IsProtectedFolder(FileSystem& fs, const std::string& folder);

// The attribute part of that test alone, without throwing: false for the
// root folder and where folders carry no System attribute.
[[nodiscard]] FsResult<bool> HasProtectedAttributes(FileSystem& fs, const std::string& folder);

// True when a folder name holds something the enumeration must not follow:
// a byte sequence that is not UTF-8, a code point below 32 or from 127 to
// 159, or "?". An empty name is safe.
[[nodiscard]] bool HasUnsafeCharacters(std::string_view name);

// True when the enumeration refuses to follow a subfolder of this name:
// unsafe characters, "." or "..", or a name too long for `fs`.
[[nodiscard]] bool IsRefusedSubfolderName(const FileSystem& fs, std::string_view name);

} // namespace vacantix
