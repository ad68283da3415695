// SPDX-License-Identifier: GPL-3.0-or-later
// The trash on real file systems: a fresh account's missing trash, odd and
// overlong names, links, and (as root) other, read-only and full file
// systems mounted for the test. Every case looks at the disk afterwards:
// each folder is in its place or in a trash with a record naming its place,
// and nothing appears in the current folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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
#include "support/PrivateHome.h"
#include "support/ScopedCurrentFolder.h"
#include "support/ScopedVariable.h"
#include "support/TempTree.h"
#include "support/TmpfsMount.h"

using namespace vacantix;
using namespace vacantix::test;
namespace fs = std::filesystem;

namespace {

// The Path= of a .trashinfo record, percent-decoded; nullopt for a record
// that is not whole.
std::optional<std::string> recordedPath(const fs::path& record)
{
    const std::string text = ReadWholeFile(record);
    const auto start = text.find("\nPath=");
    if (text.rfind("[Trash Info]\n", 0) != 0 || start == std::string::npos ||
        text.find("\nDeletionDate=") == std::string::npos)
        return std::nullopt;
    std::string decoded;
    for (std::size_t i = start + 6; i < text.size() && text[i] != '\n'; ++i) {
        if (text[i] == '%') {
            decoded += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

// The entries of the trash `trash` whose records name `original` (relative
// records are taken from `topdir`).
std::vector<fs::path> trashedAs(const fs::path& trash, const std::string& original, const std::string& topdir = {})
{
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(trash / "info", error)) {
        const std::optional<std::string> named = recordedPath(entry.path());
        if (named && (*named == original || (!topdir.empty() && topdir + "/" + *named == original)))
            found.push_back(trash / "files" / entry.path().stem());
    }
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

// A file system mounted below the test's folder for one case, unmounted at
// its end: a tmpfs, or an ext4 image on a loop device.
class Mount {
public:
    enum Kind { Tmpfs, Ext4 };

    explicit Mount(Kind kind) : kind_(kind)
    {
        fs::create_directory(folder);
        if (geteuid() != 0)
            return;
        if (kind == Tmpfs) {
            tmpfs_.emplace(folder.string());
            mounted_ = tmpfs_->mounted();
        } else {
            const std::string image = (base_ / "ext4.img").string();
            mounted_ = run("truncate -s 4M '" + image + "' && mkfs.ext4 -q -F '" + image + "' >/dev/null 2>&1") &&
                       run("mount -o loop '" + image + "' '" + folder.string() + "'");
        }
    }
    ~Mount()
    {
        if (mounted_ && kind_ == Ext4 && !run("umount '" + folder.string() + "'"))
            run("umount -l '" + folder.string() + "'");
    }
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;

    // Why the case cannot run, or empty when it can.
    [[nodiscard]] std::string skipReason() const
    {
        if (geteuid() != 0)
            return "mounting a file system needs root";
        return mounted_ ? "" : std::string("mounting ") + (kind_ == Tmpfs ? "a tmpfs" : "an ext4 image") +
                                   " is not allowed here";
    }

    bool readOnly() { return RemountReadOnly(folder.string()); }

    // Writes zeros until the file system is full, down to its last block.
    void fill() { (void)FillDisk(folder.string()); }

    const fs::path base_ = FreshFolder("mount");
    const fs::path folder = base_ / "fs";

private:
    static bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

    Kind kind_;
    bool mounted_ = false;
    std::optional<TmpfsMount> tmpfs_; // unmounts itself
};

// A folder on another file system goes to that file system's own trash or
// stays with a reason: never into the home trash, never lost, nothing in the
// current folder. A read-only one keeps it; a full one keeps it or records it.
TEST(Trash, OtherFileSystemsUseTheirOwnTrashOrKeepTheFolder)
{
    enum State { Writable, ReadOnly, Full };
    struct Case {
        Mount::Kind kind;
        State state;
        const char* what;
        bool mustSend;
    };
    for (const Case& c : {Case{Mount::Tmpfs, Writable, "tmpfs", false}, Case{Mount::Tmpfs, ReadOnly, "tmpfs ro", false},
                          Case{Mount::Tmpfs, Full, "tmpfs full", false}, Case{Mount::Ext4, Writable, "ext4", true},
                          Case{Mount::Ext4, ReadOnly, "ext4 ro", false}, Case{Mount::Ext4, Full, "ext4 full", false}}) {
        SCOPED_TRACE(c.what);
        Mount mount(c.kind);
        if (!mount.skipReason().empty())
            GTEST_SKIP() << mount.skipReason();
        const fs::path folder = mount.folder / "gone";
        fs::create_directories(folder / "sub");
        GioTrash trash;
        if (c.state == Full) {
            // The trash exists already, as after an earlier send; only the
            // record of the next one finds no room.
            fs::create_directory(mount.folder / "first");
            (void)trash.moveToTrash((mount.folder / "first").string());
            mount.fill();
        }
        if (c.state == ReadOnly) {
            ASSERT_TRUE(mount.readOnly());
        }

        InEmptyFolder cwd;
        const auto sent = trash.moveToTrash(folder.string());
        EXPECT_TRUE(emptyFolder(cwd.folder));
        EXPECT_TRUE(trashedAs(PrivateTrash(), folder.string()).empty());
        std::vector<fs::path> trashed;
        for (const char* own : {".Trash-0", ".Trash/0"}) {
            const auto found = trashedAs(mount.folder / own, folder.string(), mount.folder.string());
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
    Mount mount(Mount::Tmpfs);
    if (!mount.skipReason().empty())
        GTEST_SKIP() << mount.skipReason();
    const fs::path home = mount.folder / "home";
    const fs::path trash = home / ".local/share/Trash";
    fs::create_directories(trash / "info");
    fs::create_directories(trash / "files");
    const fs::path root = mount.folder / "root";
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
        EXPECT_TRUE(recordedPath(record.path())) << record.path() << " is not a whole record";
}

} // namespace
