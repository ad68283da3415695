// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever a scan reports and a deletion then does, no file is lost: every
// file that existed is still in its place or in the trash, and the only
// files that may leave their place are zero-byte files below a reported
// folder while "Check1" is 1.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <algorithm>
#include <atomic>
#include <map>
#include <optional>
#include <memory>
#include <random>
#include <thread>

#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/ErrorReport.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixRemover.h"
#include "platform/gio/GioTrash.h"
#include "results/Deletion.h"
#include "roots/FolderList.h"
#include "scan/FinalPass.h"
#include "scan/ScanRun.h"
#include "support/CliProcess.h"
#include "support/OutputLines.h"
#include "support/PrivateHome.h"
#include "support/ScopedVariable.h"
#include "support/ScriptedPrompter.h"
#include "support/SlowFileSystem.h"
#include "support/TempTree.h"
#include "support/TmpfsMount.h"
#include "support/TrashListing.h"

using namespace vacantix;
using namespace vacantix::test;
namespace fs = std::filesystem;

namespace {

struct Entry {
    fs::file_type type;
    std::uintmax_t size;
    bool operator==(const Entry&) const = default;
};

// Trees below this depth are chains of folders planted beyond the path
// limit; they hold no file and are looked at by their own checks.
constexpr int kDepthLooked = 40;

// Every entry below `root` that is not a folder (with `folders`, every
// entry), with its kind and size.
std::map<std::string, Entry> filesBelow(const fs::path& root, bool folders = false)
{
    std::map<std::string, Entry> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (it.depth() >= kDepthLooked)
            it.disable_recursion_pending();
        const fs::file_status status = it->symlink_status();
        if (status.type() == fs::file_type::directory && !folders)
            continue;
        files[it->path().string()] = {status.type(),
                                      status.type() == fs::file_type::regular ? it->file_size() : 0};
    }
    return files;
}

// Entries as lines "path kind size", to compare with a readable diff.
std::vector<std::string> described(const std::map<std::string, Entry>& entries)
{
    std::vector<std::string> lines;
    for (const auto& [path, entry] : entries)
        lines.push_back(path + " " + std::to_string(int(entry.type)) + " " + std::to_string(entry.size));
    return lines;
}

std::vector<std::string> foldersBelow(const fs::path& root)
{
    std::vector<std::string> folders;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (it.depth() >= kDepthLooked)
            it.disable_recursion_pending();
        if (it->symlink_status().type() == fs::file_type::directory)
            folders.push_back(it->path().string());
    }
    return folders;
}

// A random tree: nested folders, some holding files of random sizes (many of
// 0 bytes), links, and hidden folders.
void growTree(const fs::path& folder, std::mt19937& random, int depth)
{
    fs::create_directories(folder);
    std::uniform_int_distribution<int> percent(0, 99);
    const int files = percent(random) < 55 ? 0 : percent(random) % 3 + 1;
    for (int i = 0; i < files; ++i) {
        const fs::path file = folder / ("f" + std::to_string(i));
        const int kind = percent(random);
        if (kind < 50) {
            std::ofstream(file, std::ios::binary); // 0 bytes
        } else if (kind < 90) {
            std::ofstream(file, std::ios::binary) << std::string(std::size_t(percent(random)) + 1, 'x');
        } else {
            fs::create_symlink("nowhere", file);
        }
    }
    if (depth == 0)
        return;
    const int children = percent(random) % 4;
    for (int i = 0; i < children; ++i) {
        const std::string name = (percent(random) < 10 ? ".d" : "d") + std::to_string(i);
        growTree(folder / name, random, depth - 1);
    }
}

bool below(const std::string& path, const std::string& folder)
{
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

// A second thread that changes a tree while a deletion runs, as another
// program could, until it is stopped: again and again it renames a random
// folder aside and back, or swaps it for a link to the same place in a copy
// of the tree outside the root and back. What it could not put back (the
// folder holding it went meanwhile) it notes, with the name it has now.
class Racer {
public:
    Racer(const fs::path& root, const fs::path& elsewhere, std::vector<std::string> folders, int seed)
        : root_(root.string()), elsewhere_(elsewhere.string()), folders_(std::move(folders)),
          thread_([this, seed] { run(seed); })
    {
    }
    ~Racer() { stop(); }

    void stop()
    {
        stopping_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    // Folders it could not put back: their path, and the path they have now.
    [[nodiscard]] const std::vector<std::pair<std::string, std::string>>& stranded() const { return stranded_; }

private:
    void run(int seed)
    {
        std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
        while (!stopping_ && !folders_.empty()) {
            const std::string& folder = folders_[random() % folders_.size()];
            const std::string aside = folder + ".racer";
            if (::rename(folder.c_str(), aside.c_str()) != 0)
                continue;
            const std::string target = elsewhere_ + folder.substr(root_.size());
            const bool link = random() % 2 == 0 && ::symlink(target.c_str(), folder.c_str()) == 0;
            for (unsigned spin = random() % 200; spin > 0; --spin)
                std::this_thread::yield();
            if (link)
                ::unlink(folder.c_str());
            if (::rename(aside.c_str(), folder.c_str()) != 0)
                stranded_.emplace_back(folder, aside);
        }
    }

    std::string root_;
    std::string elsewhere_;
    std::vector<std::string> folders_;
    std::atomic<bool> stopping_{false};
    std::vector<std::pair<std::string, std::string>> stranded_;
    std::thread thread_;
};

// What one rule adds to the random trees: what it plants in a tree (it
// answers the entries of the ignore list to use, none for the default),
// the root as the user names it, and what must hold once the scan and the
// deletion are over.
struct Variation {
    std::string name;
    std::function<std::vector<std::string>(const fs::path& root, std::mt19937& random)> plant;
    std::function<std::string(const fs::path& root)> spell;
    std::function<void(const fs::path& root, const std::vector<std::string>& reported)> check;
    std::function<void(const fs::path& root)> tidy; // once every check is made
    bool racing = false; // a Racer changes the tree while the deletion runs
};

std::size_t scanAndDelete(int seed, bool zeroByteFilesEmpty, bool directly, bool viaCommandLine = false,
                          const Variation& variation = {})
{
    SCOPED_TRACE("seed " + std::to_string(seed) + (zeroByteFilesEmpty ? ", Check1 on" : ", Check1 off") +
                 (directly ? ", directly" : ", trash") + (viaCommandLine ? ", vacantix-cli" : "") + ", " +
                 variation.name);
    std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
    const fs::path root = fs::path(privateHome()) / ("safety" + std::to_string(seed) + (directly ? "d" : "t") +
                                                     (zeroByteFilesEmpty ? "1" : "0") + (viaCommandLine ? "c" : "") +
                                                     variation.name);
    growTree(root, random, 5);
    const std::vector<std::string> ignoreList = variation.plant ? variation.plant(root, random)
                                                                : std::vector<std::string>{};
    const std::string spelled = variation.spell ? variation.spell(root) : root.string();
    const std::map<std::string, Entry> before = filesBelow(root);
    const std::vector<std::string> foldersBefore = foldersBelow(root);

    std::vector<std::string> reported;
    std::string grown;
    std::size_t sent = 0;
    const fs::path elsewhere = root.string() + ".elsewhere"; // outside the root, for a racer's links
    std::map<std::string, Entry> outside;
    std::vector<std::pair<std::string, std::string>> stranded;
    fs::path trash = PrivateTrash();
    if (viaCommandLine) {
        // A fresh account: a home without .local/share, no XDG_DATA_HOME.
        const fs::path home = root.string() + ".home";
        fs::create_directory(home);
        trash = home / ".local/share/Trash";
        ScopedVariable homeVariable("HOME", home.string());
        ScopedVariable dataVariable("XDG_DATA_HOME", std::nullopt);
        std::vector<std::string> args{directly ? "--delete" : "--trash", "--zero-byte-empty",
                                      zeroByteFilesEmpty ? "1" : "0"};
        for (const std::string& entry : ignoreList)
            args.insert(args.end(), {"--ignore", entry});
        args.push_back(spelled);
        const test::CliOutcome run = RunCli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        for (std::string& line : test::OutputLines(run.out))
            reported.push_back(std::move(line));
        sent = reported.size();
    } else {
        PosixFileSystem files;
        MemorySettingsStore store;
        Settings settings(store);
        store.set("Check1", zeroByteFilesEmpty ? "1" : "0");
        store.set("Combo1", directly ? "1" : "0");
        if (!ignoreList.empty()) {
            std::string text1;
            for (const std::string& entry : ignoreList)
                text1 += (text1.empty() ? "" : "\r\n") + entry;
            store.set("Text1", text1);
        }
        MemoryFolderList roots;
        roots.append(spelled + "/");
        MemoryResultsList results;
        ScanHooks hooks;
        ScriptedPrompter prompter;
        ScanEnvironment env{files, settings, roots, results, hooks, prompter};
        Trap scanTrap(prompter, "in Vacantix2021/08/31.Form1.PushButton4_Click ");
        (void)RunScan(env, scanTrap);
        reported = results.texts();

        // Content arrives in a reported folder after the scan.
        if (!reported.empty()) {
            grown = reported[std::size_t(seed) % reported.size()] + "/arrived";
            std::ofstream(grown, std::ios::binary) << "new";
        }

        GioTrash trash;
        PosixRemover remover;
        ScanHooks still;
        // While racing, each listing takes a little longer, so that the
        // racer's changes fall between the deletion's steps.
        SlowFileSystem deleting(files, std::chrono::microseconds(variation.racing ? 300 : 0));
        DeletionContext context{deleting, settings, trash, remover,
                                [&](const std::string& path) { return HoldsContent(deleting, settings, path, still); }};
        context.roots = roots.entries();
        Trap trap(prompter, kSendCheckedPath);
        std::optional<Racer> racer;
        if (variation.racing) {
            fs::copy(root, elsewhere, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
            outside = filesBelow(elsewhere, true);
            racer.emplace(root, elsewhere, foldersBefore, seed);
        }
        const DeletionSummary summary = DeleteCheckedEntries(results, context, trap);
        if (racer) {
            racer->stop();
            stranded = racer->stranded();
        }
        EXPECT_TRUE(prompter.errorReports().empty());
        if (!variation.racing) {
            EXPECT_EQ(summary.count(DeletionOutcome::Failed), 0u);
        }
        sent = summary.count(DeletionOutcome::Sent);
    }
    // The folders reported, named by the path they have on the disk.
    for (std::string& folder : reported) {
        EXPECT_TRUE(folder.starts_with(spelled + "/")) << folder;
        folder = root.string() + folder.substr(spelled.size());
    }
    if (!grown.empty())
        grown = root.string() + grown.substr(spelled.size());
    if (variation.check)
        variation.check(root, reported);

    const TrashListing inTrash = ReadTrash(trash);
    auto trashedCopy = [&](const std::string& path) -> std::optional<fs::path> {
        for (const auto& [trashedFrom, copy] : inTrash.byOrigin) {
            std::string original = trashedFrom;
            if (original.starts_with(spelled + "/"))
                original = root.string() + original.substr(spelled.size());
            if (!below(path, original))
                continue;
            // A folder the racer could not put back went along as it had renamed it.
            for (const auto& [from, now] : stranded) {
                if (below(path, from) && below(now, original) && fs::exists(copy / now.substr(original.size() + 1)))
                    return copy / (now + path.substr(from.size())).substr(original.size() + 1);
            }
            return copy / path.substr(original.size() + 1);
        }
        return std::nullopt;
    };
    if (variation.racing) {
        const std::vector<std::string> now = described(filesBelow(elsewhere, true));
        const std::vector<std::string> then = described(outside);
        std::vector<std::string> gone, added;
        std::set_difference(then.begin(), then.end(), now.begin(), now.end(), std::back_inserter(gone));
        std::set_difference(now.begin(), now.end(), then.begin(), then.end(), std::back_inserter(added));
        EXPECT_TRUE(gone.empty() && added.empty()) << "the racer's links led the deletion outside the root: "
                                                   << ::testing::PrintToString(gone) << " went, "
                                                   << ::testing::PrintToString(added) << " came";
    }

    std::map<std::string, Entry> expected = before;
    if (!grown.empty())
        expected[grown] = {fs::file_type::regular, 3};
    for (const auto& [path, entry] : expected) {
        std::error_code error;
        const fs::file_status now = fs::symlink_status(path, error);
        if (now.type() == entry.type && (entry.type != fs::file_type::regular || fs::file_size(path) == entry.size))
            continue;
        SCOPED_TRACE(path);
        EXPECT_TRUE(zeroByteFilesEmpty && entry.type == fs::file_type::regular && entry.size == 0);
        EXPECT_TRUE(std::any_of(reported.begin(), reported.end(), [&, &path = path](const std::string& folder) {
            return below(path, folder);
        }));
        if (!directly) {
            const std::optional<fs::path> copy = trashedCopy(path);
            EXPECT_TRUE(copy && fs::is_regular_file(*copy));
        }
    }
    // Folders leave only as reported folders or inside one.
    for (const std::string& folder : foldersBefore) {
        if (fs::exists(folder))
            continue;
        EXPECT_TRUE(std::any_of(reported.begin(), reported.end(), [&](const std::string& top) {
            return folder == top || below(folder, top);
        })) << folder;
    }
    if (variation.tidy)
        variation.tidy(root);
    return sent;
}

TEST(DataSafety, RandomTreesLoseNoFileToTheTrash)
{
    std::size_t sent = 0;
    for (int seed = 1; seed <= 12; ++seed)
        sent += scanAndDelete(seed, true, false) + scanAndDelete(seed, false, false);
    EXPECT_GT(sent, 0u);
}

// Another program swaps folders for links to a copy of the tree outside
// the root, and renames them, while the deletion runs: no file is lost,
// each folder in the trash has a record naming its place, and nothing
// outside the root changes.
TEST(DataSafety, RandomTreesLoseNoFileWhileAnotherProgramSwapsFoldersForLinks)
{
    Variation racing;
    racing.name = "racing";
    racing.racing = true;
    std::size_t gone = 0;
    for (int seed = 1; seed <= 10; ++seed)
        gone += scanAndDelete(seed, true, false, false, racing) + scanAndDelete(seed, true, true, false, racing);
    EXPECT_GT(gone, 0u);
}

TEST(DataSafety, RandomTreesLoseNoFileWhenDeletingDirectly)
{
    std::size_t removed = 0;
    for (int seed = 1; seed <= 12; ++seed)
        removed += scanAndDelete(seed, true, true) + scanAndDelete(seed, false, true);
    EXPECT_GT(removed, 0u);
}

// Empty folders on the ignore list, by name and by whole path (their real
// paths, while the root is named through a link), planted in the random
// trees: each stays, and so does every folder that holds one.
Variation IgnoredFoldersStay()
{
    auto planted = std::make_shared<std::vector<fs::path>>();
    Variation variation;
    variation.name = "ignored";
    variation.plant = [planted](const fs::path& root, std::mt19937& random) {
        planted->clear();
        const std::vector<std::string> folders = foldersBelow(root);
        std::vector<std::string> ignoreList{"RECYCLER"};
        for (int i = 0; i < 4 && !folders.empty(); ++i) {
            const fs::path parent = folders[random() % folders.size()];
            const fs::path folder = parent / (i % 2 ? "RECYCLER" : "kept" + std::to_string(i));
            fs::create_directories(folder);
            planted->push_back(folder);
            if (i % 2 == 0)
                ignoreList.push_back(folder.string());
        }
        fs::create_directory_symlink(root, root.string() + "-link");
        return ignoreList;
    };
    variation.spell = [](const fs::path& root) { return root.string() + "-link"; };
    variation.check = [planted](const fs::path& root, const std::vector<std::string>& reported) {
        for (const fs::path& folder : *planted) {
            EXPECT_TRUE(fs::is_directory(folder)) << folder;
            for (fs::path above = folder; above != root; above = above.parent_path())
                EXPECT_EQ(std::count(reported.begin(), reported.end(), above.string()), 0) << above;
        }
    };
    return variation;
}

// A folder holding a zero-byte file and a chain of folders too deep to add
// up: it stays with all it holds, and the folders beside it are still
// searched and deleted.
Variation TooDeepToSize()
{
    Variation variation;
    variation.name = "deep";
    variation.plant = [](const fs::path& root, std::mt19937&) {
        fs::create_directories(root / "deep");
        std::ofstream(root / "deep" / "zero", std::ios::binary);
        for (int i = 0; i < 8; ++i) // some of them listed after it
            fs::create_directories(root / ("late" + std::to_string(i)));
        int fd = ::open((root / "deep").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int level = 0; fd >= 0 && level < PATH_MAX / 2 + 10; ++level) {
            const int child = ::mkdirat(fd, "d", 0755) == 0 ? ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
            ::close(fd);
            fd = child;
        }
        if (fd >= 0)
            ::close(fd);
        return std::vector<std::string>{};
    };
    variation.check = [](const fs::path& root, const std::vector<std::string>& reported) {
        EXPECT_TRUE(fs::is_regular_file(root / "deep" / "zero"));
        EXPECT_TRUE(fs::is_directory(root / "deep" / "d" / "d" / "d"));
        for (int i = 0; i < 8; ++i) {
            const std::string late = (root / ("late" + std::to_string(i))).string();
            EXPECT_EQ(std::count(reported.begin(), reported.end(), late), 1) << late;
        }
    };
    variation.tidy = [](const fs::path& root) {
        // The chain goes where a removal of any depth takes it along.
        TempTree bin;
        fs::rename(root / "deep" / "d", bin.path("d"));
    };
    return variation;
}

// A small file system mounted on an empty folder of the tree, with a
// lost+found at its top: neither it, nor anything around it, goes.
Variation MountedFolderStays(std::vector<std::unique_ptr<TmpfsMount>>& mounts)
{
    Variation variation;
    variation.name = "mounted";
    variation.plant = [&mounts](const fs::path& root, std::mt19937& random) {
        const std::vector<std::string> folders = foldersBelow(root);
        const fs::path point = fs::path(folders.empty() ? root.string() : folders[random() % folders.size()]) / "mnt";
        fs::create_directories(point);
        mounts.push_back(std::make_unique<TmpfsMount>(point.string()));
        if (mounts.back()->mounted())
            fs::create_directories(point / "lost+found");
        return std::vector<std::string>{};
    };
    variation.check = [&mounts](const fs::path& root, const std::vector<std::string>& reported) {
        (void)root;
        // The mount is the last one planted; an unmounted folder is only a folder.
        ASSERT_FALSE(mounts.empty());
        if (!mounts.back()->mounted())
            return;
        const fs::path point = mounts.back()->folder();
        struct stat inside {};
        struct stat outside {};
        ASSERT_EQ(::stat(point.c_str(), &inside), 0);
        ASSERT_EQ(::stat(point.parent_path().c_str(), &outside), 0);
        EXPECT_NE(inside.st_dev, outside.st_dev);
        EXPECT_TRUE(fs::is_directory(point / "lost+found"));
        for (fs::path above = point; above != root; above = above.parent_path())
            EXPECT_EQ(std::count(reported.begin(), reported.end(), above.string()), 0) << above;
    };
    return variation;
}

TEST(DataSafety, FoldersOnTheIgnoreListStayWithEveryFolderAroundThem)
{
    const Variation ignored = IgnoredFoldersStay();
    for (int seed = 1; seed <= 6; ++seed) {
        scanAndDelete(seed, true, false, false, ignored);
        scanAndDelete(seed, false, true, false, ignored);
    }
    scanAndDelete(7, true, true, true, ignored);
}

TEST(DataSafety, ATreeTooDeepToSizeStaysAndItsSiblingsAreSearched)
{
    const Variation deep = TooDeepToSize();
    scanAndDelete(1, true, false, false, deep);
    scanAndDelete(2, true, true, false, deep);
}

TEST(DataSafety, MountedFoldersAndTheirLostAndFoundStay)
{
    std::vector<std::unique_ptr<TmpfsMount>> mounts;
    const Variation mounted = MountedFolderStays(mounts);
    scanAndDelete(1, true, false, false, mounted);
    if (!mounts.back()->mounted())
        GTEST_SKIP() << mounts.back()->why();
    for (int seed = 2; seed <= 4; ++seed)
        scanAndDelete(seed, seed % 2 == 0, seed % 2 == 1, false, mounted);
    scanAndDelete(5, true, false, true, mounted);
    scanAndDelete(6, true, true, true, mounted);
}

TEST(DataSafety, RandomTreesLoseNoFileThroughTheCommandLine)
{
    std::size_t found = 0;
    for (int seed = 1; seed <= 6; ++seed)
        found += scanAndDelete(seed, true, false, true) + scanAndDelete(seed, false, true, true);
    EXPECT_GT(found, 0u);
}

} // namespace
