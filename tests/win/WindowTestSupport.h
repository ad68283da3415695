// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Driving real Win32 windows from a test on their own thread: acting on a
// window once it appears (also while a modal window's loop runs), running
// the event loop, clicking through messages, and pictures of what shows.

#include <functional>
#include <string>

#include <windows.h>

namespace vacantix::wintest {

// Runs `act` on the first visible top-level window of `windowClass` with
// the caption `title` (any caption when null) once it appears, from a
// timer of this thread's event loop; fails the test when none appears
// within 30 seconds.
void WhenWindowAppears(const wchar_t* windowClass, const wchar_t* title, std::function<void(HWND)> act);

// Runs `act` every `milliseconds` from this thread's event loop until the
// returned id is given to StopRepeating.
UINT_PTR Repeat(UINT milliseconds, std::function<void()> act);
void StopRepeating(UINT_PTR id);

// Handles this thread's pending messages.
void PumpMessages();

// Runs this thread's event loop until `done` holds, for 30 seconds at most;
// false when it did not come to hold.
bool RunLoopUntil(const std::function<bool()>& done);

// Presses and releases the left mouse button at a point of a window's
// client area, as the window hears it from the mouse.
void ClickAt(HWND window, POINT point);

// The text of a static text or a control with the identifier `id` in `window`.
[[nodiscard]] std::wstring ItemText(HWND window, int id);

// A window's rectangle in its parent's client area.
[[nodiscard]] RECT PlaceInParent(HWND control);

// Saves what the screen shows of `window`'s client area as a PNG file in
// the folder VACANTIX_SCREENSHOTS names; nothing when it names none.
void SaveScreenshot(HWND window, const std::wstring& name);

} // namespace vacantix::wintest
