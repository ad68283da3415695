// SPDX-License-Identifier: GPL-3.0-or-later
// How the command line places the roots it is given and counts depths below
// them, on POSIX and on Windows.
#include <gtest/gtest.h>

#include "cli/CliRun.h"
#include "cli/JsonLines.h"
#include "platform/PathRoot.h"

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
