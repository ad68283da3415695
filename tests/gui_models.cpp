// SPDX-License-Identifier: GPL-3.0-or-later
// The list models behind the main window, the Qt prompter's text helpers,
// the application title and the cursor-file reader.
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>

#include "base/qt/Appearance.h"
#include "platform/ApplicationTitle.h"
#include "platform/Failure.h"
#include "platform/qt/QtPrompter.h"
#include "results/qt/ResultsItemModel.h"
#include "roots/qt/FolderItemModel.h"

using namespace vacantix;

namespace {

// Lets the event loop run until `done` holds, for at most two seconds.
template <class Condition>
bool RunEventsUntil(Condition done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

} // namespace

// The Qt models show the window's lists: rows, marks and headers as the
// lists tell them, the lists' deliveries run by the event loop's timers, and
// a click on a check box goes to whoever decides it.
TEST(ListItemModels, ShowTheListsAndFollowThemByThemselves)
{
    ResultsModel results;
    ResultsItemModel resultItems(results);
    for (int i = 0; i < 1000; ++i) {
        results.append("/t/" + std::to_string(i));
        results.refresh();
    }
    EXPECT_TRUE(RunEventsUntil([&] { return resultItems.rowCount() == 1000; })) << "the rest follow by themselves";
    EXPECT_EQ(resultItems.data(resultItems.index(999), Qt::DisplayRole).toString(), QStringLiteral("/t/999"));
    EXPECT_TRUE(resultItems.flags(resultItems.index(0)) & Qt::ItemIsUserCheckable);

    ASSERT_TRUE(resultItems.setData(resultItems.index(1), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(results.checked(2));
    std::vector<std::size_t> asked;
    resultItems.setCheckHandler([&](std::size_t row, bool) {
        asked.push_back(row);
        return false;
    });
    EXPECT_FALSE(resultItems.setData(resultItems.index(2), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(asked, std::vector<std::size_t>{2});
    EXPECT_TRUE(results.checked(3)) << "a refused click changes nothing";
    results.setChecked(1, false);
    EXPECT_TRUE(RunEventsUntil([&] {
        return resultItems.data(resultItems.index(0), Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Unchecked;
    }));

    FolderListModel folders;
    FolderItemModel folderItems(folders);
    int headerChanges = 0;
    QObject::connect(&folderItems, &QAbstractItemModel::headerDataChanged, [&] { ++headerChanges; });
    for (int i = 0; i < 500; ++i) {
        folders.setHeaderText("Searching /x/" + std::to_string(i));
        folders.append("/x/" + std::to_string(i) + "/");
    }
    EXPECT_TRUE(RunEventsUntil([&] { return headerChanges > 0; }));
    EXPECT_EQ(folderItems.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Searching /x/499"));
    EXPECT_EQ(folderItems.rowCount(), 500);
    folders.remove(1);
    EXPECT_EQ(folderItems.data(folderItems.index(0), Qt::DisplayRole).toString(), QStringLiteral("/x/1/"));
}

TEST(QtPrompterText, FiltersAndLineEndsInQtForm)
{
    EXPECT_EQ(QtFileFilter("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"),
              QStringLiteral("Text Files (*.txt);;All Files (*)"));
    EXPECT_EQ(QtFileFilter("Lists|*.txt;*.lst"), QStringLiteral("Lists (*.txt *.lst)"));
    EXPECT_EQ(DisplayText("a\r\nb\rc\nd"), QStringLiteral("a\nb\nc\nd"));
    EXPECT_EQ(DisplayText("x\r\r"), QStringLiteral("x\n\n"));
}

TEST(ApplicationTitle, DropsTheLastWordAndKeepsAtMostFortyCharacters)
{
    EXPECT_EQ(ApplicationTitleFor("Vacantix"), "Vacantix");
    EXPECT_EQ(ApplicationTitleFor("Quillmark Empty Folders"), "Quillmark Empty");
    EXPECT_EQ(ApplicationTitleFor("Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota"),
              "Alpha Beta Gamma Delta Epsilon Zeta Eta");
    EXPECT_EQ(ApplicationTitleFor(std::string(45, 'x') + " y"), std::string(45, 'x'));
    SetApplicationTitle();
    EXPECT_EQ(ApplicationTitle(), "Vacantix");
}

namespace {

void PutWord(QByteArray& bytes, quint16 value)
{
    char raw[2];
    qToLittleEndian(value, raw);
    bytes.append(raw, 2);
}

void PutDword(QByteArray& bytes, quint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

QByteArray CursorFile(int width, int height, int hotX, int hotY, const QByteArray& image, quint16 type = 2)
{
    QByteArray bytes;
    PutWord(bytes, 0);
    PutWord(bytes, type);
    PutWord(bytes, 1);
    bytes.append(char(width));
    bytes.append(char(height));
    bytes.append(char(0));
    bytes.append(char(0));
    PutWord(bytes, quint16(hotX));
    PutWord(bytes, quint16(hotY));
    PutDword(bytes, quint32(image.size()));
    PutDword(bytes, 22);
    return bytes + image;
}

// A 1-bit bitmap 32 x 32: left half black, right half white; the AND mask
// makes the top 16 rows transparent.
QByteArray MonochromeDib()
{
    QByteArray dib;
    PutDword(dib, 40);
    PutDword(dib, 32);
    PutDword(dib, 64);
    PutWord(dib, 1);
    PutWord(dib, 1);
    for (int i = 0; i < 6; ++i)
        PutDword(dib, 0);
    PutDword(dib, 0x000000);   // palette 0: black
    PutDword(dib, 0xffffff);   // palette 1: white
    for (int row = 0; row < 32; ++row)
        dib.append(QByteArray::fromHex("0000ffff"));
    for (int row = 0; row < 32; ++row) // bottom-up: the last 16 rows are the top
        dib.append(row < 16 ? QByteArray::fromHex("00000000") : QByteArray::fromHex("ffffffff"));
    return dib;
}

} // namespace

TEST(CursorFile, BitmapCursorsKeepTheirHotSpotAndMask)
{
    const auto cursor = DecodeCursor(CursorFile(32, 32, 5, 3, MonochromeDib()));
    ASSERT_TRUE(cursor.has_value());
    EXPECT_EQ(cursor->hotSpot(), QPoint(5, 3));
    const QImage image = cursor->pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(image.pixel(2, 2)), 0);
    EXPECT_EQ(image.pixel(2, 20), qRgba(0, 0, 0, 255));
    EXPECT_EQ(image.pixel(20, 20), qRgba(255, 255, 255, 255));
}

TEST(CursorFile, PngImagesAreReadAndOtherFilesRefused)
{
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    red.save(&buffer, "PNG");
    const auto cursor = DecodeCursor(CursorFile(16, 16, 15, 15, png));
    ASSERT_TRUE(cursor.has_value());
    EXPECT_EQ(cursor->hotSpot(), QPoint(15, 15));

    EXPECT_FALSE(DecodeCursor(CursorFile(16, 16, 0, 0, png, 1)).has_value()) << "an icon is no cursor";
    EXPECT_FALSE(DecodeCursor(QByteArray("not a cursor at all")).has_value());
    QByteArray truncated = CursorFile(32, 32, 0, 0, MonochromeDib());
    truncated.chop(200);
    EXPECT_FALSE(DecodeCursor(truncated).has_value());
}

namespace {

// Answers the next modal box or dialog with `answer` once it is open.
void WhenModalOpens(std::function<void(QWidget*)> answer)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(modal);
        }
    });
    poll->start();
}

} // namespace

TEST(QtPrompter, BoxesCarryTheApplicationTitleAndOnlyTheErrorReportAnIcon)
{
    SetApplicationTitle();
    QtPrompter prompter;
    struct Seen {
        QString title, text;
        QMessageBox::Icon icon;
    } seen{};
    const auto look = [&](QMessageBox::StandardButton press) {
        WhenModalOpens([&seen, press](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            seen = {box->windowTitle(), box->text(), box->icon()};
            box->button(press)->click();
        });
    };
    look(QMessageBox::Ok);
    prompter.message("Done.");
    EXPECT_EQ(seen.title, QStringLiteral("Vacantix"));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.text, QStringLiteral("Done."));

    look(QMessageBox::Yes);
    EXPECT_TRUE(prompter.ask("Sure?"));
    look(QMessageBox::No);
    EXPECT_FALSE(prompter.ask("Sure?"));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);

    look(QMessageBox::Ok);
    prompter.errorReport("Bad\r\nin X at line 100\r\rPlease");
    EXPECT_EQ(seen.title, QStringLiteral("Application Error"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.text, QStringLiteral("Bad\nin X at line 100\n\nPlease"));
}

TEST(QtPrompter, DialogsAskForWhatTheCommandsNeed)
{
    QtPrompter prompter;
    QFileDialog::FileMode mode{};
    QString title;
    QStringList filters;
    QFileDialog::Options options;
    QString directory;
    const auto look = [&] {
        WhenModalOpens([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            mode = dialog->fileMode();
            title = dialog->windowTitle();
            filters = dialog->nameFilters();
            options = dialog->options();
            directory = dialog->directory().absolutePath();
            dialog->reject();
        });
    };
    look();
    EXPECT_TRUE(prompter.openFiles("Load List(s)", "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|").empty());
    EXPECT_EQ(mode, QFileDialog::ExistingFiles);
    EXPECT_EQ(title, QStringLiteral("Load List(s)"));
    EXPECT_EQ(filters, (QStringList{"Text Files (*.txt)", "All Files (*)"}));
    EXPECT_EQ(directory, QDir::homePath()) << "not wherever the program was started from";

    look();
    EXPECT_FALSE(prompter.saveFile("Save", "Text Files (*.txt)|*.txt|").has_value());
    EXPECT_TRUE(options & QFileDialog::DontConfirmOverwrite) << "the program asks about overwriting itself";
    EXPECT_EQ(directory, QDir::homePath());

    look();
    EXPECT_FALSE(prompter.chooseFolder("Select Folder").has_value());
    EXPECT_EQ(title, QStringLiteral("Select Folder"));
    EXPECT_EQ(mode, QFileDialog::Directory);
    EXPECT_TRUE(options & QFileDialog::ShowDirsOnly);
    EXPECT_EQ(directory, QStringLiteral("/"));
}

// The window shows the icon the install puts into the icon theme: each size
// is the PNG of app/icons pixel for pixel (compared premultiplied, as a
// pixmap holds it), so title bar, task bar and menu agree.
TEST(ProgramIcon, EverySizeIsTheInstalledPng)
{
    const QIcon icon = ProgramIcon();
    for (int size : kProgramIconSizes) {
        const QString file = QStringLiteral(VACANTIX_SOURCE_DIR "/app/icons/example.quillmark.Vacantix-%1.png").arg(size);
        const QImage expected = QImage(file).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_FALSE(expected.isNull()) << file.toStdString();
        const QImage shown = icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        EXPECT_EQ(shown.size(), QSize(size, size));
        EXPECT_TRUE(shown == expected) << "size " << size;
    }
}
