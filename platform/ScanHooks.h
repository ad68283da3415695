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

    // False when yield() runs nothing that could change the disk (no event
    // loop), so that a walk may keep what it read ahead across it.
    [[nodiscard]] virtual bool yieldMayChangeDisk() const { return true; }

    // True once the user asked the run to stop.
    [[nodiscard]] virtual bool stopRequested() { return false; }

    // Shows where the scan is ("Searching /path", or the list's own header).
    virtual void setStatusText(std::string_view) {}

    // Counts one folder examined, for progress displays.
    virtual void folderExamined(std::string_view) {}

    // A folder the search could not list (wholly or in part), with the
    // platform's reason: its tree counts as holding content, so no folder
    // above it is reported. The window says nothing of it.
    virtual void folderUnreadable(std::string_view /*path*/, std::string_view /*reason*/) {}

    // A root that lies in a system tree while those are skipped: nothing
    // below it is reported.
    virtual void rootInSystemTree(std::string_view) {}

    // A root that is itself ignored (on the ignore list, or one of the
    // trash's own folders): it is not searched.
    virtual void rootIgnored(std::string_view) {}
};

} // namespace vacantix
