// SPDX-License-Identifier: GPL-3.0-or-later
//
// Reading ahead must change nothing the caller sees: on random trees, the
// search and the final pass through a ReadAheadFileSystem give the same
// results, status texts, hook calls and verdicts as through the file system
// alone, whatever the options, ignored subtrees, stop requests, unreadable
// folders, window sizes, and a tree changed by a hook in the middle.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/FakeFileSystem.h"
#include "platform/ReadAheadFileSystem.h"
#include "platform/posix/MountTable.h"
#include "platform/posix/PosixFileSystem.h"
#include "scan/FinalPass.h"
#include "scan/Search.h"
#include "support/LockedFileSystem.h"
#include "support/ModeComparison.h"
#include "support/SlowFileSystem.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"
#include "support/OpenDescriptors.h"
#include "support/TmpfsMount.h"

using namespace vacantix;
using namespace vacantix::test;

namespace {

struct Mode {
    unsigned readers;
    ReadAheadFileSystem::Limits limits;
};

const Mode kModes[] = {
    {0, {}}, // every folder opened from its parent held open, on the calling thread
    {2, {}},
    {1, {}},
    {2, {2, 1}},  // a window of two listings and hardly any bytes
    {2, {16, 4096}},
};

const ScanOptions kOptions[] = {
    {},
    {"1", "0", "", -1},
    {"1", "1", "skip", -1},
    {"0", "1", "skip\r\n/<root>/a3", -1},
    {"1", "0", "skip", 40},
    {"0", "0", "", 7},
};

} // namespace

TEST(ReadAhead, GivesWhatTheDiskGivesOnRandomTrees)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        Names folders;
        const std::string description = RandomTree(seed, 40 + static_cast<int>(seed) * 10, folders);
        TempTree tree(description);
        for (const ScanOptions& base : kOptions) {
            ScanOptions options = base;
            const std::string ignored = WithRoot(options.ignored, tree.root());
            options.ignored = ignored.c_str();
            PosixFileSystem alone;
            const ScanOutcome expected = ScanAndFinish(alone, tree.root(), options);
            for (const Mode& mode : kModes) {
                PosixFileSystem disk;
                ReadAheadFileSystem ahead(disk, mode.readers, [] { return std::make_unique<PosixFileSystem>(); },
                                          mode.limits);
                EXPECT_EQ(ScanAndFinish(ahead, tree.root(), options), expected)
                    << "seed " << seed << ", ignoring " << options.ignored << ", stop after " << options.stopAfter
                    << ", " << mode.readers << " readers, window " << mode.limits.listings;
            }
        }
    }
}

// Helpers that start in the middle of a walk, once the disk has made it
// wait, change nothing it sees either.
TEST(ReadAhead, HelpersThatStartWhenTheDiskMakesTheWalkWaitChangeNothing)
{
    for (unsigned seed = 1; seed <= 3; ++seed) {
        Names folders;
        TempTree tree(RandomTree(seed, 120, folders));
        for (const ScanOptions& options : {ScanOptions{}, ScanOptions{"1", "1", "skip", -1}}) {
            PosixFileSystem alone;
            const ScanOutcome expected = ScanAndFinish(alone, tree.root(), options);
            PosixFileSystem disk;
            SlowFileSystem slow(disk, std::chrono::microseconds(200));
            std::vector<std::unique_ptr<PosixFileSystem>> disks;
            ReadAheadFileSystem ahead(slow, ReaderCount(0, 3), [&]() -> std::unique_ptr<FileSystem> {
                disks.push_back(std::make_unique<PosixFileSystem>());
                return std::make_unique<SlowFileSystem>(*disks.back(), std::chrono::microseconds(200));
            });
            EXPECT_EQ(ScanAndFinish(ahead, tree.root(), options), expected) << "seed " << seed;
            EXPECT_GT(ahead.readers(), 0u) << "seed " << seed;
        }
    }
}

// Every listing of a walk in pre-order, as compared: the path, the
// entries, and where the folder lies.
Names WalkListings(FileSystem& fs, const std::string& root, std::size_t& mostOpen)
{
    Names out;
    std::function<void(const std::string&)> walk = [&](const std::string& folder) {
        const FsResult<Listing> listing = fs.list(folder);
        mostOpen = std::max(mostOpen, vacantix::test::OpenDescriptorCount());
        std::string line = folder.substr(root.size()) + ":";
        if (!listing.ok()) {
            out.push_back(line + " failed " + std::to_string(static_cast<int>(listing.error())));
            return;
        }
        for (const FileEntry& file : listing.value().files)
            line += " " + file.name;
        if (listing.value().protectedFolder)
            line += " protected";
        out.push_back(line);
        for (const std::string& name : listing.value().subfolders)
            walk(folder + "/" + name);
    };
    (void)fs.listNamed(root);
    walk(root);
    fs.endWalk();
    return out;
}

TEST(ReadAhead, PlacesFoldersAsTheDiskDoesAndHoldsFewDescriptorsOpen)
{
    // Wide (more folders with subfolders left to read than the helpers
    // hold open), deep (more levels than a chain keeps open), and with a
    // file system mounted inside.
    std::string description = "parent/mnt/\nparent/lost+found/\n";
    for (int i = 0; i < 30; ++i)
        for (int j = 0; j < 12; ++j)
            description += "w" + std::to_string(i) + "/x" + std::to_string(j) + "/y/z/\n";
    std::string deep = "deep";
    for (int level = 0; level < 150; ++level)
        deep += "/d";
    description += deep + "/f:1\n";
    TempTree tree(description);
    vacantix::test::TmpfsMount mount(tree.path("parent/mnt"));
    const bool mounted = mount.mounted();
    if (mounted)
        tree.add("parent/mnt/lost+found/\nparent/mnt/inner/lost+found/\nparent/mnt/inner/file:0");

    std::size_t before = 0;
    PosixFileSystem alone;
    const Names expected = WalkListings(alone, tree.root(), before);
    if (mounted) {
        EXPECT_NE(std::find(expected.begin(), expected.end(), "/parent/mnt: protected"), expected.end());
        EXPECT_NE(std::find(expected.begin(), expected.end(), "/parent/mnt/lost+found: protected"), expected.end());
    }
    // The process keeps its mount table open once a walk has read it.
    (void)MountTable::Instance().below(tree.root(), tree.root());
    for (const Mode& mode : kModes) {
        const std::size_t openBefore = vacantix::test::OpenDescriptorCount();
        std::size_t mostOpen = 0;
        {
            PosixFileSystem disk;
            ReadAheadFileSystem ahead(disk, mode.readers, [] { return std::make_unique<PosixFileSystem>(); },
                                      mode.limits);
            EXPECT_EQ(WalkListings(ahead, tree.root(), mostOpen), expected) << mode.readers << " readers";
        }
        // The calling thread's chain and each helper's, and the folders held
        // open for the helpers.
        const std::size_t bound = (mode.readers + 1) * PosixFileSystem::kMaxOpenFolders + 256 + 16;
        EXPECT_LE(mostOpen, openBefore + bound) << mode.readers << " readers";
        const std::size_t openAfter = vacantix::test::OpenDescriptorCount();
        EXPECT_EQ(openAfter, openBefore) << mode.readers << " readers";
    }
    if (!mounted)
        GTEST_SKIP() << "listings compared without a mounted file system: " << mount.why();
}

TEST(ReadAhead, GivesWhatTheFileSystemGivesForUnreadableFolders)
{
    using Op = FakeFileSystem::Op;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        Names folders;
        const std::string description = RandomTree(seed, 60, folders);
        auto build = [&] {
            auto fake = std::make_unique<FakeFileSystem>();
            fake->add("/t", description);
            std::mt19937 random(seed * 7919);
            const std::pair<Op, FsError> failures[] = {
                {Op::List, FsError::PermissionDenied}, {Op::List, FsError::Other},
                {Op::Files, FsError::Other},           {Op::Subfolders, FsError::PermissionDenied},
                {Op::FileSize, FsError::Other},
            };
            for (std::size_t i = 1; i < folders.size(); ++i)
                if (random() % 6 == 0) {
                    const auto& [op, error] = failures[random() % std::size(failures)];
                    fake->fail("/t/" + folders[i], op, error);
                }
            return fake;
        };
        for (const ScanOptions& options : {ScanOptions{}, ScanOptions{"1", "1", "skip", -1}, ScanOptions{"1", "0", "", 25}}) {
            const auto plain = build();
            const ScanOutcome expected = ScanAndFinish(*plain, "/t", options);
            for (const Mode& mode : kModes) {
                const auto fake = build();
                std::mutex mutex;
                LockedFileSystem locked(*fake, mutex);
                ReadAheadFileSystem ahead(
                    locked, mode.readers, [&] { return std::make_unique<LockedFileSystem>(*fake, mutex); },
                    mode.limits);
                EXPECT_EQ(ScanAndFinish(ahead, "/t", options), expected)
                    << "seed " << seed << ", " << mode.readers << " readers, window " << mode.limits.listings;
            }
        }
    }
}

TEST(ReadAhead, SeesWhatAYieldChangedAfterItsListingWasReadAhead)
{
    // A folder examined slowly makes the next step yield; that yield puts a
    // file into an empty folder further on, which the helpers have most
    // likely read already. The search must see the file.
    for (unsigned seed = 1; seed <= 4; ++seed) {
        Names folders;
        const std::string description = RandomTree(seed, 80, folders);
        const std::string slow = folders[1];
        std::string filled;
        for (auto it = folders.rbegin(); it != folders.rend() && filled.empty(); ++it)
            if (it->find("skip") == std::string::npos && it->find('/') != std::string::npos)
                filled = *it;
        auto run = [&](bool readAhead) {
            TempTree tree(description);
            bool slowSeen = false;
            bool changed = false;
            auto prepare = [&](CallLog& hooks) {
                hooks.onExamined = [&](const std::string& path) {
                    if (path == "<root>/" + slow) {
                        slowSeen = true;
                        std::this_thread::sleep_for(std::chrono::milliseconds(60));
                    }
                };
                hooks.onYield = [&] {
                    if (slowSeen && !changed) {
                        changed = true;
                        std::ofstream(tree.path(filled + "/new")) << "bytes";
                    }
                };
            };
            PosixFileSystem disk;
            if (!readAhead)
                return ScanAndFinish(disk, tree.root(), ScanOptions{}, prepare);
            ReadAheadFileSystem ahead(disk, 2, [] { return std::make_unique<PosixFileSystem>(); });
            return ScanAndFinish(ahead, tree.root(), ScanOptions{}, prepare);
        };
        const ScanOutcome expected = run(false);
        EXPECT_EQ(run(true), expected) << "seed " << seed << ", filling " << filled;
    }
}

TEST(ReadAhead, ReadsAFolderAgainAfterEachPointWhereTheDiskMayHaveChanged)
{
    // After the top is handed out the helpers read "a" at once; a change
    // made after a new walk, a yield or a folder made here must show in
    // the next listing of "a" all the same.
    struct Point {
        const char* name;
        std::function<void(ReadAheadFileSystem&, TempTree&, int)> change;
    };
    const Point points[] = {
        {"a new walk",
         [](ReadAheadFileSystem& fs, TempTree& tree, int round) {
             fs.endWalk();
             tree.add("a/made" + std::to_string(round) + "/");
         }},
        {"a yield",
         [](ReadAheadFileSystem& fs, TempTree& tree, int round) {
             tree.add("a/made" + std::to_string(round) + "/");
             fs.callerYielded();
         }},
        {"a folder made here",
         [](ReadAheadFileSystem& fs, TempTree& tree, int round) {
             ASSERT_TRUE(fs.createFolder(tree.path("a/made" + std::to_string(round))));
         }},
    };
    for (const Point& point : points) {
        TempTree tree("a/b/\nc/");
        PosixFileSystem disk;
        ReadAheadFileSystem fs(disk, 2, [] { return std::make_unique<PosixFileSystem>(); });
        for (int round = 0; round < 10; ++round) {
            fs.endWalk();
            ASSERT_TRUE(fs.list(tree.root()));
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            point.change(fs, tree, round);
            const auto a = fs.list(tree.path("a"));
            ASSERT_TRUE(a);
            EXPECT_EQ(a.value().subfolders.size(), static_cast<std::size_t>(round + 2)) << point.name;
        }
    }
}
