// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/FakeFileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "scan/FinalPass.h"
#include "scan/Search.h"
#include "settings/ScanExtras.h"
#include "support/ScanDoubles.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"
#include "support/TmpfsMount.h"

using namespace vacantix;
using vacantix::test::ScriptedPrompter;
using vacantix::test::TempTree;
using Op = FakeFileSystem::Op;
using Names = std::vector<std::string>;

namespace {

// A search followed by the final pass, with or without the search's record:
// both ways must give the same answers.
struct Pass : test::SearchSetup {
    ScriptedPrompter prompter;
    ScanRecord record;
    bool useRecord = false;

    explicit Pass(bool withRecord) : useRecord(withRecord) {}

    void search(FileSystem& fs, const std::string& root)
    {
        SearchSetup::search(fs, root, useRecord ? &record : nullptr);
    }

    void finish(FileSystem& fs)
    {
        RemoveFoldersWithFiles(fs, settings, results, hooks, prompter, useRecord ? &record : nullptr);
    }

    Names run(FileSystem& fs, const std::string& root)
    {
        search(fs, root);
        finish(fs);
        return relativeTo(root);
    }
};

// Adds /d and a nest of `depth` empty folders below it; returns the deepest.
std::string AddNest(FakeFileSystem& fake, int depth)
{
    std::string path = "/d";
    fake.addFolder(path);
    for (int level = 0; level < depth; ++level) {
        path += "/n";
        fake.addFolder(path);
    }
    return path;
}

} // namespace

class FinalPass : public ::testing::TestWithParam<bool> {};

INSTANTIATE_TEST_SUITE_P(SearchRecord, FinalPass, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Recorded" : "LookedUp"; });

TEST_P(FinalPass, KeepsTreesOfEmptyFoldersWithTheirOrderAndCheckMarks)
{
    FakeFileSystem fake;
    fake.add("/d", R"(
        nest/a/b/
        nest/c/
        mixed/empty/
        mixed/full/file
        last/
    )");
    Pass pass(GetParam());
    pass.search(fake, "/d");
    ASSERT_EQ(pass.relativeTo("/d"), (Names{"nest", "nest/a", "nest/a/b", "nest/c", "mixed", "mixed/empty", "last"}));
    pass.results.setChecked(2, false);
    pass.finish(fake);
    EXPECT_EQ(pass.relativeTo("/d"), (Names{"nest", "nest/a", "nest/a/b", "nest/c", "mixed/empty", "last"}));
    EXPECT_FALSE(pass.results.checked(2));
    EXPECT_TRUE(pass.results.checked(1));
    EXPECT_TRUE(pass.prompter.errorReports().empty());
}

TEST_P(FinalPass, EveryEntryThatIsNoFolderCounts)
{
    TempTree tree(R"(
        dangling/link->nowhere
        to-folder/deeper/link->../../target
        fifo/deeper/pipe!
        unreadable-file/deeper/secret:4
        zero/deeper/empty:0
        target/
    )");
    std::filesystem::permissions(tree.path("unreadable-file/deeper/secret"), std::filesystem::perms::none);
    PosixFileSystem fs;
    Pass pass(GetParam());
    pass.store.set("Check1", "1");
    auto kept = pass.run(fs, tree.root());
    // Links, FIFOs and files nobody may open all hold content; only a
    // zero-byte file is let go, and only while Check1 is 1.
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (Names{"target", "zero", "zero/deeper"}));

    Pass strict(GetParam());
    kept = strict.run(fs, tree.root());
    EXPECT_EQ(kept, (Names{"target"}));
}

TEST_P(FinalPass, AnyPartOfATreeThatCouldNotBeSeenMakesItHoldContent)
{
    FakeFileSystem fake;
    fake.add("/d", R"(
        denied/sub/
        files-denied/sub/
        broken/sub/
        protected/sys/
        odd/what?/
        long-path/aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa/b/
        clean/sub/
    )");
    fake.addFile("/d/bad-name/tab\tname/file");
    fake.fail("/d/denied/sub", Op::List, FsError::PermissionDenied);
    fake.fail("/d/files-denied/sub", Op::Files, FsError::PermissionDenied);
    fake.fail("/d/broken/sub", Op::Subfolders, FsError::Other);
    fake.setAttributes("/d/protected/sys", Directory | System | Hidden);
    fake.setLimits(256, 40);
    Pass pass(GetParam());
    const auto kept = pass.run(fake, "/d");
    // A folder whose own name would be refused is still judged by its tree.
    EXPECT_EQ(kept, (Names{"odd/what?", "clean", "clean/sub"}));
}

TEST(FinalPassLookingAfresh, AFolderThatWentAfterTheSearchHoldsContent)
{
    FakeFileSystem fake;
    fake.add("/d", "a/b/\nc/");
    Pass pass(false);
    pass.search(fake, "/d");
    fake.remove("/d/a/b");
    fake.remove("/d/c");
    fake.addLink("/d/c", "/d/a"); // was a folder, is a link now
    pass.finish(fake);
    EXPECT_EQ(pass.relativeTo("/d"), (Names{"a"}));
}

TEST(FinalPassFromTheRecord, AFolderThatWentDuringTheSearchHoldsContent)
{
    FakeFileSystem vanishing;
    vanishing.add("/d", "a/b/c/\nz/");
    vanishing.vanishAfterListing("/d/a/b");
    Pass during(true);
    EXPECT_EQ(during.run(vanishing, "/d"), (Names{"z"}));
}

TEST_P(FinalPass, SystemTreesAreExaminedAndIgnoredPathsAreNeverOffered)
{
    FakeFileSystem fake;
    fake.add("/", R"(
        usr/share/empty/
        usr/share/full/x/file
        srv/old/
        srv/keep/
    )");
    fake.setSystemFolders({"/usr"});
    Pass pass(GetParam());
    pass.store.set("Check2", "0");
    pass.store.set("Text1", "/srv/old");
    pass.run(fake, "/");
    // /srv holds a folder on the ignore list: offering it would take that along.
    EXPECT_EQ(pass.results.texts(), (Names{"/usr/share/empty", "/srv/keep"}));
}

TEST_P(FinalPass, ATreeHoldingAFolderOnTheIgnoreListIsNeverOffered)
{
    struct Case {
        const char* ignoreList;
        Names kept;
    };
    const Case cases[] = {
        {"/d/keep/mnt\r\nRECYCLER", {"/d/other", "/d/other/RECYCLER2"}},
        {"/D/KEEP/MNT\r\nRECYCLER", {"/d/other", "/d/other/RECYCLER2"}},
        {"RECYCLER", {"/d/keep", "/d/keep/mnt", "/d/other", "/d/other/RECYCLER2"}},
        {"", {"/d/keep", "/d/keep/mnt", "/d/bin", "/d/bin/RECYCLER", "/d/other", "/d/other/RECYCLER2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ignoreList);
        FakeFileSystem fake;
        fake.add("/d", "keep/mnt/\nbin/RECYCLER/\nother/RECYCLER2/");
        Pass pass(GetParam());
        pass.store.set("Text1", c.ignoreList);
        pass.run(fake, "/d");
        EXPECT_EQ(pass.results.texts(), c.kept);

        // The look before deletion gives the same answer.
        for (const char* folder : {"/d/keep", "/d/bin", "/d/other"}) {
            const bool offered = std::find(c.kept.begin(), c.kept.end(), folder) != c.kept.end();
            EXPECT_EQ(HoldsContent(fake, pass.settings, folder, pass.hooks), !offered) << folder;
        }
    }
}

TEST_P(FinalPass, FoldersOtherProgramsRelyOnAreNeitherSearchedNorOffered)
{
    struct Case {
        const char* root;
        bool included;
        Names kept;
        Names unread;
    };
    const Names all{"/p/proj", "/p/proj/.git", "/p/proj/.git/refs", "/p/proj/.git/refs/heads", "/p/hg", "/p/hg/.HG",
                    "/p/mail", "/p/mail/cur", "/p/mail/new", "/p/mail/tmp", "/p/mail/tmp/sub", "/p/half",
                    "/p/half/cur", "/p/half/new"};
    const Case cases[] = {
        {"/p", false, {"/p/half", "/p/half/cur", "/p/half/new"}, {"/p/proj/.git", "/p/hg/.HG", "/p/mail/cur"}},
        {"/p/proj/.git", false, {}, {"/p/proj/.git", "/p/proj/.git/refs"}},
        {"/p/mail/tmp", false, {}, {"/p/mail/tmp", "/p/mail/tmp/sub"}},
        {"/p", true, all, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.root) + (c.included ? ", included" : ""));
        FakeFileSystem fake;
        fake.add("/p", "proj/.git/refs/heads/\nhg/.HG/\nmail/cur/\nmail/new/\nmail/tmp/sub/\nhalf/cur/\nhalf/new/");
        ScanExtras extras;
        extras.includeProgramFolders = c.included;
        Pass pass(GetParam());
        pass.settings.setExtras(&extras);
        pass.run(fake, c.root);
        EXPECT_EQ(pass.results.texts(), c.kept);
        for (const std::string& folder : c.unread)
            EXPECT_EQ(fake.listings(folder), 0) << folder;
        for (const char* folder : {"/p/proj", "/p/proj/.git/refs", "/p/mail", "/p/mail/cur"})
            EXPECT_EQ(HoldsContent(fake, pass.settings, folder, pass.hooks), !c.included) << folder;
    }
}

TEST_P(FinalPass, MountPointsAndLostAndFoundAtTheTopOfAFileSystemAreNeverOffered)
{
    FakeFileSystem fake;
    fake.add("/", R"(
        lost+found/
        media/usb/lost+found/
        media/usb/photos/
        home/lost+found/
    )");
    fake.mount("/media/usb");
    Pass pass(GetParam());
    pass.run(fake, "/");
    // Inside a mount point each folder is judged on its own.
    EXPECT_EQ(pass.results.texts(), (Names{"/media/usb/photos", "/home", "/home/lost+found"}));
    for (const char* folder : {"/lost+found", "/media", "/media/usb", "/media/usb/lost+found"})
        EXPECT_TRUE(HoldsContent(fake, pass.settings, folder, pass.hooks)) << folder;
}

TEST(FinalPassOnADisk, AnEmptyMountedFolderIsNotOfferedNorItsParent)
{
    TempTree tree("parent/mnt/\nparent/empty/\nother/");
    test::TmpfsMount mount(tree.path("parent/mnt"));
    if (!mount.mounted())
        GTEST_SKIP() << mount.why();
    PosixFileSystem fs;
    for (bool withRecord : {false, true}) {
        Pass pass(withRecord);
        EXPECT_EQ(pass.run(fs, tree.root()), (Names{"parent/empty", "other"})) << withRecord;
        EXPECT_TRUE(HoldsContent(fs, pass.settings, tree.path("parent/mnt"), pass.hooks));
        EXPECT_TRUE(HoldsContent(fs, pass.settings, tree.path("parent"), pass.hooks));
    }
}

TEST_P(FinalPass, ZeroByteFilesAreJudgedByCheck1AsItIsWhenThePassRuns)
{
    FakeFileSystem fake;
    fake.add("/d", "a/b/zero:0\nc/d/bytes:5");
    Pass pass(GetParam());
    pass.search(fake, "/d"); // Check1 0: b and d hold files, a and c look empty
    ASSERT_EQ(pass.relativeTo("/d"), (Names{"a", "c"}));
    pass.store.set("Check1", "1");
    pass.finish(fake);
    EXPECT_EQ(pass.relativeTo("/d"), (Names{"a"}));
}

TEST_P(FinalPass, EachFolderIsReadAtMostOnceForANestOfEmptyFolders)
{
    FakeFileSystem fake;
    constexpr int depth = 300;
    AddNest(fake, depth);
    Pass pass(GetParam());
    pass.search(fake, "/d");
    ASSERT_EQ(pass.results.count(), std::size_t(depth));
    const int bySearch = fake.totalListings();
    pass.finish(fake);
    EXPECT_EQ(pass.results.count(), std::size_t(depth));
    if (GetParam())
        EXPECT_EQ(fake.totalListings(), bySearch); // the record answers for all
    else
        EXPECT_LE(fake.totalListings() - bySearch, depth);
}

TEST_P(FinalPass, AfterAStopTheUnseenRestIsLookedAtOnce)
{
    FakeFileSystem fake;
    fake.addFile(AddNest(fake, 100) + "/late-file");
    Pass pass(GetParam());
    pass.hooks.stopAfterChecks = 50;
    pass.search(fake, "/d");
    ASSERT_EQ(pass.results.count(), 50u);
    const int bySearch = fake.totalListings();
    pass.finish(fake);
    EXPECT_EQ(pass.results.count(), 0u); // the file below the stop is still found
    EXPECT_LE(fake.totalListings() - bySearch, 101);
}

TEST_P(FinalPass, DuplicateEntriesShareTheirFate)
{
    FakeFileSystem fake;
    fake.add("/d", "in/empty/\nin/full/f");
    Pass pass(GetParam());
    pass.search(fake, "/d");
    pass.search(fake, "/d/in");
    pass.finish(fake);
    EXPECT_EQ(pass.results.texts(), (Names{"/d/in/empty", "/d/in/empty"}));
}

TEST_P(FinalPass, AnEditedListIsLookedAtAfresh)
{
    FakeFileSystem fake;
    fake.add("/d", "a/\nb/\nc/");
    Pass pass(GetParam());
    pass.search(fake, "/d");
    pass.results.remove(1);
    pass.results.append("/d/a");
    fake.addFile("/d/a/new");
    pass.finish(fake);
    EXPECT_EQ(pass.results.texts(), (Names{"/d/b", "/d/c"}));
}

TEST(FinalPassReports, AFailureBeforeTheTreeIsReadIsReportedOnce)
{
    FakeFileSystem fake;
    fake.add("/d", "top/inner/\nother/");
    fake.fail("/d/top", Op::Attributes, FsError::PermissionDenied);
    fake.setAttributes("/d/unrelated", Directory);
    Pass pass(false);
    pass.run(fake, "/d");
    EXPECT_EQ(pass.results.texts(), (Names{"/d/top/inner", "/d/other"}));
    ASSERT_EQ(pass.prompter.errorReports().size(), 1u);
    const std::string report = pass.prompter.errorReports()[0];
    EXPECT_NE(report.find("in TovrinTitle2021/08/31.AddFolder.GetSubDirectories2016 at line 116"), std::string::npos)
        << report;
}

TEST(FinalPassReports, AnEmptyListIsLeftAsItIs)
{
    FakeFileSystem fake;
    Pass pass(true);
    pass.finish(fake);
    EXPECT_EQ(pass.results.count(), 0u);
    EXPECT_EQ(fake.totalListings(), 0);
}

// A results list whose every read takes a while, as reading a million
// entries does; it notes how many reads the hooks had seen at each yield.
class SlowReadList final : public ResultsList {
public:
    explicit SlowReadList(MemoryResultsList& base) : base_(base) {}
    void append(std::string path) override { base_.append(std::move(path)); }
    void clear() override { base_.clear(); }
    std::size_t count() const override { return base_.count(); }
    std::string text(std::size_t position) const override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ++reads;
        return base_.text(position);
    }
    bool checked(std::size_t position) const override { return base_.checked(position); }
    void setChecked(std::size_t position, bool checked) override { base_.setChecked(position, checked); }
    void remove(std::size_t position) override { base_.remove(position); }

    mutable std::size_t reads = 0;

private:
    MemoryResultsList& base_;
};

TEST(FinalPassFromTheRecord, YieldsWhileReadingTheEntriesBeforeJudgingThem)
{
    FakeFileSystem fake;
    fake.add("/d", "a/\nb/\nc/\nd/\ne/\nf/");
    Pass pass(true);
    pass.search(fake, "/d");
    ASSERT_EQ(pass.results.count(), 6u);
    SlowReadList slow(pass.results);
    std::vector<std::size_t> readsAtYield;
    pass.hooks.onYield = [&](test::RecordingHooks&) { readsAtYield.push_back(slow.reads); };
    RemoveFoldersWithFiles(fake, pass.settings, slow, pass.hooks, pass.prompter, &pass.record);
    EXPECT_EQ(pass.results.count(), 6u);
    // The record is read for all six entries before the first is judged.
    ASSERT_FALSE(readsAtYield.empty());
    EXPECT_LT(readsAtYield.front(), 6u) << "120 ms of reading without a turn of the event loop";
}

TEST(HoldsContent, LooksAtTheDiskAsItIsNow)
{
    TempTree tree("empty/a/b/\nzero/z:0\nlinked/l->../empty");
    PosixFileSystem fs;
    test::SearchSetup with;
    auto holds = [&](const char* relative) { return HoldsContent(fs, with.settings, tree.path(relative), with.hooks); };
    EXPECT_FALSE(holds("empty"));
    EXPECT_FALSE(holds("empty/"));
    EXPECT_TRUE(holds("zero"));
    EXPECT_TRUE(holds("linked"));
    EXPECT_TRUE(holds("linked/l")); // a link is no folder
    EXPECT_TRUE(holds("missing"));

    with.store.set("Check1", "1");
    EXPECT_FALSE(holds("zero"));

    tree.add("empty/a/b/late:0");
    EXPECT_FALSE(holds("empty"));
    tree.add("empty/a/later:1");
    EXPECT_TRUE(holds("empty"));

    with.store.set("Text1", tree.path("empty/a/b"));
    EXPECT_TRUE(holds("empty/a/b"));
}

TEST(HoldsContent, WholePathsOnTheIgnoreListMatchTheRealPathHoweverItIsSpelled)
{
    FakeFileSystem fake;
    fake.add("/", "usr/local/keep/\nusr/local/other/\ntmp/\nlink->/usr/local");
    test::SearchSetup with;
    with.store.set("Text1", "/usr/local/keep");
    for (const char* path : {"/usr/local", "//usr/local/", "/tmp/../usr/local", "/link", "/link/keep", "/./link/./keep"})
        EXPECT_TRUE(HoldsContent(fake, with.settings, path, with.hooks)) << path;
    EXPECT_FALSE(HoldsContent(fake, with.settings, "/tmp/../link/other", with.hooks));

    fake.fail("/tmp/../link/other", FakeFileSystem::Op::RealPath, FsError::PermissionDenied);
    EXPECT_TRUE(HoldsContent(fake, with.settings, "/tmp/../link/other", with.hooks));
}

namespace {

// Builds the same random tree, with failures, into any number of fakes.
void buildRandomTree(FakeFileSystem& fake, std::uint32_t seed)
{
    auto next = [&seed](std::uint32_t below) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % below;
    };
    const std::vector<std::string> names{"a", "b", ".hid", "RECYCLER", "odd?", "c", "d"};
    std::vector<std::string> folders{"/r"};
    fake.addFolder("/r");
    for (int i = 0; i < 40; ++i) {
        const std::string& parent = folders[next(static_cast<std::uint32_t>(folders.size()))];
        const std::string path = parent + "/" + names[next(7)] + std::to_string(i % 3);
        if (fake.exists(path))
            continue;
        switch (next(10)) {
        case 0: fake.addFile(path, next(2)); break;
        case 1: fake.addLink(path, "/r"); break;
        case 2: fake.addOther(path); break;
        default: fake.addFolder(path); folders.push_back(path); break;
        }
    }
    constexpr FakeFileSystem::Op ops[] = {Op::List, Op::Files, Op::Subfolders, Op::FileSize};
    for (int i = 0; i < 3; ++i) {
        const std::string& folder = folders[1 + next(static_cast<std::uint32_t>(folders.size() - 1))];
        fake.fail(folder, ops[next(4)], next(2) ? FsError::PermissionDenied : FsError::Other);
    }
}

} // namespace

TEST(FinalPassFromTheRecord, AgreesWithLookingAfreshOnRandomTrees)
{
    std::size_t searched = 0;
    std::size_t kept = 0;
    int readsWithRecord = 0;
    int readsWithout = 0;
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        FakeFileSystem recorded;
        FakeFileSystem afresh;
        buildRandomTree(recorded, seed);
        buildRandomTree(afresh, seed);
        Pass withRecord(true);
        Pass without(false);
        for (Pass* pass : {&withRecord, &without}) {
            pass->store.set("Check1", seed % 2 ? "1" : "0");
            pass->store.set("Check3", seed % 3 ? "0" : "1");
        }
        withRecord.search(recorded, "/r");
        searched += withRecord.results.count();
        withRecord.finish(recorded);
        without.run(afresh, "/r");
        ASSERT_EQ(withRecord.results.texts(), without.results.texts()) << "seed " << seed;
        kept += without.results.count();
        readsWithRecord += recorded.totalListings();
        readsWithout += afresh.totalListings();
    }
    // The trees give both answers often, and the record saves reading.
    EXPECT_GT(kept, 1000u);
    EXPECT_GT(searched, kept + 1000);
    EXPECT_LT(readsWithRecord, readsWithout);
}
