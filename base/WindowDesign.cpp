// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/WindowDesign.h"

#include <algorithm>
#include <cmath>

namespace vacantix {

namespace {

constexpr int kButtonHeightTwips = 405;
// Room a caption's control takes besides the text: a button's margins, a
// check box's indicator, a frame's border.
double ExtraPixels(ControlKind kind)
{
    switch (kind) {
    case ControlKind::PushButton:
        return 12;
    case ControlKind::CheckBox:
    case ControlKind::Frame:
        return 24;
    case ControlKind::Label:
    case ControlKind::ListView:
    case ControlKind::ComboBox:
    case ControlKind::TextBox:
        return 0;
    }
    return 0;
}

// The controls whose caption must fit its place; a list's caption is its
// column header, which may be cut.
bool CaptionMustFit(const ControlDesign& control)
{
    return !control.caption.empty() && control.kind != ControlKind::ListView;
}

// The relative luminance of a colour (0x00BBGGRR), from 0 (black) to 1.
double Luminance(std::uint32_t bgr)
{
    const auto channel = [](std::uint32_t value) {
        const double v = value / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(bgr & 0xFF) + 0.7152 * channel((bgr >> 8) & 0xFF) + 0.0722 * channel((bgr >> 16) & 0xFF);
}

} // namespace

std::uint32_t MainWindowBackColor(std::uint32_t desktopWindow, std::uint32_t desktopWindowText)
{
    return Luminance(desktopWindowText) > Luminance(desktopWindow) ? desktopWindow : kDesignedBackColor;
}

int TwipsToPixels(int twips, double scale)
{
    return static_cast<int>(std::lround(twips * scale / kTwipsPerPixel));
}

double DesignScale(double dpiScale, const CaptionMetrics& metrics,
                   std::initializer_list<std::span<const ControlDesign>> windows)
{
    dpiScale = std::max(1.0, dpiScale);
    const auto pixelsOf = [&](int twips) { return twips / kTwipsPerPixel * dpiScale; };
    double fit = std::max(1.0, (metrics.buttonFontHeight + 6.0) / pixelsOf(kButtonHeightTwips));
    for (const std::span<const ControlDesign> controls : windows) {
        for (const ControlDesign& control : controls) {
            if (!CaptionMustFit(control))
                continue;
            const bool button = control.kind == ControlKind::PushButton;
            const double needed = metrics.width(control.caption, button) + ExtraPixels(control.kind);
            const int room = control.captionRoom != 0 ? control.captionRoom : control.place.width;
            fit = std::max(fit, needed / pixelsOf(room));
        }
    }
    return dpiScale * std::min(fit, 2.0);
}

} // namespace vacantix
