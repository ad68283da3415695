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
#include "platform/posix/PosixFileSystem.h"
#include "scan/FinalPass.h"
#include "scan/Search.h"
#include "support/LockedFileSystem.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"
#include "support/TmpfsMount.h"

using namespace vacantix;
using vacantix::test::LockedFileSystem;
using vacantix::test::TempTree;
using Names = std::vector<std::string>;

namespace {

// Every hook call but yield (whose count depends on the clock), in order,
// with paths relative to the root.
class CallLog final : public ScanHooks {
public:
    explicit CallLog(std::string root) : root_(std::move(root)) {}

    void yield() override
    {
        if (onYield)
            onYield();
    }
    bool stopRequested() override
    {
        calls.emplace_back("stop?");
        return stopAfter >= 0 && ++checks > stopAfter;
    }
    void setStatusText(std::string_view text) override { calls.push_back("status " + relative(text)); }
    void folderExamined(std::string_view path) override
    {
        calls.push_back("examined " + relative(path));
        if (onExamined)
            onExamined(relative(path));
    }
    void folderUnreadable(std::string_view path, std::string_view reason) override
    {
        calls.push_back("unreadable " + relative(path) + ": " + std::string(reason));
    }
    void rootInSystemTree(std::string_view path) override { calls.push_back("system " + relative(path)); }

    [[nodiscard]] std::string relative(std::string_view text) const
    {
        std::string out(text);
        for (std::size_t at = out.find(root_); at != std::string::npos; at = out.find(root_, at))
            out.replace(at, root_.size(), "<root>");
        return out;
    }

    int stopAfter = -1;
    int checks = 0;
    Names calls;
    std::function<void()> onYield;
    std::function<void(const std::string&)> onExamined;

private:
    std::string root_;
};

struct Options {
    const char* check1 = "0";
    const char* check3 = "0";
    const char* ignored = ""; // the ignore list
    int stopAfter = -1;
};

struct Outcome {
    Names found;   // after the search
    Names kept;    // after the final pass
    Names calls;
    Names prompts;
    bool operator==(const Outcome&) const = default;
};

Outcome Scan(FileSystem& fs, const std::string& root, const Options& options,
             const std::function<void(CallLog&)>& prepare = {})
{
    MemorySettingsStore store;
    store.set("Check1", options.check1);
    store.set("Check2", "0");
    store.set("Check3", options.check3);
    store.set("Text1", options.ignored);
    Settings settings(store);
    MemoryResultsList results;
    CallLog hooks(root);
    hooks.stopAfter = options.stopAfter;
    if (prepare)
        prepare(hooks);
    ScanRecord record;
    test::ScriptedPrompter prompter;

    Outcome outcome;
    SearchEmptyFoldersinFolder(fs, settings, root, results, hooks, &record);
    for (const std::string& text : results.texts())
        outcome.found.push_back(hooks.relative(text));
    RemoveFoldersWithFiles(fs, settings, results, hooks, prompter, &record);
    for (const std::string& text : results.texts())
        outcome.kept.push_back(hooks.relative(text));
    outcome.calls = std::move(hooks.calls);
    for (const auto& shown : prompter.shown())
        outcome.prompts.push_back(hooks.relative(shown.text));
    return outcome;
}

// A random tree description: folders nested at random (some hidden, some
// on the ignore list by name), files of 0 and of 3 bytes, a few links.
// `folders` lists the folders made, parents first.
std::string RandomTree(unsigned seed, int count, Names& folders)
{
    std::mt19937 random(seed);
    auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    folders = {""};
    std::string description;
    for (int i = 0; i < count; ++i) {
        // Mostly below a recent folder, so that the tree grows deep too.
        const int size = static_cast<int>(folders.size());
        const std::string parent = folders[below(4) == 0 ? below(size) : size - 1 - below(std::min(size, 6))];
        const char* stems[] = {"a", "b", ".hidden", "skip", "c d"};
        std::string name = stems[below(5)];
        name += std::to_string(i);
        if (below(8) == 0)
            name = "skip"; // ignored by name, unless a sibling took it
        std::string path = parent.empty() ? name : parent + "/" + name;
        if (std::find(folders.begin(), folders.end(), path) != folders.end())
            path += "-" + std::to_string(i);
        folders.push_back(path);
        description += path + "/\n";
        switch (below(12)) {
        case 0:
        case 1: description += path + "/zero:0\n"; break;
        case 2: description += path + "/three:3\n"; break;
        case 3: description += path + "/link->..\n"; break;
        default: break;
        }
    }
    return description;
}

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

const Options kOptions[] = {
    {},
    {"1", "0", "", -1},
    {"1", "1", "skip", -1},
    {"0", "1", "skip\r\n/<root>/a3", -1},
    {"1", "0", "skip", 40},
    {"0", "0", "", 7},
};

std::string WithRoot(std::string text, const std::string& root)
{
    for (std::size_t at = text.find("<root>"); at != std::string::npos; at = text.find("<root>", at))
        text.replace(at, 6, root);
    return text;
}

} // namespace

TEST(ReadAhead, GivesWhatTheDiskGivesOnRandomTrees)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        Names folders;
        const std::string description = RandomTree(seed, 40 + static_cast<int>(seed) * 10, folders);
        TempTree tree(description);
        for (const Options& base : kOptions) {
            Options options = base;
            const std::string ignored = WithRoot(options.ignored, tree.root());
            options.ignored = ignored.c_str();
            PosixFileSystem alone;
            const Outcome expected = Scan(alone, tree.root(), options);
            for (const Mode& mode : kModes) {
                PosixFileSystem disk;
                ReadAheadFileSystem ahead(disk, mode.readers, [] { return std::make_unique<PosixFileSystem>(); },
                                          mode.limits);
                EXPECT_EQ(Scan(ahead, tree.root(), options), expected)
                    << "seed " << seed << ", ignoring " << options.ignored << ", stop after " << options.stopAfter
                    << ", " << mode.readers << " readers, window " << mode.limits.listings;
            }
        }
    }
}

// Every listing of a walk in pre-order, as compared: the path, the
// entries, and where the folder lies.
Names WalkListings(FileSystem& fs, const std::string& root, std::size_t& mostOpen)
{
    auto openNow = [] {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                      std::filesystem::directory_iterator{}));
    };
    Names out;
    std::function<void(const std::string&)> walk = [&](const std::string& folder) {
        const FsResult<Listing> listing = fs.list(folder);
        mostOpen = std::max(mostOpen, openNow());
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
    for (const Mode& mode : kModes) {
        const std::size_t openBefore = static_cast<std::size_t>(std::distance(
            std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator{}));
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
        const std::size_t openAfter = static_cast<std::size_t>(std::distance(
            std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator{}));
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
        for (const Options& options : {Options{}, Options{"1", "1", "skip", -1}, Options{"1", "0", "", 25}}) {
            const auto plain = build();
            const Outcome expected = Scan(*plain, "/t", options);
            for (const Mode& mode : kModes) {
                const auto fake = build();
                std::mutex mutex;
                LockedFileSystem locked(*fake, mutex);
                ReadAheadFileSystem ahead(
                    locked, mode.readers, [&] { return std::make_unique<LockedFileSystem>(*fake, mutex); },
                    mode.limits);
                EXPECT_EQ(Scan(ahead, "/t", options), expected)
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
                return Scan(disk, tree.root(), Options{}, prepare);
            ReadAheadFileSystem ahead(disk, 2, [] { return std::make_unique<PosixFileSystem>(); });
            return Scan(ahead, tree.root(), Options{}, prepare);
        };
        const Outcome expected = run(false);
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
