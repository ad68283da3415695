// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include <windows.h>

namespace vacantix::win {

// The mouse pointer a window shows over itself and its controls: the
// arrow, the busy pointer, a custom pointer (the cursor file loaded, else
// the system's hand), or the default of the place under the mouse (the
// control's own, a text box's I-beam). The window sets it in its
// WM_SETCURSOR (apply).
class PointerCursor {
public:
    enum class Shape { PlaceDefault, Arrow, Busy, Custom };

    PointerCursor() = default;
    ~PointerCursor();
    PointerCursor(const PointerCursor&) = delete;
    PointerCursor& operator=(const PointerCursor&) = delete;

    // Loads a cursor file (.cur or .ani, an extended path) as the custom
    // pointer. Throws Failure when it cannot be read or holds no cursor.
    void loadFile(const std::wstring& path);

    // Shows `shape` over `window` from now on, at once where the mouse is
    // over it.
    void show(HWND window, Shape shape);

    // Sets the pointer, in a WM_SETCURSOR; false when the place under the
    // mouse is to show its own (PlaceDefault).
    bool apply() const;

private:
    [[nodiscard]] HCURSOR cursor() const;

    HCURSOR custom_ = nullptr;
    Shape shape_ = Shape::PlaceDefault;
};

} // namespace vacantix::win
