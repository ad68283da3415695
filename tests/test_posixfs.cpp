// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>

#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/MountTable.h"
#include "platform/posix/PosixFailure.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixFileWriter.h"
#include "platform/posix/PosixIo.h"
#include "platform/posix/PosixRemover.h"
#include "scan/ExclusionRules.h"
#include "support/ChildProcess.h"
#include "support/TempTree.h"
#include "support/TmpfsMount.h"
#include "support/Unprivileged.h"

using namespace vacantix;
using vacantix::test::TempTree;

namespace {

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> fileNames(const Listing& listing, EntryKind kind)
{
    std::vector<std::string> names;
    for (const FileEntry& file : listing.files)
        if (file.kind == kind)
            names.push_back(file.name);
    return sorted(names);
}

// Whether `relative` (below `root`) is protected as a walk from `root`
// down through held folders finds it: placed by path, from the mount table.
bool ProtectedBelowHeld(PosixFileSystem& fs, const std::string& root, const std::string& relative)
{
    std::unique_ptr<HeldFolder> held;
    FsResult<Listing> listing = fs.listBelow(nullptr, root, &held);
    std::string path = root;
    for (std::size_t begin = 0; begin < relative.size();) {
        const std::size_t end = std::min(relative.find('/', begin), relative.size());
        path += "/" + relative.substr(begin, end - begin);
        std::unique_ptr<HeldFolder> next;
        listing = fs.listBelow(held.get(), path, &next);
        held = std::move(next);
        begin = end + 1;
    }
    return listing.value().protectedFolder;
}

} // namespace

TEST(PosixFileSystem, ListsFoldersApartFromEveryOtherKindOfEntry)
{
    TempTree tree(R"(
        sub/
        .hidden/
        plain:5
        empty:0
        fifo!
        to-sub->sub
        to-root->/
        dangling->nowhere
    )");
    PosixFileSystem fs;
    auto listing = fs.list(tree.root());
    ASSERT_TRUE(listing) << listing.failure().detail;
    EXPECT_EQ(sorted(listing.value().subfolders), (std::vector<std::string>{".hidden", "sub"}));
    EXPECT_EQ(fileNames(listing.value(), EntryKind::RegularFile), (std::vector<std::string>{"empty", "plain"}));
    EXPECT_EQ(fileNames(listing.value(), EntryKind::Symlink),
              (std::vector<std::string>{"dangling", "to-root", "to-sub"}));
    EXPECT_EQ(fileNames(listing.value(), EntryKind::OtherFile), (std::vector<std::string>{"fifo"}));
    EXPECT_FALSE(listing.value().subfoldersFailure);
    EXPECT_FALSE(listing.value().filesFailure);

    EXPECT_EQ(fs.fileSize(tree.root(), "plain").value(), 5u);
    EXPECT_EQ(fs.fileSize(tree.root(), "empty").value(), 0u);
    EXPECT_EQ(fs.fileSize(tree.root(), "gone").error(), FsError::PathNotFound);
}

TEST(PosixFileSystem, ALinkIsListedOnlyWhenTheUserNamedIt)
{
    TempTree tree("real/inside/\nlink->real");
    PosixFileSystem fs;
    const auto below = fs.list(tree.path("link"));
    ASSERT_FALSE(below);
    EXPECT_EQ(below.error(), FsError::PathNotFound);

    const auto named = fs.listNamed(tree.path("link"));
    ASSERT_TRUE(named);
    EXPECT_EQ(named.value().subfolders, std::vector<std::string>{"inside"});
    // Children of a named link are reached through it, as their paths say.
    EXPECT_TRUE(fs.list(tree.path("link/inside")));

    EXPECT_TRUE(fs.isDirectory(tree.path("link")));
    EXPECT_TRUE(fs.fileExists(tree.path("link")));
    EXPECT_EQ(fs.attributes(tree.path("link")).value() & Alias, Alias);
}

// Every errno the POSIX classes meet is one failure class, whichever class
// meets it: each row is met for real where the machine lets the test make it
// (a read-only or full file system needs root).
TEST(PosixFailures, EachErrnoIsOneClassInEveryPosixClass)
{
    TempTree tree("file\nfull-folder/child/\nloop->loop");
    vacantix::test::TmpfsMount readOnly(tree.path("ro"));
    vacantix::test::TmpfsMount full(tree.path("full"));
    const bool mounted = readOnly.mounted() && full.mounted();
    if (mounted) {
        std::filesystem::create_directory(tree.path("ro/gone"));
        ASSERT_TRUE(readOnly.makeReadOnly());
        ASSERT_TRUE(full.fill());
    }
    PosixFileSystem fs;
    PosixRemover remover;
    PosixFileWriter writer;
    const std::string longName = tree.path(std::string(300, 'x'));
    using Meeting = std::function<FsError()>;
    auto kind = [](const auto& result) { return result.error(); };
    struct Row {
        const char* name;
        int error;
        FsError kind;
        std::vector<Meeting> meetings; // real calls that meet the error
        bool needsMounts = false;
    };
    const std::vector<Row> rows{
        {"ENOENT", ENOENT, FsError::PathNotFound,
         {[&] { return kind(fs.list(tree.path("missing"))); },
          [&] { return kind(fs.createFolder(tree.path("missing/child"))); },
          [&] { return kind(remover.removeEmptyFile(tree.path("missing"))); },
          [&] { return kind(remover.removeEmptyFolder(tree.path("missing"))); },
          [&] { return kind(writer.replaceWhole(tree.path("missing/file"), "x")); }}},
        {"ENOTDIR", ENOTDIR, FsError::PathNotFound,
         {[&] { return kind(fs.list(tree.path("file"))); },
          [&] { return kind(remover.removeEmptyFolder(tree.path("file"))); },
          [&] { return kind(writer.replaceWhole(tree.path("file/inner"), "x")); }}},
        {"ELOOP", ELOOP, FsError::PathNotFound,
         {[&] { return kind(fs.list(tree.path("loop"))); },
          [&] { return kind(remover.removeEmptyFile(tree.path("loop/inner"))); },
          [&] { return kind(writer.replaceWhole(tree.path("loop/inner"), "x")); }}},
        {"EROFS", EROFS, FsError::PermissionDenied,
         {[&] { return kind(fs.createFolder(tree.path("ro/new"))); },
          [&] { return kind(remover.removeEmptyFolder(tree.path("ro/gone"))); },
          [&] { return kind(writer.replaceWhole(tree.path("ro/new.txt"), "x")); }},
         true},
        {"ENAMETOOLONG", ENAMETOOLONG, FsError::TooLong,
         {[&] { return kind(fs.list("/" + std::string(fs.maxPathLength(), 'x'))); },
          [&] { return kind(remover.removeEmptyFile(longName)); },
          [&] { return kind(writer.replaceWhole(longName, "x")); }}},
        {"ENOSPC", ENOSPC, FsError::Other,
         {[&] { return kind(writer.replaceWhole(tree.path("full/more"), std::string(1 << 16, 'x'))); }},
         true},
        {"ENOTEMPTY", ENOTEMPTY, FsError::Other,
         {[&] { return kind(remover.removeEmptyFolder(tree.path("full-folder"))); }}},
        {"EACCES", EACCES, FsError::PermissionDenied, {}},
        {"EPERM", EPERM, FsError::PermissionDenied, {}},
        {"EILSEQ", EILSEQ, FsError::BadFileName, {}},
        {"EINVAL", EINVAL, FsError::BadFileName, {}},
        {"EXDEV", EXDEV, FsError::Other, {}},
        {"EEXIST", EEXIST, FsError::Other, {}},
        {"EIO", EIO, FsError::Other, {}},
        {"EMFILE", EMFILE, FsError::Other, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(FsErrorOfErrno(row.error), row.kind);
        if (row.needsMounts && !mounted)
            continue;
        for (std::size_t i = 0; i < row.meetings.size(); ++i)
            EXPECT_EQ(row.meetings[i](), row.kind) << "meeting " << i;
    }
    if (!mounted)
        GTEST_SKIP() << "read-only and full file systems not met: " << readOnly.why();
}

TEST(PosixFileSystem, UnreadableFolderIsPermissionDenied)
{
    TempTree tree("locked/inner/\nopen/");
    std::filesystem::permissions(tree.root(), std::filesystem::perms(0755));
    std::filesystem::permissions(tree.path("locked"), std::filesystem::perms::none);
    const std::string failed = vacantix::test::RunUnprivileged([&]() -> std::string {
        PosixFileSystem fs;
        for (const char* folder : {"locked", "locked/inner"})
            if (fs.list(tree.path(folder)).error() != FsError::PermissionDenied)
                return std::string(folder) + " was not refused as permission denied";
        if ((fs.attributes(tree.path("open")).value() & ReadOnly) != ReadOnly)
            return "open is not read-only";
        return fs.list(tree.path("open")) ? "" : "open cannot be listed";
    });
    EXPECT_EQ(failed, "");
}

TEST(PosixFileSystem, AttributesOfAFolder)
{
    TempTree tree(".dot/\nplain/");
    PosixFileSystem fs;
    EXPECT_EQ(fs.attributes(tree.path(".dot")).value(), Directory | Hidden);
    EXPECT_EQ(fs.attributes(tree.path("plain")).value(), Directory);
    EXPECT_EQ(fs.attributes(tree.path("none")).error(), FsError::PathNotFound);
    EXPECT_FALSE(fs.isDirectory(""));
    EXPECT_FALSE(fs.fileExists(tree.path("none")));
    EXPECT_TRUE(fs.createFolder(tree.path("made")));
    EXPECT_TRUE(fs.isDirectory(tree.path("made")));
}

TEST(PosixFileSystem, AWalkDeeperThanTheOpenFolderCacheStillReadsTheRightFolders)
{
    TempTree tree("top/\nside/file");
    const int depth = static_cast<int>(PosixFileSystem::kMaxOpenFolders) * 2 + 5;
    ASSERT_EQ(tree.makeChain("top", "n", depth), depth);

    PosixFileSystem fs;
    std::string path = tree.path("top");
    for (int level = 0; level < depth; ++level) {
        auto listing = fs.list(path);
        ASSERT_TRUE(listing) << level;
        ASSERT_EQ(listing.value().subfolders, std::vector<std::string>{"n"}) << level;
        path += "/n";
    }
    auto last = fs.list(path);
    ASSERT_TRUE(last);
    EXPECT_TRUE(last.value().subfolders.empty());

    // Back near the top, after the descriptors there were let go.
    auto side = fs.list(tree.path("side"));
    ASSERT_TRUE(side);
    EXPECT_EQ(fileNames(side.value(), EntryKind::RegularFile), std::vector<std::string>{"file"});
}

TEST(PosixFileSystem, AFileBeyondThePathLimitIsSizedWhicheverFolderWasListedLast)
{
    // A folder whose path is just short enough to list, holding a file whose
    // whole path is too long for the kernel.
    TempTree tree("side/");
    const std::size_t limit = PosixFileSystem().maxPathLength();
    const int depth = static_cast<int>((limit - 20 - tree.root().size()) / 2);
    ASSERT_EQ(tree.makeChain("", "d", depth), depth);
    std::string folder = tree.root();
    for (int level = 0; level < depth; ++level)
        folder += "/d";
    const std::string name(40, 'f');
    ASSERT_GE(folder.size() + 1 + name.size(), limit);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dir, 0);
    const int file = ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(file, 0);
    ASSERT_EQ(::write(file, "abc", 3), 3);
    ::close(file);
    ::close(dir);

    PosixFileSystem fs;
    ASSERT_TRUE(fs.list(folder));
    EXPECT_EQ(fs.fileSize(folder, name).value(), 3u);
    ASSERT_TRUE(fs.list(tree.path("side")));
    EXPECT_EQ(fs.fileSize(folder, name).value(), 3u);
    fs.endWalk();
    EXPECT_EQ(fs.fileSize(folder, name).value(), 3u);
    EXPECT_EQ(fs.fileSize(folder, "gone").error(), FsError::PathNotFound);
}

TEST(PosixFileSystem, EveryListingReadsTheFolderAsItIsNow)
{
    TempTree tree("a/b/");
    PosixFileSystem fs;
    ASSERT_TRUE(fs.list(tree.path("a")));
    ASSERT_TRUE(fs.list(tree.path("a/b")));
    EXPECT_TRUE(fs.list(tree.path("a/b")).value().files.empty());

    // Replace a/b by a different folder holding a file: no stale descriptor
    // may answer for the new one.
    std::filesystem::rename(tree.path("a/b"), tree.path("old"));
    tree.add("a/b/new-file");
    auto again = fs.list(tree.path("a/b"));
    ASSERT_TRUE(again);
    EXPECT_EQ(fileNames(again.value(), EntryKind::RegularFile), std::vector<std::string>{"new-file"});

    fs.endWalk();
    std::filesystem::rename(tree.path("a"), tree.path("a-moved"));
    tree.add("a/b/");
    EXPECT_TRUE(fs.list(tree.path("a/b")).value().files.empty());
}

TEST(PosixFileSystem, SizeStopsOnceTheTotalPassesTheBound)
{
    TempTree tree("x/a:0\nx/s/b:0\nx/s/t/c:7\nz/e:0\nz/f/g:0");
    PosixFileSystem fs;
    EXPECT_GT(fs.size(tree.path("x"), 0).value(), 0u);
    EXPECT_EQ(fs.size(tree.path("z"), 0).value(), 0u);
    EXPECT_EQ(fs.size(tree.path("missing"), 0).error(), FsError::PathNotFound);
}

TEST(PosixFileSystem, RealPathResolvesLinksDotsAndDoubledSeparators)
{
    TempTree tree("real/inner/\nlink->real\nup->real/..");
    PosixFileSystem fs;
    const std::string real = std::filesystem::canonical(tree.path("real")).string();
    for (const std::string& spelled : {tree.path("real"), tree.path("link"), tree.path("link/"),
                                       tree.path("./real"), tree.root() + "//real", tree.path("real/inner/.."),
                                       tree.path("up/link"), tree.path("link/inner/../../link")})
        EXPECT_EQ(fs.realPath(spelled).value(), real) << spelled;
    EXPECT_EQ(fs.realPath(tree.path("missing/..")).error(), FsError::PathNotFound);
    EXPECT_EQ(fs.realPath("").error(), FsError::PathNotFound);
}

TEST(PosixFileSystem, MountPointsAndLostAndFoundAtTheTopOfAFileSystemAreProtected)
{
    TempTree tree("parent/mnt/\nparent/lost+found/\nplain/");
    vacantix::test::TmpfsMount mount(tree.path("parent/mnt"));
    if (!mount.mounted())
        GTEST_SKIP() << mount.why();
    tree.add("parent/mnt/lost+found/\nparent/mnt/inner/lost+found/");
    PosixFileSystem fs;
    auto protectedWhenListed = [&](const std::string& folder) {
        fs.endWalk(); // also without the parent's descriptor at hand
        const bool alone = fs.list(folder).value().protectedFolder;
        fs.endWalk();
        (void)fs.list(tree.path("parent"));
        (void)fs.list(tree.path("parent/mnt"));
        (void)fs.list(tree.path("parent/mnt/inner"));
        const bool inWalk = fs.list(folder).value().protectedFolder;
        EXPECT_EQ(alone, inWalk) << folder;
        return alone;
    };
    for (const char* folder : {"parent/mnt", "parent/mnt/lost+found"}) {
        EXPECT_TRUE(fs.isProtected(tree.path(folder))) << folder;
        EXPECT_TRUE(protectedWhenListed(tree.path(folder))) << folder;
        EXPECT_TRUE(ProtectedBelowHeld(fs, tree.root(), folder)) << folder;
    }
    for (const char* folder : {"parent", "parent/lost+found", "parent/mnt/inner", "parent/mnt/inner/lost+found", "plain"}) {
        EXPECT_FALSE(fs.isProtected(tree.path(folder))) << folder;
        EXPECT_FALSE(protectedWhenListed(tree.path(folder))) << folder;
        EXPECT_FALSE(ProtectedBelowHeld(fs, tree.root(), folder)) << folder;
    }
    // Below a walk's top that is itself the top of a file system.
    EXPECT_TRUE(ProtectedBelowHeld(fs, tree.path("parent/mnt"), "lost+found"));
    EXPECT_FALSE(ProtectedBelowHeld(fs, tree.path("parent/mnt"), "inner/lost+found"));
    EXPECT_FALSE(fs.isProtected("/"));
    EXPECT_FALSE(fs.list("/").value().protectedFolder);
    EXPECT_FALSE(fs.isProtected(tree.path("missing")));

    // A root named through a link is placed by its own parent, not the link's.
    tree.add("to-inner->parent/mnt/inner\nto-mnt->parent/mnt");
    (void)fs.list(tree.root());
    EXPECT_FALSE(fs.listNamed(tree.path("to-inner")).value().protectedFolder);
    (void)fs.list(tree.root());
    EXPECT_TRUE(fs.listNamed(tree.path("to-mnt")).value().protectedFolder);
}

// The mount table is read once, and again whenever the kernel says it
// changed: a walk after a mount or an unmount sees it.
TEST(PosixFileSystem, AMountMadeOrUndoneDuringARunShowsAtTheNextWalk)
{
    TempTree tree("parent/mnt/");
    PosixFileSystem fs;
    EXPECT_FALSE(ProtectedBelowHeld(fs, tree.root(), "parent/mnt"));
    {
        vacantix::test::TmpfsMount mount(tree.path("parent/mnt"));
        if (!mount.mounted())
            GTEST_SKIP() << mount.why();
        EXPECT_TRUE(ProtectedBelowHeld(fs, tree.root(), "parent/mnt"));
    }
    EXPECT_FALSE(ProtectedBelowHeld(fs, tree.root(), "parent/mnt"));
}

TEST(MountTable, MountPointsAreReadWithTheirEscapesUndone)
{
    const std::string_view mountinfo =
        "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
        "30 25 0:27 / /dev/shm rw,relatime - tmpfs tmpfs rw\n"
        "41 27 0:40 / /media/my\\040disk\\011x\\134y rw - vfat /dev/sdb1 rw\n"
        "42 27 0:41 /sub /srv/bind\\012ed rw shared:1 - ext4 /dev/vda rw";
    EXPECT_EQ(MountPointsOf(mountinfo),
              (std::vector<std::string>{"/", "/dev/shm", "/media/my disk\tx\\y", "/srv/bind\ned"}));
}

TEST(SystemFolders, WholeTreesOnlyWithExactCase)
{
    PosixFileSystem posix;
    for (const char* path : {"/usr", "/usr/share/doc", "/proc/1", "/lib64/x"})
        EXPECT_TRUE(IsInSystemFolder(posix, path)) << path;
    for (const char* path : {"/usrlocal", "/home/usr", "/USR/share", "/tmp/x", "/"})
        EXPECT_FALSE(IsInSystemFolder(posix, path)) << path;
    EXPECT_FALSE(IsProtectedFolder(posix, "/no/such/folder")); // nothing to read on POSIX
}

// A rename into a taken name fails and leaves both entries as they were,
// whatever each is, with RENAME_NOREPLACE and without it (a file system
// that lacks it; a plain rename would replace the file or the empty folder).
TEST(PosixIo, ARenameNeverReplacesWhatIsAtItsTarget)
{
    const std::vector<std::pair<std::string, std::string>> rows{
        {"from:3", "to:5"}, {"from/", "to/"}, {"from/", "to:5"}, {"from:3", "to/"}, {"from:3", ""}, {"from/in/", ""}};
    for (const bool flags : {true, false}) {
        for (const auto& [from, to] : rows) {
            SCOPED_TRACE(std::string(flags ? "" : "without flags, ") + from + " onto " + to);
            TempTree tree(from + "\n" + to);
            auto describe = [&](const char* name) -> std::string {
                const std::string path = tree.path(name);
                if (std::filesystem::is_directory(path))
                    return "folder of " + std::to_string(std::distance(std::filesystem::directory_iterator(path),
                                                                       std::filesystem::directory_iterator()));
                return std::filesystem::exists(path) ? "file:" + std::to_string(std::filesystem::file_size(path))
                                                     : "none";
            };
            const bool taken = !to.empty();
            const std::pair<std::string, std::string> expected =
                taken ? std::pair(describe("from"), describe("to")) : std::pair("none", describe("from"));
            const std::string message = vacantix::test::RunInChild([&]() -> std::string {
                const Descriptor folder(::open(tree.root().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
                if (!flags && (!vacantix::test::RefuseRenameFlags() ||
                               ::renameat2(folder.get(), "none", folder.get(), "x", RENAME_NOREPLACE) != -1 ||
                               errno != EINVAL))
                    return "renameat2 cannot be refused here";
                const int error = RenameWithoutReplacing(folder.get(), "from", folder.get(), "to");
                return error == (taken ? EEXIST : 0) ? "" : std::string("the rename answered ") + std::strerror(error);
            });
            EXPECT_EQ(message, "");
            EXPECT_EQ(std::pair(describe("from"), describe("to")), expected);
        }
    }
}

// The walk reaches a folder only where no link leads to it.
TEST(PosixIo, AFolderIsOpenedOnlyWhereNoLinkLeadsToIt)
{
    TempTree tree("real/inner/\nlink->real\nfile");
    struct stat inner {};
    ASSERT_EQ(::stat(tree.path("real/inner").c_str(), &inner), 0);
    for (const std::string& path : {tree.path("real/inner"), tree.path("real/./inner/"), tree.root() + "//real/inner"}) {
        const Descriptor folder = OpenFolderWithoutLinks(path);
        ASSERT_TRUE(folder) << path;
        const std::optional<struct stat> opened = LookAt(folder.get(), "");
        EXPECT_TRUE(opened && opened->st_ino == inner.st_ino && opened->st_dev == inner.st_dev) << path;
    }
    for (const std::string& path : {tree.path("link/inner"), tree.path("link"), tree.path("file"),
                                    tree.path("real/inner/../inner"), std::string("real/inner"), tree.path("none")})
        EXPECT_FALSE(OpenFolderWithoutLinks(path)) << path;
}
