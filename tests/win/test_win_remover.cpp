// SPDX-License-Identifier: GPL-3.0-or-later
// Direct removal on a real disk: only what is empty goes.
#include <functional>

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win/WinPath.h"
#include "platform/win/WinRemover.h"
#include "tests/win/WinTestSupport.h"

namespace vacantix {
namespace {

using wintest::Exists;
using wintest::FreshFolder;
using wintest::MakeFile;

enum class Call { EmptyFile, JunkFile, EmptyFolder };

TEST(WinRemover, RemovesOnlyWhatIsEmpty)
{
    const std::string top = FreshFolder("remove");
    auto folder = [](const std::string& path) { return CreateDirectoryW(ExtendedPath(path)->c_str(), nullptr) != 0; };
    struct Case {
        const char* name;
        std::function<bool(const std::string&)> make;
        Call call;
        bool removed;
    };
    const Case cases[] = {
        {"empty file", [](const std::string& p) { return MakeFile(p); }, Call::EmptyFile, true},
        {"file of one byte", [](const std::string& p) { return MakeFile(p, 1); }, Call::EmptyFile, false},
        {"litter with bytes", [](const std::string& p) { return MakeFile(p, 10); }, Call::JunkFile, true},
        {"folder as a file", folder, Call::EmptyFile, false},
        {"folder as litter", folder, Call::JunkFile, false},
        {"empty folder", folder, Call::EmptyFolder, true},
        {"folder with a file", [&](const std::string& p) { return folder(p) && MakeFile(p + "/f"); },
         Call::EmptyFolder, false},
        {"folder with a folder", [&](const std::string& p) { return folder(p) && folder(p + "/f"); },
         Call::EmptyFolder, false},
        {"folder with a hidden file",
         [&](const std::string& p) {
             return folder(p) && MakeFile(p + "/h") &&
                    SetFileAttributesW(ExtendedPath(p + "/h")->c_str(), FILE_ATTRIBUTE_HIDDEN);
         },
         Call::EmptyFolder, false},
        {"file as a folder", [](const std::string& p) { return MakeFile(p); }, Call::EmptyFolder, false},
        {"read-only empty file",
         [](const std::string& p) {
             return MakeFile(p) && SetFileAttributesW(ExtendedPath(p)->c_str(), FILE_ATTRIBUTE_READONLY);
         },
         Call::EmptyFile, false},
        {"\xC3\xA9t\xC3\xA9 \xF0\x9F\x93\x81", folder, Call::EmptyFolder, true},
    };
    WinRemover remover;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = ChildPath(top, c.name);
        ASSERT_TRUE(c.make(path));
        FsResult<Done> result = c.call == Call::EmptyFile  ? remover.removeEmptyFile(path)
                                : c.call == Call::JunkFile ? remover.removeJunkFile(path)
                                                           : remover.removeEmptyFolder(path);
        EXPECT_EQ(result.ok(), c.removed) << (result.ok() ? "" : result.failure().detail);
        EXPECT_EQ(Exists(path), !c.removed);
        if (!result.ok()) {
            EXPECT_FALSE(result.failure().detail.empty());
        }
    }
    EXPECT_TRUE(Exists(top + "/folder with a file/f"));
    EXPECT_EQ(remover.removeEmptyFile(top + "/missing").error(), FsError::PathNotFound);
    EXPECT_EQ(remover.removeEmptyFolder(top + "/missing").error(), FsError::PathNotFound);
    EXPECT_FALSE(remover.removeEmptyFolder("C:/").ok());
}

TEST(WinRemover, LeavesAFileAnotherProgramHoldsOpen)
{
    const std::string path = FreshFolder("open") + "/held";
    ASSERT_TRUE(MakeFile(path));
    const HANDLE held = CreateFileW(ExtendedPath(path)->c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const auto result = WinRemover().removeEmptyFile(path);
    EXPECT_FALSE(result.ok());
    CloseHandle(held);
    EXPECT_TRUE(Exists(path));
    EXPECT_TRUE(MakeDirectRemover()->removeEmptyFile(path).ok());
    EXPECT_FALSE(Exists(path));
}

} // namespace
} // namespace vacantix
