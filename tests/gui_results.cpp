// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/qt/Form1.h"
#include "results/ResultsList.h"
#include "roots/FolderList.h"
#include "results/qt/ResultsModel.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/ListTexts.h"
#include "support/PrivateHome.h"
#include "support/ResultsDoubles.h"
#include "support/ScriptedPrompter.h"

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
    std::ifstream in(target, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "/x/a\r\n/x/b\r\n");
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

} // namespace
