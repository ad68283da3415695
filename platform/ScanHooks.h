// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace vacantix {

// What a running scan asks of whoever drives it.
class ScanHooks {
public:
    virtual ~ScanHooks() = default;

    // Lets the event loop run once (clicks, repaints, closing the window).
    virtual void yield() {}

    // True once the user asked the run to stop.
    [[nodiscard]] virtual bool stopRequested() { return false; }

    // Shows where the scan is ("Searching /path", or the list's own header).
    virtual void setStatusText(std::string_view) {}

    // Counts one folder examined, for progress displays.
    virtual void folderExamined(std::string_view) {}
};

} // namespace vacantix
