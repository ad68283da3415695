// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Failure.h"
#include "platform/posix/PosixFileWriter.h"
#include "results/ClipboardText.h"
#include "results/Export.h"
#include "results/ResultsCommands.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/PrivateHome.h"
#include "support/TempTree.h"
#include "support/TmpfsMount.h"
#include "support/Unprivileged.h"
#include "support/ResultsDoubles.h"
#include "support/ScriptedPrompter.h"

using namespace vacantix;
using namespace vacantix::test;
namespace fs = std::filesystem;

namespace {

// A list with sub-items, as other lists of the program could hand over.
class Table final : public ColumnList {
public:
    struct Row {
        std::vector<std::string> cells;
        bool checked = true;
    };
    std::vector<Row> rows;
    std::size_t columnCount = 1;

    std::size_t count() const override { return rows.size(); }
    std::size_t columns() const override { return columnCount; }
    std::string cell(std::size_t position, std::size_t column) const override
    {
        if (position < 1 || position > rows.size() || column < 1 || column > columnCount)
            throw MakeFailure(SubscriptOutOfRange);
        const auto& cells = rows[position - 1].cells;
        return column <= cells.size() ? cells[column - 1] : std::string();
    }
    bool checked(std::size_t position) const override { return rows.at(position - 1).checked; }
};

// The names in a folder, sorted.
std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder))
        found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
}

class Export : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* path : {"/srv/a", "/srv/b", "/srv/ünï"})
            results.append(path);
        results.setChecked(1, false);
        results.setChecked(3, false);
    }

    ExportContext context(FileWriter& writer)
    {
        return ExportContext{results, prompter, files, writer, clipboard,
                             [this](int pointer) { pointers.push_back(pointer); }, [this] { ++yields; }};
    }

    fs::path folder = FreshFolder("export");
    MemoryResultsList results;
    ScriptedPrompter prompter;
    PosixFileSystem files;
    PosixFileWriter writer;
    FakeClipboard clipboard;
    std::vector<int> pointers;
    int yields = 0;
};

TEST_F(Export, SavesEveryEntryAsOneLineEndingInCrLf)
{
    const fs::path target = folder / "out";
    prompter.answerSaveFile(target.string());
    auto ctx = context(writer);
    SaveAsTextFile(ctx);

    EXPECT_EQ(ReadWholeFile(target), "/srv/a\r\n/srv/b\r\n/srv/\xC3\xBCn\xC3\xAF\r\n");
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].kind, ScriptedPrompter::Kind::SaveFile);
    EXPECT_EQ(prompter.shown()[0].text, "Save");
    EXPECT_EQ(prompter.shown()[0].filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
    EXPECT_TRUE(prompter.texts(ScriptedPrompter::Kind::Ask).empty());
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_EQ(pointers, (std::vector<int>{11, 1}));
    EXPECT_EQ(yields, 3);
    EXPECT_FALSE(fs::exists(folder / "out.txt"));
}

TEST_F(Export, AnExistingFileIsReplacedOnlyAfterYes)
{
    const fs::path target = folder / "list.txt";
    std::ofstream(target, std::ios::binary) << "old content that is longer than the new one\r\n";
    prompter.answerSaveFile(target.string());
    prompter.answerSaveFile(target.string());
    prompter.answerAsk(false);
    prompter.answerAsk(true);
    auto ctx = context(writer);

    SaveAsTextFile(ctx);
    EXPECT_EQ(ReadWholeFile(target), "old content that is longer than the new one\r\n");
    EXPECT_TRUE(pointers.empty());

    results.clear();
    SaveAsTextFile(ctx);
    EXPECT_EQ(ReadWholeFile(target), "");
    EXPECT_EQ(prompter.texts(ScriptedPrompter::Kind::Ask),
              std::vector<std::string>(2, "Are you sure you wish to overwrite " + target.string() + " ?"));
}

TEST_F(Export, AnOverwriteQuestionThatFailsLeavesTheFileAlone)
{
    const fs::path target = folder / "kept.txt";
    std::ofstream(target, std::ios::binary) << "old";
    prompter.answerSaveFile(target.string());
    prompter.answerAsk(true);
    prompter.onShow = [](const ScriptedPrompter::Shown& box) {
        if (box.kind == ScriptedPrompter::Kind::Ask)
            throw Failure(OtherError, "the box could not be shown");
    };
    auto ctx = context(writer);
    SaveAsTextFile(ctx);

    ASSERT_EQ(prompter.errorReports().size(), 1u);
    EXPECT_NE(prompter.errorReports()[0].find(
                  "the box could not be shown\r\nin Vacantix2021/08/31.Form1.PushButton11_Click at line 114"),
              std::string::npos);
    EXPECT_EQ(ReadWholeFile(target), "old");
    EXPECT_TRUE(pointers.empty());
}

TEST_F(Export, CancellingTheDialogWritesNothing)
{
    auto ctx = context(writer);
    SaveAsTextFile(ctx);
    EXPECT_TRUE(pointers.empty());
    EXPECT_TRUE(prompter.errorReports().empty());
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(Export, AFailedSaveIsReportedOnceAndLeavesTheOldFile)
{
    const fs::path target = folder / "keep.txt";
    std::ofstream(target, std::ios::binary) << "old";
    for (int i = 0; i < 2; ++i)
        prompter.answerSaveFile(target.string());
    prompter.answerAsk(true);
    prompter.answerAsk(true);

    FailingWriter failing;
    auto ctx = context(failing);
    SaveAsTextFile(ctx);
    ASSERT_EQ(prompter.errorReports().size(), 1u);
    EXPECT_NE(prompter.errorReports()[0].find("PushButton11_Click at line 132"), std::string::npos);
    EXPECT_EQ(pointers, (std::vector<int>{11, 1}));

    // An entry that leaves the list while the export lets other commands run
    // ends the save with one report; the file is not touched.
    prompter.forget();
    auto shrinking = context(writer);
    shrinking.yield = [this] { if (results.count() == 3) results.remove(3); };
    SaveAsTextFile(shrinking);
    ASSERT_EQ(prompter.errorReports().size(), 1u);
    EXPECT_NE(prompter.errorReports()[0].find("Subscript out of range"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(target), "old");

    // A folder that cannot be written into is one report as well.
    prompter.forget();
    prompter.answerSaveFile((folder / "missing" / "x.txt").string());
    SaveAsTextFile(shrinking);
    EXPECT_EQ(prompter.errorReports().size(), 1u);
}

// A full disk and a read-only one: the old file keeps its bytes, a new file
// is not made, nothing temporary is left, and the failure is one report.
TEST_F(Export, ASaveOnAFullOrReadOnlyDiskKeepsTheOldFileAndSaysSo)
{
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "full");
        const fs::path at = folder / (readOnly ? "ro" : "full");
        TmpfsMount disk(at.string(), "size=64k,mode=0755");
        if (!disk.mounted())
            GTEST_SKIP() << "mounting a tmpfs is not allowed here (run the tests as root to cover full and "
                            "read-only disks)";
        std::ofstream(at / "keep.txt", std::ios::binary) << "old";
        if (readOnly)
            ASSERT_TRUE(disk.makeReadOnly());
        else
            EXPECT_TRUE(disk.fill());

        prompter.forget();
        for (const char* name : {"keep.txt", "new.txt"})
            prompter.answerSaveFile((at / name).string());
        prompter.answerAsk(true);
        auto ctx = context(writer);
        SaveAsTextFile(ctx);
        SaveAsTextFile(ctx);

        EXPECT_EQ(ReadWholeFile(at / "keep.txt"), "old");
        const std::vector<std::string> left = readOnly ? std::vector<std::string>{"keep.txt"}
                                                       : std::vector<std::string>{"filler", "keep.txt"};
        EXPECT_EQ(namesIn(at), left);
        ASSERT_EQ(prompter.errorReports().size(), 2u);
        for (const std::string& report : prompter.errorReports())
            EXPECT_NE(report.find(readOnly ? "Read-only file system" : "No space left on device"), std::string::npos)
                << report;
    }
}

TEST_F(Export, AReplacedFileKeepsItsModeAndNothingTemporaryStays)
{
    const fs::path target = folder / "shared.txt";
    std::ofstream(target, std::ios::binary) << "old";
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(writer.replaceWhole(target.string(), "new"));
    ASSERT_TRUE(writer.replaceWhole((folder / "fresh.txt").string(), "x"));

    EXPECT_EQ(ReadWholeFile(target), "new");
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(static_cast<mode_t>(fs::status(folder / "fresh.txt").permissions()), 0666 & ~mask);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

// A read-only file in a folder open to all is refused, not replaced.
TEST(PosixFileWriterRights, AReadOnlyFileIsNotReplaced)
{
    const TempTree tree("ro.txt");
    fs::permissions(tree.root(), fs::perms::all);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(tree.path("ro.txt").c_str(), 65534, 65534), 0);
    }
    fs::permissions(tree.path("ro.txt"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string failed = RunUnprivileged([&]() -> std::string {
        PosixFileWriter writer;
        const auto written = writer.replaceWhole(tree.path("ro.txt"), "new");
        if (written || written.error() != FsError::PermissionDenied)
            return written ? "the read-only file was replaced" : "refused as " + written.failure().detail;
        const auto left = std::distance(fs::directory_iterator(tree.root()), fs::directory_iterator());
        return left == 1 ? "" : std::to_string(left) + " entries in its folder afterwards";
    });
    EXPECT_EQ(failed, "");
    EXPECT_EQ(ReadWholeFile(tree.path("ro.txt")), "x"); // as the tree description made it
}

TEST_F(Export, CopyPutsTheCheckedEntriesOnTheClipboardAndSaysHowToPaste)
{
    auto ctx = context(writer);
    CopyToClipboard(ctx);
    EXPECT_EQ(clipboard.text, "/srv/b\r\n");
    EXPECT_EQ(prompter.messages(),
              (std::vector<std::string>{"Results have been copied to the clipboard.\r\rClick a text area where you "
                                        "normally type and press Ctrl+V to paste the clipboard."}));
    EXPECT_EQ(pointers, (std::vector<int>{11, 0}));

    // An empty list leaves the clipboard as it was but still shows the message.
    clipboard.text = "before";
    results.clear();
    CopyToClipboard(ctx);
    EXPECT_EQ(clipboard.text, "before");
    EXPECT_EQ(prompter.messages().size(), 2u);
}

TEST_F(Export, AnEntryLeavingTheListDuringTheCopyLeavesTheClipboardAlone)
{
    auto ctx = context(writer);
    ctx.yield = [this] { if (results.count() == 3) results.remove(3); };
    CopyToClipboard(ctx);
    EXPECT_FALSE(clipboard.text.has_value());
    ASSERT_EQ(prompter.errorReports().size(), 1u);
    EXPECT_NE(prompter.errorReports()[0].find("PushButton12_Click at line 102"), std::string::npos);
    EXPECT_EQ(prompter.messages().size(), 1u);
}

TEST(ClipboardText, ColumnsArePaddedToTheLongestCellOfAllEntries)
{
    Table table;
    table.columnCount = 3;
    table.rows = {{{"/a", "12", "x  "}, true},
                  {{"/longer/path", "1234567", "yy"}, false},
                  {{"/ä", "", ""}, true},
                  {{"/bb", "3", "z"}, true}};
    // The unchecked row still sets the widths (12 and 7 characters); "ä" is
    // one character; trailing spaces go, but the padding between cells stays.
    EXPECT_EQ(ClipboardText(table, [] {}),
              "/a          \t12     \tx\r\n"
              "/\xC3\xA4          \t       \t\r\n"
              "/bb         \t3      \tz\r\n");

    for (auto& row : table.rows)
        row.checked = false;
    FakeClipboard clipboard;
    clipboard.text = "before";
    CopyListToClipboard(table, clipboard, [] {});
    EXPECT_EQ(clipboard.text, "");
    EXPECT_EQ(clipboard.clears, 1);
}

TEST(ClipboardText, ABusyClipboardIsTriedAgainAThousandTimesAtMost)
{
    FakeClipboard clipboard;
    clipboard.failuresLeft = 999;
    SetClipboardText(clipboard, "text");
    EXPECT_EQ(clipboard.sets, 1000);
    EXPECT_EQ(clipboard.text, "text");

    FakeClipboard busy;
    busy.failuresLeft = 5000;
    ClearClipboard(busy);
    SetClipboardText(busy, "text");
    EXPECT_EQ(busy.clears, 1000);
    EXPECT_EQ(busy.sets, 1000);
    EXPECT_FALSE(busy.text.has_value());
}

TEST(ResultsCommands, CheckUncheckAndClearActOnEveryEntry)
{
    ScriptedPrompter prompter;
    MemoryResultsList results;
    CheckAll(results, prompter);
    ClearResults(results, prompter);
    for (const char* path : {"/a", "/b", "/a"})
        results.append(path);
    UncheckAll(results, prompter);
    results.append("/c");
    EXPECT_EQ(results.entries(), (std::vector<MemoryResultsList::Entry>{
                                     {"/a", false}, {"/b", false}, {"/a", false}, {"/c", true}}));
    CheckAll(results, prompter);
    EXPECT_EQ(results.entries()[0].checked && results.entries()[2].checked, true);
    ClearResults(results, prompter);
    EXPECT_EQ(results.count(), 0u);
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_TRUE(prompter.errorReports().empty());
}

} // namespace
