// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file writes on a real disk: the target holds the new bytes or keeps
// the old ones, and no temporary file is left behind.
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win/WinFileWriter.h"
#include "platform/win/WinPath.h"
#include "tests/win/WinTestSupport.h"

namespace vacantix {
namespace {

using wintest::FreshFolder;

std::string contentOf(const std::string& path)
{
    std::ifstream in(std::filesystem::path(*ExtendedPath(path)), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t entriesIn(const std::string& folder)
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(*ExtendedPath(folder)))
        ++count;
    return count;
}

void setAttributes(const std::string& path, DWORD attributes)
{
    SetFileAttributesW(ExtendedPath(path)->c_str(), attributes);
}

TEST(WinFileWriter, ReplacesTheWholeFileOrLeavesItAsItWas)
{
    const std::string top = FreshFolder("write");
    const auto old = [](const std::string& p) { std::ofstream(std::filesystem::path(*ExtendedPath(p))) << "old"; };
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make; // nothing: the file is new
        bool written;
        const char* after; // the content afterwards; nullptr: not a file
    };
    const Case cases[] = {
        {"new file", nullptr, true, "C:\\x\r\n\xC3\xA9\r\n"},
        {"existing file", old, true, "C:\\x\r\n\xC3\xA9\r\n"},
        {"hidden file", [&](const std::string& p) { old(p); setAttributes(p, FILE_ATTRIBUTE_HIDDEN); }, true,
         "C:\\x\r\n\xC3\xA9\r\n"},
        {"read-only file", [&](const std::string& p) { old(p); setAttributes(p, FILE_ATTRIBUTE_READONLY); }, false,
         "old"},
        {"folder", [](const std::string& p) { CreateDirectoryW(ExtendedPath(p)->c_str(), nullptr); }, false, nullptr},
        {"\xE7\xA9\xBA \xE2\x9C\x93.txt", old, true, "C:\\x\r\n\xC3\xA9\r\n"},
    };
    WinFileWriter writer;
    std::size_t made = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = top + "/" + c.name;
        if (c.make)
            c.make(path);
        ++made;
        const FsResult<Done> result = writer.replaceWhole(path, "C:\\x\r\n\xC3\xA9\r\n");
        EXPECT_EQ(result.ok(), c.written) << (result.ok() ? "" : result.failure().detail);
        if (c.after) {
            EXPECT_EQ(contentOf(path), c.after);
        }
        EXPECT_EQ(entriesIn(top), made) << "a temporary file was left";
    }
    EXPECT_EQ(writer.replaceWhole(top + "/no such folder/x.txt", "x").error(), FsError::PathNotFound);
    EXPECT_EQ(entriesIn(top), made);
}

} // namespace
} // namespace vacantix
