// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace vacantix {

// A path as one line of text that names it and nothing else, in the quoting
// a POSIX shell (bash, zsh, ksh) reads back as the same bytes. A path of
// printable UTF-8 without a single quote stays as it is. Otherwise the path
// is quoted: a single quote alone gives '...' (with ' written '\''); a control
// character or a byte that is no UTF-8 gives runs of '...' for the printable
// text and $'...' for the rest, with \n, \t, \r, \', \\ and \xHH escapes.
// So no quoted line holds a line break, and a line that holds no ' is the
// path itself.
[[nodiscard]] std::string ShellQuoted(std::string_view path);

// True when ShellQuoted(path) is not the path itself. Printable ASCII other
// than the single quote is told at a glance, a byte at a time.
[[nodiscard]] bool NeedsShellQuoting(std::string_view path);

} // namespace vacantix
