// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QCoreApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/qt/QtSettingsStore.h"
#include "settings/qt/Form2.h"
#include "support/QtSettingsWindow.h"
#include "support/PrivateHome.h"
#include "support/ScriptedPrompter.h"

namespace vacantix {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const QString kDefaultNamesShown =
    QStringLiteral("System Volume Information\nRECYCLER\nRecycled\nNtUninstall\n$RECYCLE.BIN");

struct Opened {
    MemorySettingsStore store;
    Settings settings{store};
    test::ScriptedPrompter prompter;
};

TEST(SettingsWindowLoad, EmptyStoreShowsDefaultsAndWritesThemBack)
{
    Opened o;
    test::QtSettingsWindow formWindow(o.settings, o.prompter, "/nonexistent");
    Form2& form = formWindow.form;

    EXPECT_EQ(form.windowTitle(), "Settings");
    EXPECT_EQ(form.combo1()->count(), 2);
    EXPECT_EQ(form.combo1()->currentText(), "Delete to recycle bin");
    EXPECT_EQ(form.check1()->checkState(), Qt::Checked);
    EXPECT_EQ(form.check2()->checkState(), Qt::Checked);
    EXPECT_EQ(form.check3()->checkState(), Qt::Unchecked);
    EXPECT_EQ(form.text1()->toPlainText(), kDefaultNamesShown);
    EXPECT_THAT(o.prompter.shown(), IsEmpty());

    // Each control that the load changed from its design-time state has
    // written its value; Check3 stays unchecked and so is never written.
    EXPECT_EQ(o.store.get(kCombo1), "0");
    EXPECT_EQ(o.store.get(kCheck1), "1");
    EXPECT_EQ(o.store.get(kCheck2), "1");
    EXPECT_EQ(o.store.get(kCheck3), std::nullopt);
    EXPECT_EQ(o.store.get(kText1), std::string(kDefaultIgnoreList));
}

TEST(SettingsWindowLoad, StoredValuesInEveryAcceptedForm)
{
    Opened o;
    o.store.set(kCombo1, "-1");
    o.store.set(kCheck1, "0");
    o.store.set(kCheck2, "2");
    o.store.set(kCheck3, " 1 ");
    o.store.set(kText1, "");
    test::QtSettingsWindow formWindow(o.settings, o.prompter, "/nonexistent");
    Form2& form = formWindow.form;

    EXPECT_EQ(form.combo1()->currentIndex(), -1);
    EXPECT_EQ(form.check1()->checkState(), Qt::Unchecked);
    EXPECT_EQ(form.check2()->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(form.check3()->checkState(), Qt::Checked);
    EXPECT_EQ(form.text1()->toPlainText(), "");
    EXPECT_THAT(o.prompter.shown(), IsEmpty());
    EXPECT_EQ(o.store.get(kCombo1), "-1");
    EXPECT_EQ(o.store.get(kCheck2), "2");
    EXPECT_EQ(o.store.get(kCheck3), "1");
    EXPECT_EQ(o.store.get(kText1), "");

    // A grayed box becomes an ordinary one on the user's click.
    form.check2()->click();
    EXPECT_EQ(o.store.get(kCheck2), "1");
    form.check2()->click();
    EXPECT_EQ(o.store.get(kCheck2), "0");
    form.check2()->click();
    EXPECT_EQ(o.store.get(kCheck2), "1");
}

TEST(SettingsWindowChanges, EachChangeIsStoredAtOnce)
{
    Opened o;
    test::QtSettingsWindow formWindow(o.settings, o.prompter, "/nonexistent");
    Form2& form = formWindow.form;

    form.check2()->click();
    EXPECT_EQ(o.store.get(kCheck2), "0");
    EXPECT_FALSE(o.settings.skipSystemFolders()); // a running scan's next read sees it
    form.check3()->click();
    EXPECT_EQ(o.store.get(kCheck3), "1");
    form.check1()->click();
    EXPECT_EQ(o.store.get(kCheck1), "0");
    form.combo1()->setCurrentIndex(1);
    EXPECT_EQ(o.store.get(kCombo1), "1");

    // Typing at the end stores the whole text after every keystroke.
    QTextCursor cursor(form.text1()->document());
    cursor.movePosition(QTextCursor::End);
    form.text1()->setTextCursor(cursor);
    form.text1()->insertPlainText(QStringLiteral("\n"));
    EXPECT_EQ(o.store.get(kText1), std::string(kDefaultIgnoreList) + "\r\n");
    for (const QChar letter : QStringLiteral("tmp"))
        form.text1()->insertPlainText(QString(letter));
    EXPECT_EQ(o.store.get(kText1), std::string(kDefaultIgnoreList) + "\r\ntmp");
    EXPECT_THAT(o.settings.ignoreEntries(), ::testing::Contains("tmp"));

    // Cleared, the list stays empty: the defaults do not come back.
    form.text1()->clear();
    EXPECT_EQ(o.store.get(kText1), "");
    test::QtSettingsWindow againWindow(o.settings, o.prompter, "/nonexistent");
    Form2& again = againWindow.form;
    EXPECT_EQ(again.text1()->toPlainText(), "");
    EXPECT_EQ(again.combo1()->currentIndex(), 1);
    EXPECT_EQ(again.check1()->checkState(), Qt::Unchecked);
    EXPECT_EQ(again.check2()->checkState(), Qt::Unchecked);
    EXPECT_EQ(again.check3()->checkState(), Qt::Checked);
    EXPECT_THAT(o.prompter.shown(), IsEmpty());
}

TEST(SettingsWindowLoad, OpeningKeepsTheStoredIgnoreListExactlyAsItWas)
{
    // A lone LF and a lone CR belong to their entries, a non-breaking space
    // to its name; the box shows each lone line end as a line break.
    const std::string stored = "one\ntwo\r\nthr\xC2\xA0" "ee\rfour";
    Opened o;
    o.store.set(kText1, stored);
    test::QtSettingsWindow formWindow(o.settings, o.prompter, "/nonexistent");
    Form2& form = formWindow.form;
    EXPECT_EQ(form.text1()->toPlainText(), QStringLiteral("one\ntwo\nthr ee\nfour"));
    EXPECT_EQ(o.store.get(kText1), stored);
    EXPECT_THAT(o.settings.ignoreEntries(), ElementsAre("one\ntwo", "thr\xC2\xA0" "ee\rfour"));

    // Once the user edits, every line of the box is a line of the list, and
    // the non-breaking space stays what it is.
    QTextCursor cursor(form.text1()->document());
    cursor.movePosition(QTextCursor::End);
    form.text1()->setTextCursor(cursor);
    form.text1()->insertPlainText(QStringLiteral("s"));
    EXPECT_EQ(o.store.get(kText1), "one\r\ntwo\r\nthr\xC2\xA0" "ee\r\nfours");
}

TEST(SettingsWindowClose, OkAndTitleBarCloseBothKeepTheChangesInTheUsersStore)
{
    QtSettingsStore store;
    Settings settings(store);
    test::ScriptedPrompter prompter;
    {
        test::QtSettingsWindow formWindow(settings, prompter, "/nonexistent");
        Form2& form = formWindow.form;
        form.show();
        form.check2()->click();
        form.close(); // the title-bar close
        EXPECT_FALSE(form.isVisible());
    }
    {
        QtSettingsStore reopened;
        EXPECT_EQ(reopened.get(kCheck2), "0");
        Settings fresh(reopened);
        test::QtSettingsWindow formWindow(fresh, prompter, "/nonexistent");
        Form2& form = formWindow.form;
        EXPECT_EQ(form.check2()->checkState(), Qt::Unchecked);
        form.show();
        form.combo1()->setCurrentIndex(1);
        form.pushButton7()->click();
        EXPECT_FALSE(form.isVisible());
    }
    QtSettingsStore reopened;
    EXPECT_EQ(reopened.get(kCombo1), "1");
    EXPECT_EQ(reopened.get(kCheck2), "0");
    EXPECT_THAT(prompter.shown(), IsEmpty());
}

void MoveMouseOver(QWidget* widget)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

TEST(SettingsWindowPointer, HandOverOkDefaultOverFramesNeverOverTheBusyPointer)
{
    Opened o;
    test::QtSettingsWindow formWindow(o.settings, o.prompter, "/nonexistent");
    Form2& form = formWindow.form;
    MoveMouseOver(form.pushButton7());
    EXPECT_EQ(form.core().mousePointer(), 99);
    MoveMouseOver(form.frame2());
    EXPECT_EQ(form.core().mousePointer(), 0);
    MoveMouseOver(form.pushButton7());
    MoveMouseOver(&form);
    EXPECT_EQ(form.core().mousePointer(), 0);

    form.core().setMousePointer(11);
    MoveMouseOver(form.pushButton7());
    MoveMouseOver(form.frame1());
    EXPECT_EQ(form.core().mousePointer(), 11);
}

TEST(SettingsWindowLoad, UnreadableCursorFileIsReportedAndTheHandStandsIn)
{
    const std::string folder = test::privateHome() + "/program-with-bad-cursor";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/HAND-M.CUR") << "not a cursor";
    Opened o;
    test::QtSettingsWindow formWindow(o.settings, o.prompter, folder);
    Form2& form = formWindow.form;
    ASSERT_EQ(o.prompter.errorReports().size(), 1u);
    EXPECT_THAT(o.prompter.errorReports()[0], HasSubstr("Form2.Form_Load at line 120"));
    form.core().setMousePointer(99);
    EXPECT_EQ(form.cursor().shape(), Qt::PointingHandCursor);
}

// The check boxes and the label show the frame behind them: where they draw
// no text or box, their pixels are the frame's own.
TEST(SettingsWindowLayout, ControlsInAFrameShowTheFramesBackground)
{
    Opened o;
    test::QtSettingsWindow formWindow(o.settings, o.prompter, "/nonexistent");
    Form2& form = formWindow.form;
    const QImage shown = form.grab().toImage();
    const auto at = [&](QWidget* control, QPoint local) { return shown.pixelColor(control->mapTo(&form, local)); };
    // The frame's own interior, right of the check boxes and below the combo box.
    const QColor frame = at(form.frame1(), {form.frame1()->width() - 20, form.check2()->geometry().center().y()});
    for (QWidget* control : std::initializer_list<QWidget*>{form.check1(), form.check2(), form.check3()}) {
        const QColor strip = at(control, {control->width() - 2, control->height() / 2});
        EXPECT_EQ(strip.name().toStdString(), frame.name().toStdString()) << control->objectName().toStdString();
    }
    EXPECT_EQ(at(form.label1(), {form.label1()->width() - 1, 0}).name().toStdString(), frame.name().toStdString());
}

TEST(SettingsWindowLayout, ArrangementAndTabOrder)
{
    Opened o;
    test::QtSettingsWindow formWindow(o.settings, o.prompter, "/nonexistent");
    Form2& form = formWindow.form;
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.font().bold());
    EXPECT_DOUBLE_EQ(form.pushButton7()->font().pointSizeF(), 11.25);

    // Top to bottom: the general options, the ignore list, the button.
    EXPECT_LT(form.frame1()->geometry().bottom(), form.frame2()->geometry().top());
    EXPECT_LT(form.frame2()->geometry().bottom(), form.pushButton7()->geometry().top());
    EXPECT_EQ(form.combo1()->parentWidget(), form.frame1());
    EXPECT_EQ(form.text1()->parentWidget(), form.frame2());

    std::vector<QString> order;
    QWidget* next = form.combo1();
    for (int i = 0; i < 6; ++i, next = next->nextInFocusChain()) {
        while (next->focusPolicy() == Qt::NoFocus || !next->objectName().size())
            next = next->nextInFocusChain();
        order.push_back(next->objectName());
    }
    EXPECT_THAT(order, ElementsAre("Combo1", "Check1", "Check2", "Check3", "Text1", "PushButton7"));
}

} // namespace
} // namespace vacantix
