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
#include <random>

#include "app/qt/Appearance.h"
#include "platform/ApplicationTitle.h"
#include "platform/Failure.h"
#include "platform/qt/QtPrompter.h"
#include "results/qt/ResultsModel.h"
#include "roots/qt/FolderListModel.h"
#include "support/ListTexts.h"

using namespace vacantix;
using vacantix::test::Texts;

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

std::vector<std::string> ShownTexts(const QAbstractItemModel& model)
{
    std::vector<std::string> texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.push_back(model.data(model.index(row, 0), Qt::DisplayRole).toString().toStdString());
    return texts;
}

} // namespace

TEST(ResultsModel, AppendedEntriesReachViewsInBatchesWhileCountsStayExact)
{
    ResultsModel model;
    int insertions = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++insertions; });
    for (int i = 0; i < 1000; ++i) {
        model.append("/t/" + std::to_string(i));
        model.refresh();
    }
    EXPECT_EQ(model.count(), 1000u);
    EXPECT_EQ(model.text(1000), "/t/999");
    EXPECT_LE(insertions, 2) << "views must not hear of every entry alone";
    EXPECT_TRUE(RunEventsUntil([&] { return model.rowCount() == 1000; })) << "the rest follow by themselves";
    EXPECT_EQ(model.data(model.index(999), Qt::DisplayRole).toString(), QStringLiteral("/t/999"));
}

TEST(ResultsModel, RemovingShownAndPendingEntriesKeepsRowsAndPositionsInStep)
{
    ResultsModel model;
    model.append("/a");
    model.append("/b");
    model.flush();
    model.append("/c");
    model.append("/d"); // not shown yet
    model.remove(4);    // pending
    model.remove(1);    // shown
    EXPECT_EQ(Texts(model), (std::vector<std::string>{"/b", "/c"}));
    EXPECT_EQ(model.text(2), "/c");
    EXPECT_EQ(ShownTexts(model), (std::vector<std::string>{"/a", "/b"})) << "views see the last flush";
    EXPECT_FALSE(model.setData(model.index(0), Qt::Unchecked, Qt::CheckStateRole)) << "a removed row";
    model.flush();
    EXPECT_EQ(ShownTexts(model), (std::vector<std::string>{"/b", "/c"}));
}

TEST(ResultsModel, CheckBoxesFollowTheEntriesAndNewEntriesStartChecked)
{
    ResultsModel model;
    model.append("/same");
    model.append("/same");
    model.flush();
    EXPECT_TRUE(model.flags(model.index(0)) & Qt::ItemIsUserCheckable);
    ASSERT_TRUE(model.setData(model.index(0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(model.checked(1));
    EXPECT_TRUE(model.checked(2));
    model.setAllChecked(false);
    model.append("/new");
    EXPECT_FALSE(model.checked(2));
    EXPECT_TRUE(model.checked(3));
    model.remove(1);
    model.flush();
    EXPECT_EQ(Texts(model), (std::vector<std::string>{"/same", "/new"}));
    EXPECT_EQ(model.data(model.index(0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
}

TEST(ResultsModel, PositionsOutsideTheListAreSubscriptErrors)
{
    ResultsModel model;
    model.append("/a");
    for (std::size_t bad : {std::size_t{0}, std::size_t{2}}) {
        try {
            (void)model.text(bad);
            FAIL() << "position " << bad;
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.number(), SubscriptOutOfRange);
        }
    }
    EXPECT_THROW(model.remove(2), Failure);
    model.clear();
    EXPECT_EQ(model.count(), 0u);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(ResultsModel, FollowsAPlainListThroughAnyMixOfChangesAndFlushes)
{
    ResultsModel model;
    MemoryResultsList plain;
    std::mt19937 random(7);
    int next = 0;
    for (int round = 0; round < 4000; ++round) {
        const auto pick = [&](std::size_t count) { return std::size_t(random() % count) + 1; };
        switch (random() % 10) {
        case 0:
        case 1:
        case 2:
        case 3: {
            const std::string path = "/p" + std::to_string(next++);
            model.append(path);
            plain.append(path);
            break;
        }
        case 4:
        case 5:
        case 6:
            if (plain.count() > 0) {
                const std::size_t at = pick(plain.count());
                model.remove(at);
                plain.remove(at);
            }
            break;
        case 7:
            if (plain.count() > 0) {
                const std::size_t at = pick(plain.count());
                const bool mark = random() % 2;
                model.setChecked(at, mark);
                plain.setChecked(at, mark);
            }
            break;
        case 8:
            if (random() % 8 == 0)
                model.flush();
            break;
        default:
            if (random() % 50 == 0) {
                model.clear();
                plain.clear();
            }
            break;
        }
        ASSERT_EQ(model.count(), plain.count());
        if (plain.count() > 0) {
            const std::size_t at = pick(plain.count());
            ASSERT_EQ(model.text(at), plain.text(at)) << "round " << round;
            ASSERT_EQ(model.checked(at), plain.checked(at)) << "round " << round;
        }
    }
    model.flush();
    EXPECT_EQ(ShownTexts(model), plain.texts());
    for (int row = 0; row < model.rowCount(); ++row)
        EXPECT_EQ(model.data(model.index(row), Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked,
                  plain.checked(std::size_t(row) + 1));
}

TEST(ResultsModel, PositionsStayExactAcrossThousandsOfEntriesRemovedInRunsAndScattered)
{
    // Each case: entries, then which 1-based positions go (from the last),
    // with a flush before the removals or not.
    const struct {
        std::size_t entries;
        std::function<bool(std::size_t)> goes;
        bool flushFirst;
    } cases[] = {
        {3000, [](std::size_t p) { return p % 3 != 0; }, true},           // scattered: a reset
        {3000, [](std::size_t p) { return p > 64 && p <= 200; }, true},    // one run across words
        {3000, [](std::size_t p) { return p % 640 < 64; }, false},         // whole words, none shown
        {130, [](std::size_t p) { return p == 1 || p == 64 || p == 65 || p == 130; }, true},
    };
    for (const auto& c : cases) {
        ResultsModel model;
        MemoryResultsList plain;
        for (std::size_t i = 0; i < c.entries; ++i) {
            model.append("/e" + std::to_string(i));
            plain.append("/e" + std::to_string(i));
            if (i % 7 == 0) {
                model.setChecked(i + 1, false);
                plain.setChecked(i + 1, false);
            }
        }
        if (c.flushFirst)
            model.flush();
        for (std::size_t position = c.entries; position >= 1; --position) {
            if (!c.goes(position))
                continue;
            model.remove(position);
            plain.remove(position);
        }
        for (int round = 0; round < 2; ++round) {
            ASSERT_EQ(model.count(), plain.count());
            for (std::size_t position = 1; position <= plain.count(); ++position) {
                ASSERT_EQ(model.text(position), plain.text(position)) << c.entries << " at " << position;
                ASSERT_EQ(model.checked(position), plain.checked(position)) << c.entries << " at " << position;
            }
            model.flush();
        }
        EXPECT_EQ(ShownTexts(model), plain.texts());
        model.append("/after");
        EXPECT_EQ(model.text(model.count()), "/after");
    }
}

TEST(ResultsModel, LongListsAreLaidOutAnewLessOftenButAtLeastOnceASecond)
{
    const struct {
        std::size_t rows;
        qint64 ms;
    } cases[] = {{0, 100}, {1, 100}, {199'999, 100}, {200'000, 200}, {589'223, 500}, {1'000'000, 1000},
                 {50'000'000, 1000}};
    for (const auto& c : cases)
        EXPECT_EQ(FlushInterval(c.rows), c.ms) << c.rows << " rows";
}

TEST(ResultsModel, ManyScatteredRemovalsReachViewsInOneChange)
{
    ResultsModel model;
    for (int i = 0; i < 1000; ++i)
        model.append("/p" + std::to_string(i));
    model.flush();
    int structuralChanges = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [&] { ++structuralChanges; });
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++structuralChanges; });
    for (std::size_t position = 1000; position >= 2; position -= 2)
        model.remove(position); // every second entry, from the last, as a final pass does
    EXPECT_EQ(model.rowCount(), 1000);
    model.flush();
    EXPECT_EQ(structuralChanges, 1);
    ASSERT_EQ(model.rowCount(), 500);
    EXPECT_EQ(model.text(500), "/p998");
    EXPECT_EQ(model.data(model.index(499), Qt::DisplayRole).toString(), QStringLiteral("/p998"));
}

TEST(ResultsModel, CheckMarksSetOneByOneReachViewsAsOneChangeBeforeAnyRowMoves)
{
    ResultsModel model;
    for (int i = 0; i < 100; ++i)
        model.append("/p" + std::to_string(i));
    model.flush();
    std::vector<std::string> heard;
    QObject::connect(&model, &QAbstractItemModel::dataChanged, [&](const QModelIndex& first, const QModelIndex& last) {
        heard.push_back("checks " + std::to_string(first.row()) + "-" + std::to_string(last.row()));
    });
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [&](const QModelIndex&, int first, int last) {
        heard.push_back("removed " + std::to_string(first) + "-" + std::to_string(last));
    });
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { heard.push_back("reset"); });

    // Each case: check marks to clear (1-based), entries to remove, and
    // what views hear after a turn of the event loop, or after a flush.
    const struct {
        std::vector<std::size_t> uncheck;
        std::vector<std::size_t> remove;
        bool flush;
        std::vector<std::string> heard;
    } cases[] = {
        {{50, 10, 30}, {}, false, {"checks 9-49"}},
        {{60, 70}, {}, true, {"checks 59-69"}},
        {{5}, {2}, true, {"checks 4-4", "removed 1-1"}}, // row 4 as it was before the removal
        {{}, {}, false, {}},
    };
    for (const auto& c : cases) {
        heard.clear();
        for (const std::size_t position : c.uncheck) {
            model.setChecked(position, false);
            EXPECT_FALSE(model.checked(position)) << "the list knows at once";
        }
        for (const std::size_t position : c.remove)
            model.remove(position);
        EXPECT_TRUE(heard.empty()) << "views hear later";
        if (c.flush)
            model.flush();
        else
            QCoreApplication::processEvents();
        EXPECT_EQ(heard, c.heard);
    }
    EXPECT_EQ(model.data(model.index(3), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    EXPECT_EQ(model.data(model.index(8), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    EXPECT_EQ(model.data(model.index(9), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);

    heard.clear();
    model.setChecked(1, false);
    model.clear();
    QCoreApplication::processEvents();
    EXPECT_EQ(heard, std::vector<std::string>{"reset"}) << "a cleared list forgets its pending marks";
}

TEST(FolderListModel, HeaderTextAndNewEntriesReachViewsInBatches)
{
    FolderListModel model;
    int headerChanges = 0, insertions = 0;
    QObject::connect(&model, &QAbstractItemModel::headerDataChanged, [&] { ++headerChanges; });
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++insertions; });
    for (int i = 0; i < 500; ++i) {
        model.setHeaderText("Searching /x/" + std::to_string(i));
        model.append("/x/" + std::to_string(i) + "/");
    }
    EXPECT_EQ(model.headerText(), "Searching /x/499");
    EXPECT_EQ(model.count(), 500u);
    EXPECT_TRUE(RunEventsUntil([&] { return headerChanges > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(headerChanges, 1);
    EXPECT_EQ(insertions, 1);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Searching /x/499"));
    EXPECT_EQ(model.rowCount(), 500);

    model.append("/a/"); // not shown yet
    model.remove(501);
    model.remove(1);
    EXPECT_EQ(model.text(1), "/x/1/");
    EXPECT_EQ(model.rowCount(), 499);
    EXPECT_THROW(model.remove(500), Failure);
    model.flush();
    EXPECT_EQ(ShownTexts(model).back(), "/x/499/");
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
