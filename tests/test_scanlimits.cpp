// SPDX-License-Identifier: GPL-3.0-or-later
//
// The limits of a command-line run beyond the options: --exclude patterns
// and -x/--one-file-system, in the search, the final pass and the re-check
// before deletion, on the fake disk and on real mounts.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FakeFileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "scan/FinalPass.h"
#include "settings/ScanExtras.h"
#include "support/CliProcess.h"
#include "support/PrivateHome.h"
#include "support/ScanDoubles.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"
#include "support/TmpfsMount.h"

using namespace vacantix;
using vacantix::test::CliOutcome;
using vacantix::test::RunCli;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

struct LimitedScan : test::SearchSetup {
    ScanExtras limits;
    test::ScriptedPrompter prompter;
    ScanRecord record;

    LimitedScan() { settings.setExtras(&limits); }

    // Search and final pass, with or without the search's record.
    Names run(FileSystem& fs, const std::string& root, bool withRecord)
    {
        results.clear();
        record = ScanRecord();
        search(fs, root, withRecord ? &record : nullptr);
        RemoveFoldersWithFiles(fs, settings, results, hooks, prompter, withRecord ? &record : nullptr);
        return relativeTo(root);
    }
};

} // namespace

TEST(ScanLimits, ExcludedTreesAreNeitherSearchedNorOfferedAndHoldContent)
{
    FakeFileSystem fake;
    fake.add("/w", R"(
        p/build/objects/
        p/src/
        home/ann/keep/
        home/bob/keep/deep/
        other/
    )");
    fake.addLink("/alias", "/w");
    for (bool withRecord : {false, true}) {
        LimitedScan scan;
        scan.limits.excludes = {"**/build/**", "/w/home/*/keep"};
        EXPECT_EQ(scan.run(fake, "/w", withRecord), (Names{"p/src", "other"})) << withRecord;
        EXPECT_EQ(fake.listings("/w/p/build/objects"), 0);
        EXPECT_EQ(fake.listings("/w/home/bob/keep/deep"), 0);

        // A spelling through a link matches on the real path; a pattern of
        // the spelling matches too.
        EXPECT_EQ(scan.run(fake, "/alias", withRecord), (Names{"p/src", "other"})) << withRecord;
        scan.limits.excludes = {"/alias/other"};
        EXPECT_EQ(scan.run(fake, "/alias", withRecord),
                  (Names{"p", "p/build", "p/build/objects", "p/src", "home", "home/ann", "home/ann/keep", "home/bob",
                         "home/bob/keep", "home/bob/keep/deep"}))
            << withRecord;
    }

    // The re-check before deletion keeps what the patterns keep out, and
    // every folder above it.
    LimitedScan check;
    check.limits.excludes = {"**/build/**"};
    for (const char* kept : {"/w/p", "/w/p/build", "/w/p/build/objects", "/alias/p"})
        EXPECT_TRUE(HoldsContent(fake, check.settings, kept, check.hooks)) << kept;
    EXPECT_FALSE(HoldsContent(fake, check.settings, "/w/p/src", check.hooks));

    // Without limits nothing changes.
    test::SearchSetup plain;
    EXPECT_FALSE(HoldsContent(fake, plain.settings, "/w/p", plain.hooks));
}

TEST(ScanLimits, OneFileSystemDoesNotEnterAMountPoint)
{
    FakeFileSystem fake;
    fake.add("/d", "usb/photos/\nusb/more/deep/\nlocal/empty/");
    fake.mount("/d/usb");
    for (bool withRecord : {false, true}) {
        LimitedScan everywhere;
        EXPECT_EQ(everywhere.run(fake, "/d", withRecord), (Names{"usb/photos", "usb/more", "usb/more/deep", "local",
                                                                  "local/empty"}));
        LimitedScan one;
        one.limits.oneFileSystem = true;
        const int before = fake.listings("/d/usb/more");
        EXPECT_EQ(one.run(fake, "/d", withRecord), (Names{"local", "local/empty"})) << withRecord;
        EXPECT_EQ(fake.listings("/d/usb/more"), before);
        // A mount point named as the root is searched: it is the user's choice.
        EXPECT_EQ(one.run(fake, "/d/usb", withRecord), (Names{"photos", "more", "more/deep"}));
    }
}

TEST(ScanLimitsOnADisk, OneFileSystemStopsAtATmpfsAndAtABindMount)
{
    const test::TempTree tree("top/tmp/\ntop/bind/\nsource/inner/deep/\ntop/local/empty/");
    test::TmpfsMount tmpfs(tree.path("top/tmp"));
    if (!tmpfs.mounted())
        GTEST_SKIP() << tmpfs.why();
    test::BindMount bind(tree.path("source"), tree.path("top/bind"));
    if (!bind.mounted())
        GTEST_SKIP() << bind.why();
    fs::create_directories(tree.path("top/tmp/e"));

    const CliOutcome all = RunCli({"--ignore", "", tree.path("top")});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out, tree.path("top/tmp/e") + "\n" + tree.path("top/bind/inner") + "\n" +
                           tree.path("top/bind/inner/deep") + "\n" + tree.path("top/local") + "\n" +
                           tree.path("top/local/empty") + "\n")
        << all.out;
    for (const char* option : {"-x", "--one-file-system"}) {
        const CliOutcome one = RunCli({option, tree.path("top")});
        EXPECT_EQ(one.status, 0) << one.err;
        EXPECT_EQ(one.out, tree.path("top/local") + "\n" + tree.path("top/local/empty") + "\n") << option;
    }

    // On the engine alone, the re-check agrees.
    PosixFileSystem posix;
    LimitedScan scan;
    scan.limits.oneFileSystem = true;
    EXPECT_EQ(scan.run(posix, tree.path("top"), true), (Names{"local", "local/empty"}));
}

TEST(ScanLimitsOnADisk, ExcludedFoldersStayWithTheirParentsThroughTheTrash)
{
    const test::TempTree tree("p/build/refs/\np/src/\nhome/ann/keep/\nhome/ann/old/\ngone/");
    const CliOutcome run = RunCli({"--trash", "--exclude", "**/build/**", "--exclude=" + tree.path("home/*/keep"),
                                   tree.root()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "vacantix-cli: 3 folders sent to the trash, 0 already gone, 0 kept, 0 failed\n");
    for (const char* kept : {"p/build/refs", "home/ann/keep"})
        EXPECT_TRUE(fs::is_directory(tree.path(kept))) << kept;
    for (const char* gone : {"p/src", "home/ann/old", "gone"})
        EXPECT_FALSE(fs::exists(tree.path(gone))) << gone;

    // The same patterns spelled through a link to the tree.
    const test::TempTree links("");
    fs::create_directory_symlink(tree.root(), links.path("alias"));
    const CliOutcome spelled = RunCli({"--exclude", tree.path("home/ann/*"), links.path("alias") + "/home"});
    EXPECT_EQ(spelled.status, 0) << spelled.err;
    EXPECT_EQ(spelled.out, "");

    const CliOutcome empty = RunCli({"--exclude", "", tree.root()});
    EXPECT_EQ(empty.status, 2);
}
