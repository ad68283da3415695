// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FakeFileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "scan/ScanRun.h"
#include "support/ScanDoubles.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"
#include "support/Unprivileged.h"

using namespace vacantix;
using vacantix::test::RecordingHooks;
using vacantix::test::ScriptedPrompter;
using vacantix::test::TempTree;
using Names = std::vector<std::string>;

namespace {

constexpr std::string_view kButtonPath = "in Vacantix2021/08/31.Form1.PushButton4_Click ";

struct ScanDriver : test::SearchSetup {
    MemoryFolderList roots;
    ScriptedPrompter prompter;
    Trap trap{prompter, kButtonPath};
    ScanSummary summary;

    void operator()(FileSystem& fs, ResultsList& list)
    {
        ScanEnvironment env{fs, settings, roots, list, hooks, prompter};
        summary = RunScan(env, trap);
    }
    void operator()(FileSystem& fs) { (*this)(fs, results); }
};

// A results list that fails on request, to see the run's error trap.
class FailingResults final : public ResultsList {
public:
    void append(std::string path) override { inner.append(std::move(path)); }
    void clear() override
    {
        if (failClear)
            throw MakeFailure(PermissionDenied);
        inner.clear();
    }
    std::size_t count() const override { return inner.count(); }
    std::string text(std::size_t position) const override
    {
        if (failText)
            throw MakeFailure(SubscriptOutOfRange);
        return inner.text(position);
    }
    bool checked(std::size_t position) const override { return inner.checked(position); }
    void setChecked(std::size_t position, bool checked) override { inner.setChecked(position, checked); }
    void remove(std::size_t position) override { inner.remove(position); }

    MemoryResultsList inner;
    bool failClear = false;
    bool failText = false;
};

} // namespace

TEST(ScanRun, SearchesEachRootThenKeepsOnlyVerifiedEmptyFolders)
{
    TempTree tree("D/A/B/\nD/C/file\nD/E/F/file");
    PosixFileSystem fs;
    ScanDriver run;
    run.roots.append(tree.path("D/"));
    run.roots.setHeaderText("Searching somewhere");
    run(fs);
    EXPECT_EQ(run.results.texts(), (Names{tree.path("D/A"), tree.path("D/A/B")}));
    EXPECT_EQ(run.prompter.messages(), Names{"Done."});
    EXPECT_EQ(run.roots.headerText(), "Folders To Scan For Empty Folders");
    EXPECT_EQ(run.hooks.statusTexts.front(), "Searching " + tree.path("D"));
    EXPECT_EQ(run.summary.rootsSearched, 1);
    EXPECT_EQ(run.summary.missingRoots, 0);
    EXPECT_FALSE(run.summary.stopped);
}

TEST(ScanRun, AFolderNobodyMayReadIsNeverOffered)
{
    TempTree tree("D/a/locked/secret\nD/b/");
    std::filesystem::permissions(tree.root(), std::filesystem::perms(0755));
    std::filesystem::permissions(tree.path("D/a/locked"), std::filesystem::perms::none);
    const std::string failed = vacantix::test::RunUnprivileged([&]() -> std::string {
        PosixFileSystem fs;
        ScanDriver run;
        run.roots.append(tree.path("D/"));
        run(fs);
        // The search reports a and a/locked (a folder whose files cannot be
        // counted looks empty); the final pass cannot vouch for either.
        if (run.results.texts() != Names{tree.path("D/b")})
            return "found " + ::testing::PrintToString(run.results.texts());
        return run.prompter.errorReports().empty() ? "" : "reported " + run.prompter.errorReports().front();
    });
    EXPECT_EQ(failed, "");
}

TEST(ScanRun, AMissingRootIsReportedAndTheRunGoesOn)
{
    TempTree tree("Data/empty/\nfile");
    PosixFileSystem fs;
    ScanDriver run;
    run.results.append("left over from before");
    run.roots.append(tree.path("Gone/"));
    run.roots.append(tree.path("file/"));
    run.roots.append(tree.path("Data/"));
    run(fs);
    EXPECT_EQ(run.prompter.messages(), (Names{tree.path("Gone/") + " folder does not exist.",
                                            tree.path("file/") + " folder does not exist.", "Done."}));
    EXPECT_EQ(run.results.texts(), Names{tree.path("Data/empty")});
    EXPECT_EQ(run.summary.missingRoots, 2);

    ScanDriver allMissing;
    allMissing.results.append("left over from before");
    allMissing.roots.append(tree.path("Gone/"));
    allMissing(fs);
    EXPECT_EQ(allMissing.results.count(), 0u); // cleared before the first root
}

TEST(ScanRun, AStopBeforeTheSecondRootStillRunsTheFinalPass)
{
    FakeFileSystem fake;
    fake.add("/one", "empty/\nfull/sub/file");
    fake.add("/two", "empty/");
    fake.add("/three", "empty/");
    ScanDriver run;
    for (const char* root : {"/one/", "/two/", "/three/"})
        run.roots.append(root);
    // The press lands at the yield before the second root.
    run.hooks.onYield = [](RecordingHooks& hooks) {
        if (hooks.yields == 2)
            hooks.stop = true;
    };
    run(fake);
    EXPECT_EQ(run.results.texts(), Names{"/one/empty"});
    EXPECT_EQ(fake.listings("/two"), 0);
    EXPECT_EQ(fake.listings("/three"), 0);
    EXPECT_EQ(run.prompter.messages(), Names{"Done."});
    EXPECT_TRUE(run.summary.stopped);
    EXPECT_EQ(run.roots.headerText(), "Folders To Scan For Empty Folders");
}

TEST(ScanRun, OverlappingRootsGiveAnEntryEach)
{
    FakeFileSystem fake;
    fake.add("/", "data/inner/empty/");
    ScanDriver run;
    run.roots.append("/data/");
    run.roots.append("/data/inner/");
    run.roots.append("/");
    run(fake);
    EXPECT_EQ(run.results.texts(), (Names{"/data/inner", "/data/inner/empty", "/data/inner/empty", "/data",
                                          "/data/inner", "/data/inner/empty"}));
    EXPECT_EQ(run.hooks.statusTexts.back(), "Searching /data/inner/empty");
    EXPECT_NE(std::find(run.hooks.statusTexts.begin(), run.hooks.statusTexts.end(), "Searching /"),
              run.hooks.statusTexts.end());
}

TEST(ScanRun, FailuresAreReportedWithTheirStepAndTheRunGoesOn)
{
    FakeFileSystem fake;
    fake.add("/d", "empty/");
    ScanDriver run;
    run.roots.append("/d/");
    FailingResults results;
    results.inner.append("old");
    results.failClear = true;
    results.failText = true;
    run(fake, results);
    ASSERT_EQ(run.prompter.errorReports().size(), 2u);
    EXPECT_NE(run.prompter.errorReports()[0].find(std::string(kButtonPath) + "at line 110"), std::string::npos);
    EXPECT_NE(run.prompter.errorReports()[1].find(std::string(kButtonPath) + "at line 134"), std::string::npos);
    EXPECT_EQ(run.prompter.messages(), Names{"Done."});
    EXPECT_EQ(results.inner.texts(), (Names{"old", "/d/empty"}));
}
