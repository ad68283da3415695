// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Interrupt.h"

#include <atomic>
#include <csignal>

#include <windows.h>

namespace vacantix::cli {

namespace {

// The console runs its handlers on a thread of their own.
std::atomic<bool> interrupted{false};

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    // The second Ctrl-C is not caught: the default handler ends the program.
    return interrupted.exchange(true) ? FALSE : TRUE;
}

} // namespace

void CatchStopSignals()
{
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

int StopSignal()
{
    return interrupted.load() ? SIGINT : 0;
}

std::string_view StopSignalName(int)
{
    return "Ctrl-C";
}

} // namespace vacantix::cli
