// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <set>

#include "platform/FakeFileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "scan/FinalPass.h"
#include "scan/Search.h"
#include "support/ScanDoubles.h"
#include "support/ScriptedPrompter.h"
#include "support/SlowFileSystem.h"
#include "support/TempTree.h"

using namespace vacantix;
using vacantix::test::RecordingHooks;
using vacantix::test::ScriptedPrompter;
using vacantix::test::TempTree;
using Op = FakeFileSystem::Op;
using Names = std::vector<std::string>;

namespace {

struct Scan : test::SearchSetup {
    Names run(FileSystem& fs, const std::string& root)
    {
        search(fs, root);
        return relativeTo(root);
    }
};

} // namespace

TEST(Search, NestedEmptyFoldersAreReportedInPreOrderWithTheirStatusTexts)
{
    TempTree tree("A/B/");
    PosixFileSystem fs;
    Scan scan;
    EXPECT_EQ(scan.run(fs, tree.root()), (Names{"A", "A/B"}));
    const auto& entries = scan.results.entries();
    EXPECT_EQ(entries[0].text, tree.path("A"));
    EXPECT_EQ(entries[1].text, tree.path("A/B"));
    EXPECT_TRUE(entries[0].checked && entries[1].checked);
    EXPECT_EQ(scan.results.refreshes(), 2u);
    EXPECT_EQ(scan.hooks.statusTexts, (Names{"Searching " + tree.root(), "Searching " + tree.path("A"),
                                             "Searching " + tree.path("A/B")}));
    // The header keeps naming the folder entered last once the search is back.
    EXPECT_EQ(scan.hooks.lastStatus(), "Searching " + tree.path("A/B"));
}

TEST(Search, ATrailingSeparatorOnTheRootChangesNothing)
{
    TempTree tree("A/");
    PosixFileSystem fs;
    Scan scan;
    scan.search(fs, tree.root() + "/");
    EXPECT_EQ(scan.results.texts(), Names{tree.path("A")});
    EXPECT_EQ(scan.hooks.statusTexts.front(), "Searching " + tree.root());
}

TEST(Search, FoldersAreJudgedByTheirOwnFilesOnly)
{
    TempTree tree(R"(
        empty-root-level/
        holds-file/data:3
        no-own-files/deeper/data:3
        no-own-files/deeper/inner-empty/
        sibling/
    )");
    PosixFileSystem fs;
    Scan scan;
    auto found = scan.run(fs, tree.root());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (Names{"empty-root-level", "no-own-files", "no-own-files/deeper/inner-empty", "sibling"}));

    Scan nothing;
    EXPECT_TRUE(nothing.run(fs, tree.path("sibling")).empty()); // the root itself is never reported
}

TEST(Search, ZeroByteFilesCountAsEmptyOnlyWhileCheck1IsOne)
{
    TempTree tree(R"(
        zeros/a:0
        zeros/b:0
        zeros/below/c:0
        zero-here-bytes-below/a:0
        zero-here-bytes-below/sub/b:9
        bytes/a:1
    )");
    PosixFileSystem fs;
    Scan off;
    auto found = off.run(fs, tree.root());
    EXPECT_TRUE(found.empty()) << found.size();

    Scan on;
    on.store.set("Check1", "1");
    found = on.run(fs, tree.root());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (Names{"zeros", "zeros/below"}));

    Scan two; // only 1 counts as on
    two.store.set("Check1", "2");
    EXPECT_TRUE(two.run(fs, tree.root()).empty());
}

TEST(Search, HiddenFoldersAreLeftOutOnlyWhileCheck3IsOne)
{
    TempTree tree(".hidden/inner/");
    PosixFileSystem fs;
    Scan on;
    on.store.set("Check3", "1");
    EXPECT_EQ(on.run(fs, tree.root()), (Names{".hidden/inner"}));

    Scan off;
    EXPECT_EQ(off.run(fs, tree.root()), (Names{".hidden", ".hidden/inner"}));
}

TEST(Search, SystemTreesAreSearchedButNotReportedWhileCheck2IsOn)
{
    FakeFileSystem fake;
    fake.add("/", "usr/share/empty/\nusrlocal/\nhome/x/\nup->/");
    fake.setSystemFolders({"/usr"});
    Scan on;
    EXPECT_EQ(on.run(fake, "/"), (Names{"/usrlocal", "/home", "/home/x"}));
    EXPECT_EQ(fake.listings("/usr/share/empty"), 1); // searched all the same
    // A root named through a link holds the system tree by its real path.
    Scan throughLink;
    EXPECT_EQ(throughLink.run(fake, "/up"), (Names{"usrlocal", "home", "home/x"}));

    Scan anyNumber;
    anyNumber.store.set("Check2", "2");
    EXPECT_EQ(anyNumber.run(fake, "/"), (Names{"/usrlocal", "/home", "/home/x"}));

    Scan off;
    off.store.set("Check2", "0");
    EXPECT_EQ(off.run(fake, "/"), (Names{"/usr", "/usr/share", "/usr/share/empty", "/usrlocal", "/home", "/home/x"}));
}

TEST(Search, SystemTreesAndWholePathsAreJudgedOnTheRootsRealPath)
{
    FakeFileSystem fake;
    fake.add("/", R"(
        usr/local/empty/
        tmp/
        srv/data/tmp/
        srv/data/usr/local/kept/
        link->/usr/local
        t->/srv/data/tmp
    )");
    fake.setSystemFolders({"/usr"});
    for (const char* root : {"/usr/local", "//usr/local", "/./usr/local", "/tmp/../usr/local", "/link", "/link/",
                             "/t/../../../usr/local"}) {
        Scan scan;
        EXPECT_EQ(scan.run(fake, root), Names{}) << root;
    }

    // Below the spelling: "/t/.." is /srv/data, not "/"; entries keep the
    // spelling as given, never rewritten.
    Scan elsewhere;
    elsewhere.search(fake, "/t/../usr/local");
    EXPECT_EQ(elsewhere.results.texts(), Names{"/t/../usr/local/kept"});
    Scan ignored;
    ignored.store.set("Text1", "/srv/data/usr/local/kept");
    ignored.search(fake, "/t/../usr/local");
    EXPECT_EQ(ignored.results.texts(), Names{});

    Scan off;
    off.store.set("Check2", "0");
    off.search(fake, "//usr/local");
    EXPECT_EQ(off.results.texts(), Names{"//usr/local/empty"});

    // A root whose real path cannot be found is not searched.
    fake.fail("/usr/local", FakeFileSystem::Op::RealPath, FsError::Other);
    off.results.clear();
    off.search(fake, "/usr/local");
    EXPECT_EQ(off.results.texts(), Names{});
}

TEST(Search, NothingBelowAnIgnoredNameIsVisited)
{
    FakeFileSystem fake;
    fake.add("/d", "RECYCLER/inner/\nrecycled/\nkeep/");
    Scan scan;
    EXPECT_EQ(scan.run(fake, "/d"), (Names{"keep"}));
    EXPECT_EQ(fake.listings("/d/RECYCLER"), 0);
    EXPECT_EQ(fake.listings("/d/RECYCLER/inner"), 0);

    Scan ignoredRoot;
    EXPECT_TRUE(ignoredRoot.run(fake, "/d/RECYCLER").empty());
    EXPECT_TRUE(ignoredRoot.hooks.statusTexts.empty());

    Scan emptyList; // a stored empty list ignores nothing
    emptyList.store.set("Text1", "");
    EXPECT_EQ(emptyList.run(fake, "/d"), (Names{"RECYCLER", "RECYCLER/inner", "recycled", "keep"}));

    Scan wholePath; // a whole path keeps its folder out the same way
    wholePath.store.set("Text1", "/D/Keep");
    const int before = fake.listings("/d/keep");
    EXPECT_EQ(wholePath.run(fake, "/d"), (Names{"RECYCLER", "RECYCLER/inner", "recycled"}));
    EXPECT_EQ(fake.listings("/d/keep"), before);
}

TEST(Search, SymbolicLinksAreNeverReportedOrEntered)
{
    TempTree tree(R"(
        target/empty/
        walk/to-target->../target
        walk/to-root->/
        walk/loop->loop
        walk/up->..
        only-link/dangling->nowhere
    )");
    PosixFileSystem fs;
    Scan zeroByteOff;
    auto found = zeroByteOff.run(fs, tree.path("walk"));
    EXPECT_TRUE(found.empty());
    found = zeroByteOff.run(fs, tree.root());
    std::sort(found.begin(), found.end());
    // A link counts as something held: its folder is no candidate.
    EXPECT_EQ(found, (Names{"target", "target/empty"}));
}

TEST(Search, ALinkNamedAsTheRootIsSearched)
{
    TempTree tree("real/empty/\nroot-link->real");
    PosixFileSystem fs;
    Scan scan;
    EXPECT_EQ(scan.run(fs, tree.path("root-link")), (Names{"empty"}));
    EXPECT_EQ(scan.results.entries()[0].text, tree.path("root-link/empty"));
}

TEST(Search, OddNamesAreReportedByteForByte)
{
    const std::string latin1 = "caf\xe9";
    const std::string control = "tab\there";
    const std::string question = "what?";
    const std::string longName(NAME_MAX, 'n');
    TempTree tree;
    tree.add(latin1 + "/\n" + question + "/\n" + longName + "/\n");
    std::filesystem::create_directory(tree.path(control));
    PosixFileSystem fs;
    Scan scan;
    auto found = scan.run(fs, tree.root());
    std::sort(found.begin(), found.end());
    Names expected{latin1, control, question, longName};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
}

TEST(Search, StopIsCheckedBeforeEverySubfolderAtEveryLevel)
{
    FakeFileSystem fake;
    fake.add("/d", "a/a1/\na/a2/\nb/\nc/");
    Scan scan;
    scan.hooks.stopAfterChecks = 2; // before a, before a1: then stop
    EXPECT_EQ(scan.run(fake, "/d"), (Names{"a", "a/a1"}));
    EXPECT_EQ(fake.listings("/d/a/a2"), 0);
    EXPECT_EQ(fake.listings("/d/b"), 0);
    // a1 (no subfolders) checks nothing; a checks before a2, d before b.
    EXPECT_EQ(scan.hooks.stopChecks, 4);
}

TEST(Search, ATreeDeeperThanThePathLimitIsWalkedWithoutRecursion)
{
    TempTree tree("deep/", TempTree::Place::Memory);
    constexpr int depth = 100'000;
    ASSERT_EQ(tree.makeChain("deep", "d", depth), depth);
    PosixFileSystem fs;
    Scan scan;
    scan.store.set("Check2", "0"); // the tree may live below /dev/shm
    scan.search(fs, tree.path("deep"));
    // Every folder whose path can be listed is reported, down to the limit.
    const auto& entries = scan.results.entries();
    ASSERT_GT(entries.size(), 1000u);
    EXPECT_EQ(entries.front().text, tree.path("deep/d"));
    for (std::size_t i = 1; i < entries.size(); ++i)
        ASSERT_EQ(entries[i].text, entries[i - 1].text + "/d");
    EXPECT_LT(entries.back().text.size() + 1, std::size_t(PATH_MAX));
    EXPECT_GE(entries.back().text.size() + 5, std::size_t(PATH_MAX));

    // What lies beyond the limit was never seen, so no entry is verified empty.
    ScriptedPrompter prompter;
    RemoveFoldersWithFiles(fs, scan.settings, scan.results, scan.hooks, prompter);
    EXPECT_EQ(scan.results.count(), 0u);
}

TEST(Search, AWideAndDeepRealTreeGivesWhatTheSameTreeInMemoryGives)
{
    // The real file system lists in its own order and reads through open
    // descriptors of the folders above; the answers must be the same.
    std::string description;
    std::uint32_t seed = 12345;
    auto next = [&seed](std::uint32_t below) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % below;
    };
    std::vector<std::string> folders{""};
    for (int i = 0; i < 3000; ++i) {
        const std::string& parent = folders[next(static_cast<std::uint32_t>(folders.size()))];
        const std::string folder = parent + (parent.empty() ? "" : "/") + "f" + std::to_string(i);
        folders.push_back(folder);
        description += folder + "/\n";
        if (next(4) == 0)
            description += folder + "/file" + std::to_string(i) + (next(3) == 0 ? ":0" : ":1") + "\n";
    }
    TempTree tree(description);
    PosixFileSystem posix;
    FakeFileSystem fake;
    fake.add("/t", description);

    for (const char* check1 : {"0", "1"}) {
        Scan real;
        real.store.set("Check1", check1);
        Scan memory;
        memory.store.set("Check1", check1);
        auto found = real.run(posix, tree.root());
        auto expected = memory.run(fake, "/t");
        ASSERT_GT(expected.size(), 100u);
        // Listing order differs between the two; each entry still follows its parent's.
        std::set<std::string> seen;
        for (const std::string& entry : found) {
            const auto slash = entry.rfind('/');
            if (slash != std::string::npos && std::count(expected.begin(), expected.end(), entry.substr(0, slash))) {
                EXPECT_TRUE(seen.contains(entry.substr(0, slash))) << entry;
            }
            seen.insert(entry);
        }
        std::sort(found.begin(), found.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(found, expected) << "Check1 " << check1;
    }
}

TEST(Search, EachFolderIsListedOnce)
{
    FakeFileSystem fake;
    fake.add("/d", "a/b/c/\na/b/f\na/e/\ng/");
    Scan scan;
    scan.run(fake, "/d");
    for (const char* folder : {"/d", "/d/a", "/d/a/b", "/d/a/b/c", "/d/a/e", "/d/g"})
        EXPECT_EQ(fake.listings(folder), 1) << folder;
    EXPECT_GE(fake.walksEnded(), 1);
}

TEST(SearchFailures, PermissionDeniedLetsTheFolderBeReported)
{
    FakeFileSystem fake;
    fake.add("/d", "files-unreadable/x\nsize-unreadable/x:0\nattributes-unreadable/\nsubfolders-unreadable/in/\nlast/");
    fake.fail("/d/files-unreadable", Op::Files, FsError::PermissionDenied);
    fake.fail("/d/size-unreadable", Op::FileSize, FsError::PermissionDenied);
    fake.fail("/d/subfolders-unreadable", Op::Subfolders, FsError::PermissionDenied);

    Scan scan;
    scan.store.set("Check1", "1");
    EXPECT_EQ(scan.run(fake, "/d"),
              (Names{"files-unreadable", "size-unreadable", "attributes-unreadable", "subfolders-unreadable", "last"}));
    EXPECT_EQ(fake.listings("/d/subfolders-unreadable/in"), 0);

    // Unreadable attributes keep a folder out only while the hidden test is made.
    fake.fail("/d/attributes-unreadable", Op::Attributes, FsError::PermissionDenied);
    Scan hiddenTest;
    hiddenTest.store.set("Check3", "1");
    hiddenTest.store.set("Check1", "1");
    EXPECT_EQ(hiddenTest.run(fake, "/d"),
              (Names{"files-unreadable", "size-unreadable", "subfolders-unreadable", "last"}));
}

TEST(SearchFailures, AFolderThatCannotBeReadIsKeptOutAndItsSiblingsAreSearched)
{
    // Each way a disk can fail on one subfolder keeps just that subfolder
    // out; its later siblings are still judged.
    struct Case {
        const char* name;
        const char* tree;
        const char* failing;
        Op op;
        FsError error;
        const char* check3;
        Names found;
    };
    const Case cases[] = {
        {"files unreadable", "p/before/\np/broken/x\np/after/\nq/", "/d/p/broken", Op::Files, FsError::Other, "0",
         {"p", "p/before", "p/after", "q"}},
        {"listing vanished", "p/before/\np/broken/\np/after/\nq/", "/d/p/broken", Op::List, FsError::PathNotFound, "0",
         {"p", "p/before", "p/after", "q"}},
        {"attributes gone", "p/before/\np/broken/\np/after/\nq/", "/d/p/broken", Op::Attributes,
         FsError::PathNotFound, "1", {"p", "p/before", "p/after", "q"}},
        // A zero-byte file, and a tree below too deep to add up.
        {"too deep to size", "p/zero:0\np/deep/far/\nq/\nr/", "/d/p/deep/far", Op::List, FsError::TooLong, "0",
         {"p/deep", "q", "r"}},
        {"file size unreadable", "p/zero:0\np/sub/z:0\nq/", "/d/p/sub", Op::FileSize, FsError::Other, "0", {"q"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFileSystem fake;
        fake.add("/d", c.tree);
        fake.fail(c.failing, c.op, c.error);
        Scan scan;
        scan.store.set("Check1", "1");
        scan.store.set("Check3", c.check3);
        EXPECT_EQ(scan.run(fake, "/d"), c.found);

        if (c.op == Op::Attributes)
            continue; // attributes say nothing about content
        // What could not be read is never vouched for by the final pass.
        ScriptedPrompter prompter;
        RemoveFoldersWithFiles(fake, scan.settings, scan.results, scan.hooks, prompter);
        for (const std::string& kept : scan.relativeTo("/d"))
            EXPECT_FALSE(("/d/" + kept + "/").starts_with(std::string(c.failing) + "/") ||
                         std::string(c.failing).starts_with("/d/" + kept + "/"))
                << kept;
    }
}

TEST(SearchFailures, AnOptionThatIsNoNumberEndsTheFolderWhereItIsRead)
{
    FakeFileSystem fake;
    fake.add("/d", "a/b/\nc/f");
    Scan scan;
    scan.store.set("Check3", "yes");
    // Check3 is read for a (no files): the search of /d ends there.
    EXPECT_TRUE(scan.run(fake, "/d").empty());
    EXPECT_EQ(fake.listings("/d/c"), 0);

    FakeFileSystem again;
    again.add("/d", "a/b/\nc/f");
    Scan check2;
    check2.store.set("Check2", "x");
    EXPECT_TRUE(check2.run(again, "/d").empty());
    EXPECT_EQ(again.listings("/d/a"), 0);
}

TEST(SearchFailures, AFolderThatVanishesEndsItsParentsSearchOnly)
{
    FakeFileSystem fake;
    fake.add("/d", "a/gone/child/\na/later/\nb/");
    // a is judged from its listing, then goes with all it holds: the first
    // subfolder the search of a looks at is missing, and that search ends.
    fake.vanishAfterListing("/d/a");
    Scan scan;
    EXPECT_EQ(scan.run(fake, "/d"), (Names{"a", "b"}));
    EXPECT_EQ(fake.listings("/d/a/later"), 0);

    FakeFileSystem root;
    root.add("/r", "x/");
    root.vanishAfterListing("/r");
    Scan rootGone;
    EXPECT_TRUE(rootGone.run(root, "/r").empty());
}

TEST(Search, YieldsWhenTimePassesAndStopsOnARequestMadeThere)
{
    FakeFileSystem fake;
    fake.add("/d", "a/\nb/\nc/\nd/\ne/\nf/\ng/\nh/");
    test::SlowFileSystem slow(fake, std::chrono::milliseconds(20));
    Scan scan;
    scan.hooks.onYield = [](RecordingHooks& hooks) { hooks.stop = true; };
    const auto found = scan.run(slow, "/d");
    EXPECT_GE(scan.hooks.yields, 1);
    EXPECT_LT(found.size(), 8u);
}

TEST(Search, AddingUpALargeTreeOfEmptyFilesYieldsAndHearsAStop)
{
    FakeFileSystem fake;
    fake.add("/d", "z/a:0\nz/s1/b:0\nz/s2/c:0\nz/s3/d:0\nz/s4/e:0\nz/s5/f:0");
    test::SlowFileSystem slow(fake, std::chrono::milliseconds(20));
    Scan scan;
    scan.store.set("Check1", "1");
    scan.hooks.onYield = [](RecordingHooks& hooks) { hooks.stop = true; };
    EXPECT_TRUE(scan.run(slow, "/d").empty());
    EXPECT_GE(scan.hooks.yields, 1);
    EXPECT_LT(fake.listings("/d/z/s5"), 1);

    Scan patient; // without a stop the same tree counts as empty
    patient.store.set("Check1", "1");
    EXPECT_EQ(patient.run(fake, "/d"), (Names{"z", "z/s1", "z/s2", "z/s3", "z/s4", "z/s5"}));
}
