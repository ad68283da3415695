// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QCursor>
#include <QIcon>
#include <QWidget>
#include <optional>
#include <string>

namespace vacantix {

// The mouse pointer values of a window.
enum MousePointerValue : int {
    DefaultPointer = 0,
    ArrowPointer = 1,
    BusyPointer = 11,
    CustomPointer = 99,
};

// Shows the pointer of a mouse pointer value over a window: the arrow, the
// busy pointer, `custom` for the custom pointer, and the default pointer of
// the place under the mouse for any other value.
void ShowMousePointer(QWidget& window, int value, const QCursor& custom);

// The face colour of push buttons in the current palette.
[[nodiscard]] QColor ButtonFaceColor();

// Gives a window, and each of its option buttons, check boxes, frames and
// labels, the button-face background. Other controls keep their colours.
void SetFormBackColors(QWidget& window);

// Fills a widget's background with a colour.
void SetBackColor(QWidget& widget, const QColor& colour);

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
