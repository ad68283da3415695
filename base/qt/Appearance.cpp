// SPDX-License-Identifier: GPL-3.0-or-later
// Colours, the program icon and the reader of Windows cursor files.
#include "base/qt/Appearance.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QtEndian>
#include <algorithm>
#include <cmath>

#include "platform/Failure.h"
#include "platform/qt/QtPrompter.h"

// The icon's PNGs live in a resource of this static library; naming its
// initialiser keeps the linker from dropping it from the programs.
static void LinkProgramIconResource()
{
    Q_INIT_RESOURCE(ProgramIcon);
}

namespace vacantix {

void ShowMousePointer(QWidget& window, int value, const QCursor& custom)
{
    switch (value) {
    case ArrowPointer:
        window.setCursor(Qt::ArrowCursor);
        break;
    case BusyPointer:
        window.setCursor(Qt::WaitCursor);
        break;
    case CustomPointer:
        window.setCursor(custom);
        break;
    default:
        window.unsetCursor();
        break;
    }
}

QColor ButtonFaceColor()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

namespace {

double Luminance(const QColor& colour)
{
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

// The contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double Contrast(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

QColor TextColorOn(const QColor& background, const QColor& preferred)
{
    constexpr double kReadable = 4.5;
    if (Contrast(preferred, background) >= kReadable)
        return preferred;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return Contrast(black, background) >= Contrast(white, background) ? black : white;
}

QColor QtColor(std::uint32_t bgr)
{
    return QColor::fromRgb(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                           static_cast<int>((bgr >> 16) & 0xFF));
}

void SetBackColor(QWidget& widget, const QColor& colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    // A background of the window's own choosing keeps the desktop's text
    // colour only where that stays readable on it (a dark desktop palette
    // gives light text, which the designed white would swallow).
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText,
                         TextColorOn(colour, palette.color(group, QPalette::WindowText)));
    }
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void SetFormBackColors(QWidget& window)
{
    const QColor face = ButtonFaceColor();
    SetBackColor(window, face);
    // Frames fill themselves and then draw their panel over the fill; the
    // controls inside take the colour but let the frame show through, so
    // they sit on the frame's panel rather than on strips of their own.
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (qobject_cast<QGroupBox*>(child)) {
            SetBackColor(*child, face);
        } else if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) ||
                   qobject_cast<QLabel*>(child)) {
            SetBackColor(*child, face);
            child->setAutoFillBackground(false);
        }
    }
}

QFont QtFont(const FontDesign& design)
{
    QFont font(QString::fromUtf8(design.face.data(), static_cast<qsizetype>(design.face.size())));
    font.setPointSizeF(design.points);
    font.setBold(design.bold);
    return font;
}

QFont WindowFont()
{
    return QtFont(kWindowFont);
}

QFont ButtonFont()
{
    return QtFont(kButtonFont);
}

double DpiScale(const QWidget& window)
{
    return std::max(1.0, window.logicalDpiY() / 96.0);
}

CaptionMetrics QtCaptionMetrics(const QWidget& window)
{
    const QFontMetricsF windowMetrics(WindowFont(), &window);
    const QFontMetricsF buttonMetrics(ButtonFont(), &window);
    return CaptionMetrics{[windowMetrics, buttonMetrics](std::string_view caption, bool buttonFont) {
                              const QString text =
                                  QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
                              return (buttonFont ? buttonMetrics : windowMetrics).horizontalAdvance(text);
                          },
                          buttonMetrics.height()};
}

namespace {

quint16 Word(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 Dword(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// A bitmap image of an icon or cursor entry: a BITMAPINFOHEADER whose height
// counts the colour rows and the AND-mask rows, a palette for up to 8 bits,
// the colour rows bottom-up, then the 1-bit mask rows bottom-up.
std::optional<QImage> DecodeDib(const QByteArray& data)
{
    if (data.size() < 40)
        return std::nullopt;
    const quint32 headerSize = Dword(data, 0);
    const auto width = static_cast<qint32>(Dword(data, 4));
    const auto doubledHeight = static_cast<qint32>(Dword(data, 8));
    const quint16 bits = Word(data, 14);
    const quint32 compression = Dword(data, 16);
    quint32 paletteSize = Dword(data, 32);
    if (headerSize < 40 || width <= 0 || width > 1024 || doubledHeight <= 0 || doubledHeight > 2048 ||
        compression != 0)
        return std::nullopt;
    const int height = doubledHeight / 2;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return std::nullopt;
    if (bits <= 8 && paletteSize == 0)
        paletteSize = 1u << bits;

    const qsizetype paletteAt = headerSize;
    const qsizetype pixelsAt = paletteAt + (bits <= 8 ? paletteSize * 4 : 0);
    const qsizetype stride = ((static_cast<qsizetype>(width) * bits + 31) / 32) * 4;
    const qsizetype maskStride = ((static_cast<qsizetype>(width) + 31) / 32) * 4;
    const qsizetype maskAt = pixelsAt + stride * height;
    const bool hasMask = data.size() >= maskAt + maskStride * height;
    if (data.size() < maskAt)
        return std::nullopt;

    QImage image(width, height, QImage::Format_ARGB32);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const char* row = data.constData() + pixelsAt + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            QRgb colour = 0;
            if (bits == 32) {
                const auto* p = reinterpret_cast<const uchar*>(row + x * 4);
                colour = qRgba(p[2], p[1], p[0], p[3]);
                anyAlpha = anyAlpha || p[3] != 0;
            } else if (bits == 24) {
                const auto* p = reinterpret_cast<const uchar*>(row + x * 3);
                colour = qRgb(p[2], p[1], p[0]);
            } else {
                const int perByte = 8 / bits;
                const auto byte = static_cast<uchar>(row[x / perByte]);
                const int shift = (perByte - 1 - x % perByte) * bits;
                const quint32 index = (byte >> shift) & ((1u << bits) - 1);
                if (index >= paletteSize)
                    return std::nullopt;
                const auto* p = reinterpret_cast<const uchar*>(data.constData() + paletteAt + index * 4);
                colour = qRgb(p[2], p[1], p[0]);
            }
            image.setPixel(x, y, colour);
        }
    }
    if (bits == 32 && anyAlpha)
        return image;
    for (int y = 0; y < height; ++y) {
        const char* row = data.constData() + maskAt + maskStride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const bool transparent = hasMask && ((static_cast<uchar>(row[x / 8]) >> (7 - x % 8)) & 1);
            const QRgb colour = image.pixel(x, y);
            image.setPixel(x, y, transparent ? qRgba(0, 0, 0, 0) : (colour | 0xff000000u));
        }
    }
    return image;
}

} // namespace

QIcon ProgramIcon()
{
    LinkProgramIconResource();
    QIcon icon;
    for (int size : kProgramIconSizes)
        icon.addFile(QStringLiteral(":/icons/vacantix-%1.png").arg(size), QSize(size, size));
    return icon;
}

std::optional<QCursor> DecodeCursor(const QByteArray& bytes)
{
    if (bytes.size() < 6 || Word(bytes, 0) != 0 || Word(bytes, 2) != 2)
        return std::nullopt;
    const int count = Word(bytes, 4);
    if (count == 0 || bytes.size() < 6 + 16 * count)
        return std::nullopt;

    int best = -1;
    int bestWidth = -1;
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = 6 + 16 * i;
        const int width = static_cast<uchar>(bytes[entry]) == 0 ? 256 : static_cast<uchar>(bytes[entry]);
        if (width > bestWidth) {
            best = i;
            bestWidth = width;
        }
    }
    const qsizetype entry = 6 + 16 * best;
    const int hotX = Word(bytes, entry + 4);
    const int hotY = Word(bytes, entry + 6);
    const quint32 length = Dword(bytes, entry + 8);
    const quint32 offset = Dword(bytes, entry + 12);
    if (offset >= static_cast<quint32>(bytes.size()) || length > static_cast<quint32>(bytes.size()) - offset)
        return std::nullopt;
    const QByteArray data = bytes.mid(offset, length);

    std::optional<QImage> image;
    if (data.startsWith("\x89PNG")) {
        QImage png;
        if (png.loadFromData(data, "PNG"))
            image = png;
    } else {
        image = DecodeDib(data);
    }
    if (!image || image->isNull())
        return std::nullopt;
    return QCursor(QPixmap::fromImage(*image), std::min(hotX, image->width() - 1),
                   std::min(hotY, image->height() - 1));
}

QCursor LoadCursorFile(const std::string& path)
{
    QFile file(PathText(path));
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(file.error() == QFileDevice::PermissionsError ? PermissionDenied : FileNotFound,
                      file.errorString().toStdString());
    const QByteArray bytes = file.read(4 * 1024 * 1024);
    if (auto cursor = DecodeCursor(bytes))
        return *cursor;
    throw Failure(OtherError, "Invalid picture");
}

} // namespace vacantix
