// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Interrupt.h"

#include <atomic>

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

void CatchInterrupt()
{
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool Interrupted()
{
    return interrupted.load();
}

} // namespace vacantix::cli
