// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows file system on a real disk (under Wine, its C: drive).
#include <algorithm>

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win/WinFileSystem.h"
#include "platform/win/WinPath.h"
#include "tests/win/WinTestSupport.h"

namespace vacantix {
namespace {

using wintest::FreshFolder;
using wintest::MakeFile;

bool SetAttributes(const std::string& path, DWORD attributes)
{
    return SetFileAttributesW(ExtendedPath(path)->c_str(), attributes) != 0;
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

TEST(WinFileSystem, ListsFoldersAndFilesWithTheirAttributes)
{
    WinFileSystem fs;
    const std::string top = FreshFolder("list");
    struct Folder {
        const char* name;
        DWORD set; // attributes set on it, 0 for none
        int value; // the attribute value read back
        int wine;  // the value Wine reads back
    };
    const Folder folders[] = {
        {"plain", 0, 16, 16},
        {"hidden", FILE_ATTRIBUTE_HIDDEN, 18, 18},
        {"system", FILE_ATTRIBUTE_SYSTEM, 20, 20},
        {"protected", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 22, 22},
        // Wine keeps neither read-only nor archive on a folder.
        {"read-only", FILE_ATTRIBUTE_READONLY, 17, 16},
        {"archive", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE, 54, 22},
        {"\xC3\xA9t\xC3\xA9 \xF0\x9F\x93\x81 \xE6\x97\xA5", 0, 16, 16},
        // Only the attribute hides on Windows; Wine hides a name with a leading dot.
        {".dotted", 0, 16, 18},
    };
    const bool wine = wintest::UnderWine();
    std::vector<std::string> expected;
    for (const Folder& folder : folders) {
        const std::string path = ChildPath(top, folder.name);
        ASSERT_TRUE(fs.createFolder(path).ok()) << folder.name;
        if (folder.set) {
            ASSERT_TRUE(SetAttributes(path, folder.set)) << folder.name;
        }
        expected.push_back(folder.name);
    }
    ASSERT_TRUE(MakeFile(top + "/three", 3));
    ASSERT_TRUE(MakeFile(top + "/empty \xE2\x82\xAC"));
    ASSERT_TRUE(MakeFile(top + "/hidden file"));
    ASSERT_TRUE(SetAttributes(top + "/hidden file", FILE_ATTRIBUTE_HIDDEN));

    auto listing = fs.list(top);
    ASSERT_TRUE(listing.ok()) << listing.failure().detail;
    EXPECT_EQ(Sorted(listing.value().subfolders), Sorted(expected));
    std::vector<std::string> files;
    for (const FileEntry& file : listing.value().files) {
        EXPECT_EQ(file.kind, EntryKind::RegularFile) << file.name;
        files.push_back(file.name);
    }
    EXPECT_EQ(Sorted(files), Sorted({"three", "empty \xE2\x82\xAC", "hidden file"}));
    EXPECT_FALSE(listing.value().protectedFolder);
    EXPECT_TRUE(listing.value().modified.has_value());
    EXPECT_EQ(fs.fileSize(top, "three").value(), 3u);

    for (const Folder& folder : folders) {
        const std::string path = ChildPath(top, folder.name);
        auto value = fs.attributes(path);
        ASSERT_TRUE(value.ok()) << folder.name;
        EXPECT_EQ(value.value(), wine ? folder.wine : folder.value) << folder.name;
        EXPECT_FALSE(fs.isProtected(path)) << folder.name; // no volume is mounted on it
        EXPECT_TRUE(fs.isDirectory(path)) << folder.name;
        auto inside = fs.list(path);
        ASSERT_TRUE(inside.ok()) << folder.name;
        EXPECT_TRUE(inside.value().subfolders.empty() && inside.value().files.empty()) << folder.name;
    }
    EXPECT_TRUE(fs.fileExists(top + "/three"));
    EXPECT_FALSE(fs.isDirectory(top + "/three"));
    EXPECT_FALSE(fs.fileExists(top + "/missing"));
}

TEST(WinFileSystem, PathsLongerThanMaxPathAreReachedThroughExtendedPaths)
{
    WinFileSystem fs;
    const std::string top = FreshFolder("long");
    std::string deepest = top;
    const std::string name(100, 'n');
    while (deepest.size() < 700) {
        deepest = ChildPath(deepest, name);
        ASSERT_TRUE(fs.createFolder(deepest).ok()) << deepest.size();
    }
    const std::string longName(250, 'f'); // a name near the limit of NTFS
    ASSERT_TRUE(MakeFile(ChildPath(deepest, longName), 5));

    auto listing = fs.list(deepest);
    ASSERT_TRUE(listing.ok()) << listing.failure().detail;
    ASSERT_EQ(listing.value().files.size(), 1u);
    EXPECT_EQ(listing.value().files[0].name, longName);
    EXPECT_EQ(fs.fileSize(deepest, longName).value(), 5u);
    EXPECT_TRUE(fs.isDirectory(deepest));
    EXPECT_EQ(fs.attributes(deepest).value(), Directory);
    // The whole tree's size reaches the file far below MAX_PATH's reach.
    EXPECT_EQ(fs.size(top, 1000).value(), 5u);
    auto real = fs.realPath(deepest);
    ASSERT_TRUE(real.ok()) << real.failure().detail;
    EXPECT_TRUE(real.value().ends_with(name + "/" + name));
    // The walk's own limits stay those of MAX_PATH.
    EXPECT_EQ(fs.maxPathLength(), 260u);
    EXPECT_EQ(fs.maxNameLength(), 260u);
}

TEST(WinFileSystem, SizeCountsFilesBelowAndStopsEarly)
{
    WinFileSystem fs;
    const std::string top = FreshFolder("size");
    ASSERT_TRUE(fs.createFolder(top + "/a").ok());
    ASSERT_TRUE(fs.createFolder(top + "/a/b").ok());
    ASSERT_TRUE(fs.createFolder(top + "/empty").ok());
    ASSERT_TRUE(MakeFile(top + "/a/b/seven", 7));
    ASSERT_TRUE(MakeFile(top + "/a/zero"));
    ASSERT_TRUE(MakeFile(top + "/eleven", 11));
    EXPECT_EQ(fs.size(top, UINT64_MAX).value(), 18u);
    EXPECT_GT(fs.size(top, 0).value(), 0u);
    EXPECT_EQ(fs.size(top + "/empty", 0).value(), 0u);
    EXPECT_EQ(fs.size(top + "/a", 0).value() > 0, true);
}

TEST(WinFileSystem, FailuresComeWithTheirClass)
{
    WinFileSystem fs;
    const std::string top = FreshFolder("fail");
    ASSERT_TRUE(MakeFile(top + "/file", 1));
    struct Case {
        std::string path;
        FsError error;
    };
    const Case cases[] = {
        {top + "/missing", FsError::PathNotFound},
        {top + "/missing/below", FsError::PathNotFound},
        {top + "/file", FsError::PathNotFound}, // a file is not a folder
        {"relative/folder", FsError::BadFileName},
        {top + "/file/../missing", FsError::PathNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto listing = fs.list(c.path);
        ASSERT_FALSE(listing.ok());
        EXPECT_EQ(listing.error(), c.error);
        EXPECT_FALSE(listing.failure().detail.empty());
        EXPECT_FALSE(fs.size(c.path, 0).ok());
    }
    EXPECT_EQ(fs.attributes(top + "/missing").error(), FsError::PathNotFound);
    EXPECT_EQ(fs.createFolder(top + "/missing/below").error(), FsError::PathNotFound);
    EXPECT_FALSE(fs.createFolder(top + "/file").ok());
    EXPECT_EQ(fs.realPath(top + "/missing").error(), FsError::PathNotFound);
}

TEST(WinFileSystem, RealPathsRootsAndSystemFolders)
{
    WinFileSystem fs;
    const std::string top = FreshFolder("real");
    ASSERT_TRUE(fs.createFolder(top + "/Inner").ok());
    const std::string real = fs.realPath(top + "/Inner").value();
    std::string upper = top + "/INNER";
    std::string backslashed = top + "\\Inner\\";
    for (const std::string& spelling : {upper, backslashed, top + "/./x/../Inner", top + "//Inner"}) {
        auto again = fs.realPath(spelling);
        ASSERT_TRUE(again.ok()) << spelling;
        EXPECT_EQ(again.value(), real) << spelling;
    }
    EXPECT_TRUE(real.ends_with("/Inner"));
    EXPECT_EQ(real.find('\\'), std::string::npos);
    EXPECT_FALSE(real.starts_with("//?"));

    EXPECT_TRUE(fs.isRootFolder("C:/"));
    EXPECT_FALSE(fs.isRootFolder(top));
    EXPECT_FALSE(fs.isProtected("C:/"));
    auto root = fs.listNamed("C:/");
    ASSERT_TRUE(root.ok()) << root.failure().detail;
    EXPECT_FALSE(root.value().protectedFolder);

    // The Windows folder and the system folder, spelled as real paths.
    const auto& system = fs.systemFolders();
    ASSERT_GE(system.size(), 2u);
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::string windowsReal = fs.realPath(EnginePath(windows)).value();
    EXPECT_NE(std::find(system.begin(), system.end(), windowsReal), system.end()) << windowsReal;
    for (const std::string& folder : system)
        EXPECT_EQ(fs.realPath(folder).value(), folder);
}

} // namespace
} // namespace vacantix
