// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindowFit.h"

#include <algorithm>
#include <cmath>

namespace vacantix {

namespace {

// The margin around the controls, kept as designed at any size.
constexpr int kMarginTwips = 120;
// The height a list keeps at least: its header and two rows or so.
constexpr int kLeastListTwips = 900;

const ControlDesign& ListDesign(ListId list)
{
    for (const ControlDesign& control : kMainWindowControls)
        if (control.kind == ControlKind::ListView && control.number == static_cast<int>(list))
            return control;
    return kMainWindowControls[0]; // not reached: both lists are in the table
}

int Bottom(const DesignRect& place)
{
    return place.top + place.height;
}

} // namespace

MainWindowFit::MainWindowFit(double scale, PixelSize room)
    : scale_(scale),
      designed_{TwipsToPixels(kMainWindowWidth, scale), TwipsToPixels(kMainWindowHeight, scale)}
{
    const int listsGiveUp = ListDesign(ListId::Folders).place.height + ListDesign(ListId::Results).place.height -
                            2 * kLeastListTwips;
    const PixelSize floor{designed_.width / 2, TwipsToPixels(kMainWindowHeight - listsGiveUp, scale)};
    first_ = {std::min(designed_.width, std::max(room.width, floor.width)),
              std::min(designed_.height, std::max(room.height, floor.height))};
    least_ = first_;
}

int MainWindowFit::x(int twips, int shownWidth) const
{
    // The room inside the margins stretches evenly.
    const double margin = kMarginTwips * scale_ / kTwipsPerPixel;
    const double inner = designed_.width - 2 * margin;
    const double at = twips * scale_ / kTwipsPerPixel;
    return static_cast<int>(std::lround(margin + (at - margin) * (shownWidth - 2 * margin) / inner));
}

int MainWindowFit::y(int twips, int shownHeight) const
{
    // The lists take what the height gains or loses, in the proportion of
    // their heights; a place below a list moves with what that list took.
    const DesignRect& folders = ListDesign(ListId::Folders).place;
    const DesignRect& results = ListDesign(ListId::Results).place;
    const int gained = shownHeight - designed_.height;
    const auto foldersTake =
        static_cast<int>(std::lround(static_cast<double>(gained) * folders.height / (folders.height + results.height)));
    int at = TwipsToPixels(twips, scale_);
    if (twips >= Bottom(folders))
        at += foldersTake;
    if (twips >= Bottom(results))
        at += gained - foldersTake;
    return at;
}

PixelRect MainWindowFit::place(const ControlDesign& control, PixelSize shown) const
{
    const DesignRect& designed = control.place;
    const int left = x(designed.left, shown.width);
    const int top = y(designed.top, shown.height);
    return {left, top, x(designed.left + designed.width, shown.width) - left,
            y(Bottom(designed), shown.height) - top};
}

} // namespace vacantix
