// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on real folders: start-up, pointer reactions, the folder
// list commands and the scan button, driven through a scripted prompter.
#include <QCheckBox>
#include <QComboBox>
#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QStyleFactory>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "app/qt/Form1.h"
#include "settings/qt/Form2.h"
#include "platform/ApplicationTitle.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/QtPrompter.h"
#include "results/ResultsList.h"
#include "results/qt/ResultsModel.h"
#include "roots/FolderList.h"
#include "roots/qt/FolderListModel.h"
#include "settings/Settings.h"
#include "support/ListTexts.h"
#include "support/ScriptedPrompter.h"
#include "support/SlowFileSystem.h"

using namespace vacantix;
using test::ScriptedPrompter;
namespace fs = std::filesystem;

namespace {

using Kind = ScriptedPrompter::Kind;

void WriteFile(const fs::path& path, std::string_view bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Runs `check` at every turn of the event loop while `run` runs.
void AtEveryTurn(const std::function<void()>& check, const std::function<void()>& run)
{
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, check);
    turn.start();
    run();
}

class Form1Test : public ::testing::Test {
protected:
    Form1Test()
    {
        base_ = fs::path(dir_.path().toStdString());
        program_ = base_ / "program";
        data_ = base_ / "data";
        fs::create_directories(program_ / "Samples");
        fs::create_directories(data_);
    }

    Form1& open()
    {
        form_ = std::make_unique<Form1>(slow_, settings_, prompter_, program_.string());
        form_->Form_Load();
        return *form_;
    }

    // A folder below the data folder, with its parents.
    std::string folder(const std::string& relative)
    {
        fs::create_directories(data_ / relative);
        return (data_ / relative).string();
    }

    std::vector<std::string> roots() const { return test::Texts(form_->roots()); }
    std::vector<std::string> results() const { return test::Texts(form_->results()); }

    QPushButton& button(int number) const { return *form_->pushButton(number); }
    QString scanCaption() const { return button(4).text(); }

    QTemporaryDir dir_;
    fs::path base_, program_, data_;
    PosixFileSystem disk_;
    test::SlowFileSystem slow_{disk_, std::chrono::milliseconds(2), "/nowhere-slow"};
    MemorySettingsStore store_;
    Settings settings_{store_};
    ScriptedPrompter prompter_;
    std::unique_ptr<Form1> form_;
};

// ------------------------------------------------------------------ start-up

TEST_F(Form1Test, StartsWithItsDesignedLookWhenNoSkinOrCursorFileIsThere)
{
    Form1& form = open();
    EXPECT_TRUE(prompter_.shown().empty());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Vacantix"));
    EXPECT_EQ(ApplicationTitle(), "Vacantix");
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(form.styleSheet().isEmpty());
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the window has a fixed size";
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);

    EXPECT_EQ(form.roots().count(), 0u);
    EXPECT_EQ(form.results().count(), 0u);
    EXPECT_EQ(form.listView1()->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("Folders To Scan For Empty Folders"));
    EXPECT_EQ(form.listView2()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Empty Folders"));
    EXPECT_EQ(form.listView1()->columnWidth(0), form.twips(7000));
    EXPECT_EQ(form.listView2()->columnWidth(0), form.twips(7000));
    EXPECT_TRUE(form.listView1()->header()->isVisibleTo(&form));
    EXPECT_TRUE(form.listView2()->header()->isVisibleTo(&form));

    EXPECT_FALSE(form.customPointerLoaded());
    EXPECT_EQ(form.customPointer().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(form.mousePointer(), DefaultPointer);

    EXPECT_TRUE(fs::is_directory(program_ / "Samples/This one is empty 1"));
    EXPECT_TRUE(fs::is_directory(program_ / "Samples/This one is empty 2"));
}

TEST_F(Form1Test, SkinAndCursorFilesChangeTheLook)
{
    WriteFile(program_ / "x/o.cjs", "QPushButton { color: #102030; }");
    // A 1-bit 32 x 32 cursor with its hot spot at (3, 4).
    std::string cur("\0\0\2\0\1\0\x20\x20\0\0\3\0\4\0", 14);
    const std::uint32_t size = 40 + 8 + 128 + 128;
    cur.append(reinterpret_cast<const char*>(&size), 4);
    cur.append("\x16\0\0\0", 4);
    std::string dib("\x28\0\0\0\x20\0\0\0\x40\0\0\0\1\0\1\0", 16);
    dib.append(24, '\0');
    dib.append("\0\0\0\0\xff\xff\xff\0", 8);
    dib.append(256, '\0');
    WriteFile(program_ / "HAND-M.CUR", cur + dib);

    Form1& form = open();
    EXPECT_TRUE(prompter_.shown().empty());
    EXPECT_EQ(form.styleSheet(), QStringLiteral("QPushButton { color: #102030; }"));
    EXPECT_NE(form.palette().color(QPalette::Window), QColor(Qt::white));
    ASSERT_TRUE(form.customPointerLoaded());
    EXPECT_EQ(form.customPointer().hotSpot(), QPoint(3, 4));
}

TEST_F(Form1Test, AFailingStartUpStepIsReportedAndStartUpGoesOn)
{
    // A skin "file" that cannot be opened (a socket) and a cursor file that
    // holds no cursor.
    fs::create_directories(program_ / "x");
    const std::string socketPath = (program_ / "x/o.cjs").string();
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    WriteFile(program_ / "HAND-M.CUR", "this is no cursor");

    Form1& form = open();
    ::close(sock);
    const auto reports = prompter_.errorReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[0].find("\r\nin Vacantix2021/08/31.Form1.Form_Load at line 100\r\r"), std::string::npos);
    EXPECT_NE(reports[1].find("\r\nin Vacantix2021/08/31.Form1.Form_Load at line 106\r\r"), std::string::npos);
    EXPECT_TRUE(form.styleSheet().isEmpty());
    EXPECT_FALSE(form.customPointerLoaded());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Vacantix")) << "the steps after a failure still run";
    EXPECT_EQ(form.listView2()->columnWidth(0), form.twips(7000));
    EXPECT_TRUE(fs::is_directory(program_ / "Samples/This one is empty 2"));
}

TEST_F(Form1Test, ControlsFollowTheirTabOrderWithTheirCaptions)
{
    Form1& form = open();
    const std::vector<std::pair<QString, QString>> expected = {
        {"ListView1", ""},
        {"PushButton6", "Add One Folder"},
        {"PushButton1", "Load List Of Folders From File"},
        {"PushButton7", "Clear List"},
        {"ListView2", ""},
        {"PushButton4", "Start Scanning For Empty Folders "},
        {"PushButton2", "Check All"},
        {"PushButton3", "Uncheck All"},
        {"PushButton5", "Send Checked To Recycle Bin"},
        {"PushButton8", "Settings"},
        {"PushButton9", "Clear List"},
        {"PushButton10", "Load Sample/Example Folders"},
        {"PushButton11", "Save As Text File"},
        {"PushButton12", "Copy To Clipboard"},
    };
    QWidget* control = form.listView1();
    for (const auto& [name, caption] : expected) {
        ASSERT_EQ(control->objectName(), name);
        if (auto* pushButton = qobject_cast<QPushButton*>(control)) {
            EXPECT_EQ(pushButton->text(), caption);
        }
        do {
            control = control->nextInFocusChain();
        } while (control->focusPolicy() == Qt::NoFocus || control->parentWidget() != &form);
    }
    // Arial 9 point bold for the window and its lists, 11.25 point bold for every button.
    for (QWidget* part : {static_cast<QWidget*>(&form), static_cast<QWidget*>(form.listView1()),
                          static_cast<QWidget*>(form.listView2())}) {
        EXPECT_EQ(part->font().family(), QStringLiteral("Arial"));
        EXPECT_DOUBLE_EQ(part->font().pointSizeF(), 9.0);
        EXPECT_TRUE(part->font().bold());
    }
    for (int number = 1; number <= 12; ++number) {
        EXPECT_EQ(button(number).font().family(), QStringLiteral("Arial"));
        EXPECT_DOUBLE_EQ(button(number).font().pointSizeF(), 11.25);
        EXPECT_TRUE(button(number).font().bold());
    }
    // Side by side, and "Send Checked To Recycle Bin" a little lower than its neighbour.
    EXPECT_EQ(button(6).y(), button(1).y());
    EXPECT_LT(button(6).x() + button(6).width(), button(1).x());
    EXPECT_GT(button(5).y(), button(9).y());
    EXPECT_GT(form.listView2()->y(), button(4).y());
    EXPECT_LE(button(12).geometry().bottom(), form.height());
}

// A report during the start-up comes before the window is shown; it stands
// centred over the place where the window appears, not in a corner.
TEST_F(Form1Test, AStartUpErrorReportIsCentredOverTheWindow)
{
    WriteFile(program_ / "HAND-M.CUR", "this is no cursor");
    QtPrompter boxes;
    Form1 form(slow_, settings_, boxes, program_.string());
    boxes.setParent(&form);
    QRect report;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll.stop();
            report = box->frameGeometry();
            box->button(QMessageBox::Ok)->click();
        }
    });
    poll.start();
    form.Form_Load();
    ASSERT_FALSE(report.isNull()) << "the unreadable cursor file is reported";
    const QPoint screenCentre = form.screen()->availableGeometry().center();
    EXPECT_LE((form.frameGeometry().center() - screenCentre).manhattanLength(), 4);
    EXPECT_LE((report.center() - form.frameGeometry().center()).manhattanLength(), 4)
        << "report at " << report.x() << "," << report.y() << " " << report.width() << "x" << report.height();
}

// Both windows are one design in twips: with a face that has Arial's
// metrics on a 96-dpi screen every place is its twips over 15, and the two
// windows stay equally wide whatever face stands in.
TEST_F(Form1Test, BothWindowsShareOneScaleAndHaveTheirDesignedSizes)
{
    Form1& form = open();
    Form2 settings(settings_, prompter_, program_.string(), &form);
    EXPECT_EQ(settings.width(), form.width());

    const QString face = QFontInfo(WindowFont()).family();
    if (form.logicalDpiY() != 96 || (face != "Arial" && face != "Liberation Sans" && face != "Arimo"))
        GTEST_SKIP() << "Arial stands as " << face.toStdString() << " at " << form.logicalDpiY()
                     << " dpi; the designed sizes hold only for Arial's metrics at 96 dpi";
    const auto near = [](const QRect& shown, QRect designed) {
        designed = QRect(designed.x() * 2 / 30, designed.y() * 2 / 30, designed.width() * 2 / 30,
                         designed.height() * 2 / 30);
        return std::abs(shown.x() - designed.x()) <= 1 && std::abs(shown.y() - designed.y()) <= 1 &&
               std::abs(shown.width() - designed.width()) <= 1 && std::abs(shown.height() - designed.height()) <= 1;
    };
    const std::pair<QWidget*, QRect> places[] = {
        {&form, {0, 0, 8040, 7935}},
        {form.listView1(), {120, 120, 7800, 1440}},
        {form.pushButton(1), {4080, 1650, 3840, 405}},
        {form.listView2(), {120, 3675, 7800, 2640}},
        {form.pushButton(5), {4080, 6930, 3840, 405}},
        {form.pushButton(12), {4080, 7425, 3840, 405}},
        {&settings, {0, 0, 8040, 5085}},
        {settings.frame1(), {120, 120, 7800, 1935}},
        {settings.label1(), {240, 360, 1095, 225}},
        {settings.combo1(), {1440, 300, 6100, 345}},
        {settings.check1(), {240, 720, 4695, 255}},
        {settings.text1(), {240, 360, 7300, 1695}},
        {settings.pushButton7(), {120, 4560, 7800, 405}},
    };
    for (const auto& [control, designed] : places) {
        const QRect shown = control->isWindow() ? QRect(QPoint(), control->size()) : control->geometry();
        EXPECT_TRUE(near(shown, designed)) << control->objectName().toStdString() << " is "
                                           << shown.x() << "," << shown.y() << " " << shown.width()
                                           << "x" << shown.height();
    }
}

// The contrast ratio of two colours as readability guidelines define it,
// from 1 (the same) to 21 (black on white).
double Contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Each text of both windows against what it is painted on, under the light
// palette and under a dark one, where the windows' own background colours
// must not leave light text on a light ground.
TEST_F(Form1Test, EveryTextStandsOutFromItsBackgroundUnderLightAndDarkPalettes)
{
    const QPalette light = QApplication::palette();
    const QString styleName = QApplication::style()->name();
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(25, 25, 25));
    dark.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Button, QColor(53, 53, 53));
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    dark.setColor(QPalette::PlaceholderText, QColor(160, 160, 160));

    for (const bool isDark : {false, true}) {
        const QPalette& palette = isDark ? dark : light;
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(palette);
        Form1 form(slow_, settings_, prompter_, program_.string());
        form.Form_Load();
        Form2 settings(settings_, prompter_, program_.string(), &form);
        const std::string which = isDark ? "dark: " : "light: ";

        const auto check = [&](QWidget* widget, QPalette::ColorRole text, QPalette::ColorRole ground) {
            const QPalette& p = widget->palette();
            EXPECT_GE(Contrast(p.color(text), p.color(ground)), 4.5)
                << which << widget->metaObject()->className() << " " << widget->objectName().toStdString()
                << ": " << p.color(text).name().toStdString() << " on " << p.color(ground).name().toStdString();
        };
        for (QWidget* window : {static_cast<QWidget*>(&form), static_cast<QWidget*>(&settings)}) {
            check(window, QPalette::WindowText, QPalette::Window);
            for (QWidget* widget : window->findChildren<QWidget*>()) {
                if (qobject_cast<QPushButton*>(widget) || qobject_cast<QHeaderView*>(widget)) {
                    check(widget, QPalette::ButtonText, QPalette::Button);
                } else if (qobject_cast<QLabel*>(widget) || qobject_cast<QCheckBox*>(widget) ||
                           qobject_cast<QGroupBox*>(widget)) {
                    check(widget, QPalette::WindowText, QPalette::Window);
                } else if (qobject_cast<QComboBox*>(widget)) {
                    check(widget, QPalette::ButtonText, QPalette::Button);
                    check(widget, QPalette::Text, QPalette::Base);
                } else if (qobject_cast<QAbstractScrollArea*>(widget)) {
                    check(widget, QPalette::Text, QPalette::Base);
                }
            }
        }
    }
    QApplication::setPalette(light);
    QApplication::setStyle(styleName);
}

// A screen reader says what each control is: its caption, a list's column
// header, the label beside the combo box, the frame around the text box.
TEST_F(Form1Test, EveryControlOfBothWindowsIsNamedByItsCaption)
{
    Form1& form = open();
    Form2 settings(settings_, prompter_, program_.string(), &form);
    const auto name = [](QWidget* control) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        return accessible ? accessible->text(QAccessible::Name).toStdString() : std::string("(none)");
    };
    const std::pair<QWidget*, std::string> named[] = {
        {form.listView1(), "Folders To Scan For Empty Folders"},
        {form.listView2(), "Empty Folders"},
        {form.pushButton(1), "Load List Of Folders From File"},
        {form.pushButton(4), kScanCaption},
        {form.pushButton(10), "Load Sample/Example Folders"},
        {settings.frame1(), "General Options"},
        {settings.check1(), "Directories with files that are 0 KB count as empty"},
        {settings.check3(), "Ignore hidden folders"},
        {settings.frame2(), "Ignore these directory names when searching"},
        {settings.text1(), "Ignore these directory names when searching"},
        {settings.pushButton7(), "OK"},
    };
    for (const auto& [control, caption] : named)
        EXPECT_EQ(name(control), caption) << control->objectName().toStdString();

    // On this desktop a combo box says its value as its name; what it is
    // comes from the label that labels it.
    std::vector<std::string> labels;
    for (const auto& [other, relation] :
         QAccessible::queryAccessibleInterface(settings.combo1())->relations(QAccessible::Label))
        labels.push_back(other->text(QAccessible::Name).toStdString());
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front(), "Delete Mode:") << "the label beside it comes before the frame around it";
}

// --------------------------------------------------------------- the pointer

TEST_F(Form1Test, PointerFollowsTheMouseButNeverReplacesTheBusyPointer)
{
    Form1& form = open();
    form.show();
    const auto moveOver = [](QWidget* widget) {
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
    };
    moveOver(&button(9));
    EXPECT_EQ(form.mousePointer(), CustomPointer);
    EXPECT_EQ(form.cursor().shape(), Qt::PointingHandCursor);
    moveOver(form.listView2()->viewport());
    EXPECT_EQ(form.mousePointer(), DefaultPointer);
    moveOver(&button(4));
    moveOver(&form);
    EXPECT_EQ(form.mousePointer(), DefaultPointer);
    moveOver(&button(4));
    moveOver(form.listView1()->viewport());
    EXPECT_EQ(form.mousePointer(), DefaultPointer);

    form.setMousePointer(BusyPointer);
    EXPECT_EQ(form.cursor().shape(), Qt::WaitCursor);
    for (QWidget* place : {static_cast<QWidget*>(&button(1)), form.listView1()->viewport(),
                           form.listView2()->viewport(), static_cast<QWidget*>(&form)}) {
        moveOver(place);
        EXPECT_EQ(form.mousePointer(), BusyPointer);
    }
    EXPECT_EQ(form.property("MousePointer").toInt(), BusyPointer);
}

// ------------------------------------------------------------- list files

TEST_F(Form1Test, ListFilesLoadAlikeWhateverTheirLineEnds)
{
    const std::string a = folder("a"), b = folder("b b");
    const std::string gone = (data_ / "gone").string();
    const std::vector<std::pair<std::string, std::string>> files = {
        {"crlf.txt", a + "\r\n" + gone + "\r\n" + b + "/\r\n"},
        {"lf.txt", a + "\n" + gone + "\n" + b + "/\n"},
        {"cr.txt", a + "\r" + gone + "\r" + b + "/"},
        {"blank-and-bom.txt", "\xEF\xBB\xBF" + a + "\r\n\r\n" + gone + "\n\n" + b + "/\n\n"},
    };
    Form1& form = open();
    for (const auto& [name, content] : files) {
        SCOPED_TRACE(name);
        WriteFile(data_ / name, content);
        form.roots().clear();
        prompter_.forget();
        prompter_.answerOpenFiles({(data_ / name).string()});
        button(1).click();
        EXPECT_EQ(roots(), (std::vector<std::string>{a + "/", b + "/"}));
        ASSERT_EQ(prompter_.shown().size(), 2u) << "a missing folder is skipped without a word";
        EXPECT_EQ(prompter_.shown()[0].kind, Kind::Message);
        EXPECT_EQ(prompter_.shown()[0].text, "File should look like:\r/test/\r/test2/\retc.");
        EXPECT_EQ(prompter_.shown()[1].text, "Load List(s) - Hold Ctrl to select multiple list files");
        EXPECT_EQ(prompter_.shown()[1].filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
        EXPECT_EQ(form.mousePointer(), DefaultPointer);
    }
}

TEST_F(Form1Test, SeveralListFilesLoadInOrderAndAMissingOneIsNamed)
{
    const std::string a = folder("a"), b = folder("b"), c = folder("c");
    WriteFile(data_ / "one.txt", a + "\n" + c);
    WriteFile(data_ / "two.txt", b + "\n");
    Form1& form = open();
    std::vector<int> pointers;
    prompter_.onShow = [&](const ScriptedPrompter::Shown& box) {
        if (box.text == "File not found")
            pointers.push_back(form.mousePointer());
    };
    prompter_.answerOpenFiles({(data_ / "one.txt").string(), (data_ / "none.txt").string(),
                               (data_ / "two.txt").string()});
    button(1).click();
    EXPECT_EQ(roots(), (std::vector<std::string>{a + "/", c + "/", b + "/"}));
    EXPECT_EQ(prompter_.messages().back(), "File not found");
    EXPECT_EQ(pointers, std::vector<int>{BusyPointer}) << "the load shows the busy pointer";
    EXPECT_EQ(form.mousePointer(), DefaultPointer);
    EXPECT_TRUE(prompter_.errorReports().empty());

    prompter_.forget();
    button(1).click(); // the dialog is cancelled
    EXPECT_EQ(roots().size(), 3u);
    EXPECT_EQ(prompter_.shown().size(), 2u) << "the help box comes before the dialog all the same";
}

TEST_F(Form1Test, DeleteKeyAndClearListLeaveTheListAloneWhileBusy)
{
    Form1& form = open();
    const auto pressDelete = [&](Qt::KeyboardModifiers modifiers) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, modifiers);
        QCoreApplication::sendEvent(form.listView1(), &key);
    };
    pressDelete(Qt::NoModifier); // an empty list
    for (const char* root : {"/r1/", "/r2/", "/r3/"})
        form.roots().append(root);
    form.folderListModel().flush();
    pressDelete(Qt::NoModifier); // nothing selected
    EXPECT_EQ(roots().size(), 3u);

    form.listView1()->setCurrentIndex(form.listView1()->model()->index(1, 0));
    form.setMousePointer(BusyPointer);
    pressDelete(Qt::NoModifier);
    button(7).click();
    EXPECT_EQ(roots().size(), 3u);

    form.setMousePointer(DefaultPointer);
    pressDelete(Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(roots(), (std::vector<std::string>{"/r1/", "/r3/"}));
    button(7).click();
    EXPECT_TRUE(roots().empty());
    EXPECT_TRUE(prompter_.shown().empty());
}

// ------------------------------------------------------------- scan button

TEST_F(Form1Test, ARunWithoutRootsKeepsTheResultsAndSaysSo)
{
    Form1& form = open();
    form.results().append("/earlier");
    QString captionWhileOpen;
    prompter_.onShow = [&](const ScriptedPrompter::Shown&) { captionWhileOpen = scanCaption(); };
    button(4).click();
    EXPECT_EQ(prompter_.messages(), std::vector<std::string>{"No folders added."});
    EXPECT_EQ(captionWhileOpen, QStringLiteral("Stop"));
    EXPECT_EQ(scanCaption(), QStringLiteral("Start Scanning For Empty Folders "));
    EXPECT_EQ(results(), std::vector<std::string>{"/earlier"});
    EXPECT_FALSE(form.scanActive());
}

TEST_F(Form1Test, AMissingRootIsNamedAndTheOthersAreSearched)
{
    const std::string data = folder("data/e1/e2");
    folder("data/full");
    WriteFile(data_ / "data/full/f.txt", "x");
    const std::string gone = (data_ / "gone").string() + "/";
    Form1& form = open();
    form.results().append("/earlier");
    form.roots().append(gone);
    form.roots().append((data_ / "data").string() + "/");
    form.roots().append(gone);
    button(4).click();

    const std::string e1 = (data_ / "data/e1").string();
    EXPECT_EQ(prompter_.messages(), (std::vector<std::string>{gone + " folder does not exist.",
                                                              gone + " folder does not exist.", "Done."}));
    EXPECT_EQ(results(), (std::vector<std::string>{e1, e1 + "/e2"}));
    EXPECT_EQ(form.roots().headerText(), std::string(kFolderListHeader));
    EXPECT_EQ(form.listView1()->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("Folders To Scan For Empty Folders"));
    EXPECT_EQ(form.listView2()->model()->rowCount(), 2) << "every result is shown once the run is done";
    EXPECT_EQ(scanCaption(), QStringLiteral("Start Scanning For Empty Folders "));
    EXPECT_TRUE(form.stopFlag());
    EXPECT_TRUE(prompter_.errorReports().empty());
}

TEST_F(Form1Test, StopDuringTheFirstOfThreeRootsSkipsTheOthers)
{
    for (int i = 0; i < 60; ++i)
        folder("one/e" + std::to_string(i));
    folder("two/e");
    folder("three/e");
    slow_.slowBelow = (data_ / "one").string();
    Form1& form = open();
    for (const char* root : {"one/", "two/", "three/"})
        form.roots().append((data_ / root).string());

    // The press is queued while the first root is searched, as a click is,
    // and handled at the run's next turn of the event loop.
    bool pressed = false;
    QString captionAfterPress;
    AtEveryTurn(
        [&] {
            if (pressed && captionAfterPress.isEmpty() && form.stopFlag())
                captionAfterPress = scanCaption();
            if (!pressed && form.roots().headerText().starts_with("Searching " + (data_ / "one").string())) {
                pressed = true;
                QMetaObject::invokeMethod(&button(4), &QPushButton::click, Qt::QueuedConnection);
            }
        },
        [&] { button(4).click(); });

    ASSERT_TRUE(pressed);
    EXPECT_EQ(prompter_.messages(), std::vector<std::string>{"Done."});
    const auto found = results();
    EXPECT_FALSE(found.empty());
    EXPECT_LT(found.size(), 60u) << "the search of the first root ended early";
    for (const std::string& path : found)
        EXPECT_TRUE(path.starts_with((data_ / "one").string())) << path;
    EXPECT_EQ(form.roots().headerText(), std::string(kFolderListHeader));
    EXPECT_EQ(scanCaption(), QStringLiteral("Start Scanning For Empty Folders "));
    EXPECT_TRUE(button(4).isEnabled());
    EXPECT_EQ(captionAfterPress, QStringLiteral("Start Scanning For Empty Folders ")) << "the caption is back at once";
}

TEST_F(Form1Test, StopDuringTheFinalPassLetsItFinish)
{
    for (int i = 0; i < 40; ++i)
        folder("one/e" + std::to_string(i) + "/inner");
    WriteFile(data_ / "one/e7/inner/file", "x");
    slow_.slowBelow = (data_ / "one").string();
    Form1& form = open();
    form.roots().append((data_ / "one").string() + "/");

    bool searched = false, pressed = false;
    bool disabledAfterStop = false;
    AtEveryTurn(
        [&] {
            const std::string header = form.roots().headerText();
            searched = searched || header.starts_with("Searching");
            if (searched && !pressed && header == kFolderListHeader && form.scanActive()) {
                pressed = true;
                button(4).click();
                disabledAfterStop = !button(4).isEnabled();
                EXPECT_EQ(scanCaption(), QStringLiteral("Start Scanning For Empty Folders "));
            }
        },
        [&] { button(4).click(); });

    ASSERT_TRUE(pressed);
    EXPECT_TRUE(disabledAfterStop) << "no second run starts inside the first";
    EXPECT_EQ(prompter_.messages(), std::vector<std::string>{"Done."});
    const auto found = results();
    EXPECT_EQ(found.size(), 78u) << "the final pass ran to its end";
    for (const std::string& path : found)
        EXPECT_FALSE(path.starts_with((data_ / "one/e7").string())) << path;
    EXPECT_TRUE(button(4).isEnabled());
}

TEST_F(Form1Test, CommandsThatChangeAListOrTheDiskWaitForTheRunToEnd)
{
    for (int i = 0; i < 40; ++i)
        folder("one/e" + std::to_string(i));
    slow_.slowBelow = (data_ / "one").string();
    slow_.delay = std::chrono::milliseconds(8); // a search long enough to show entries on its way
    Form1& form = open();
    form.roots().append((data_ / "one").string() + "/");
    form.folderListModel().flush();
    WriteFile(data_ / "list.txt", folder("more") + "\n");
    prompter_.answerOpenFiles({(data_ / "list.txt").string()});

    const std::vector<int> refused = {1, 5, 6, 7, 9, 10};
    const std::vector<int> allowed = {2, 3, 4, 8, 11, 12};
    bool looked = false;
    bool disabledAtDone = false;
    int entriesSeenDuringSearch = 0;
    prompter_.onShow = [&](const ScriptedPrompter::Shown& box) {
        if (box.text == "Done.")
            disabledAtDone = !button(7).isEnabled() && !button(5).isEnabled();
    };
    AtEveryTurn(
        [&] {
            if (!form.roots().headerText().starts_with("Searching"))
                return;
            entriesSeenDuringSearch = std::max(entriesSeenDuringSearch, form.listView2()->model()->rowCount());
            if (looked)
                return;
            looked = true;
            for (int number : refused)
                EXPECT_FALSE(button(number).isEnabled()) << "PushButton" << number;
            for (int number : allowed)
                EXPECT_TRUE(button(number).isEnabled()) << "PushButton" << number;
            // Even called directly, the folder list stays as it is.
            form.listView1()->setCurrentIndex(form.listView1()->model()->index(0, 0));
            EXPECT_TRUE(form.listView1()->currentIndex().isValid());
            form.ListView1_KeyDown(46);
            form.PushButton7_Click();
            form.PushButton1_Click();
            EXPECT_EQ(form.roots().count(), 1u);
        },
        [&] { button(4).click(); });

    ASSERT_TRUE(looked);
    EXPECT_EQ(prompter_.messages(), std::vector<std::string>{"Done."}) << "no list file was loaded";
    EXPECT_EQ(form.roots().count(), 1u);
    EXPECT_TRUE(disabledAtDone) << "until \"Done.\" is closed";
    EXPECT_GT(entriesSeenDuringSearch, 0) << "entries appear while the search runs";
    for (int number : refused)
        EXPECT_TRUE(button(number).isEnabled()) << "PushButton" << number;
    EXPECT_EQ(results().size(), 40u);
}

TEST_F(Form1Test, ANewRunClearsTheResultsEvenWhenNoRootExists)
{
    Form1& form = open();
    form.results().append("/earlier");
    form.roots().append((data_ / "gone").string() + "/");
    button(4).click();
    EXPECT_TRUE(results().empty());
    EXPECT_EQ(prompter_.messages().back(), "Done.");
}

TEST_F(Form1Test, ClosingTheWindowMidScanEndsTheRunWithoutAnotherWord)
{
    for (int i = 0; i < 200; ++i)
        folder("one/e" + std::to_string(i));
    slow_.slowBelow = (data_ / "one").string();
    Form1& form = open();
    form.show();
    form.roots().append((data_ / "one").string() + "/");
    form.roots().append((data_ / "one").string() + "/");

    bool closed = false;
    const auto started = std::chrono::steady_clock::now();
    AtEveryTurn(
        [&] {
            if (!closed && form.roots().headerText().starts_with("Searching")) {
                closed = true;
                form.close();
            }
        },
        [&] { button(4).click(); });
    const auto took = std::chrono::steady_clock::now() - started;

    ASSERT_TRUE(closed);
    EXPECT_TRUE(form.closing());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(prompter_.shown().empty()) << "no \"Done.\" and no error report";
    EXPECT_FALSE(form.scanActive());
    EXPECT_LT(results().size(), 400u) << "the second root is not searched";
    (void)took;
}

TEST_F(Form1Test, EventsThatArriveDuringALongTurnAreServedBeforeTheWorkGoesOn)
{
    Form1& form = open();
    // Each case: how long the first event keeps the turn, and whether the
    // event it posts meanwhile is served by the same yield.
    const struct {
        int busyMs;
        bool servedAtOnce;
    } cases[] = {{40, true}, {0, false}};
    for (const auto& c : cases) {
        bool served = false;
        QMetaObject::invokeMethod(
            &form,
            [&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(c.busyMs));
                QMetaObject::invokeMethod(&form, [&] { served = true; }, Qt::QueuedConnection);
            },
            Qt::QueuedConnection);
        std::this_thread::sleep_for(std::chrono::milliseconds(5)); // out of any burst of yields
        form.yieldToEventLoop();
        EXPECT_EQ(served, c.servedAtOnce) << "busy " << c.busyMs << " ms";
        QCoreApplication::processEvents();
        EXPECT_TRUE(served);
    }
}

} // namespace
