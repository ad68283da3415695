// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever a scan reports and a deletion then does, no file is lost: every
// file that existed is still in its place or in the trash, and the only
// files that may leave their place are zero-byte files below a reported
// folder while "Check1" is 1.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <map>
#include <optional>
#include <random>

#include "base/ErrorReport.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixRemover.h"
#include "platform/gio/GioTrash.h"
#include "results/Deletion.h"
#include "roots/FolderList.h"
#include "scan/FinalPass.h"
#include "scan/ScanRun.h"
#include "support/CliProcess.h"
#include "support/PrivateHome.h"
#include "support/ScopedVariable.h"
#include "support/ScriptedPrompter.h"

using namespace vacantix;
using namespace vacantix::test;
namespace fs = std::filesystem;

namespace {

struct Entry {
    fs::file_type type;
    std::uintmax_t size;
};

// Every entry below `root` that is not a folder, with its kind and size.
std::map<std::string, Entry> filesBelow(const fs::path& root)
{
    std::map<std::string, Entry> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const fs::file_status status = it->symlink_status();
        if (status.type() == fs::file_type::directory)
            continue;
        files[it->path().string()] = {status.type(),
                                      status.type() == fs::file_type::regular ? it->file_size() : 0};
    }
    return files;
}

std::vector<std::string> foldersBelow(const fs::path& root)
{
    std::vector<std::string> folders;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        if (it->symlink_status().type() == fs::file_type::directory)
            folders.push_back(it->path().string());
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

// The original path of each folder in the trash, from its .trashinfo file.
std::map<std::string, fs::path> trashedFolders(const fs::path& trash)
{
    std::map<std::string, fs::path> originals;
    if (!fs::exists(trash / "info"))
        return originals;
    for (const auto& info : fs::directory_iterator(trash / "info")) {
        std::ifstream in(info.path());
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("Path=", 0) != 0)
                continue;
            std::string decoded;
            for (std::size_t i = 5; i < line.size(); ++i) {
                if (line[i] == '%' && i + 2 < line.size()) {
                    decoded += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
                    i += 2;
                } else {
                    decoded += line[i];
                }
            }
            originals[decoded] = trash / "files" / info.path().stem();
        }
    }
    return originals;
}

bool below(const std::string& path, const std::string& folder)
{
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

std::size_t scanAndDelete(int seed, bool zeroByteFilesEmpty, bool directly, bool viaCommandLine = false)
{
    SCOPED_TRACE("seed " + std::to_string(seed) + (zeroByteFilesEmpty ? ", Check1 on" : ", Check1 off") +
                 (directly ? ", directly" : ", trash") + (viaCommandLine ? ", vacantix-cli" : ""));
    std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
    const fs::path root = fs::path(privateHome()) / ("safety" + std::to_string(seed) + (directly ? "d" : "t") +
                                                     (zeroByteFilesEmpty ? "1" : "0") + (viaCommandLine ? "c" : ""));
    growTree(root, random, 5);
    const std::map<std::string, Entry> before = filesBelow(root);
    const std::vector<std::string> foldersBefore = foldersBelow(root);

    std::vector<std::string> reported;
    std::string grown;
    std::size_t sent = 0;
    fs::path trash = PrivateTrash();
    if (viaCommandLine) {
        // A fresh account: a home without .local/share, no XDG_DATA_HOME.
        const fs::path home = root.string() + ".home";
        fs::create_directory(home);
        trash = home / ".local/share/Trash";
        ScopedVariable homeVariable("HOME", home.string());
        ScopedVariable dataVariable("XDG_DATA_HOME", std::nullopt);
        const test::CliOutcome run = RunCli({directly ? "--delete" : "--trash", "--zero-byte-empty",
                                             zeroByteFilesEmpty ? "1" : "0", root.string()});
        EXPECT_EQ(run.status, 0) << run.err;
        for (std::size_t start = 0, end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1)
            reported.push_back(run.out.substr(start, end - start));
        sent = reported.size();
    } else {
        PosixFileSystem files;
        MemorySettingsStore store;
        Settings settings(store);
        store.set("Check1", zeroByteFilesEmpty ? "1" : "0");
        store.set("Combo1", directly ? "1" : "0");
        MemoryFolderList roots;
        roots.append(root.string() + "/");
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
        DeletionContext context{files, settings, trash, remover,
                                [&](const std::string& path) { return HoldsContent(files, settings, path, still); }};
        Trap trap(prompter, kSendCheckedPath);
        const DeletionSummary summary = DeleteCheckedEntries(results, context, trap);
        EXPECT_TRUE(prompter.errorReports().empty());
        EXPECT_EQ(summary.count(DeletionOutcome::Failed), 0u);
        sent = summary.count(DeletionOutcome::Sent);
    }

    const std::map<std::string, fs::path> inTrash = trashedFolders(trash);
    auto trashedCopy = [&](const std::string& path) -> std::optional<fs::path> {
        for (const auto& [original, copy] : inTrash)
            if (below(path, original))
                return copy / path.substr(original.size() + 1);
        return std::nullopt;
    };

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
    return sent;
}

TEST(DataSafety, RandomTreesLoseNoFileToTheTrash)
{
    std::size_t sent = 0;
    for (int seed = 1; seed <= 12; ++seed)
        sent += scanAndDelete(seed, true, false) + scanAndDelete(seed, false, false);
    EXPECT_GT(sent, 0u);
}

TEST(DataSafety, RandomTreesLoseNoFileWhenDeletingDirectly)
{
    std::size_t removed = 0;
    for (int seed = 1; seed <= 12; ++seed)
        removed += scanAndDelete(seed, true, true) + scanAndDelete(seed, false, true);
    EXPECT_GT(removed, 0u);
}

TEST(DataSafety, RandomTreesLoseNoFileThroughTheCommandLine)
{
    std::size_t found = 0;
    for (int seed = 1; seed <= 6; ++seed)
        found += scanAndDelete(seed, true, false, true) + scanAndDelete(seed, false, true, true);
    EXPECT_GT(found, 0u);
}

} // namespace
