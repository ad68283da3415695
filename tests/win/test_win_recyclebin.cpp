// SPDX-License-Identifier: GPL-3.0-or-later
// The recycle bin on a real disk. Under Wine the bin is the freedesktop.org
// trash below XDG_DATA_HOME, which the test program points into its private
// home; with XDG_DATA_HOME at a folder that does not exist, Wine has no bin,
// and its SHFileOperationW then deletes for good while answering 0.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include "platform/win/RecycleBin.h"
#include "platform/win/WinPath.h"
#include "tests/win/WinTestSupport.h"

namespace vacantix {
namespace {

using wintest::Exists;
using wintest::FreshFolder;
using wintest::MakeFile;

TEST(WinRecycleBin, SendsFoldersAndFilesWithEverythingInThem)
{
    RecycleBin bin;
    const std::string top = FreshFolder("bin");
    const std::string folder = top + "/sent \xC3\xA9t\xC3\xA9";
    ASSERT_TRUE(CreateDirectoryW(ExtendedPath(folder)->c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(ExtendedPath(folder + "/inner")->c_str(), nullptr));
    ASSERT_TRUE(MakeFile(folder + "/inner/data", 4));
    ASSERT_TRUE(MakeFile(top + "/loose", 2));

    for (const std::string& path : {folder, top + "/loose"}) {
        const auto sent = bin.moveToTrash(path);
        ASSERT_TRUE(sent.ok()) << path << ": " << sent.failure().detail;
        EXPECT_FALSE(Exists(path)) << path;
    }
    if (!wintest::UnixDataHome().empty()) {
        // Wine's bin: the freedesktop.org trash in the private home's data folder.
        const std::string files = wintest::PrivateHome() + "/share/Trash/files/";
        EXPECT_TRUE(Exists(files + "sent \xC3\xA9t\xC3\xA9/inner/data"));
        EXPECT_TRUE(Exists(files + "loose"));
    }
}

TEST(WinRecycleBin, RefusesWhatItCannotSendAndLeavesItInPlace)
{
    RecycleBin bin;
    const std::string top = FreshFolder("refused");
    // Too long for the shell, which takes no extended path.
    std::string deep = top;
    while (deep.size() < 300) {
        deep += "/" + std::string(60, 'd');
        ASSERT_TRUE(CreateDirectoryW(ExtendedPath(deep)->c_str(), nullptr));
    }
    ASSERT_TRUE(MakeFile(deep + "/kept", 1));
    // "dotted." would reach the shell as "dotted", a folder beside it.
    for (const std::string& folder : {top + "/dotted", top + "/dotted."}) {
        ASSERT_TRUE(CreateDirectoryW(ExtendedPath(folder)->c_str(), nullptr));
        ASSERT_TRUE(MakeFile(folder + "/inside", 1));
    }
    struct Case {
        std::string path;
        FsError error;
        bool stays;
    };
    const Case cases[] = {
        {deep, FsError::TooLong, true},
        {top + "/dotted.", FsError::BadFileName, true},
        {top + "/missing", FsError::PathNotFound, false},
        {"C:/", FsError::Other, true},
        {"relative", FsError::BadFileName, false},
        {"//?/" + deep, FsError::TooLong, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto sent = bin.moveToTrash(c.path);
        ASSERT_FALSE(sent.ok());
        EXPECT_EQ(sent.error(), c.error);
        EXPECT_FALSE(sent.failure().detail.empty());
        if (c.stays) {
            EXPECT_TRUE(Exists(c.path));
        }
    }
    EXPECT_TRUE(Exists(deep + "/kept"));
    EXPECT_TRUE(Exists(top + "/dotted/inside"));
    EXPECT_TRUE(Exists(top + "/dotted./inside"));
}

// Run in a child whose XDG_DATA_HOME names a missing folder.
TEST(WinRecycleBin, WithoutABinChild)
{
    if (!wintest::IsChild())
        GTEST_SKIP() << "runs only as the child of WithoutABinTheFolderStays";
    // The case is really the one that matters: the drive has no bin, and the
    // shell, asked to recycle, deletes for good and says it succeeded.
    SHQUERYRBINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_NE(SHQueryRecycleBinW(L"C:\\", &info), S_OK);
    const std::string scratch = wintest::PrivateHome() + "/nobin/scratch";
    std::wstring list = *ExtendedPath(scratch);
    list = list.substr(4) + L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    const int shellAnswer = SHFileOperationW(&operation);
    if (shellAnswer == 0 && !Exists(scratch))
        std::printf("note: the shell deleted a folder for good and answered 0, with no recycle bin\n");

    const std::string folder = wintest::PrivateHome() + "/nobin/kept";
    const auto sent = RecycleBin().moveToTrash(folder);
    ASSERT_FALSE(sent.ok());
    EXPECT_NE(sent.failure().detail.find("no recycle bin"), std::string::npos) << sent.failure().detail;
    EXPECT_TRUE(Exists(folder + "/inner/data"));
}

TEST(WinRecycleBin, WithoutABinTheFolderStays)
{
    if (wintest::IsChild())
        GTEST_SKIP() << "the child runs WithoutABinChild only";
    if (wintest::UnixDataHome().empty())
        GTEST_SKIP() << "a drive without a recycle bin is made under Wine only";
    const std::string top = wintest::PrivateHome() + "/nobin";
    for (const std::string& folder : {top, top + "/kept", top + "/kept/inner", top + "/scratch"})
        ASSERT_TRUE(CreateDirectoryW(ExtendedPath(folder)->c_str(), nullptr));
    ASSERT_TRUE(MakeFile(top + "/kept/inner/data", 3));

    EXPECT_EQ(wintest::RunSelf("WinRecycleBin.WithoutABinChild", "XDG_DATA_HOME",
                               wintest::UnixDataHome() + "/no such folder"),
              0);
    EXPECT_TRUE(Exists(top + "/kept/inner/data"));
}

} // namespace
} // namespace vacantix
