// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string_view>

namespace vacantix {

// The vocabulary in which both windows are designed, the same for every
// toolkit that draws them: places in twips, fonts, pointer values, colours.

// The mouse pointer values of a window.
enum MousePointerValue : int {
    DefaultPointer = 0, // the default pointer of the place under the mouse
    ArrowPointer = 1,
    BusyPointer = 11,
    CustomPointer = 99, // the loaded cursor file, else the pointing hand
};

// 15 twips make a pixel on a 96-dpi screen.
inline constexpr double kTwipsPerPixel = 15.0;

// Pixels for a length in twips at `scale` (1 on a 96-dpi screen), rounded
// to the nearest.
[[nodiscard]] int TwipsToPixels(int twips, double scale);

// A control's place in its window (or frame), in twips.
struct DesignRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct FontDesign {
    std::string_view face;
    double points = 0;
    bool bold = false;
};

// Arial 9 point bold: both windows, their lists, labels and boxes.
inline constexpr FontDesign kWindowFont{"Arial", 9, true};
// Arial 11.25 point bold: every push button.
inline constexpr FontDesign kButtonFont{"Arial", 11.25, true};

// Colours as 0x00BBGGRR. The main window is white as designed; the settings
// window, and the main window under a skin, take the desktop's button face.
inline constexpr std::uint32_t kDesignedBackColor = 0x00FFFFFF;

// The main window's background without a skin: the designed white, unless
// the desktop's colour scheme is dark (its window text is lighter than its
// window), where the desktop's window colour stands in, so that controls
// drawn in the desktop's dark colours do not sit on white. Colours as
// 0x00BBGGRR.
[[nodiscard]] std::uint32_t MainWindowBackColor(std::uint32_t desktopWindow, std::uint32_t desktopWindowText);

enum class ControlKind : std::uint8_t { ListView, PushButton, Frame, Label, ComboBox, CheckBox, TextBox };

// One control of a window's design. `number` is the number in its design
// name (PushButton6: 6, ListView2: 2, Check3: 3); `container` names the
// frame it sits in, empty for the window itself; `captionRoom`, when not 0,
// is the width its caption may take instead of `place.width` (a label may
// use the gap up to the control beside it).
struct ControlDesign {
    std::string_view name;
    ControlKind kind;
    int number = 0;
    std::string_view caption;
    DesignRect place;
    std::string_view container = {};
    int captionRoom = 0;
};

// How wide a caption is on the screen at hand, in pixels, in the window
// font or (`buttonFont`) the button font; and the button font's height.
struct CaptionMetrics {
    std::function<double(std::string_view caption, bool buttonFont)> width;
    double buttonFontHeight = 0;
};

// The one factor that turns the twips of both windows into pixels, so the
// two keep the proportions and the equal width they were designed with. It
// is `dpiScale` (the screen's density over 96 dpi, at least 1), enlarged
// only as far as some caption of `windows` would not fit its place in the
// face that stands in for Arial, or the button font would not fit a button's
// height; never more than twice `dpiScale`. With Arial's metrics it is
// `dpiScale` itself.
[[nodiscard]] double DesignScale(double dpiScale, const CaptionMetrics& metrics,
                                 std::initializer_list<std::span<const ControlDesign>> windows);

} // namespace vacantix
