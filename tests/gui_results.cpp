// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/qt/Form1.h"
#include "results/qt/ResultsItemModel.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/ListTexts.h"
#include "support/PrivateHome.h"
#include "support/ResultsDoubles.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"

using namespace vacantix;
using namespace vacantix::test;
namespace fs = std::filesystem;

namespace {

class ResultsWindow : public ::testing::Test {
protected:
    void SetUp() override { form = std::make_unique<Form1>(files, settings, prompter, root.string()); }

    std::string mkdir(const std::string& relative)
    {
        fs::create_directories(root / relative);
        return (root / relative).string();
    }

    void click(Button button) { form->button(button)->click(); }

    fs::path root = FreshFolder("window");
    PosixFileSystem files;
    MemorySettingsStore store;
    Settings settings{store};
    ScriptedPrompter prompter;
    std::unique_ptr<Form1> form;
};

// A trash that takes its time over each folder (longer than a slice of the
// event loop), and can act while it holds the n-th folder.
class SlowTrash final : public Trash {
public:
    explicit SlowTrash(fs::path bin) : inner(std::move(bin)) {}

    FsResult<Done> moveToTrash(const std::string& path) override
    {
        std::this_thread::sleep_for(delay);
        if (whileHolding)
            whileHolding(inner.calls.size() + 1);
        return inner.moveToTrash(path);
    }

    FakeTrash inner;
    std::chrono::milliseconds delay{60};
    std::function<void(std::size_t)> whileHolding;
};

// A mouse click, or double click (which follows a click), at a point of a
// widget.
void Click(QWidget* widget, QPoint at, QEvent::Type type = QEvent::MouseButtonPress)
{
    if (type == QEvent::MouseButtonDblClick)
        Click(widget, at);
    for (const QEvent::Type kind : {type, QEvent::MouseButtonRelease}) {
        QMouseEvent event(kind, at, widget->mapToGlobal(at), Qt::LeftButton,
                          kind == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    }
}

// The middle of a row's check box.
QPoint CheckBoxOf(QTreeView* list, int row)
{
    const QRect place = list->visualRect(list->model()->index(row, 0));
    const QStyle* style = list->style();
    return {place.left() + style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1 +
                style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, list) / 2,
            place.center().y()};
}

// What the results list shows: its header, and each row as "path", or
// "[ ] path" unchecked.
std::vector<std::string> Shown(Form1& form)
{
    QAbstractItemModel* model = form.listView2()->model();
    std::vector<std::string> shown{model->headerData(0, Qt::Horizontal).toString().toStdString()};
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        shown.push_back((index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? "" : "[ ] ") +
                        index.data().toString().toStdString());
    }
    return shown;
}

// Clicks on the header order the rows by path and back; the header counts
// the entries and the checked ones as marks change.
TEST_F(ResultsWindow, HeaderClicksOrderTheRowsAndTheHeaderCountsThem)
{
    for (const char* path : {"/x/b", "/x/a", "/x/c"})
        form->core().results().append(path);
    form->core().results().flush();
    form->core().Form_Load();
    form->show();
    QTreeView* list = form->listView2();
    QHeaderView* header = list->header();
    const QPoint onHeader(header->sectionViewportPosition(0) + 40, header->height() / 2);
    // Each step: a click on the header, or on the check box of row 0.
    const struct {
        bool onCheckBox;
        std::vector<std::string> shown;
        bool indicator;
    } steps[] = {
        {false, {"3 empty folders, 3 checked", "/x/a", "/x/b", "/x/c"}, true},
        {true, {"3 empty folders, 2 checked", "[ ] /x/a", "/x/b", "/x/c"}, true},
        {false, {"3 empty folders, 2 checked", "/x/c", "/x/b", "[ ] /x/a"}, true},
        {false, {"3 empty folders, 2 checked", "/x/b", "[ ] /x/a", "/x/c"}, false},
    };
    for (const auto& step : steps) {
        if (step.onCheckBox) {
            Click(list->viewport(), CheckBoxOf(list, 0));
        } else {
            Click(header->viewport(), onHeader);
        }
        EXPECT_EQ(Shown(*form), step.shown);
        EXPECT_EQ(header->isSortIndicatorShown(), step.indicator);
    }
    EXPECT_EQ(MarkedTexts(form->core().results()), (std::vector<std::string>{"/x/b", "[ ] /x/a", "/x/c"}))
        << "the entries keep the order found";
}

// The context menu acts on the row it was opened on; a double click opens
// the folder, but not on the check box.
TEST_F(ResultsWindow, TheContextMenuAndADoubleClickActOnTheirRow)
{
    const std::string a = mkdir("a"), b = mkdir("b");
    for (const auto& path : {b, a})
        form->core().results().append(path);
    form->core().results().flush();
    form->show();
    RecordingOpener opener;
    form->core().setFolderOpener(opener);
    std::vector<std::string> captions;
    const std::unique_ptr<QMenu> menu = form->contextMenu(ListId::Results, 1);
    for (QAction* action : menu->actions())
        captions.push_back(action->text().toStdString());
    EXPECT_EQ(captions, (std::vector<std::string>{"Open Folder", "Copy Path", "Check", "Uncheck"}));
    menu->actions().at(1)->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), a);
    menu->actions().at(3)->trigger();

    QTreeView* list = form->listView2();
    Click(list->viewport(), list->visualRect(list->model()->index(1, 0)).center(), QEvent::MouseButtonDblClick);
    Click(list->viewport(), CheckBoxOf(list, 0), QEvent::MouseButtonDblClick); // two clicks on the mark
    EXPECT_EQ(opener.opened, std::vector<std::string>{a});
    EXPECT_EQ(MarkedTexts(form->core().results()), (std::vector<std::string>{b, "[ ] " + a}));
}

TEST_F(ResultsWindow, SendsTheCheckedFoldersToTheTrashAndKeepsTheUnchecked)
{
    const std::string keep = mkdir("keep");
    const std::string goA = mkdir("go a");
    const std::string goB = mkdir("go b/inner");
    for (const auto& path : {goA, keep, goB})
        form->core().results().append(path);
    form->core().results().flush();
    form->core().results().setChecked(2, false);

    click(Button::SendChecked);

    EXPECT_EQ(MarkedTexts(form->core().results()), (std::vector<std::string>{"[ ] " + keep}));
    EXPECT_EQ(prompter.messages(), (std::vector<std::string>{"Done."}));
    const fs::path trash = PrivateTrashFiles();
    EXPECT_TRUE(fs::is_directory(trash / "go a"));
    EXPECT_TRUE(fs::is_directory(trash / "inner"));
    EXPECT_TRUE(fs::is_directory(keep));
    EXPECT_FALSE(fs::exists(goA));
    form->core().results().flush();
    EXPECT_EQ(form->resultItems().rowCount(), 1);
}

TEST_F(ResultsWindow, CheckAndUncheckAllChangeWhatTheListShows)
{
    for (const char* path : {"/x/a", "/x/b"})
        form->core().results().append(path);
    form->core().results().flush();
    click(Button::UncheckAll);
    const QModelIndex first = form->resultItems().index(0, 0);
    EXPECT_EQ(form->resultItems().data(first, Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(Shown(*form).front(), "2 empty folders, 0 checked") << "the header counts at once";
    click(Button::CheckAll);
    EXPECT_EQ(form->resultItems().data(first, Qt::CheckStateRole).toInt(), Qt::Checked);
    click(Button::ClearResults);
    form->core().results().flush();
    EXPECT_EQ(form->resultItems().rowCount(), 0);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(ResultsWindow, SavesTheListAndCopiesTheCheckedEntries)
{
    for (const char* path : {"/x/a", "/x/b"})
        form->core().results().append(path);
    form->core().results().flush();
    form->core().results().setChecked(1, false);

    const fs::path target = root / "saved";
    prompter.answerSaveFile(target.string());
    click(Button::SaveAsTextFile);
    EXPECT_EQ(ReadWholeFile(target), "/x/a\r\n/x/b\r\n");
    EXPECT_EQ(form->mousePointer(), ArrowPointer);

    int pointerDuringMessage = -1;
    prompter.onShow = [&](const ScriptedPrompter::Shown&) { pointerDuringMessage = form->mousePointer(); };
    click(Button::CopyToClipboard);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("/x/b\r\n"));
    EXPECT_EQ(pointerDuringMessage, BusyPointer);
    EXPECT_EQ(form->mousePointer(), DefaultPointer);
    EXPECT_EQ(prompter.messages().back(),
              "Results have been copied to the clipboard.\r\rClick a text area where you normally type and press "
              "Ctrl+V to paste the clipboard.");
}

// While folders go, a click on a result's check box is refused, as the
// window's other commands that change the marks are, and the scan button
// reads "Stop": it stops the sending after the folder at hand, and the
// closing box counts what went and what was not reached.
TEST_F(ResultsWindow, WhileFoldersGoTheMarksWaitAndTheScanButtonStops)
{
    std::vector<std::string> folders;
    for (const char* name : {"a", "b", "keep"})
        folders.push_back(mkdir(name));
    for (const std::string& folder : folders)
        form->core().results().append(folder);
    form->core().results().setChecked(3, false);
    form->core().results().flush();
    SlowTrash trash(root / "bin");
    trash.delay = std::chrono::milliseconds(0);
    bool refused = false;
    trash.whileHolding = [&](std::size_t n) {
        if (n != 1)
            return;
        refused = !form->resultItems().setData(form->resultItems().index(2), Qt::Checked, Qt::CheckStateRole) &&
                  !form->button(Button::UncheckAll)->isEnabled() &&
                  !form->contextMenu(ListId::Results, 2)->actions().at(2)->isEnabled() &&
                  form->button(Button::Scan)->text() == QStringLiteral("Stop");
        click(Button::Scan);
    };
    form->core().setTrash(trash);
    click(Button::SendChecked);

    EXPECT_TRUE(refused);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"Done.\n\nThe sending was stopped: 1 folder was sent; 1 "
                                                            "folder was not reached and stays checked in the list."});
    EXPECT_EQ(MarkedTexts(form->core().results()), (std::vector<std::string>{folders[1], "[ ] " + folders[2]}));
    EXPECT_TRUE(fs::is_directory(folders[1]) && fs::is_directory(folders[2]));
    EXPECT_EQ(form->button(Button::Scan)->text(), QString::fromUtf8(kScanCaption.data(), kScanCaption.size()));
    EXPECT_TRUE(form->resultItems().setData(form->resultItems().index(1), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(form->core().results().checked(2));
}

} // namespace
