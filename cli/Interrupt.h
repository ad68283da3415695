// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace vacantix::cli {

// Lets the first signal that asks the program to end ask the run to stop
// instead: Ctrl-C (SIGINT), and on POSIX SIGTERM and SIGHUP, which kill,
// systemd and a closing terminal send. A second signal of the same kind
// ends the program at once, as its default action does.
void CatchStopSignals();

// The first of those signals that came, 0 while none did.
[[nodiscard]] int StopSignal();

// How messages name a signal that StopSignal() gives: "Ctrl-C", "SIGTERM",
// "SIGHUP".
[[nodiscard]] std::string_view StopSignalName(int signal);

} // namespace vacantix::cli
