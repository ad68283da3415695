// SPDX-License-Identifier: GPL-3.0-or-later
//
// The limits of a command-line run beyond the options: --exclude patterns
// and -x/--one-file-system, in the search, the final pass and the re-check
// before deletion, on the fake disk and on real mounts.
#include <gtest/gtest.h>

#include "platform/FakeFileSystem.h"
#include "scan/FinalPass.h"
#include "scan/ScanLimits.h"
#include "support/ScanDoubles.h"
#include "support/ScriptedPrompter.h"

using namespace vacantix;
using Names = std::vector<std::string>;

namespace {

struct LimitedScan : test::SearchSetup {
    ScanLimits limits;
    test::ScriptedPrompter prompter;
    ScanRecord record;

    LimitedScan() { settings.setScanLimits(&limits); }

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
        p/.git/objects/
        p/src/
        home/ann/keep/
        home/bob/keep/deep/
        other/
    )");
    fake.addLink("/alias", "/w");
    for (bool withRecord : {false, true}) {
        LimitedScan scan;
        scan.limits.excludes = {"**/.git/**", "/w/home/*/keep"};
        EXPECT_EQ(scan.run(fake, "/w", withRecord), (Names{"p/src", "other"})) << withRecord;
        EXPECT_EQ(fake.listings("/w/p/.git/objects"), 0);
        EXPECT_EQ(fake.listings("/w/home/bob/keep/deep"), 0);

        // A spelling through a link matches on the real path; a pattern of
        // the spelling matches too.
        EXPECT_EQ(scan.run(fake, "/alias", withRecord), (Names{"p/src", "other"})) << withRecord;
        scan.limits.excludes = {"/alias/other"};
        EXPECT_EQ(scan.run(fake, "/alias", withRecord),
                  (Names{"p", "p/.git", "p/.git/objects", "p/src", "home", "home/ann", "home/ann/keep", "home/bob",
                         "home/bob/keep", "home/bob/keep/deep"}))
            << withRecord;
    }

    // The re-check before deletion keeps what the patterns keep out, and
    // every folder above it.
    LimitedScan check;
    check.limits.excludes = {"**/.git/**"};
    for (const char* kept : {"/w/p", "/w/p/.git", "/w/p/.git/objects", "/alias/p"})
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
