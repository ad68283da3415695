// SPDX-License-Identifier: GPL-3.0-or-later
// The trash on real file systems: a fresh account's missing trash, odd and
// overlong names, links, and (as root) other, read-only and full file
// systems mounted for the test. Every case looks at the disk afterwards:
// each folder is in its place or in a trash with a record naming its place,
// and nothing appears in the current folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <iostream>
#include <functional>
#include <optional>
#include <unistd.h>

#include "platform/gio/GioTrash.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixRemover.h"
#include "results/Deletion.h"
#include "scan/FinalPass.h"
#include "settings/Settings.h"
#include "support/CliProcess.h"
#include "support/OutputLines.h"
#include "support/PrivateHome.h"
#include "support/ScopedCurrentFolder.h"
#include "support/ScopedVariable.h"
#include "support/TempTree.h"
#include "support/TmpfsMount.h"
#include "support/TrashListing.h"

using namespace vacantix;
using namespace vacantix::test;
namespace fs = std::filesystem;

namespace {

// The entries of the trash `trash` whose records name `original` (relative
// records are taken from `topdir`).
std::vector<fs::path> trashedAs(const fs::path& trash, const std::string& original, const std::string& topdir = {})
{
    const TrashListing listing = ReadTrash(trash, topdir);
    std::vector<fs::path> found;
    for (auto [at, end] = listing.byOrigin.equal_range(original); at != end; ++at)
        found.push_back(at->second);
    return found;
}

bool emptyFolder(const fs::path& folder)
{
    return fs::is_directory(folder) && fs::is_empty(folder);
}

// Runs the test in a fresh, empty current folder, and returns to the former
// one at its end.
struct InEmptyFolder {
    const fs::path folder = FreshFolder("cwd");
    const test::ScopedCurrentFolder inside{folder};
};

const std::vector<std::string> kOddNames = {"100%", "%41 b", "two words", "line\nbreak", "bad\xFF\xFE"};

// A fresh account sends folders of any name through vacantix-cli (GIO reads
// HOME and XDG_DATA_HOME once per process) into the trash it makes, and
// writes nothing to the current folder; with a relative XDG_DATA_HOME it
// refuses.
TEST(Trash, AFreshAccountGetsItsTrashMadeAndEveryNameRecorded)
{
    struct Account {
        const char* what;
        std::optional<std::string> dataHome; // relative to the fresh home
        bool relative = false;
    };
    for (const Account& account : {Account{"no .local/share", std::nullopt},
                                   Account{"XDG_DATA_HOME missing", "missing/data"},
                                   Account{"XDG_DATA_HOME relative", "relative/data", true}}) {
        SCOPED_TRACE(account.what);
        const fs::path home = FreshFolder("account");
        const fs::path root = FreshFolder("names");
        std::ofstream(root / "keep.txt") << "content";
        for (const std::string& name : kOddNames)
            fs::create_directory(root / name);
        std::optional<std::string> dataHome;
        if (account.dataHome)
            dataHome = account.relative ? *account.dataHome : (home / *account.dataHome).string();
        const fs::path trash = (account.dataHome && !account.relative ? home / *account.dataHome
                                                                       : home / ".local/share") / "Trash";

        InEmptyFolder cwd;
        CliOutcome run;
        {
            ScopedVariable homeVariable("HOME", home.string());
            ScopedVariable dataVariable("XDG_DATA_HOME", dataHome);
            run = RunCli({"--trash", root.string()}, {}, cwd.folder.string());
        }
        EXPECT_TRUE(emptyFolder(cwd.folder)) << run.err;
        for (const std::string& name : kOddNames) {
            SCOPED_TRACE(name);
            if (account.relative) {
                EXPECT_TRUE(fs::is_directory(root / name));
                continue;
            }
            EXPECT_FALSE(fs::exists(root / name));
            EXPECT_EQ(trashedAs(trash, (root / name).string()), std::vector<fs::path>{trash / "files" / name});
        }
        EXPECT_EQ(run.status == 0, !account.relative) << run.err;
    }
}

// "LINK/.." is the parent of LINK's target; its text alone would name the
// folder holding LINK, full of other things.
TEST(Trash, APathThroughALinkSendsTheFolderItNames)
{
    InEmptyFolder cwd;
    const fs::path base = FreshFolder("link");
    fs::create_directories(base / "real/target");
    fs::create_directories(base / "holder/other");
    fs::create_directory_symlink("../real/target", base / "holder/LINK");

    GioTrash trash;
    const auto sent = trash.moveToTrash((base / "holder/LINK/..").string());
    ASSERT_TRUE(sent) << sent.failure().detail;
    EXPECT_FALSE(fs::exists(base / "real"));
    EXPECT_TRUE(fs::is_directory(base / "holder/other"));
    EXPECT_TRUE(fs::is_symlink(base / "holder/LINK"));
    const std::vector<fs::path> trashed = trashedAs(PrivateTrash(), (base / "real").string());
    ASSERT_EQ(trashed.size(), 1u);
    EXPECT_TRUE(fs::is_directory(trashed[0] / "target"));
    EXPECT_TRUE(emptyFolder(cwd.folder));
}

// A parent swapped for a link to another tree while a folder is being sent
// (right after the deletion's fresh look, or inside the trash between its
// check and its move): the folder at the path now is not the one checked.
// Nothing of the other tree moves, no record names the path, and the
// folder that was checked stays, or comes back, where it was.
TEST(Trash, AParentSwappedForALinkWhileAFolderIsSentMovesNothingElse)
{
    enum class Moment { AfterTheLook, InsideTheTrash };
    for (const Moment moment : {Moment::AfterTheLook, Moment::InsideTheTrash}) {
        SCOPED_TRACE(moment == Moment::AfterTheLook ? "after the look" : "inside the trash");
        const fs::path base = FreshFolder("swap");
        fs::create_directories(base / "root/p/e");
        fs::create_directories(base / "elsewhere/e");
        std::ofstream(base / "elsewhere/e/real.txt") << "content";
        auto swap = [&] {
            fs::rename(base / "root/p", base / "root/p.old");
            fs::create_directory_symlink(base / "elsewhere", base / "root/p");
        };
        PosixFileSystem files;
        MemorySettingsStore store;
        Settings settings(store);
        GioTrash trash(moment == Moment::InsideTheTrash ? std::function<void(const std::string&)>([&](const std::string&) { swap(); })
                                                        : nullptr);
        PosixRemover remover;
        ScanHooks still;
        DeletionContext context{files, settings, trash, remover, [&](const std::string& path) {
                                    const bool holds = HoldsContent(files, settings, path, still);
                                    if (moment == Moment::AfterTheLook)
                                        swap();
                                    return holds;
                                }};

        const std::string path = (base / "root/p/e").string();
        const FolderDeletion result = DeleteToRecycleBin(context, path);
        EXPECT_EQ(result.outcome, DeletionOutcome::Failed);
        EXPECT_NE(result.reason.find(moment == Moment::AfterTheLook ? "not the folder that was checked"
                                                                      : "its folder was moved"),
                  std::string::npos)
            << result.reason;
        EXPECT_EQ(ReadWholeFile(base / "elsewhere/e/real.txt"), "content");
        EXPECT_TRUE(emptyFolder(base / "root/p.old/e"));
        EXPECT_TRUE(trashedAs(PrivateTrash(), path).empty());
        EXPECT_TRUE(trashedAs(PrivateTrash(), (base / "elsewhere/e").string()).empty());
    }
}

// What a run said of the folders it was to send, and its exit status, with
// the dry run's own words left out.
std::vector<std::string> Outcomes(const CliOutcome& run)
{
    std::vector<std::string> lines{"exit " + std::to_string(run.status)};
    for (std::string line : OutputLines(run.err)) {
        if (line.ends_with(": would be sent to the trash") || line.ends_with(": already gone by then"))
            continue;
        for (const std::string_view said : {"dry run, nothing changed: ", "would be "})
            if (const auto at = line.find(said); at != std::string::npos)
                line.erase(at, said.size());
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A dry run asks the trash what the real run will ask it, so it foretells
// the real run's outcome for each folder: a relative HOME, a tree on a
// tmpfs or in a bind mount, a trash that is a file or a link.
TEST(Trash, ADryRunForetellsWhatTheTrashWillDo)
{
    std::optional<TmpfsMount> tmpfs;
    std::optional<BindMount> bind;
    // Each makes its case below the account and the tree; "" or why it cannot.
    using Prepare = std::function<std::string(const fs::path& account, const fs::path& tree)>;
    const std::vector<std::pair<const char*, Prepare>> rows{
        {"a relative HOME", [](const fs::path&, const fs::path&) { return std::string(); }},
        {"a tree on a tmpfs",
         [&](const fs::path&, const fs::path& tree) {
             tmpfs.emplace((tree / "mnt").string());
             fs::create_directories(tree / "mnt/empty");
             return tmpfs->why();
         }},
        {"a bind mount",
         [&](const fs::path& account, const fs::path& tree) {
             fs::create_directories(account / "source/empty");
             bind.emplace((account / "source").string(), (tree / "bound").string());
             return bind->why();
         }},
        {"a trash that is a file",
         [](const fs::path& account, const fs::path&) {
             std::ofstream(account / ".local/share/Trash") << "not a folder";
             return std::string();
         }},
        {"a trash that is a link",
         [](const fs::path& account, const fs::path&) {
             fs::create_directory_symlink(account, account / ".local/share/Trash");
             return std::string();
         }},
    };
    for (const auto& [what, prepare] : rows) {
        SCOPED_TRACE(what);
        const fs::path account = FreshFolder("account");
        const fs::path tree = FreshFolder("tree");
        fs::create_directories(account / ".local/share");
        std::ofstream(tree / "keep.txt") << "content";
        fs::create_directories(tree / "a/b");
        if (const std::string skip = prepare(account, tree); !skip.empty()) {
            std::cout << "[ SKIPPED ] " << what << ": " << skip << "\n";
            continue;
        }
        InEmptyFolder cwd;
        ScopedVariable homeVariable("HOME", std::string(what) == "a relative HOME" ? "relative" : account.string());
        ScopedVariable dataVariable("XDG_DATA_HOME", std::nullopt);
        const CliOutcome dry = RunCli({"--dry-run", "--trash", tree.string()}, {}, cwd.folder.string());
        EXPECT_TRUE(fs::is_directory(tree / "a/b"));
        EXPECT_EQ(Outcomes(dry), Outcomes(RunCli({"--trash", tree.string()}, {}, cwd.folder.string())));
        bind.reset();
        tmpfs.reset();
    }
}

// A run killed between writing a record and moving its folder leaves a
// record without its folder. The next run that uses that trash removes
// such records of its own, and leaves another program's alone.
TEST(Trash, TheNextRunRemovesItsRecordsLeftWithoutTheirFolder)
{
    const fs::path account = FreshFolder("account");
    const fs::path trash = account / ".local/share/Trash";
    const fs::path tree = FreshFolder("tree");
    std::ofstream(tree / "keep.txt") << "content";
    fs::create_directories(tree / "a");
    fs::create_directories(tree / "b");
    ScopedVariable homeVariable("HOME", account.string());
    ScopedVariable dataVariable("XDG_DATA_HOME", std::nullopt);
    ASSERT_EQ(RunCli({"--trash", tree.string()}).status, 0);
    ASSERT_EQ(trashedAs(trash, (tree / "a").string()), std::vector<fs::path>{trash / "files/a"});
    fs::remove(trash / "files/a"); // as if the run was killed before the move
    std::ofstream(trash / "info/other.trashinfo") << "[Trash Info]\nPath=/gone\nDeletionDate=2024-01-01T00:00:00\n";

    fs::create_directories(tree / "c");
    const CliOutcome run = RunCli({"--trash", tree.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(fs::exists(trash / "info/a.trashinfo"));
    EXPECT_TRUE(fs::exists(trash / "info/other.trashinfo"));
    EXPECT_EQ(trashedAs(trash, (tree / "b").string()), std::vector<fs::path>{trash / "files/b"});
    EXPECT_EQ(trashedAs(trash, (tree / "c").string()), std::vector<fs::path>{trash / "files/c"});
}

// Names up to the file system's limit, twice each: the second needs a new
// trash name, and the record's name ("NAME.trashinfo") would pass the limit.
TEST(Trash, NamesUpToTheLimitGoTwiceEachWithTheirRecords)
{
    GioTrash trash;
    for (std::size_t length : {200u, 244u, 246u, 255u}) {
        SCOPED_TRACE(length);
        const std::string name(length, 'n');
        std::vector<fs::path> folders;
        for (int copy = 0; copy < 2; ++copy) {
            const fs::path folder = FreshFolder("long") / name;
            fs::create_directory(folder);
            const auto sent = trash.moveToTrash(folder.string());
            EXPECT_TRUE(sent) << sent.failure().detail;
            EXPECT_FALSE(fs::exists(folder));
            folders.push_back(folder);
        }
        const std::vector<fs::path> first = trashedAs(PrivateTrash(), folders[0].string());
        const std::vector<fs::path> second = trashedAs(PrivateTrash(), folders[1].string());
        ASSERT_EQ(first.size(), 1u);
        ASSERT_EQ(second.size(), 1u);
        EXPECT_NE(first[0], second[0]);
        EXPECT_TRUE(emptyFolder(first[0]) && emptyFolder(second[0]));
    }
}

// A folder on another file system goes to that file system's own trash or
// stays with a reason: never into the home trash, never lost, nothing in the
// current folder. A read-only one keeps it; a full one keeps it or records it.
TEST(Trash, OtherFileSystemsUseTheirOwnTrashOrKeepTheFolder)
{
    enum State { Writable, ReadOnly, Full };
    struct Case {
        TmpfsMount::Kind kind;
        State state;
        const char* what;
        bool mustSend;
    };
    using Kind = TmpfsMount::Kind;
    for (const Case& c : {Case{Kind::Tmpfs, Writable, "tmpfs", false}, Case{Kind::Tmpfs, ReadOnly, "tmpfs ro", false},
                          Case{Kind::Tmpfs, Full, "tmpfs full", false}, Case{Kind::Ext4, Writable, "ext4", true},
                          Case{Kind::Ext4, ReadOnly, "ext4 ro", false}, Case{Kind::Ext4, Full, "ext4 full", false}}) {
        SCOPED_TRACE(c.what);
        const TmpfsMount mount((FreshFolder("mount") / "fs").string(), "size=1m", c.kind);
        if (!mount.mounted())
            GTEST_SKIP() << mount.why();
        const fs::path top = mount.folder();
        const fs::path folder = top / "gone";
        fs::create_directories(folder / "sub");
        GioTrash trash;
        if (c.state == Full) {
            // The trash exists already, as after an earlier send; only the
            // record of the next one finds no room.
            fs::create_directory(top / "first");
            (void)trash.moveToTrash((top / "first").string());
            mount.fill();
        }
        if (c.state == ReadOnly) {
            ASSERT_TRUE(mount.makeReadOnly());
        }

        InEmptyFolder cwd;
        const auto sent = trash.moveToTrash(folder.string());
        EXPECT_TRUE(emptyFolder(cwd.folder));
        EXPECT_TRUE(trashedAs(PrivateTrash(), folder.string()).empty());
        std::vector<fs::path> trashed;
        for (const char* own : {".Trash-0", ".Trash/0"}) {
            const auto found = trashedAs(top / own, folder.string(), top.string());
            trashed.insert(trashed.end(), found.begin(), found.end());
        }
        if (sent) {
            EXPECT_FALSE(fs::exists(folder));
            ASSERT_EQ(trashed.size(), 1u);
            EXPECT_TRUE(emptyFolder(trashed[0] / "sub"));
        } else {
            EXPECT_FALSE(sent.failure().detail.empty());
            EXPECT_TRUE(emptyFolder(folder / "sub"));
            EXPECT_TRUE(trashed.empty());
        }
        if (c.mustSend) {
            EXPECT_TRUE(sent) << sent.failure().detail;
        }
        if (c.state == ReadOnly) {
            EXPECT_FALSE(sent);
        }
    }
}

// The user's trash on a full file system: GIO writes an empty record there
// and says yes. Each folder must stay, or be in the trash with its record.
TEST(Trash, AFullHomeFileSystemLosesNoFolder)
{
    const TmpfsMount mount((FreshFolder("mount") / "fs").string());
    if (!mount.mounted())
        GTEST_SKIP() << mount.why();
    const fs::path home = fs::path(mount.folder()) / "home";
    const fs::path trash = home / ".local/share/Trash";
    fs::create_directories(trash / "info");
    fs::create_directories(trash / "files");
    const fs::path root = fs::path(mount.folder()) / "root";
    fs::create_directories(root);
    std::ofstream(root / "keep.txt") << "content";
    for (const char* name : {"a", "b", "c"})
        fs::create_directory(root / name);
    mount.fill();

    InEmptyFolder cwd;
    CliOutcome run;
    {
        ScopedVariable homeVariable("HOME", home.string());
        ScopedVariable dataVariable("XDG_DATA_HOME", std::nullopt);
        run = RunCli({"--trash", root.string()}, {}, cwd.folder.string());
    }
    EXPECT_TRUE(emptyFolder(cwd.folder));
    for (const char* name : {"a", "b", "c"}) {
        SCOPED_TRACE(name);
        const std::size_t trashed = trashedAs(trash, (root / name).string()).size();
        EXPECT_TRUE(fs::is_directory(root / name) ? trashed == 0 : trashed == 1) << run.err;
    }
    for (const auto& record : fs::directory_iterator(trash / "info"))
        EXPECT_TRUE(RecordedPath(record.path())) << record.path() << " is not a whole record";
}

} // namespace
