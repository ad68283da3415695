// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/FakeFileSystem.h"
#include "platform/posix/CheckedFolders.h"
#include "platform/posix/PosixRemover.h"
#include "platform/gio/GioTrash.h"
#include "results/Deletion.h"
#include "settings/ScanExtras.h"
#include "scan/FinalPass.h"
#include "scan/Search.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/CliProcess.h"
#include "support/ListTexts.h"
#include "support/OpenDescriptors.h"
#include "support/PrivateHome.h"
#include "support/ResultsDoubles.h"
#include "support/ScriptedPrompter.h"
#include "support/SlowFileSystem.h"
#include "support/TempTree.h"
#include "support/TmpfsMount.h"

using namespace vacantix;
using namespace vacantix::test;
namespace fs = std::filesystem;

namespace {

void MakeFolders(const fs::path& in, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        fs::create_directory(in / name);
}

class Deletion : public ::testing::Test {
protected:
    std::string mkdir(const std::string& relative)
    {
        fs::create_directories(root / relative);
        return (root / relative).string();
    }

    std::string write(const std::string& relative, const std::string& bytes = {})
    {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative, std::ios::binary) << bytes;
        return (root / relative).string();
    }

    // The look before a deletion goes through `disk` (the fixture's own
    // unless given), the fresh look through the fixture's.
    DeletionContext context(Trash& trash, FileSystem* disk = nullptr, DirectRemover* by = nullptr)
    {
        return DeletionContext{disk ? *disk : files, settings, trash, by ? *by : remover,
                               [this](const std::string& path) { return HoldsContent(files, settings, path, still); }};
    }

    fs::path root = FreshFolder("tree");
    FakeTrash bin{root.string() + ".bin"}; // takes what it is given into a folder beside the tree
    PosixFileSystem files;
    MemorySettingsStore store;
    Settings settings{store};
    PosixRemover remover;
    ScanHooks still;
    ScriptedPrompter prompter;
    MemoryResultsList results;
};

TEST_F(Deletion, CheckedFoldersGoToTheTrashAndLeaveTheList)
{
    const std::string a = mkdir("a");
    const std::string b = mkdir("b");
    const std::string bc = mkdir("b/c");
    const std::string d = mkdir("d");
    for (const auto& path : {a, b, bc, d})
        results.append(path);
    results.setChecked(4, false);

    GioTrash trash;
    auto ctx = context(trash);
    const DeletionSummary summary = SendCheckedToTrash(results, ctx, prompter);

    EXPECT_EQ(MarkedTexts(results), (std::vector<std::string>{"[ ] " + d}));
    EXPECT_EQ(prompter.messages(), (std::vector<std::string>{"Done."}));
    EXPECT_TRUE(prompter.errorReports().empty());
    EXPECT_FALSE(fs::exists(a));
    EXPECT_FALSE(fs::exists(b));
    EXPECT_TRUE(fs::exists(d));
    // The subfolder went with its parent; its own turn found it gone.
    EXPECT_EQ(summary.count(DeletionOutcome::Sent), 2u);
    EXPECT_EQ(summary.count(DeletionOutcome::AlreadyGone), 1u);
    EXPECT_TRUE(fs::is_directory(PrivateTrashFiles() / "b" / "c"));
    EXPECT_TRUE(fs::is_directory(PrivateTrashFiles() / "a"));
    EXPECT_TRUE(fs::exists(PrivateTrash() / "info/a.trashinfo"));
}

TEST_F(Deletion, TheEntryActedOnLeavesNotTheFirstWithTheSameText)
{
    const std::string p = mkdir("p");
    const std::string x = mkdir("x");
    for (const auto& path : {x, p, x, x, p})
        results.append(path);
    for (std::size_t i : {1, 2, 3, 4})
        results.setChecked(i, false);

    auto ctx = context(bin);
    SendCheckedToTrash(results, ctx, prompter);

    EXPECT_EQ(bin.calls, (std::vector<std::string>{p}));
    EXPECT_EQ(MarkedTexts(results), (std::vector<std::string>{"[ ] " + x, "[ ] " + p, "[ ] " + x, "[ ] " + x}));
}

// A checked folder that would take along the folder of an entry left
// unchecked stays, checked, and names that entry; other checked folders go.
TEST_F(Deletion, AFolderHoldingAnUncheckedEntryIsKept)
{
    const std::vector<std::pair<std::string, bool>> entries{
        {"n", true}, {"n/1", true}, {"n/1/2", false}, {"n/1/2/3", true}, {"a", true}, {"a-b", false}, {"ab", false},
    };
    for (const auto& [relative, checked] : entries) {
        results.append(mkdir(relative));
        results.setChecked(results.count(), checked);
    }
    auto ctx = context(bin);
    SendCheckedToTrash(results, ctx, prompter);

    const auto at = [&](const char* relative) { return (root / relative).string(); };
    EXPECT_EQ(bin.calls, (std::vector<std::string>{at("n/1/2/3"), at("a")}));
    EXPECT_TRUE(fs::is_directory(at("n/1/2")) && fs::is_directory(at("a-b")));
    const std::string why = ": holds '" + at("n/1/2") + "', which is not checked";
    EXPECT_EQ(prompter.messages(), (std::vector<std::string>{"Done.\n\n" + at("n") + why + "\n" + at("n/1") + why}));
    EXPECT_EQ(MarkedTexts(results), (std::vector<std::string>{at("n"), at("n/1"), "[ ] " + at("n/1/2"), "[ ] " + at("a-b"),
                                                              "[ ] " + at("ab")}));
}

TEST_F(Deletion, FoldersThatAreNoLongerEmptyOrRefusedStayCheckedAndAreListed)
{
    const std::string grown = mkdir("grown");
    const std::string refusedFolder = mkdir("refused");
    const std::string fine = mkdir("fine");
    const std::string vanished = mkdir("vanished");
    for (const auto& path : {grown, refusedFolder, fine, vanished})
        results.append(path);
    write("grown/deep/new.txt", "x");
    fs::remove(vanished);

    bin.refused.insert(refusedFolder);
    auto ctx = context(bin);
    const DeletionSummary summary = SendCheckedToTrash(results, ctx, prompter);

    EXPECT_EQ(bin.calls, (std::vector<std::string>{refusedFolder, fine}));
    EXPECT_EQ(MarkedTexts(results), (std::vector<std::string>{grown, refusedFolder}));
    EXPECT_TRUE(fs::exists(root / "grown/deep/new.txt"));
    EXPECT_TRUE(fs::is_directory(refusedFolder)); // no permanent deletion instead
    EXPECT_FALSE(fs::exists(fine));
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.messages()[0], "Done.\n\n" + grown + ": kept, it is no longer empty\n" + refusedFolder +
                                        ": the trash refused it: the trash is full");
    EXPECT_EQ(DeletionCountsLine(summary, "sent to the trash"), "1 folder sent to the trash, 1 already gone, 1 kept, 1 failed");
}

TEST_F(Deletion, NothingCheckedDeletesNothingAndStillSaysDone)
{
    const std::string a = mkdir("a");
    results.append(a);
    results.setChecked(1, false);
    auto ctx = context(bin);
    SendCheckedToTrash(results, ctx, prompter);
    EXPECT_TRUE(bin.calls.empty());
    EXPECT_EQ(results.count(), 1u);

    MemoryResultsList empty;
    SendCheckedToTrash(empty, ctx, prompter);
    EXPECT_EQ(prompter.messages(), (std::vector<std::string>{"Done.", "Done."}));
}

TEST_F(Deletion, RefusesPathsThatAreNotAbsoluteOrMissing)
{
    auto ctx = context(bin);
    const FolderDeletion relative = DeleteToRecycleBin(ctx, "tmp/a");
    EXPECT_EQ(relative.outcome, DeletionOutcome::Failed);
    EXPECT_EQ(relative.reason, "'tmp/a' is not a fully qualified name on the local machine");

    const std::string missing = (root / "missing").string();
    const FolderDeletion gone = DeleteToRecycleBin(ctx, missing);
    EXPECT_EQ(gone.outcome, DeletionOutcome::AlreadyGone);
    EXPECT_EQ(gone.reason, "'" + missing + "' does not exist");
    EXPECT_TRUE(bin.calls.empty());

    // One trailing separator is dropped before the trash sees the path.
    const std::string a = mkdir("a");
    EXPECT_EQ(DeleteToRecycleBin(ctx, a + "/").outcome, DeletionOutcome::Sent);
    EXPECT_EQ(bin.calls, (std::vector<std::string>{a}));
}

TEST_F(Deletion, AStepThatFailsIsReportedAndItsEntryStays)
{
    const std::string a = mkdir("a");
    results.append(a);
    store.set("Combo1", "1");
    store.set("Check1", "yes");
    auto ctx = context(bin);
    SendCheckedToTrash(results, ctx, prompter);

    ASSERT_EQ(prompter.errorReports().size(), 1u);
    EXPECT_NE(prompter.errorReports()[0].find("Type mismatch\r\nin Vacantix2021/08/31.Form1.PushButton5_Click at line 106"),
              std::string::npos);
    EXPECT_TRUE(fs::is_directory(a));
    EXPECT_EQ(MarkedTexts(results), (std::vector<std::string>{a}));
    EXPECT_EQ(prompter.messages(), (std::vector<std::string>{"Done.\n\n" + a + ": Type mismatch"}));
}

// A stored delete mode that is no number is reported once for the whole
// command, not once per folder; the folders then go to the trash.
TEST_F(Deletion, AnUnreadableDeleteModeIsReportedOnceAndTheTrashIsUsed)
{
    const std::vector<std::string> folders{mkdir("a"), mkdir("b"), mkdir("c")};
    for (const std::string& folder : folders)
        results.append(folder);
    store.set("Combo1", "directly");
    auto ctx = context(bin);
    SendCheckedToTrash(results, ctx, prompter);

    ASSERT_EQ(prompter.errorReports().size(), 1u);
    EXPECT_NE(prompter.errorReports()[0].find("Type mismatch\r\nin Vacantix2021/08/31.Form1.PushButton5_Click at line 100"),
              std::string::npos);
    EXPECT_EQ(bin.calls, folders);
    EXPECT_EQ(results.count(), 0u);
    EXPECT_EQ(prompter.messages(), (std::vector<std::string>{"Done."}));
    EXPECT_FALSE(ctx.mode.has_value());
}

TEST_F(Deletion, DeletingDirectlyRemovesOnlyWhatIsEmpty)
{
    store.set("Combo1", "1");
    store.set("Check1", "1");
    const std::string tree = mkdir("tree/x/y");
    write("tree/zero");
    write("tree/x/y/zero2");
    const std::string withLink = mkdir("link");
    fs::create_symlink(root / "elsewhere", root / "link/dangling");
    for (const auto& path : {(root / "tree").string(), withLink})
        results.append(path);

    auto ctx = context(bin);
    SendCheckedToTrash(results, ctx, prompter);

    EXPECT_TRUE(bin.calls.empty());
    EXPECT_FALSE(fs::exists(root / "tree"));
    EXPECT_TRUE(fs::is_symlink(root / "link/dangling"));
    EXPECT_EQ(MarkedTexts(results), (std::vector<std::string>{withLink}));

    // Zero-byte files are content while the option is off.
    store.set("Check1", "0");
    write("again/zero");
    EXPECT_EQ(DeleteToRecycleBin(ctx, (root / "again").string()).outcome, DeletionOutcome::Kept);
    EXPECT_TRUE(fs::exists(root / "again/zero"));
}

// The search, the final pass and the look a removal makes keep the same
// trees: what one of them keeps, the others keep too, also when it appears
// between the fresh look and the removal's own walk.
TEST_F(Deletion, TheScanAndTheRemovalKeepTheSameTrees)
{
    ScanExtras extras;
    extras.junkNames = {"Thumbs.db"};
    extras.excludes = {"**/skip"};
    settings.setExtras(&extras);
    store.set("Check1", "1");
    store.set("Combo1", "1");
    store.set("Text1", "RECYCLER\r\n" + (root / "5/x/keep").string());
    std::optional<TmpfsMount> mount;
    const auto folder = [](const char* name) { return [=](const fs::path& x) { fs::create_directory(x / name); }; };
    struct Row {
        const char* what;
        std::function<void(const fs::path& x)> add;
        bool empty;
    };
    const Row rows[] = {
        {"an empty folder", folder("sub"), true},
        {"a zero-byte file", [](const fs::path& x) { std::ofstream(x / "z"); }, true},
        {"litter", [](const fs::path& x) { std::ofstream(x / "Thumbs.db") << "x"; }, true},
        {"a file", [](const fs::path& x) { std::ofstream(x / "f") << "x"; }, false},
        {"a link", [](const fs::path& x) { fs::create_symlink("/", x / "l"); }, false},
        {"a whole path on the ignore list", folder("keep"), false},
        {"a name on the ignore list", folder("RECYCLER"), false},
        {"an excluded path", folder("skip"), false},
        {"a trash's own folder", folder(".Trash-1000"), false},
        {"a name the walks refuse", folder("what?"), false},
        {"a version-control folder", folder(".git"), false},
        {"a mail folder's cur, new and tmp", [](const fs::path& x) { MakeFolders(x, {"cur", "new", "tmp"}); }, false},
        {"cur and new alone", [](const fs::path& x) { MakeFolders(x, {"cur", "new"}); }, true},
        {"a mount point", [&](const fs::path& x) { mount.emplace((x / "mnt").string()); }, false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.what);
        const fs::path x = mkdir(std::to_string(i) + "/x");
        row.add(x);
        if (mount && !mount->mounted())
            GTEST_SKIP() << mount->why();
        for (const bool recorded : {false, true}) {
            MemoryResultsList found;
            ScanRecord record;
            SearchEmptyFoldersinFolder(files, settings, x.parent_path().string(), found, still,
                                       recorded ? &record : nullptr);
            RemoveFoldersWithFiles(files, settings, found, still, prompter, recorded ? &record : nullptr);
            const auto texts = found.texts();
            EXPECT_EQ(std::count(texts.begin(), texts.end(), x.string()), row.empty ? 1 : 0) << recorded;
        }
        EXPECT_EQ(HoldsContent(files, settings, x.string(), still), !row.empty);

        mount.reset();
        fs::remove_all(x);
        fs::create_directory(x);
        auto raced = context(bin);
        raced.holdsContent = [&](const std::string& path) {
            const bool holds = HoldsContent(files, settings, path, still);
            row.add(x);
            return holds;
        };
        const FolderDeletion done = DeleteToRecycleBin(raced, x.string());
        EXPECT_EQ(done.outcome, row.empty ? DeletionOutcome::Sent : DeletionOutcome::Kept) << done.reason;
        EXPECT_EQ(fs::exists(x), !row.empty);
        mount.reset();
    }
}

// One large tree deleted directly lets the event loop turn while it is
// looked at and removed, not only between two entries.
TEST_F(Deletion, ALargeTreeDeletedDirectlyYieldsInsideIt)
{
    struct Counting final : ScanHooks {
        int yields = 0;
        void yield() override { ++yields; }
    } hooks;
    store.set("Combo1", "1");
    mkdir("tree/a/b");
    mkdir("tree/c");
    results.append((root / "tree").string());
    // Each listing outlasts a slice, so a tick after it always yields.
    SlowFileSystem slow(files, std::chrono::milliseconds(60));
    DeletionContext ctx{slow, settings, bin, remover,
                        [this](const std::string& path) { return HoldsContent(files, settings, path, still); }};
    Trap trap(prompter, kSendCheckedPath);

    const DeletionSummary summary = DeleteCheckedEntries(results, ctx, trap, hooks);

    EXPECT_EQ(summary.count(DeletionOutcome::Sent), 1u);
    EXPECT_FALSE(fs::exists(root / "tree"));
    // The turn before the entry, one before each later listing of its four
    // folders, and one before the first removal.
    EXPECT_GE(hooks.yields, 5);
    EXPECT_EQ(ctx.progress, nullptr);
}

// Takes from a fake disk what it is given, as the trash and the remover do.
class FakeDiskBin final : public Trash, public DirectRemover {
public:
    explicit FakeDiskBin(FakeFileSystem& disk) : disk_(disk) {}
    FsResult<Done> moveToTrash(const std::string& path) override { return take(path); }
    FsResult<Done> removeEmptyFile(const std::string& path) override { return take(path); }
    FsResult<Done> removeEmptyFolder(const std::string& path) override { return take(path); }

private:
    FsResult<Done> take(const std::string& path)
    {
        disk_.remove(path);
        return Done{};
    }
    FakeFileSystem& disk_;
};

// Only what the OS says is not there is gone; a folder that cannot be looked
// at or read is kept, and the reason names what could not be read and why.
TEST(DeletionReasons, AnUnreadableFolderIsKeptAndSaysWhy)
{
    using Op = FakeFileSystem::Op;
    for (const char* mode : {"0", "1"}) {
        SCOPED_TRACE(std::string("Combo1 = ") + mode);
        FakeFileSystem disk;
        disk.add("/r", "locked/\nlocked/child/\nbelow/shut/\nfine/zero:0\n");
        disk.fail("/r/locked", Op::List, FsError::PermissionDenied);
        disk.fail("/r/locked/child", Op::Look, FsError::PermissionDenied);
        disk.fail("/r/below/shut", Op::List, FsError::PermissionDenied);
        MemorySettingsStore store;
        store.set("Combo1", mode);
        Settings settings{store};
        FakeDiskBin bin(disk);
        ScanHooks still;
        DeletionContext context{disk, settings, bin, bin,
                                [&](const std::string& path) { return HoldsContent(disk, settings, path, still); }};

        const std::vector<std::pair<std::string, FolderDeletion>> expected{
            {"/r/locked", {DeletionOutcome::Kept, "kept, it cannot be read: Permission denied"}},
            {"/r/locked/child", {DeletionOutcome::Kept, "kept, it cannot be read: Permission denied"}},
            {"/r/below", {DeletionOutcome::Kept, "kept, '/r/below/shut' cannot be read: Permission denied"}},
            {"/r/missing", {DeletionOutcome::AlreadyGone, "'/r/missing' does not exist"}},
            {"/r/fine", {DeletionOutcome::Sent, ""}},
        };
        for (const auto& [path, want] : expected) {
            const FolderDeletion got = DeleteToRecycleBin(context, path);
            EXPECT_EQ(got.outcome, want.outcome) << path;
            EXPECT_EQ(got.reason, want.reason) << path;
        }
        EXPECT_TRUE(disk.exists("/r/locked/child") && disk.exists("/r/below/shut"));
        EXPECT_FALSE(disk.exists("/r/fine"));
    }
}

TEST(DirectRemoval, RefusesAnythingThatIsNotEmpty)
{
    const fs::path base = fs::path(privateHome()) / "removal";
    fs::create_directories(base / "full/sub");
    std::ofstream(base / "data", std::ios::binary) << "content";
    std::ofstream(base / "zero", std::ios::binary);
    fs::create_symlink(base / "zero", base / "link");

    PosixRemover remover;
    EXPECT_FALSE(remover.removeEmptyFile((base / "data").string()));
    EXPECT_FALSE(remover.removeEmptyFile((base / "link").string()));
    EXPECT_FALSE(remover.removeEmptyFile((base / "full").string()));
    EXPECT_FALSE(remover.removeEmptyFolder((base / "full").string()));
    EXPECT_FALSE(remover.removeEmptyFolder((base / "link").string()));
    EXPECT_TRUE(fs::exists(base / "data") && fs::exists(base / "full/sub") && fs::is_symlink(base / "link"));

    EXPECT_TRUE(remover.removeEmptyFile((base / "zero").string()));
    EXPECT_TRUE(remover.removeEmptyFolder((base / "full/sub").string()));
    EXPECT_FALSE(fs::exists(base / "zero"));
    EXPECT_FALSE(fs::exists(base / "full/sub"));
}

// A zero-byte file that changes after it was looked at is not removed, and
// nothing of the removal's own is left in its folder.
TEST(DirectRemoval, AFileThatChangesAfterItsCheckStays)
{
    struct Case {
        std::string name;
        std::function<void(const fs::path&)> change; // done to the file between check and removal
        bool removed;
        std::string bytesAfter; // the content of the file left in place
    };
    std::ofstream writer; // closed again after its case
    const std::vector<Case> cases{
        {"untouched", [](const fs::path&) {}, true, ""},
        {"written", [](const fs::path& file) { std::ofstream(file, std::ios::app) << "late"; }, false, "late"},
        {"replaced",
         [](const fs::path& file) {
             std::ofstream(file.string() + ".new", std::ios::binary);
             fs::rename(file.string() + ".new", file);
         },
         false, ""},
        {"vanished", [](const fs::path& file) { fs::remove(file); }, false, ""},
        // A program that holds the file open could write to it at any time.
        {"held open",
         [&writer](const fs::path& file) { writer.open(file, std::ios::app); },
         false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path base = FreshFolder("changing");
        const fs::path file = base / "__init__.py";
        std::ofstream(file, std::ios::binary);
        PosixRemover remover([&](const std::string& path) {
            EXPECT_EQ(path, file.string());
            c.change(file);
        });

        const auto result = remover.removeEmptyFile(file.string());
        EXPECT_EQ(result.ok(), c.removed);
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(base))
            left.push_back(entry.path().filename().string());
        if (c.removed || c.name == "vanished") {
            EXPECT_TRUE(left.empty()) << left.front();
            continue;
        }
        EXPECT_EQ(left, (std::vector<std::string>{"__init__.py"}));
        EXPECT_EQ(ReadWholeFile(file), c.bytesAfter);
        writer.close();
    }
}

// A file swapped for a link to another zero-byte file: the link stays, and
// so does its target.
TEST(DirectRemoval, AFileSwappedForALinkStays)
{
    const fs::path base = FreshFolder("swapped");
    std::ofstream(base / "target", std::ios::binary);
    std::ofstream(base / "zero", std::ios::binary);
    PosixRemover remover([&](const std::string&) {
        fs::remove(base / "zero");
        fs::create_symlink(base / "target", base / "zero");
    });
    EXPECT_FALSE(remover.removeEmptyFile((base / "zero").string()));
    EXPECT_TRUE(fs::is_symlink(base / "zero"));
    EXPECT_TRUE(fs::exists(base / "target"));
    EXPECT_EQ(std::distance(fs::directory_iterator(base), fs::directory_iterator()), 2);
}

// A tree deeper than the descriptors a removal keeps open goes whole, with
// few descriptors open while it goes and none left after.
TEST_F(Deletion, ADeepTreeDeletedDirectlyGoesWithFewDescriptorsOpen)
{
    std::string deep = "top";
    for (int level = 1; level <= 400; ++level) {
        deep += "/n";
        mkdir(deep);
        if (level % 100 == 0)
            write(deep + "/zero");
    }
    store.set("Combo1", "1");
    store.set("Check1", "1");
    const std::size_t before = OpenDescriptorCount();
    std::size_t most = 0;
    PosixRemover counting([&](const std::string&) { most = std::max(most, OpenDescriptorCount()); });
    auto ctx = context(bin, nullptr, &counting);

    EXPECT_EQ(DeleteToRecycleBin(ctx, mkdir("top")).outcome, DeletionOutcome::Sent);
    EXPECT_FALSE(fs::exists(root / "top"));
    EXPECT_GT(most, before);
    EXPECT_LE(most, before + CheckedFolders::kMaxHeld + 8);
    EXPECT_EQ(OpenDescriptorCount(), before);
}

// A parent swapped for a link to another tree after the look at a folder
// and before its removal: nothing of the other tree goes (its litter and
// zero-byte files neither), and the folder looked at keeps what it held.
TEST_F(Deletion, AParentSwappedForALinkAfterTheLookRemovesNothingElse)
{
    for (const char* folder : {"root/p/e", "elsewhere/e"}) {
        write(std::string(folder) + "/.DS_Store", "litter");
        write(std::string(folder) + "/zero");
    }
    write("elsewhere/e/real.txt", "content");
    SlowFileSystem swapping(files, std::chrono::microseconds(0));
    const std::string folder = (root / "root/p/e").string();
    swapping.afterList = [&](const std::string& listed) {
        if (listed != folder || fs::is_symlink(root / "root/p"))
            return;
        fs::rename(root / "root/p", root / "root/p.old");
        fs::create_directory_symlink(root / "elsewhere", root / "root/p");
    };
    store.set("Combo1", "1");
    store.set("Check1", "1");
    ScanExtras extras;
    extras.junkNames = ScanExtras::defaultJunkNames();
    settings.setExtras(&extras);
    auto ctx = context(bin, &swapping);

    const FolderDeletion result = DeleteToRecycleBin(ctx, folder);
    EXPECT_EQ(result.outcome, DeletionOutcome::Failed);
    EXPECT_NE(result.reason.find("not the folder that was checked"), std::string::npos) << result.reason;
    for (const char* left : {"elsewhere/e/.DS_Store", "elsewhere/e/zero", "elsewhere/e/real.txt",
                             "root/p.old/e/.DS_Store", "root/p.old/e/zero"})
        EXPECT_TRUE(fs::is_regular_file(root / left)) << left;
}

// Holding folders a killed --delete left behind: the next run puts their
// files back and says so, never over a file that has the name now (then
// both stay, and it names them), and never offers or deletes a holding
// folder or the folder holding it while it holds anything.
TEST(DirectRemoval, WhatAKilledRunSetAsideIsPutBackByTheNextRun)
{
    const TempTree tree("keep.txt:1\n"
                        "a/.vacantix-removing-0123abcd/zero:0\n"
                        "b/zero:4\nb/.vacantix-removing-89abcdef/zero:0\n"
                        "c/.vacantix-removing-00000000/\n");
    const std::string aside = tree.path("b/.vacantix-removing-89abcdef/zero");

    const CliOutcome scan = RunCli({tree.root()});
    EXPECT_TRUE(scan.out == tree.path("a") + "\n" + tree.path("c") + "\n" ||
                scan.out == tree.path("c") + "\n" + tree.path("a") + "\n")
        << scan.out;
    EXPECT_NE(scan.err.find("put back '" + tree.path("a/zero") + "'"), std::string::npos) << scan.err;
    EXPECT_NE(scan.err.find("'" + aside + "' stays where a run that was stopped set it aside, since '" +
                            tree.path("b/zero") + "' exists"),
              std::string::npos)
        << scan.err;
    EXPECT_TRUE(fs::is_regular_file(tree.path("a/zero")));
    EXPECT_EQ(std::distance(fs::directory_iterator(tree.path("a")), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::is_empty(tree.path("c")));

    const CliOutcome removal = RunCli({"--delete", "--zero-byte-empty", "1", tree.root()});
    EXPECT_EQ(removal.status, 0) << removal.err;
    EXPECT_FALSE(fs::exists(tree.path("a")) || fs::exists(tree.path("c")));
    EXPECT_EQ(fs::file_size(tree.path("b/zero")), 4u);
    EXPECT_TRUE(fs::is_regular_file(aside));
}

TEST(GioTrashBackend, TakesTheEntryItsBytesNameAndNoOther)
{
    GioTrash trash;
    EXPECT_FALSE(trash.moveToTrash(privateHome() + "/no-such-folder"));

    // A name that is no valid UTF-8 goes by its bytes, not mistaken for another.
    const std::string odd = privateHome() + "/odd\xFF";
    const std::string other = privateHome() + "/odd\xEF\xBF\xBD";
    fs::create_directories(odd);
    fs::create_directories(other);
    const auto sent = trash.moveToTrash(odd);
    ASSERT_TRUE(sent) << sent.failure().detail;
    EXPECT_FALSE(fs::exists(odd));
    EXPECT_TRUE(fs::is_directory(PrivateTrashFiles() / "odd\xFF"));
    EXPECT_TRUE(fs::is_directory(other));
}

} // namespace
