// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include "app/qt/Form1.h"
#include "results/ResultsList.h"
#include "roots/FolderList.h"
#include "results/qt/ResultsModel.h"
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

    void click(int number) { form->pushButton(number)->click(); }

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

// Runs `check` at every turn of the event loop while `run` runs.
void AtEveryTurn(const std::function<void()>& check, const std::function<void()>& run)
{
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, check);
    turn.start();
    run();
}

TEST_F(ResultsWindow, SendsTheCheckedFoldersToTheTrashAndKeepsTheUnchecked)
{
    const std::string keep = mkdir("keep");
    const std::string goA = mkdir("go a");
    const std::string goB = mkdir("go b/inner");
    for (const auto& path : {goA, keep, goB})
        form->results().append(path);
    form->resultsModel().flush();
    form->results().setChecked(2, false);

    click(5);

    EXPECT_EQ(MarkedTexts(form->results()), (std::vector<std::string>{"[ ] " + keep}));
    EXPECT_EQ(prompter.messages(), (std::vector<std::string>{"Done."}));
    const fs::path trash = PrivateTrashFiles();
    EXPECT_TRUE(fs::is_directory(trash / "go a"));
    EXPECT_TRUE(fs::is_directory(trash / "inner"));
    EXPECT_TRUE(fs::is_directory(keep));
    EXPECT_FALSE(fs::exists(goA));
    form->resultsModel().flush();
    EXPECT_EQ(form->resultsModel().rowCount(), 1);
}

TEST_F(ResultsWindow, CheckAndUncheckAllChangeWhatTheListShows)
{
    for (const char* path : {"/x/a", "/x/b"})
        form->results().append(path);
    form->resultsModel().flush();
    click(3);
    const QModelIndex first = form->resultsModel().index(0, 0);
    EXPECT_EQ(form->resultsModel().data(first, Qt::CheckStateRole).toInt(), Qt::Unchecked);
    click(2);
    EXPECT_EQ(form->resultsModel().data(first, Qt::CheckStateRole).toInt(), Qt::Checked);
    click(9);
    form->resultsModel().flush();
    EXPECT_EQ(form->resultsModel().rowCount(), 0);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(ResultsWindow, SavesTheListAndCopiesTheCheckedEntries)
{
    for (const char* path : {"/x/a", "/x/b"})
        form->results().append(path);
    form->resultsModel().flush();
    form->results().setChecked(1, false);

    const fs::path target = root / "saved";
    prompter.answerSaveFile(target.string());
    click(11);
    EXPECT_EQ(ReadWholeFile(target), "/x/a\r\n/x/b\r\n");
    EXPECT_EQ(form->mousePointer(), ArrowPointer);

    int pointerDuringMessage = -1;
    prompter.onShow = [&](const ScriptedPrompter::Shown&) { pointerDuringMessage = form->mousePointer(); };
    click(12);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("/x/b\r\n"));
    EXPECT_EQ(pointerDuringMessage, BusyPointer);
    EXPECT_EQ(form->mousePointer(), DefaultPointer);
    EXPECT_EQ(prompter.messages().back(),
              "Results have been copied to the clipboard.\r\rClick a text area where you normally type and press "
              "Ctrl+V to paste the clipboard.");
}

TEST_F(ResultsWindow, TheTrashCommandWaitsForTheScanToEnd)
{
    mkdir("scanned/empty");
    form->roots().append((root / "scanned").string() + "/");
    bool enabledDuringScan = true;
    prompter.onShow = [&](const ScriptedPrompter::Shown& box) {
        if (box.text == "Done.")
            enabledDuringScan = form->pushButton(5)->isEnabled();
    };
    click(4);
    EXPECT_FALSE(enabledDuringScan);
    EXPECT_TRUE(form->pushButton(5)->isEnabled());
    ASSERT_EQ(form->results().count(), 1u);

    // Now the scanned folder goes; the list is empty again.
    prompter.onShow = nullptr;
    click(5);
    EXPECT_EQ(form->results().count(), 0u);
    EXPECT_FALSE(fs::exists(root / "scanned/empty"));
}

TEST_F(ResultsWindow, TheWindowStaysAliveWhileFoldersGo)
{
    std::vector<std::string> going;
    for (int i = 1; i <= 5; ++i) {
        going.push_back(mkdir("go" + std::to_string(i)));
        form->results().append(going.back());
    }
    const std::string keep = mkdir("keep");
    form->results().append(keep);
    form->results().setChecked(6, false);
    form->resultsModel().flush();
    SlowTrash trash(root / "bin");
    form->setTrash(trash);

    const std::set<int> changing = {1, 4, 5, 6, 7, 8, 9, 10};
    std::vector<std::string> headers;
    bool commandsRight = true, alwaysBusy = true, disabledAtDone = false;
    prompter.onShow = [&](const ScriptedPrompter::Shown&) { disabledAtDone = !form->pushButton(5)->isEnabled(); };
    AtEveryTurn(
        [&] {
            const std::string header =
                form->listView2()->model()->headerData(0, Qt::Horizontal).toString().toStdString();
            if (!header.starts_with("Sending"))
                return;
            if (headers.empty()) {
                // Check marks changed while folders go change nothing.
                click(3);
                form->results().setChecked(6, true);
            }
            if (headers.empty() || headers.back() != header)
                headers.push_back(header);
            for (int number = 1; number <= 12; ++number)
                commandsRight = commandsRight && form->pushButton(number)->isEnabled() != changing.count(number);
            alwaysBusy = alwaysBusy && form->mousePointer() == BusyPointer;
        },
        [&] { click(5); });

    ASSERT_FALSE(headers.empty()) << "the event loop turned while folders went";
    EXPECT_GE(headers.size(), 4u) << "a turn at least after every folder that took longer than a slice";
    EXPECT_EQ(headers.back(), "Sending 5 of 5");
    EXPECT_TRUE(commandsRight) << "only Check All, Uncheck All and the exports stay";
    EXPECT_TRUE(alwaysBusy);
    EXPECT_TRUE(disabledAtDone) << "until the closing box is dismissed";
    EXPECT_EQ(trash.inner.calls, going);
    EXPECT_EQ(MarkedTexts(form->results()), std::vector<std::string>{keep});
    EXPECT_TRUE(fs::is_directory(keep));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"Done."});
    for (int number = 1; number <= 12; ++number)
        EXPECT_TRUE(form->pushButton(number)->isEnabled()) << "PushButton" << number;
    EXPECT_EQ(form->mousePointer(), DefaultPointer);
    EXPECT_EQ(form->listView2()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Empty Folders"));
}

TEST_F(ResultsWindow, ClosingTheWindowMidDeletionFinishesTheFolderAtHandAndStops)
{
    std::vector<std::string> folders;
    for (int i = 1; i <= 6; ++i) {
        folders.push_back(mkdir("f" + std::to_string(i)));
        form->results().append(folders.back());
    }
    form->show();
    SlowTrash trash(root / "bin");
    trash.delay = std::chrono::milliseconds(0);
    trash.whileHolding = [&](std::size_t n) {
        if (n == 3)
            form->close();
    };
    form->setTrash(trash);

    click(5);

    EXPECT_TRUE(form->closing());
    EXPECT_TRUE(prompter.shown().empty()) << "no closing box once the window is closed";
    ASSERT_EQ(trash.inner.calls.size(), 3u);
    for (std::size_t i = 0; i < folders.size(); ++i)
        EXPECT_EQ(fs::exists(folders[i]), i >= 3) << folders[i];
    EXPECT_EQ(MarkedTexts(form->results()), std::vector<std::string>(folders.begin() + 3, folders.end()))
        << "exactly the entries whose folders went leave the list";
}

} // namespace
