// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/win/MeasuredScan.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "app/MainWindow.h"
#include "app/win/Win32MainWindow.h"
#include "platform/FileSystem.h"

namespace vacantix {

namespace {

using Clock = std::chrono::steady_clock;

// The message loop's turns as a timer sees them: a tick handled late means
// the loop did not turn meanwhile.
struct TurnGauge {
    Clock::time_point last = Clock::now();
    Clock::duration longest{};

    static TurnGauge& Running()
    {
        static TurnGauge gauge;
        return gauge;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        TurnGauge& gauge = Running();
        const Clock::time_point now = Clock::now();
        gauge.longest = std::max(gauge.longest, now - gauge.last);
        gauge.last = now;
    }
};

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

} // namespace

void UnattendedPrompter::message(std::string_view text)
{
    std::fprintf(stderr, "vacantix: %.*s\n", static_cast<int>(text.size()), text.data());
}

bool UnattendedPrompter::ask(std::string_view text)
{
    message(text);
    return false;
}

void UnattendedPrompter::errorReport(std::string_view text)
{
    message(text);
}

void MeasureScan(Win32MainWindow& window, MainWindow& core, const std::string& root)
{
    core.folderList().append(WithTrailingSeparator(root));
    core.folderList().flush();
    TurnGauge& gauge = TurnGauge::Running();
    const UINT_PTR timer = SetTimer(nullptr, 0, 5, &TurnGauge::Tick);
    const Clock::time_point start = Clock::now();
    gauge = TurnGauge{};
    window.button(Button::Scan).click();
    const Clock::duration took = Clock::now() - start;
    TurnGauge::Tick(nullptr, 0, 0, 0);
    KillTimer(nullptr, timer);
    std::printf("window scan: %zu results in %.3f s; longest gap between message-loop turns %.1f ms "
                "(between yields %.1f ms)\n",
                core.results().count(), Milliseconds(took) / 1000, Milliseconds(gauge.longest),
                core.longestYieldGapMs());
    std::fflush(stdout);
}

} // namespace vacantix
