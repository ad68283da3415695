// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vacantix::cli {

// Lets the first Ctrl-C (SIGINT) ask the run to stop; a second one ends the
// program at once, as the default action does.
void CatchInterrupt();

// True once Ctrl-C was pressed.
[[nodiscard]] bool Interrupted();

} // namespace vacantix::cli
