// SPDX-License-Identifier: GPL-3.0-or-later
// vacantix-cli --trash and --delete on real trees, with the private trash.
#include <gtest/gtest.h>

#include <cerrno>
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
#include "support/PrivateHome.h"
#include "support/TempTree.h"
#include "support/TmpfsMount.h"

using namespace vacantix;
using vacantix::test::CliOutcome;
using vacantix::test::CliProcess;
using vacantix::test::RunCli;
namespace fs = std::filesystem;

namespace {

using vacantix::test::PrivateTrashFiles;

constexpr std::string_view kTree = "a/\nc/d/\nb/x.txt\nz/empty.txt:0\nkeep/";

// The bytes a .trashinfo file's Path= stands for.
std::string PercentDecoded(std::string_view text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            bytes.push_back(static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)));
            i += 2;
        } else {
            bytes.push_back(text[i]);
        }
    }
    return bytes;
}

// What the private trash holds: where each trashed path went, and the
// entries of files/ that have no info file.
struct TrashContents {
    std::map<std::string, fs::path> byOrigin;
    std::set<std::string> withoutInfo;
};

TrashContents ReadTrash()
{
    TrashContents contents;
    const fs::path files = PrivateTrashFiles();
    if (!fs::exists(files))
        return contents;
    for (const fs::directory_entry& entry : fs::directory_iterator(files)) {
        const std::string name = entry.path().filename().string();
        std::ifstream info(vacantix::test::PrivateTrash() / "info" / (name + ".trashinfo"));
        std::string origin;
        for (std::string line; std::getline(info, line);)
            if (line.starts_with("Path="))
                origin = PercentDecoded(std::string_view(line).substr(5));
        if (origin.empty())
            contents.withoutInfo.insert(name);
        else
            contents.byOrigin[origin] = entry.path();
    }
    return contents;
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

Where Locate(const fs::path& folder, const std::vector<std::string>& files, const TrashContents& trash,
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
    EXPECT_FALSE(fs::exists(PrivateTrashFiles()));
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
    EXPECT_FALSE(fs::exists(PrivateTrashFiles()));
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
        // The subfolder listed first goes on its own; its parent takes the rest.
        {{"p/a", ""}, "2 folders sent to the trash, 3 already gone", {"p/a/b", "p"}},
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
        const fs::path top = ReadTrash().byOrigin.at(tree.path("p"));
        EXPECT_TRUE(fs::is_directory(top / "c"));
        EXPECT_EQ(fs::is_directory(top / "a/b"), c.trashed.size() == 1);
    }
}

TEST(CliDeletion, CtrlCStopsTheDeletionAfterTheFolderAtHand)
{
    constexpr int kFolders = 20;
    for (const bool directly : {false, true}) {
        SCOPED_TRACE(directly ? "--delete" : "--trash");
        const test::TempTree tree;
        const std::vector<fs::path> folders = FoldersOfEmptyFiles(tree, "f", kFolders, 1000, false);
        CliProcess process({directly ? "--delete" : "--trash", "--zero-byte-empty", "1", tree.root()});
        ASSERT_TRUE(process.waitUntilCatching(SIGINT));
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
        kill(process.pid(), SIGINT);
        kill(process.pid(), SIGCONT);
        const CliOutcome run = process.finish();

        EXPECT_EQ(run.status, 130) << run.err;
        const TrashContents trash = ReadTrash();
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
                               ", 0 already gone, 0 kept, 0 failed\nvacantix-cli: stopped by Ctrl-C; " +
                               std::to_string(inPlace) + (inPlace == 1 ? " folder" : " folders") + " left as " +
                               (inPlace == 1 ? "it was" : "they were") + "\n");
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
        const std::set<std::string> strayBefore = ReadTrash().withoutInfo;
        CliProcess process({"--trash", "--zero-byte-empty", "1", tree.root()});
        ASSERT_TRUE(process.waitUntilCatching(SIGINT));
        ASSERT_TRUE(WaitUntilGone(folders, moment));
        kill(process.pid(), SIGKILL);
        const CliOutcome run = process.finish();
        EXPECT_TRUE(run.status == 128 + SIGKILL || run.status == 0) << run.status << run.err;

        const TrashContents trash = ReadTrash();
        EXPECT_EQ(trash.withoutInfo, strayBefore) << "each folder the run put in the trash has its info file";
        for (const fs::path& folder : folders)
            EXPECT_NE(Locate(folder, {"0", "1", "2", "sub/0"}, trash), Where::Lost) << folder;
    }
}

} // namespace
