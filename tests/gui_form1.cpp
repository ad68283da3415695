// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on real widgets: its look at start-up, layout, fonts,
// palettes and accessible names of both windows, pointers, keys, and the
// turns of the event loop. Its commands are tested against its core.
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

#include "app/qt/Form1.h"
#include "platform/ApplicationTitle.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/QtPrompter.h"
#include "roots/qt/FolderItemModel.h"
#include "settings/Settings.h"
#include "support/ListTexts.h"
#include "support/QtSettingsWindow.h"
#include "support/ScriptedPrompter.h"
#include "support/SlowFileSystem.h"

using namespace vacantix;
using test::ScriptedPrompter;
namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, std::string_view bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class Form1Test : public ::testing::Test {
protected:
    Form1Test()
    {
        base_ = fs::path(dir_.path().toStdString());
        program_ = base_ / "program";
        fs::create_directories(program_ / "Samples");
    }

    Form1& open()
    {
        form_ = std::make_unique<Form1>(slow_, settings_, prompter_, program_.string());
        form_->core().Form_Load();
        return *form_;
    }

    QPushButton& button(Button which) const { return *form_->button(which); }

    QTemporaryDir dir_;
    fs::path base_, program_;
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
    EXPECT_EQ(form.size(), QSize(form.twips(8040), form.twips(7935))) << "the designed size comes first";
    EXPECT_EQ(form.minimumSize(), form.size()) << "and the window may grow from there";
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);

    EXPECT_EQ(form.core().folderList().count(), 0u);
    EXPECT_EQ(form.core().results().count(), 0u);
    EXPECT_EQ(form.listView1()->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("Folders To Scan For Empty Folders"));
    EXPECT_EQ(form.listView2()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Empty Folders"));
    EXPECT_TRUE(form.listView1()->header()->isVisibleTo(&form));
    EXPECT_TRUE(form.listView2()->header()->isVisibleTo(&form));

    EXPECT_FALSE(form.core().customPointerLoaded());
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
    ASSERT_TRUE(form.core().customPointerLoaded());
    EXPECT_EQ(form.customPointer().hotSpot(), QPoint(3, 4));
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
    for (const Button number : kButtons) {
        EXPECT_EQ(button(number).font().family(), QStringLiteral("Arial"));
        EXPECT_DOUBLE_EQ(button(number).font().pointSizeF(), 11.25);
        EXPECT_TRUE(button(number).font().bold());
    }
    // Side by side, and "Send Checked To Recycle Bin" a little lower than its neighbour.
    EXPECT_EQ(button(Button::AddOneFolder).y(), button(Button::LoadListFiles).y());
    EXPECT_LT(button(Button::AddOneFolder).x() + button(Button::AddOneFolder).width(), button(Button::LoadListFiles).x());
    EXPECT_GT(button(Button::SendChecked).y(), button(Button::ClearResults).y());
    EXPECT_GT(form.listView2()->y(), button(Button::Scan).y());
    EXPECT_LE(button(Button::CopyToClipboard).geometry().bottom(), form.height());
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
    form.core().Form_Load();
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
    test::QtSettingsWindow settingsWindow(settings_, prompter_, program_.string(), &form, form.designScale());
    Form2& settings = settingsWindow.form;
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
        {form.button(Button::LoadListFiles), {4080, 1650, 3840, 405}},
        {form.listView2(), {120, 3675, 7800, 2640}},
        {form.button(Button::SendChecked), {4080, 6930, 3840, 405}},
        {form.button(Button::CopyToClipboard), {4080, 7425, 3840, 405}},
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

// The window grows and shrinks from its designed size: the lists take the
// height, every control the width, the list columns span their lists, and
// no control leaves the window or covers another.
TEST_F(Form1Test, GrowsWithItsListsAndEveryControlStaysInReach)
{
    Form1& form = open();
    form.show();
    const QSize designed = form.size();
    const int listsDesigned = form.listView1()->height() + form.listView2()->height();
    const QSize sizes[] = {designed, designed + QSize(300, 400), QSize(1600, 1200), designed};
    for (const QSize& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        form.resize(size);
        QCoreApplication::processEvents();
        ASSERT_EQ(form.size(), size);
        const int gained = size.height() - designed.height();
        EXPECT_NEAR(form.listView1()->height() - form.twips(1440), gained * 1440 / 4080, 1);
        EXPECT_EQ(form.listView1()->height() + form.listView2()->height(), listsDesigned + gained);
        const QList<QWidget*> controls = form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        for (QWidget* control : controls) {
            EXPECT_TRUE(form.rect().contains(control->geometry())) << control->objectName().toStdString();
            if (auto* pushButton = qobject_cast<QPushButton*>(control)) {
                EXPECT_NEAR(pushButton->height(), form.twips(405), 1);
            }
            for (QWidget* other : controls)
                EXPECT_TRUE(other == control || !other->geometry().intersects(control->geometry()))
                    << control->objectName().toStdString() << " covers " << other->objectName().toStdString();
        }
        for (QTreeView* list : {form.listView1(), form.listView2()})
            EXPECT_EQ(list->header()->sectionSize(0), list->viewport()->width()) << "the column spans the list";
    }
}

// The window starts at its designed size where the screen has room for it,
// else at the room there is (QT_SCALE_FACTOR=2 on a 1280 x 1024 screen, run
// as its own test), and every control can be reached.
TEST_F(Form1Test, StartsWithinTheRoomOfItsScreen)
{
    Form1& form = open();
    form.show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const QRect available = form.screen()->availableGeometry();
    const QSize designed(form.fit().designed().width, form.fit().designed().height);
    const QSize frame = form.frameGeometry().size() - form.size();
    const bool roomy = designed.width() + frame.width() <= available.width() &&
                       designed.height() + frame.height() <= available.height();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        ASSERT_FALSE(roomy) << "the small screen was not made";
    }
    EXPECT_TRUE(available.contains(form.frameGeometry()));
    if (roomy)
        EXPECT_EQ(form.size(), designed);
    else
        EXPECT_LT(form.height(), designed.height());
    EXPECT_EQ(form.minimumSize(), roomy ? designed : form.size());
    for (const Button which : kButtons)
        EXPECT_TRUE(form.rect().contains(button(which).geometry())) << button(which).text().toStdString();
    EXPECT_GT(form.listView1()->height(), button(Button::Scan).height());
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
        form.core().Form_Load();
        test::QtSettingsWindow settingsWindow(settings_, prompter_, program_.string(), &form, form.designScale());
    Form2& settings = settingsWindow.form;
        const std::string which = isDark ? "dark: " : "light: ";
        // The designed white, or the dark scheme's own window colour.
        EXPECT_EQ(form.palette().color(QPalette::Window), isDark ? dark.color(QPalette::Window) : QColor(Qt::white));

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
    // A desktop that turns dark while the window is open, and light again.
    QApplication::setPalette(light);
    Form1 form(slow_, settings_, prompter_, program_.string());
    form.core().Form_Load();
    for (const QPalette* palette : {static_cast<const QPalette*>(&dark), &light}) {
        QApplication::setPalette(*palette);
        QCoreApplication::processEvents();
        EXPECT_EQ(form.palette().color(QPalette::Window), palette == &dark ? dark.color(QPalette::Window) : QColor(Qt::white));
    }
    QApplication::setStyle(styleName);
}

// A screen reader says what each control is: its caption, a list's column
// header, the label beside the combo box, the frame around the text box.
TEST_F(Form1Test, EveryControlOfBothWindowsIsNamedByItsCaption)
{
    Form1& form = open();
    test::QtSettingsWindow settingsWindow(settings_, prompter_, program_.string(), &form, form.designScale());
    Form2& settings = settingsWindow.form;
    const auto name = [](QWidget* control) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        return accessible ? accessible->text(QAccessible::Name).toStdString() : std::string("(none)");
    };
    const std::pair<QWidget*, std::string> named[] = {
        {form.listView1(), "Folders To Scan For Empty Folders"},
        {form.listView2(), "Empty Folders"},
        {form.button(Button::LoadListFiles), "Load List Of Folders From File"},
        {form.button(Button::Scan), std::string(kScanCaption)},
        {form.button(Button::LoadSamples), "Load Sample/Example Folders"},
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
    moveOver(&button(Button::ClearResults));
    EXPECT_EQ(form.mousePointer(), CustomPointer);
    EXPECT_EQ(form.cursor().shape(), Qt::PointingHandCursor);
    moveOver(form.listView2()->viewport());
    EXPECT_EQ(form.mousePointer(), DefaultPointer);
    moveOver(&button(Button::Scan));
    moveOver(&form);
    EXPECT_EQ(form.mousePointer(), DefaultPointer);
    moveOver(&button(Button::Scan));
    moveOver(form.listView1()->viewport());
    EXPECT_EQ(form.mousePointer(), DefaultPointer);

    form.core().setMousePointer(BusyPointer);
    EXPECT_EQ(form.cursor().shape(), Qt::WaitCursor);
    for (QWidget* place : {static_cast<QWidget*>(&button(Button::LoadListFiles)), form.listView1()->viewport(),
                           form.listView2()->viewport(), static_cast<QWidget*>(&form)}) {
        moveOver(place);
        EXPECT_EQ(form.mousePointer(), BusyPointer);
    }
    EXPECT_EQ(form.property("MousePointer").toInt(), BusyPointer);

    // The Delete key reaches the folder list's handler, whatever modifier
    // keys are held.
    form.core().setMousePointer(DefaultPointer);
    for (const char* root : {"/r1/", "/r2/"})
        form.core().folderList().append(root);
    form.core().folderList().flush();
    form.listView1()->setCurrentIndex(form.listView1()->model()->index(0, 0));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
    QCoreApplication::sendEvent(form.listView1(), &key);
    EXPECT_EQ(test::Texts(form.core().folderList()), std::vector<std::string>{"/r2/"});
}

// -------------------------------------------------------------- event loop

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
        form.core().yieldToEventLoop();
        EXPECT_EQ(served, c.servedAtOnce) << "busy " << c.busyMs << " ms";
        QCoreApplication::processEvents();
        EXPECT_TRUE(served);
    }
}

} // namespace
