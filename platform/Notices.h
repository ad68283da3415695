// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace vacantix {

// What the platform layer did on its own that the user should hear of,
// such as a file put back where a stopped run had set it aside. Any thread
// may post one; the program takes them at its next chance to speak.
void PostNotice(std::string text);

// The notices posted since the last call, oldest first.
[[nodiscard]] std::vector<std::string> TakeNotices();

} // namespace vacantix
