// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
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
// window's other commands that change the marks are; afterwards it counts.
TEST_F(ResultsWindow, ClicksOnCheckBoxesWaitWhileFoldersGo)
{
    for (const char* name : {"a", "b"})
        form->core().results().append(mkdir(name));
    const std::string keep = mkdir("keep");
    form->core().results().append(keep);
    form->core().results().setChecked(3, false);
    form->core().results().flush();
    SlowTrash trash(root / "bin");
    trash.delay = std::chrono::milliseconds(0);
    bool refused = false;
    trash.whileHolding = [&](std::size_t n) {
        if (n == 1)
            refused = !form->resultItems().setData(form->resultItems().index(2), Qt::Checked, Qt::CheckStateRole) &&
                      !form->button(Button::UncheckAll)->isEnabled();
    };
    form->core().setTrash(trash);
    click(Button::SendChecked);

    EXPECT_TRUE(refused);
    EXPECT_EQ(MarkedTexts(form->core().results()), std::vector<std::string>{"[ ] " + keep});
    EXPECT_TRUE(fs::is_directory(keep)) << "an entry unchecked when sending began stays";
    EXPECT_TRUE(form->resultItems().setData(form->resultItems().index(0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(form->core().results().checked(1));
}

} // namespace
