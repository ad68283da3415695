// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>

namespace vacantix::win {

// The program icon (resource 1 of the executable) in a window's title bar
// and task bar, in the sizes of the window's DPI. Owns the icons it loaded.
class WindowIcon {
public:
    WindowIcon() = default;
    ~WindowIcon();
    WindowIcon(const WindowIcon&) = delete;
    WindowIcon& operator=(const WindowIcon&) = delete;

    // Gives `window` the icon; false when the executable has none.
    bool showIn(HWND window);

private:
    void release();

    HICON large_ = nullptr;
    HICON little_ = nullptr;
};

} // namespace vacantix::win
