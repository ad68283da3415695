// SPDX-License-Identifier: GPL-3.0-or-later
// vacantix-cli's options for real clean-ups on real trees: litter files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixRemover.h"
#include "results/Deletion.h"
#include "scan/FinalPass.h"
#include "settings/Settings.h"
#include "support/CliProcess.h"
#include "support/TempTree.h"

using namespace vacantix;
using vacantix::test::CliOutcome;
using vacantix::test::RunCli;
namespace fs = std::filesystem;

namespace {

// Folders holding operating-system litter, beside real content. "stub/._"
// is no AppleDouble file (it names no companion), so it is content.
constexpr std::string_view kLitter = "photos/2019/.DS_Store:6148\nphotos/2019/Thumbs.db:20\nmusic/._song.mp3:4096\n"
                                     "conf/DESKTOP.INI\nkde/.directory\nmixed/.DS_Store\nmixed/notes.txt\n"
                                     "stub/._\nzero/a.txt:0";

std::set<std::string> Lines(const std::string& text)
{
    std::set<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.insert(line);
    return lines;
}

TEST(CliJunk, LitterCountsAsNothingOnlyWhenNamed)
{
    struct Case {
        std::vector<std::string> options;
        std::set<std::string> found; // below the tree's root
    };
    const std::vector<Case> cases{
        {{}, {"zero"}},
        {{"--junk-default"}, {"photos", "photos/2019", "music", "conf", "kde", "zero"}},
        {{"--junk", "thumbs.db", "--junk", ".ds_store"}, {"photos", "photos/2019", "zero"}},
        {{"--junk", "._*"}, {"music", "zero"}},
    };
    const test::TempTree tree(kLitter);
    // A link named like litter is no regular file: it stays content.
    fs::create_directory(tree.path("link"));
    fs::create_symlink("/nonexistent", tree.path("link/Thumbs.db"));
    for (const Case& c : cases) {
        std::vector<std::string> args = c.options;
        args.push_back(tree.root());
        SCOPED_TRACE(args.front());
        const CliOutcome run = RunCli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        std::set<std::string> expected;
        for (const std::string& relative : c.found)
            expected.insert(tree.path(relative));
        EXPECT_EQ(Lines(run.out), expected);
    }
}

TEST(CliJunk, DeleteRemovesLitterOnlyWhenNamed)
{
    const test::TempTree tree(kLitter);
    CliOutcome run = RunCli({"--delete", tree.root()});
    EXPECT_TRUE(fs::exists(tree.path("photos/2019/.DS_Store")));
    EXPECT_TRUE(fs::exists(tree.path("music/._song.mp3")));

    run = RunCli({"--delete", "--junk-default", tree.root()});
    EXPECT_EQ(run.status, 1) << run.err; // the zero-byte file was not asked for
    for (const char* gone : {"photos", "music", "conf", "kde"})
        EXPECT_FALSE(fs::exists(tree.path(gone))) << gone;
    for (const char* kept : {"mixed/.DS_Store", "mixed/notes.txt", "stub/._", "zero/a.txt"})
        EXPECT_TRUE(fs::exists(tree.path(kept))) << kept;
}

// The fresh look before deletion judges litter again: a folder whose litter
// turned into something else by then is kept, whatever the scan saw.
TEST(CliJunk, LitterThatChangedBeforeDeletionKeepsItsFolder)
{
    struct Case {
        std::string name;
        std::function<void(const fs::path&)> change; // done to the folder holding .DS_Store
        bool deleted;
    };
    const std::vector<Case> cases{
        {"unchanged", [](const fs::path&) {}, true},
        {"grew", [](const fs::path& f) { std::ofstream(f / ".DS_Store", std::ios::app) << "more"; }, true},
        {"renamed", [](const fs::path& f) { fs::rename(f / ".DS_Store", f / "DS_Store.txt"); }, false},
        {"joined", [](const fs::path& f) { std::ofstream(f / "report.pdf") << "%PDF"; }, false},
        {"linked",
         [](const fs::path& f) {
             fs::remove(f / ".DS_Store");
             fs::create_symlink("/etc/hostname", f / ".DS_Store");
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const test::TempTree tree("folder/.DS_Store:6148\nfolder/deeper/Thumbs.db:3");
        PosixFileSystem files;
        MemorySettingsStore store;
        Settings settings(store);
        ScanExtras extras{ScanExtras::defaultJunkNames()};
        settings.setExtras(&extras);
        settings.write(kCombo1, "1");
        ScanHooks still;
        PosixRemover remover;
        struct NoTrash final : Trash {
            FsResult<Done> moveToTrash(const std::string&) override { return FsFailure{FsError::Other, "no"}; }
        } trash;
        DeletionContext context{files, settings, trash, remover,
                                [&](const std::string& path) { return HoldsContent(files, settings, path, still); }};

        const std::string folder = tree.path("folder");
        ASSERT_FALSE(HoldsContent(files, settings, folder, still));
        c.change(folder);
        const FolderDeletion result = DeleteToRecycleBin(context, folder);
        EXPECT_EQ(result.outcome == DeletionOutcome::Sent, c.deleted) << result.reason;
        EXPECT_EQ(!fs::exists(folder), c.deleted);
    }
}

// Litter goes through the same checked removal as a zero-byte file, minus
// the size: never a link or a folder, never a file swapped in meanwhile.
TEST(CliJunk, LitterRemovalTakesOnlyTheFileItLookedAt)
{
    const test::TempTree tree("Thumbs.db:9\nsub/\nswapped:5");
    fs::create_symlink(tree.path("Thumbs.db"), tree.path("link"));
    PosixRemover plain;
    EXPECT_FALSE(plain.removeJunkFile(tree.path("link")));
    EXPECT_FALSE(plain.removeJunkFile(tree.path("sub")));
    EXPECT_TRUE(plain.removeJunkFile(tree.path("Thumbs.db")));
    EXPECT_FALSE(fs::exists(tree.path("Thumbs.db")));

    PosixRemover swapping([&](const std::string& path) {
        std::ofstream(path + ".new") << "fresh";
        fs::rename(path + ".new", path);
    });
    EXPECT_FALSE(swapping.removeJunkFile(tree.path("swapped")));
    EXPECT_EQ(test::ReadWholeFile(tree.path("swapped")), "fresh");
    EXPECT_EQ(std::distance(fs::directory_iterator(tree.root()), fs::directory_iterator()), 3);
}

} // namespace
