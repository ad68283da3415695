// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

#include "platform/FileSystem.h"
#include "platform/ScanHooks.h"

namespace vacantix {

// Lets the event loop run whenever a slice of time has passed since it last
// ran, so that a long walk stays responsive between its fixed yield points.
// A check costs one read of a monotonic clock. A walk names the file system
// it reads, which is told after each yield that may have changed the disk.
class TimeSlice {
public:
    static constexpr std::chrono::milliseconds kSlice{50};

    explicit TimeSlice(ScanHooks& hooks, FileSystem* walked = nullptr)
        : hooks_(hooks), walked_(walked), last_(Clock::now())
    {
    }

    // Yields when the slice has run out.
    void tick()
    {
        if (Clock::now() - last_ >= kSlice)
            yield();
    }

    // Yields now (a fixed yield point) and starts a new slice.
    void yield()
    {
        hooks_.yield();
        if (walked_ && hooks_.yieldMayChangeDisk())
            walked_->callerYielded();
        last_ = Clock::now();
    }

private:
    using Clock = std::chrono::steady_clock;
    ScanHooks& hooks_;
    FileSystem* walked_;
    Clock::time_point last_;
};

} // namespace vacantix
