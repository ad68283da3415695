// SPDX-License-Identifier: GPL-3.0-or-later
// vacantix-cli --trash and --delete on real trees, with the private trash.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/CliProcess.h"
#include "support/PrivateHome.h"
#include "support/TempTree.h"

using namespace vacantix;
using vacantix::test::CliOutcome;
using vacantix::test::RunCli;
namespace fs = std::filesystem;

namespace {

using vacantix::test::PrivateTrashFiles;

constexpr std::string_view kTree = "a/\nc/d/\nb/x.txt\nz/empty.txt:0\nkeep/";

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
    // A name that is no valid UTF-8 cannot be handed to the trash.
    const test::TempTree tree("fine/");
    const std::string odd = tree.path("odd\xFF");
    fs::create_directories(odd);
    const CliOutcome run = RunCli({"--trash", tree.root()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(": the trash refused it: its name cannot be handed to the trash\n"), std::string::npos)
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

} // namespace
