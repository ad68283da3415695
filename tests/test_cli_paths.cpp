// SPDX-License-Identifier: GPL-3.0-or-later
// How the command line places the roots it is given and counts depths below
// them, on POSIX and on Windows.
#include <gtest/gtest.h>

#include "cli/CliRun.h"
#include "cli/JsonLines.h"
#include "platform/PathRoot.h"
#include "platform/Utf8.h"

using namespace vacantix;
using namespace vacantix::cli;

namespace {

constexpr bool kWindows = kNativeSyntax == PathSyntax::Windows;

TEST(CliPaths, ARootWithoutARootIsPutBelowTheCurrentFolder)
{
    struct Row {
        const char* root;
        const char* current;
        const char* posix;
        const char* windows;
    };
    const Row rows[] = {
        {"/data/x/", "/home/u", "/data/x/", "/data/x/"},
        {"x/./y//", "/home/u", "/home/u/x/y/", "/home/u/x/y/"},
        {"../up/", "/a/b", "/a/b/../up/", "/a/b/../up/"},
        {"C:/Data/", "C:/Users/u", "C:/Users/u/C:/Data/", "C:/Data/"},
        {"d:/", "C:/w", "C:/w/d:/", "d:/"},
        {"/Data/", "D:/work", "/Data/", "D:/Data/"},     // a lone "/" is the current drive's
        {"/Data/", "//srv/share/w", "/Data/", "/Data/"}, // a share has no drive to lend
        {"//server/share/x/", "C:/w", "//server/share/x/", "//server/share/x/"},
        {"sub/", "C:/", "C:/sub/", "C:/sub/"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.root) + " in " + row.current);
        EXPECT_EQ(AbsoluteRoot(row.root, row.current), kWindows ? row.windows : row.posix);
    }
}

TEST(Utf8, OnlyWhatRfc3629CallsUtf8IsValid)
{
    struct Row {
        std::string_view bytes;
        bool valid;
    };
    const Row rows[] = {
        {"", true},
        {"plain", true},
        {"\xC3\xA9t\xC3\xA9", true},
        {"\xEF\xBF\xBF", true},         // U+FFFF, a noncharacter, is still UTF-8
        {"\xF0\x9F\x98\x80", true},     // U+1F600
        {"\xF4\x8F\xBF\xBF", true},     // U+10FFFF
        {"\xED\x9F\xBF", true},         // U+D7FF, below the surrogates
        {"\xED\xA0\x80", false},        // U+D800, a surrogate
        {"\xED\xBF\xBF", false},        // U+DFFF
        {"\xC0\xAF", false},             // overlong "/"
        {"\xE0\x80\xAF", false},        // overlong "/"
        {"\xF0\x80\x80\xAF", false},    // overlong "/"
        {"\xF4\x90\x80\x80", false},    // U+110000
        {"\xF5\x80\x80\x80", false},
        {"\xE9t\xE9", false},            // Latin-1
        {"\xE2\x80", false},             // cut short
        {"\x80", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(JsonString(row.bytes));
        EXPECT_EQ(IsValidUtf8(row.bytes), row.valid);
        // The members name the bytes beside the text exactly when it is no UTF-8.
        EXPECT_EQ(JsonPathMembers(row.bytes).find("path_b64") == std::string::npos, row.valid);
        EXPECT_TRUE(IsValidUtf8(JsonString(row.bytes)));
    }
}

TEST(CliPaths, DepthsCountBelowAnyFormOfRoot)
{
    struct Row {
        const char* root;
        const char* path;
        std::optional<std::size_t> depth;
    };
    const Row rows[] = {
        {"/", "/a/b", 2},
        {"/", "/", 0},
        {"/data/", "/data/a", 1},
        {"/data/", "/database/a", std::nullopt},
        {"C:/", "C:/a/b", 2},
        {"C:/", "C:/", 0},
        {"C:/x/", "C:/x/y", 1},
        {"//server/share/", "//server/share/x", 1},
        {"//server/share/", "//server/shared/x", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " below " + row.root);
        EXPECT_EQ(DepthBelow(row.path, {row.root}), row.depth);
    }
}

} // namespace
