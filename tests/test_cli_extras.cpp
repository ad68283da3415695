// SPDX-License-Identifier: GPL-3.0-or-later
// vacantix-cli's options for real clean-ups on real trees: litter files and
// a minimum age.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <fcntl.h>
#include <sys/stat.h>
#include <ctime>

#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixRemover.h"
#include "results/Deletion.h"
#include "scan/FinalPass.h"
#include "settings/Settings.h"
#include "support/CliProcess.h"
#include "support/OutputLines.h"
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
    const std::vector<std::string> lines = test::OutputLines(text);
    return {lines.begin(), lines.end()};
}

// The engine as the command line binds it for deletion, with the given
// extras; the trash refuses everything, so only direct removal deletes.
struct FreshLook {
    explicit FreshLook(ScanExtras extrasGiven, bool direct) : extras(std::move(extrasGiven))
    {
        settings.setExtras(&extras);
        settings.write(kCombo1, direct ? "1" : "0");
    }
    bool holdsContent(const std::string& path) { return HoldsContent(files, settings, path, still); }
    FolderDeletion remove(const std::string& path) { return DeleteToRecycleBin(context, path); }

    struct NoTrash final : Trash {
        FsResult<Done> moveToTrash(const std::string&) override { return FsFailure{FsError::Other, "no"}; }
    };
    ScanExtras extras;
    PosixFileSystem files;
    MemorySettingsStore store;
    Settings settings{store};
    ScanHooks still;
    PosixRemover remover;
    NoTrash trash;
    DeletionContext context{files, settings, trash, remover, [this](const std::string& p) { return holdsContent(p); }};
};

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
        ScanExtras extras;
        extras.junkNames = ScanExtras::defaultJunkNames();
        FreshLook look(extras, true);
        const std::string folder = tree.path("folder");
        ASSERT_FALSE(look.holdsContent(folder));
        c.change(folder);
        const FolderDeletion result = look.remove(folder);
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

// Sets a folder's modification time to `ago` before now.
void Age(const std::string& path, std::chrono::seconds ago)
{
    const timespec when{std::time(nullptr) - static_cast<std::time_t>(ago.count()), 0};
    const timespec times[2]{when, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

using std::chrono::hours;

TEST(CliMinAge, AFolderChangedRecentlyKeepsItselfAndEveryFolderAbove)
{
    const test::TempTree tree("old/\nfresh/\ntwoHours/\ntop/mid/young/\ntop/mid/quiet/");
    // Deepest first: ageing a folder does not touch its parent.
    for (const char* folder : {"old", "top/mid/quiet", "top/mid", "top"})
        Age(tree.path(folder), hours(24 * 10));
    Age(tree.path("twoHours"), hours(2));
    Age(tree.path("top/mid/young"), std::chrono::minutes(5));
    Age(tree.path("fresh"), std::chrono::seconds(0));

    struct Case {
        std::vector<std::string> options;
        std::set<std::string> found;
    };
    const std::vector<Case> cases{
        {{}, {"old", "fresh", "twoHours", "top", "top/mid", "top/mid/young", "top/mid/quiet"}},
        {{"--min-age", "1h"}, {"old", "twoHours", "top/mid/quiet"}},
        {{"--min-age=3h"}, {"old", "top/mid/quiet"}},
        {{"--min-age", "30d"}, {}},
    };
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

    const CliOutcome bad = RunCli({"--min-age", "7", tree.root()});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("--min-age takes a number and a unit"), std::string::npos) << bad.err;
}

TEST(CliMinAge, DurationsNeedANumberAndAUnit)
{
    const std::vector<std::pair<std::string, std::optional<long>>> cases{
        {"90s", 90}, {"30m", 1800}, {"12h", 43200}, {"7d", 604800}, {"0s", 0},
        {"", {}}, {"7", {}}, {"d", {}}, {"-1d", {}}, {"1w", {}}, {"1.5h", {}}, {"99999999999d", {}},
    };
    for (const auto& [text, seconds] : cases) {
        const auto parsed = ParseDuration(text);
        EXPECT_EQ(parsed ? std::optional<long>(parsed->count()) : std::nullopt, seconds) << text;
    }
}

// What the run took out of a folder itself does not make the folder young:
// a subfolder listed first (from a root of its own) goes, then its parents.
TEST(CliMinAge, TheRunsOwnChangesDoNotCount)
{
    for (const char* how : {"--trash", "--delete"}) {
        const test::TempTree tree("a/b/c/");
        for (const char* folder : {"a/b/c", "a/b", "a"})
            Age(tree.path(folder), hours(48));
        const CliOutcome run = RunCli({"--min-age", "1d", how, tree.path("a/b"), tree.root()});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find("0 kept, 0 failed"), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(tree.path("a")));
    }
}

// The fresh look before deletion applies the age again: a folder found old
// that something wrote in since (a file made and gone again) stays.
TEST(CliMinAge, AFolderChangedSinceTheScanIsKept)
{
    for (const bool direct : {false, true}) {
        SCOPED_TRACE(direct ? "delete" : "trash");
        const test::TempTree tree("build/obj/");
        Age(tree.path("build/obj"), hours(48));
        Age(tree.path("build"), hours(48));
        ScanExtras extras;
        extras.minAge = hours(1);
        FreshLook look(extras, direct);
        const std::string folder = tree.path("build");
        ASSERT_FALSE(look.holdsContent(folder));
        std::ofstream(tree.path("build/obj/part.o.tmp")) << "x";
        fs::remove(tree.path("build/obj/part.o.tmp"));
        const FolderDeletion result = look.remove(folder);
        EXPECT_EQ(result.outcome, DeletionOutcome::Kept) << result.reason;
        EXPECT_NE(result.reason.find("changed too recently"), std::string::npos) << result.reason;
        EXPECT_TRUE(fs::exists(tree.path("build/obj")));
    }
}

} // namespace
