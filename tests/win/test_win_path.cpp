// SPDX-License-Identifier: GPL-3.0-or-later
// The conversions at the Win32 edge, and the rules that rest on them alone:
// every reparse point is a link (never a folder), the protected-folder
// values survive attribute bits the rules do not know.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win/WinPath.h"

namespace vacantix {
namespace {

TEST(WinPath, EnginePathsBecomeExtendedPathsAndBack)
{
    struct Case {
        const char* engine;
        const wchar_t* extended; // nullptr: refused
        const char* back;        // the engine path the extended one gives back
    };
    const Case cases[] = {
        {"C:/Users/x", L"\\\\?\\C:\\Users\\x", "C:/Users/x"},
        {"C:/", L"\\\\?\\C:\\", "C:/"},
        {"C:", L"\\\\?\\C:\\", "C:/"},
        {"d:\\Data\\\\old\\", L"\\\\?\\d:\\Data\\old", "d:/Data/old"},
        {"//server/share/x", L"\\\\?\\UNC\\server\\share\\x", "//server/share/x"},
        {"//server/share", L"\\\\?\\UNC\\server\\share\\", "//server/share/"},
        {"\\\\server\\share\\a b", L"\\\\?\\UNC\\server\\share\\a b", "//server/share/a b"},
        {"//?/C:/x", L"\\\\?\\C:\\x", "C:/x"},
        {"\\\\?\\UNC\\s\\sh\\y", L"\\\\?\\UNC\\s\\sh\\y", "//s/sh/y"},
        {"C:/x/name. ", L"\\\\?\\C:\\x\\name. ", "C:/x/name. "}, // kept as it is named
        {"C:/\xC3\xA9t\xC3\xA9/\xF0\x9F\x93\x81", L"\\\\?\\C:\\\u00e9t\u00e9\\\U0001F4C1", nullptr},
        {"relative/x", nullptr, nullptr},
        {"/x", nullptr, nullptr},        // the current drive's root
        {"C:x", nullptr, nullptr},       // the current folder of drive C
        {"C:/a/../b", L"\\\\?\\C:\\b", "C:/b"}, // resolved by name, as Win32 does
        {"C:/a/./b/.", L"\\\\?\\C:\\a\\b", "C:/a/b"},
        {"C:/../..", L"\\\\?\\C:\\", "C:/"},
        {"//s/sh/x/../..", L"\\\\?\\UNC\\s\\sh\\", "//s/sh/"},
        {"C:/x/file:stream", nullptr, nullptr},
        {"C:/x/folder:$I30:$INDEX_ALLOCATION", nullptr, nullptr},
        {"//server", nullptr, nullptr},
        {"//server/", nullptr, nullptr},
        {"C:/bad\xFF", nullptr, nullptr},
        {"", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.engine);
        const auto extended = ExtendedPath(c.engine);
        if (!c.extended) {
            EXPECT_FALSE(extended.has_value());
            continue;
        }
        ASSERT_TRUE(extended.has_value());
        EXPECT_EQ(*extended, c.extended);
        if (c.back) {
            EXPECT_EQ(EnginePath(*extended), c.back);
        }
    }
}

TEST(WinPath, RootsOfPaths)
{
    struct Case {
        const char* path;
        const char* root;
        bool isRoot;
    };
    const Case cases[] = {
        {"C:/", "C:/", true},         {"C:", "C:/", true},
        {"C:/Windows", "C:/", false}, {"//srv/share", "//srv/share/", true},
        {"//srv/share/", "//srv/share/", true}, {"//srv/share/x", "//srv/share/", false},
        {"//srv", "", false},         {"/", "", false},
        {"x", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(RootOf(c.path), c.root);
        EXPECT_EQ(IsDriveOrShareRoot(c.path), c.isRoot);
    }
}

TEST(WinPath, NamesWin32TakesForOthersAreTold)
{
    const struct {
        const char* name;
        bool plain;
    } cases[] = {
        {"folder", true},  {"a.b.c", true},   {".hidden", true}, {"console", true}, {"COM10", true},
        {"x.", false},     {"x ", false},     {"..", false},     {"", false},        {"a*b", false},
        {"what?", false},  {"CON", false},    {"nul.txt", false}, {"Com1", false},   {"LPT9.log", false},
        {"aux .x", false}, {"a:stream", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsPlainWin32Name(c.name), c.plain) << c.name;
}

TEST(WinPath, TextsRoundTripThroughUtf16)
{
    const std::wstring texts[] = {
        L"", L"plain", L"\u00e9t\u00e9, caf\u00e9", L"\u65e5\u672c", L"\U0001F4C1 folder",
        // A lone surrogate, which NTFS names may hold, survives both ways.
        std::wstring(1, wchar_t(0xD800)) + L"x", L"x" + std::wstring(1, wchar_t(0xDFFF)),
    };
    for (const std::wstring& text : texts) {
        const std::string utf8 = Utf8OfWide(text);
        const auto back = WideOfUtf8(utf8);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, text);
    }
    // Byte sequences that are not UTF-8 are refused, not guessed at.
    for (const char* bad : {"\x80", "\xC3", "\xC0\xAF", "\xF5\x80\x80\x80", "a\xE2\x82"})
        EXPECT_FALSE(WideOfUtf8(bad).has_value()) << bad;
}

TEST(WinPath, EveryReparsePointIsALinkAndProtectedValuesStayExact)
{
    constexpr std::uint32_t notIndexed = FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    constexpr std::uint32_t offline = FILE_ATTRIBUTE_OFFLINE;
    constexpr std::uint32_t recall = 0x400000; // FILE_ATTRIBUTE_RECALL_ON_DATA_ACCESS
    struct Case {
        std::uint32_t attributes;
        EntryKind kind;
        int value;
    };
    const Case cases[] = {
        {FILE_ATTRIBUTE_DIRECTORY, EntryKind::Folder, 16},
        {FILE_ATTRIBUTE_ARCHIVE, EntryKind::RegularFile, 32},
        {FILE_ATTRIBUTE_NORMAL, EntryKind::RegularFile, 0},
        // A junction or a symbolic link to a folder: a link, never a folder.
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, EntryKind::Symlink, 1040},
        // A symbolic link to a file, a cloud placeholder.
        {FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_ARCHIVE, EntryKind::Symlink, 1056},
        {FILE_ATTRIBUTE_REPARSE_POINT | recall | offline, EntryKind::Symlink, 1024},
        // Protected: hidden + system folder (22), and as a junction (1046),
        // whatever other bits the system sets.
        {0x16 | notIndexed, EntryKind::Folder, 22},
        {0x16 | FILE_ATTRIBUTE_REPARSE_POINT | notIndexed, EntryKind::Symlink, 1046},
        {0x17, EntryKind::Folder, 23},
        {0x36, EntryKind::Folder, 54},
        {0x16 | FILE_ATTRIBUTE_COMPRESSED, EntryKind::Folder, 2070},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        EXPECT_EQ(KindOfAttributes(c.attributes), c.kind);
        EXPECT_EQ(FolderAttributesOf(c.attributes), c.value);
    }
}

TEST(WinPath, ErrorsFallIntoTheirClasses)
{
    struct Case {
        DWORD error;
        FsError kind;
    };
    const Case cases[] = {
        {ERROR_ACCESS_DENIED, FsError::PermissionDenied}, {ERROR_SHARING_VIOLATION, FsError::PermissionDenied},
        {ERROR_FILE_NOT_FOUND, FsError::PathNotFound},     {ERROR_PATH_NOT_FOUND, FsError::PathNotFound},
        {ERROR_DIRECTORY, FsError::PathNotFound},          {ERROR_INVALID_NAME, FsError::BadFileName},
        {ERROR_FILENAME_EXCED_RANGE, FsError::TooLong},    {ERROR_DISK_FULL, FsError::Other},
    };
    for (const Case& c : cases) {
        const FsFailure failure = FailureOfWin32(c.error);
        EXPECT_EQ(failure.error, c.kind) << c.error;
        EXPECT_FALSE(failure.detail.empty()) << c.error;
    }
}

} // namespace
} // namespace vacantix
