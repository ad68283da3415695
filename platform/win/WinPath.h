// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The conversions at the edge between the engine and Win32: texts between
// UTF-8 and UTF-16, engine paths ("C:/Users/x", "//server/share/x") and the
// extended paths the wide calls take ("\\?\C:\Users\x",
// "\\?\UNC\server\share\x"), attribute values and error codes. Pure
// functions except FailureOfWin32, which asks the system for its text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace vacantix {

// UTF-16 as UTF-8. A lone surrogate, which a Windows file name may hold, is
// written as the three bytes of its code (generalized UTF-8), so that every
// name read from the disk converts back to the same name.
[[nodiscard]] std::string Utf8OfWide(std::wstring_view text);

// UTF-8 (generalized, as above) as UTF-16; nothing for a byte sequence that
// is not one: a stray continuation byte, an overlong form, a cut sequence.
[[nodiscard]] std::optional<std::wstring> WideOfUtf8(std::string_view text);

// The extended Win32 path of an absolute engine path: a drive path "C:/x"
// ("C:" and "C:/" name the drive's root), a share path "//server/share/x",
// or a path already in "//?/" form; "\" is taken as "/" too, doubled and
// trailing separators are dropped, and "." and ".." are resolved by name,
// as Win32 resolves them in a path that is not extended (the extended form
// would take them as names). Nothing for a path that is relative, starts at
// the root of the current drive, has a ":" below its root (a stream of a
// file, not a file), or is not UTF-8.
[[nodiscard]] std::optional<std::wstring> ExtendedPath(std::string_view path);

// The engine path of a Win32 path, extended or not: "\\?\C:\x" gives
// "C:/x", "\\?\UNC\server\share\x" gives "//server/share/x", a drive root
// gives "C:/".
[[nodiscard]] std::string EnginePath(std::wstring_view native);

// True for the root of a drive ("C:", "C:/") or of a share
// ("//server/share", "//server/share/").
[[nodiscard]] bool IsDriveOrShareRoot(std::string_view path);

// The drive or share root an absolute engine path lies on, in engine form
// ("C:/", "//server/share/"), or "" when it has none.
[[nodiscard]] std::string RootOf(std::string_view path);

// True when a path that is not extended names the file of this name
// exactly: Win32 drops a final "." or blank from a name, takes CON, NUL,
// COM1 and the like (with any extension) as devices, and shell calls take
// "*" and "?" as wildcards. The recycle bin, which takes no extended path,
// is given only names for which this holds.
[[nodiscard]] bool IsPlainWin32Name(std::string_view name);

// Win32 file attribute bits, as FindFirstFileExW and GetFileAttributesW give them.
namespace win32 {
inline constexpr std::uint32_t kReadOnly = 0x1;
inline constexpr std::uint32_t kHidden = 0x2;
inline constexpr std::uint32_t kSystem = 0x4;
inline constexpr std::uint32_t kDirectory = 0x10;
inline constexpr std::uint32_t kArchive = 0x20;
inline constexpr std::uint32_t kReparsePoint = 0x400;
inline constexpr std::uint32_t kCompressed = 0x800;
} // namespace win32

// What a listed entry is: anything with a reparse point (a junction, a
// symbolic link, a mounted volume, a cloud placeholder) is a link, never a
// folder, whatever it points to.
[[nodiscard]] EntryKind KindOfAttributes(std::uint32_t attributes);

// The folder attribute value of Win32 attributes: read-only, hidden,
// system, directory, archive, alias (a reparse point) and compressed, as
// the exclusion rules read them; other bits (not indexed, offline, ...) are
// left out, so that the protected-folder values stay exact.
[[nodiscard]] int FolderAttributesOf(std::uint32_t attributes);

// The failure class of a Win32 error code.
[[nodiscard]] FsError FsErrorOfWin32(std::uint32_t error);

// The failure of a Win32 error code, with the system's text for it.
[[nodiscard]] FsFailure FailureOfWin32(std::uint32_t error);

// The failure of the calling thread's last Win32 error.
[[nodiscard]] FsFailure LastFailure();

} // namespace vacantix
