// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vacantix {

// The one place that knows where a path's root ends. The engine writes every
// path with "/" between its parts, on Windows too; the platform layer turns
// them into its own form, and the programs show native separators at their
// edges (ToNativePath, FromNativePath).
//
// POSIX: a path starting with "/" is absolute and its root is that "/".
// Windows: "C:/" (or "C:" alone, taken as that drive's root), "//server/share/"
// (the share is part of the root), "/" alone or before a name (the current
// drive's root), and the same behind a "//?/" or "//./" prefix ("//?/C:/",
// "//?/UNC/server/share/"). "C:name", relative to the drive's current folder,
// has no root here.
enum class PathSyntax : std::uint8_t { Posix, Windows };

#ifdef _WIN32
inline constexpr PathSyntax kNativeSyntax = PathSyntax::Windows;
#else
inline constexpr PathSyntax kNativeSyntax = PathSyntax::Posix;
#endif

// Bytes of `path` its root takes, including the separator that ends it; 0 for
// a relative path.
[[nodiscard]] std::size_t RootLength(std::string_view path, PathSyntax syntax = kNativeSyntax);

// True when `path` has a root, so it names the same folder wherever the
// program runs from.
[[nodiscard]] bool IsAbsolutePath(std::string_view path, PathSyntax syntax = kNativeSyntax);

// True when `path` is a root and nothing more (trailing separators aside):
// "/", "C:/", "C:", "//server/share".
[[nodiscard]] bool IsRootPath(std::string_view path, PathSyntax syntax = kNativeSyntax);

// The folder holding `path`: the path up to its last separator, the root for
// an entry just below it, and the path itself for a root. "" for a relative
// name without a separator.
[[nodiscard]] std::string ParentPath(std::string_view path, PathSyntax syntax = kNativeSyntax);

// A path as the user writes it on this platform: on Windows "/" becomes "\";
// on POSIX the path is kept byte for byte.
[[nodiscard]] std::string ToNativePath(std::string_view path, PathSyntax syntax = kNativeSyntax);

// A path the user typed, in the engine's form: on Windows "\" becomes "/" and
// the "//?/" long-path prefix goes ("//?/C:/x" is "C:/x", "//?/UNC/s/h" is
// "//s/h"); on POSIX the path is kept byte for byte.
[[nodiscard]] std::string FromNativePath(std::string_view path, PathSyntax syntax = kNativeSyntax);

} // namespace vacantix
