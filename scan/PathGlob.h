// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace vacantix {

// True when `path` (an absolute path) matches the shell glob `pattern`,
// the whole path, component by component: "*" matches any run of bytes
// within one component (a leading "." included), "?" one byte, "[...]" one
// byte of a set ("[!...]" or "[^...]" one byte outside it, "a-z" a range),
// "\" takes the next byte literally, and a component that is exactly "**"
// matches any number of whole components, none included. Empty components
// (doubled or trailing separators) count for nothing on either side. A
// pattern not starting with "/" may match at any depth, as if it started
// with "**/". An empty pattern matches nothing. Case counts. The time taken grows with the product of the
// lengths, however many stars the pattern holds: no backtracking explosion.
[[nodiscard]] bool PathMatchesGlob(std::string_view pattern, std::string_view path);

} // namespace vacantix
