// SPDX-License-Identifier: GPL-3.0-or-later
// vacantix-cli --trash and --delete on real trees, with the private trash.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <algorithm>
#include <csignal>
#include <fstream>
#include <map>
#include <set>
#include <sys/wait.h>
#include <thread>

#include "support/CliProcess.h"
#include "support/OutputLines.h"
#include "support/PrivateHome.h"
#include "support/ScopedVariable.h"
#include "support/TempTree.h"
#include "support/TmpfsMount.h"
#include "support/TrashListing.h"

using namespace vacantix;
using vacantix::test::CliOutcome;
using vacantix::test::CliProcess;
using vacantix::test::RunCli;
namespace fs = std::filesystem;

namespace {

using vacantix::test::PrivateTrashFiles;

constexpr std::string_view kTree = "a/\nc/d/\nb/x.txt\nz/empty.txt:0\nkeep/";

// What the private trash holds.
test::TrashListing ReadTrash()
{
    return test::ReadTrash(test::PrivateTrash());
}

// How many of the trash's entries came from below the tree (the private
// trash is shared by the tests of one program).
long TrashedBelow(const test::TempTree& tree)
{
    const auto byOrigin = ReadTrash().byOrigin;
    return std::count_if(byOrigin.begin(), byOrigin.end(),
                         [&](const auto& entry) { return entry.first.starts_with(tree.root() + "/"); });
}

// `count` folders named `stem` and a number, each holding `files` zero-byte
// files named by number (and, with `sub`, a folder "sub" with a file "0").
std::vector<fs::path> FoldersOfEmptyFiles(const test::TempTree& tree, const std::string& stem, int count, int files,
                                          bool sub)
{
    std::vector<fs::path> folders;
    for (int i = 0; i < count; ++i) {
        const fs::path folder = tree.path(stem + std::to_string(1000 + i));
        fs::create_directories(sub ? folder / "sub" : folder);
        for (int f = 0; f < files; ++f)
            std::ofstream(folder / std::to_string(f));
        if (sub)
            std::ofstream(folder / "sub/0");
        folders.push_back(folder);
    }
    return folders;
}

// Waits until at least `gone` of the folders have left their place (or a
// generous bound has passed, a guard against a run that never starts).
bool WaitUntilGone(const std::vector<fs::path>& folders, int gone)
{
    for (int attempt = 0; attempt < 3'000'000; ++attempt) {
        const auto left = std::count_if(folders.begin(), folders.end(), [](const fs::path& f) { return fs::exists(f); });
        if (static_cast<long>(folders.size()) - left >= gone)
            return true;
        std::this_thread::yield();
    }
    return false;
}

// Where a folder is: whole in its place, whole in the trash (under the name
// its info file gives), gone when deleted directly; anything else is lost.
enum class Where { InPlace, InTrash, Gone, Lost };

Where Locate(const fs::path& folder, const std::vector<std::string>& files, const test::TrashListing& trash,
             bool directly = false)
{
    const auto whole = [&](const fs::path& at) {
        return std::all_of(files.begin(), files.end(), [&](const std::string& f) { return fs::is_regular_file(at / f); });
    };
    if (fs::exists(folder))
        return whole(folder) ? Where::InPlace : Where::Lost;
    const auto trashed = trash.byOrigin.find(folder.string());
    if (trashed == trash.byOrigin.end())
        return directly ? Where::Gone : Where::Lost;
    return whole(trashed->second) ? Where::InTrash : Where::Lost;
}

TEST(CliDeletion, WithoutAFlagTheDiskStaysAsItWas)
{
    const test::TempTree tree(kTree);
    const CliOutcome run = RunCli({"--zero-byte-empty", "1", tree.root()});
    EXPECT_EQ(run.status, 0) << run.err;
    for (const char* path : {"a", "c/d", "b/x.txt", "z/empty.txt", "keep"})
        EXPECT_TRUE(fs::exists(tree.path(path))) << path;
    EXPECT_EQ(TrashedBelow(tree), 0);
}

TEST(CliDeletion, TrashTakesEveryFolderFoundAndCountsWhatHappened)
{
    const test::TempTree tree(kTree);
    const CliOutcome run = RunCli({"--trash", "--zero-byte-empty", "1", tree.root()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "vacantix-cli: 4 folders sent to the trash, 1 already gone, 0 kept, 0 failed\n");
    EXPECT_NE(run.out.find(tree.path("c/d") + "\n"), std::string::npos);
    for (const char* gone : {"a", "c", "z", "keep"})
        EXPECT_FALSE(fs::exists(tree.path(gone))) << gone;
    EXPECT_TRUE(fs::exists(tree.path("b/x.txt")));
    EXPECT_TRUE(fs::is_directory(PrivateTrashFiles() / "c" / "d"));
    EXPECT_TRUE(fs::is_regular_file(PrivateTrashFiles() / "z" / "empty.txt"));
}

TEST(CliDeletion, DeleteRemovesOnlyWhatIsEmptyAndNeverUsesTheTrash)
{
    const test::TempTree tree(kTree);
    const CliOutcome run = RunCli({"--delete", "--zero-byte-empty=1", tree.root()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "vacantix-cli: 4 folders deleted, 1 already gone, 0 kept, 0 failed\n");
    for (const char* gone : {"a", "c", "z", "keep"})
        EXPECT_FALSE(fs::exists(tree.path(gone))) << gone;
    EXPECT_TRUE(fs::exists(tree.path("b/x.txt")));
    EXPECT_EQ(TrashedBelow(tree), 0);
}

// With the stored defaults zero-byte files count as empty, so such folders
// are found; --delete still removes no file unless --zero-byte-empty 1 is
// given on its own command line.
TEST(CliDeletion, DeleteKeepsZeroByteFilesUnlessTheCommandLineAsks)
{
    const test::TempTree tree("a/\npkg/__init__.py:0\nsrc/deep/.gitkeep:0\n");
    const CliOutcome run = RunCli({"--delete", tree.root()});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find(tree.path("pkg") + "\n"), std::string::npos) << run.out;
    constexpr std::string_view reason = ": holds zero-byte files; give --zero-byte-empty 1 to delete them\n";
    for (const char* kept : {"pkg", "src", "src/deep"})
        EXPECT_NE(run.err.find(tree.path(kept) + std::string(reason)), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("vacantix-cli: 1 folder deleted, 0 already gone, 3 kept, 0 failed\n"), std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(tree.path("a")));
    EXPECT_TRUE(fs::exists(tree.path("pkg/__init__.py")));
    EXPECT_TRUE(fs::exists(tree.path("src/deep/.gitkeep")));

    // "0" on the command line does not ask for it either.
    EXPECT_EQ(RunCli({"--delete", "--zero-byte-empty", "0", tree.root()}).status, 0);
    EXPECT_TRUE(fs::exists(tree.path("pkg/__init__.py")));

    const CliOutcome asked = RunCli({"--delete", "--zero-byte-empty", "1", tree.root()});
    EXPECT_EQ(asked.status, 0) << asked.err;
    for (const char* gone : {"pkg", "src"})
        EXPECT_FALSE(fs::exists(tree.path(gone))) << gone;
}

TEST(CliDeletion, AFolderNotDeletedIsNamedWithItsReasonAndFailsTheRun)
{
    // No trash takes "blocked": it lies on a tmpfs, which the desktop
    // counts as a system file system.
    const test::TempTree tree("fine/");
    const test::TmpfsMount mount(tree.path("mnt"));
    if (!mount.mounted())
        GTEST_SKIP() << mount.why();
    const std::string odd = tree.path("mnt/blocked");
    fs::create_directories(odd);
    const CliOutcome run = RunCli({"--trash", tree.root()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("blocked: the trash refused it: the desktop keeps no trash on this mount"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("vacantix-cli: 1 folder sent to the trash, 0 already gone, 0 kept, 1 failed\n"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(fs::is_directory(odd));
    EXPECT_FALSE(fs::exists(tree.path("fine")));
}

TEST(CliDeletion, TrashAndDeleteTogetherAreRefused)
{
    const test::TempTree tree(kTree);
    const CliOutcome run = RunCli({"--trash", "--delete", tree.root()});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(fs::exists(tree.path("a")));
}

// Nested entries: a folder sent with its checked subfolders inside leaves
// them "already gone", and the trash holds the tree once.
TEST(CliDeletion, SubfoldersThatWentWithTheirParentAreAlreadyGone)
{
    struct Case {
        std::vector<std::string> roots; // relative to the tree
        std::string counts;
        std::vector<std::string> trashed; // whole trees in the trash, relative to the tree
    };
    const std::vector<Case> cases = {
        {{""}, "1 folder sent to the trash, 3 already gone", {"p"}},
        // The subfolder listed first goes on its own; its parent takes the
        // rest. The subfolder is found once, below the first root.
        {{"p/a", ""}, "2 folders sent to the trash, 2 already gone", {"p/a/b", "p"}},
    };
    for (const Case& c : cases) {
        const test::TempTree tree("p/a/b/\np/c/");
        std::vector<std::string> args{"--trash"};
        for (const std::string& root : c.roots)
            args.push_back(root.empty() ? tree.root() : tree.path(root));
        const CliOutcome run = RunCli(args);
        SCOPED_TRACE(run.err);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "vacantix-cli: " + c.counts + ", 0 kept, 0 failed\n");
        EXPECT_FALSE(fs::exists(tree.path("p")));
        std::vector<std::string> trashed;
        for (const auto& [origin, place] : ReadTrash().byOrigin)
            if (origin.starts_with(tree.root() + "/"))
                trashed.push_back(origin.substr(tree.root().size() + 1));
        std::sort(trashed.begin(), trashed.end());
        std::vector<std::string> expected = c.trashed;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(trashed, expected);
        const fs::path top = ReadTrash().byOrigin.find(tree.path("p"))->second;
        EXPECT_TRUE(fs::is_directory(top / "c"));
        EXPECT_EQ(fs::is_directory(top / "a/b"), c.trashed.size() == 1);
    }
}

// The trash's own folders hold what only the trash can bring back: a run
// over a whole home never lists, sends or deletes them, nor a folder above
// them, and says nothing about them.
TEST(CliDeletion, TheTrashsOwnFoldersAndTheFoldersAboveThemStay)
{
    for (const bool usualPlace : {true, false}) {
        SCOPED_TRACE(usualPlace ? "~/.local/share/Trash" : "$XDG_DATA_HOME/Trash, through a link");
        const fs::path home = test::FreshFolder("home");
        if (!usualPlace) {
            fs::create_directory(home / "data");
            fs::create_directory_symlink(home / "data", home / "link");
        }
        const test::ScopedVariable homeVariable("HOME", home.string());
        const test::ScopedVariable dataVariable("XDG_DATA_HOME",
                                                usualPlace ? std::nullopt : std::optional((home / "link").string()));
        const fs::path trash = usualPlace ? home / ".local/share/Trash" : home / "data/Trash";
        const std::vector<fs::path> kept{trash / "files/pkg/sub/zero", trash / "info/pkg.trashinfo",
                                         home / "disk/.Trash-1000/files/old", home / "disk/.Trash/1000/files/old",
                                         home / "disk/.Trash-0/files"};
        fs::create_directories(home / "proj/pkg/sub");
        std::ofstream(home / "proj/pkg/sub/zero");
        for (const fs::path& folder : {kept[2], kept[3], kept[4]})
            fs::create_directories(folder);
        ASSERT_EQ(RunCli({"--trash", "--zero-byte-empty", "1", (home / "proj").string()}).status, 0);

        const CliOutcome trashed = RunCli({"--trash", "--zero-byte-empty", "1", home.string()});
        EXPECT_EQ(trashed.status, 0) << trashed.err;
        EXPECT_EQ(trashed.out, (home / "proj").string() + "\n");
        const CliOutcome deleted = RunCli({"--delete", "--zero-byte-empty", "1", home.string()});
        EXPECT_EQ(deleted.status, 0) << deleted.err;
        EXPECT_EQ(deleted.out, "");
        for (const fs::path& path : kept)
            EXPECT_TRUE(fs::exists(path)) << path;
        EXPECT_TRUE(fs::is_directory(trash / "files/proj"));
        EXPECT_FALSE(fs::exists(home / "proj"));
        EXPECT_EQ(trashed.err.find("Trash"), std::string::npos) << trashed.err;
    }
}

// Folders other programs rely on hold content as the trash's do: a
// repository without a commit yet, below the folder scanned, is a
// repository still after the run, unless the run includes them on purpose.
TEST(CliDeletion, AFreshRepositoryStaysOneUnlessIncludedOnPurpose)
{
    ASSERT_EQ(std::system("git --version >/dev/null"), 0) << "git is missing (./build.sh test installs it)";
    struct Row {
        std::vector<std::string> options;
        bool repository; // still one afterwards
    };
    for (const Row& row : {Row{{"--trash"}, true}, Row{{"--delete"}, true},
                           Row{{"--trash", "--include-program-folders"}, false}}) {
        SCOPED_TRACE(row.options.back());
        const test::TempTree tree("empty/");
        const std::string repository = tree.path("newproj");
        ASSERT_EQ(std::system(("git init -q " + repository).c_str()), 0);
        std::vector<std::string> args = row.options;
        args.push_back(tree.root());
        const CliOutcome run = RunCli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.find(repository) == std::string::npos, row.repository) << run.out;
        EXPECT_EQ(std::system(("git -C " + repository + " status >/dev/null 2>&1").c_str()) == 0, row.repository);
        EXPECT_FALSE(fs::exists(tree.path("empty")));
    }
}

// Ctrl-C, and SIGTERM and SIGHUP as kill, systemd and a closing terminal
// send them.
TEST(CliDeletion, AStopSignalStopsTheDeletionAfterTheFolderAtHand)
{
    constexpr int kFolders = 20;
    struct Row {
        int signal;
        const char* name;
        bool directly;
    };
    for (const Row& row : {Row{SIGINT, "Ctrl-C", false}, Row{SIGINT, "Ctrl-C", true}, Row{SIGTERM, "SIGTERM", true},
                           Row{SIGHUP, "SIGHUP", false}}) {
        const bool directly = row.directly;
        SCOPED_TRACE(std::string(row.name) + (directly ? " --delete" : " --trash"));
        const test::TempTree tree;
        const std::vector<fs::path> folders = FoldersOfEmptyFiles(tree, "f", kFolders, 1000, false);
        CliProcess process({directly ? "--delete" : "--trash", "--zero-byte-empty", "1", tree.root()});
        ASSERT_TRUE(process.waitUntilCatching(row.signal));
        // Held still once the first folder is gone, so that Ctrl-C comes in
        // the middle of the run, whatever the speed of this machine.
        ASSERT_TRUE(WaitUntilGone(folders, 1));
        kill(process.pid(), SIGSTOP);
        siginfo_t held{};
        ASSERT_EQ(waitid(P_PID, static_cast<id_t>(process.pid()), &held, WSTOPPED | WEXITED | WNOWAIT), 0);
        ASSERT_EQ(held.si_code, CLD_STOPPED) << "the run ended before it could be held";
        const auto inPlaceWhenHeld =
            std::count_if(folders.begin(), folders.end(), [](const fs::path& f) { return fs::exists(f); });
        ASSERT_GE(inPlaceWhenHeld, 2) << "the run got too far before it was held";
        kill(process.pid(), row.signal);
        kill(process.pid(), SIGCONT);
        const CliOutcome run = process.finish();

        EXPECT_EQ(run.status, 128 + row.signal) << run.err;
        const test::TrashListing trash = ReadTrash();
        long inPlace = 0, gone = 0;
        for (const fs::path& folder : folders) {
            const Where where = Locate(folder, {"0", "500", "999"}, trash, directly);
            EXPECT_NE(where, Where::Lost) << folder;
            inPlace += where == Where::InPlace;
            gone += where == (directly ? Where::Gone : Where::InTrash);
        }
        EXPECT_EQ(inPlace + gone, kFolders);
        EXPECT_GE(inPlace, inPlaceWhenHeld - 1) << "only the folder at hand was finished";
        EXPECT_EQ(run.err, "vacantix-cli: " + std::to_string(gone) + (gone == 1 ? " folder " : " folders ") +
                               (directly ? "deleted" : "sent to the trash") +
                               ", 0 already gone, 0 kept, 0 failed\nvacantix-cli: stopped by " + row.name + "; " +
                               std::to_string(inPlace) + (inPlace == 1 ? " folder" : " folders") + " left as " +
                               (inPlace == 1 ? "it was" : "they were") + "\n");
    }
}

// A reader slower than the program leaves it waiting in a write to a full
// pipe when the signal comes: the write is resumed, no line is cut short,
// and the run stops before anything is moved.
TEST(CliDeletion, ASignalWhileResultsWaitForAFullPipeStopsBeforeAnythingIsMoved)
{
    constexpr int kFolders = 1000;
    const test::TempTree tree({}, test::TempTree::Place::Memory);
    const std::vector<fs::path> folders = FoldersOfEmptyFiles(tree, std::string(200, 'n'), kFolders, 0, false);
    for (const auto& [signal, name] :
         {std::pair{SIGINT, "Ctrl-C"}, std::pair{SIGTERM, "SIGTERM"}, std::pair{SIGHUP, "SIGHUP"}}) {
        SCOPED_TRACE(name);
        // Memory lies below /dev, a system tree.
        CliProcess process({"--trash", "--skip-system", "0", tree.root()});
        ASSERT_TRUE(process.waitUntilCatching(signal));
        ASSERT_TRUE(process.waitUntilSleepingIn("pipe_write")) << "the output never filled the pipe";
        kill(process.pid(), signal);
        const CliOutcome run = process.finish();

        EXPECT_EQ(run.status, 128 + signal) << run.err;
        EXPECT_EQ(run.err, "vacantix-cli: 0 folders sent to the trash, 0 already gone, 0 kept, 0 failed\n"
                           "vacantix-cli: stopped by " + std::string(name) + "; " + std::to_string(kFolders) +
                               " folders left as they were\n");
        const std::vector<std::string> lines = test::OutputLines(run.out);
        EXPECT_LT(lines.size(), folders.size()) << "the printing went on after the signal";
        const std::set<std::string> printed(lines.begin(), lines.end());
        EXPECT_EQ(printed.size(), lines.size());
        for (const std::string& line : printed)
            EXPECT_TRUE(std::find(folders.begin(), folders.end(), fs::path(line)) != folders.end()) << line;
        EXPECT_TRUE(std::all_of(folders.begin(), folders.end(), [](const fs::path& f) { return fs::exists(f); }));
        EXPECT_EQ(TrashedBelow(tree), 0);
    }
}

TEST(CliDeletion, AKilledTrashRunLeavesEveryFileInItsPlaceOrInTheTrash)
{
    constexpr int kFolders = 150;
    // How many folders have gone when the run is killed.
    for (const int moment : {0, 1, 30, 100}) {
        SCOPED_TRACE("killed once " + std::to_string(moment) + " folders are gone");
        const test::TempTree tree;
        const std::vector<fs::path> folders = FoldersOfEmptyFiles(tree, "k", kFolders, 3, true);
        const std::set<std::string> strayBefore = ReadTrash().withoutRecord;
        CliProcess process({"--trash", "--zero-byte-empty", "1", tree.root()});
        ASSERT_TRUE(process.waitUntilCatching(SIGINT));
        ASSERT_TRUE(WaitUntilGone(folders, moment));
        kill(process.pid(), SIGKILL);
        const CliOutcome run = process.finish();
        EXPECT_TRUE(run.status == 128 + SIGKILL || run.status == 0) << run.status << run.err;

        const test::TrashListing trash = ReadTrash();
        EXPECT_EQ(trash.withoutRecord, strayBefore) << "each folder the run put in the trash has its info file";
        for (const fs::path& folder : folders)
            EXPECT_NE(Locate(folder, {"0", "1", "2", "sub/0"}, trash), Where::Lost) << folder;
    }
}

} // namespace
