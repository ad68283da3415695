// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Interrupt.h"

#include <csignal>

namespace vacantix::cli {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void OnStopSignal(int signal)
{
    if (stopSignal == 0)
        stopSignal = signal;
}

} // namespace

void CatchStopSignals()
{
    struct sigaction action{};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // The second signal of a kind is not caught. No SA_RESTART: a wait for
    // a list on standard input or for a FIFO's writer ends with EINTR, and
    // every write of the program's output resumes by itself (WriteAll).
    action.sa_flags = SA_RESETHAND;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

int StopSignal()
{
    return stopSignal;
}

std::string_view StopSignalName(int signal)
{
    switch (signal) {
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "Ctrl-C";
    }
}

} // namespace vacantix::cli
