// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QWidget>
#include <optional>
#include <string>

#include "base/WindowDesign.h"

namespace vacantix {

// Shows the pointer of a mouse pointer value over a window: the arrow, the
// busy pointer, `custom` for the custom pointer, and the default pointer of
// the place under the mouse for any other value.
void ShowMousePointer(QWidget& window, int value, const QCursor& custom);

// The face colour of push buttons in the current palette.
[[nodiscard]] QColor ButtonFaceColor();

// Gives a window, and each of its option buttons, check boxes, frames and
// labels, the button-face background. Other controls keep their colours.
// Option buttons, check boxes and labels are drawn over whatever holds them
// (the window or a frame, both in that colour), so no lighter or darker strip
// marks their place on a frame's panel.
void SetFormBackColors(QWidget& window);

// `preferred` when it is readable on `background` (a contrast ratio of at
// least 4.5 to 1), else black or white, whichever stands out more.
[[nodiscard]] QColor TextColorOn(const QColor& background, const QColor& preferred);

// A designed colour (0x00BBGGRR) as Qt names it.
[[nodiscard]] QColor QtColor(std::uint32_t bgr);

// Fills a widget's background with a colour, and gives its text a colour
// that stays readable on it.
void SetBackColor(QWidget& widget, const QColor& colour);

// A designed font as Qt names it.
[[nodiscard]] QFont QtFont(const FontDesign& design);
// Arial 9 point bold: the font of both windows, their lists, labels and boxes.
[[nodiscard]] QFont WindowFont();
// Arial 11.25 point bold: the font of every push button.
[[nodiscard]] QFont ButtonFont();

// The density of the screen a window is on over 96 dpi, at least 1.
[[nodiscard]] double DpiScale(const QWidget& window);

// How wide captions are in the designed fonts on a window's screen, for
// DesignScale.
[[nodiscard]] CaptionMetrics QtCaptionMetrics(const QWidget& window);

// The sizes in pixels the program icon is drawn in, the same PNGs the
// install puts into the hicolor icon theme.
inline constexpr int kProgramIconSizes[] = {16, 32, 48, 64, 128, 256};

// The program icon (an open folder with nothing inside), from the PNGs
// rendered from app/icons/example.quillmark.Vacantix.svg.
[[nodiscard]] QIcon ProgramIcon();

// Reads a Windows cursor file (.cur: an icon directory of type 2 whose
// entries carry the hot spot, each image a PNG or a device-independent
// bitmap with its AND mask) and returns its largest image as a cursor.
// Throws Failure when the file cannot be read or is no cursor file.
[[nodiscard]] QCursor LoadCursorFile(const std::string& path);

// Decodes the bytes of a cursor file; nothing when they are no cursor.
[[nodiscard]] std::optional<QCursor> DecodeCursor(const QByteArray& bytes);

} // namespace vacantix
