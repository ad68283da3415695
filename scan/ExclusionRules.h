// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

#include "platform/FileSystem.h"
#include "settings/Settings.h"

namespace vacantix {

// True when `text` (a bare folder name, or a whole path) equals an entry of
// the ignore list ("Text1"), ignoring case; only whole entries match.
[[nodiscard]] bool IsIgnoredName(const Settings& settings, std::string_view text);

// True when `path` is one of the system trees of `fs` or lies below one
// (the tree followed by "/"). Case counts, as it does on the disk.
[[nodiscard]] bool IsInSystemFolder(const FileSystem& fs, std::string_view path);

// True when the folder is not the root folder and its attribute value is
// exactly 22 (directory, system, hidden) or 1046 (the same plus alias).
// Never true where folders carry no System attribute. A failure to read the
// attributes is thrown as the Failure of its class.
[[nodiscard]] bool IsProtectedFolder(FileSystem& fs, const std::string& folder);

// True when a folder name holds something the enumeration must not follow:
// a byte sequence that is not UTF-8, a code point below 32 or from 127 to
// 159, or "?". An empty name is safe.
[[nodiscard]] bool HasUnsafeCharacters(std::string_view name);

// True when the enumeration refuses to follow a subfolder of this name:
// unsafe characters, "." or "..", or a name too long for `fs`.
[[nodiscard]] bool IsRefusedSubfolderName(const FileSystem& fs, std::string_view name);

} // namespace vacantix
