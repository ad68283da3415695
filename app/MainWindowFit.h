// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/MainWindowDesign.h"

namespace vacantix {

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// The main window's client area on a screen, in pixels, for every toolkit:
// how large it starts, how small it may become, and where each control of
// the design stands in a client area of any size.
//
// The design is the first size. The window may grow (and be maximised); the
// two lists take the height gained, in the proportion of their designed
// heights, and every control grows with the width, the two columns of
// buttons sharing it. It may not shrink below the design, except on a
// screen whose room is smaller: there it starts, and may shrink, to that
// room, the lists giving up height down to a few rows each, so that every
// button can still be reached.
class MainWindowFit {
public:
    // `scale` is the windows' design scale (see DesignScale); `room` is the
    // client area the screen can show at most (its available area less the
    // window's frame).
    MainWindowFit(double scale, PixelSize room);

    [[nodiscard]] PixelSize designed() const { return designed_; }
    [[nodiscard]] PixelSize least() const { return least_; }
    [[nodiscard]] PixelSize first() const { return first_; }

    // The place of a control of kMainWindowControls in a client area of
    // `shown` size.
    [[nodiscard]] PixelRect place(const ControlDesign& control, PixelSize shown) const;

private:
    [[nodiscard]] int x(int twips, int shownWidth) const;
    [[nodiscard]] int y(int twips, int shownHeight) const;

    double scale_;
    PixelSize designed_;
    PixelSize least_;
    PixelSize first_;
};

} // namespace vacantix
