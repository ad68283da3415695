// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "platform/FakeFileSystem.h"
#include "platform/FileSystem.h"
#include "platform/PathRoot.h"
#include "roots/ListFile.h"

using namespace vacantix;

namespace {

constexpr auto Posix = PathSyntax::Posix;
constexpr auto Windows = PathSyntax::Windows;

struct RootCase {
    const char* path;
    std::size_t posixRoot;   // RootLength under POSIX rules
    std::size_t windowsRoot; // RootLength under Windows rules
    bool windowsIsRoot;      // IsRootPath under Windows rules
};

// Every form of root the engine meets, and the near misses beside them.
constexpr RootCase kRoots[] = {
    {"/", 1, 1, true},
    {"/home/x", 1, 1, false},
    {"C:/", 0, 3, true},
    {"C:/Users/x", 0, 3, false},
    {"c:", 0, 2, true},                        // a drive alone is its root
    {"c:name", 0, 0, false},                   // relative to the drive's current folder
    {"1:/x", 0, 0, false},                     // no drive letter
    {"//server/share", 1, 14, true},
    {"//server/share/", 1, 15, true},
    {"//server/share/x/y", 1, 15, false},
    {"//server", 1, 8, true},
    {"//?/C:/x", 1, 7, false},
    {"//?/UNC/server/share/x", 1, 21, false},
    {"//./C:/", 1, 7, true},
    {"relative/path", 0, 0, false},
    {"", 0, 0, false},
    {"./x", 0, 0, false},
    {"///x", 1, 1, false},
};

TEST(PathRoot, EachFormOfRootIsKnownUnderEachSyntax)
{
    for (const RootCase& c : kRoots) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(RootLength(c.path, Posix), c.posixRoot);
        EXPECT_EQ(RootLength(c.path, Windows), c.windowsRoot);
        EXPECT_EQ(IsAbsolutePath(c.path, Posix), c.posixRoot > 0);
        EXPECT_EQ(IsAbsolutePath(c.path, Windows), c.windowsRoot > 0);
        EXPECT_EQ(IsRootPath(c.path, Windows), c.windowsIsRoot);
    }
    // POSIX knows one root, however many separators start the path.
    EXPECT_TRUE(IsRootPath("//", Posix));
    EXPECT_FALSE(IsRootPath("C:/", Posix));
}

TEST(PathRoot, ParentStopsAtTheRoot)
{
    struct Case {
        const char* path;
        PathSyntax syntax;
        const char* parent;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"/a/b", Posix, "/a"},
             {"/a", Posix, "/"},
             {"/", Posix, "/"},
             {"/a//b/", Posix, "/a"},
             {"a", Posix, ""},
             {"a/b", Posix, "a"},
             {"C:/a", Posix, "C:"},
             {"C:/a/b", Windows, "C:/a"},
             {"C:/a", Windows, "C:/"},
             {"C:/", Windows, "C:/"},
             {"C:", Windows, "C:"},
             {"//server/share/x", Windows, "//server/share/"},
             {"//server/share", Windows, "//server/share"},
             {"/a", Windows, "/"},
         }) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ParentPath(c.path, c.syntax), c.parent);
    }
}

TEST(PathRoot, NativeFormsAtTheEdges)
{
    struct Case {
        const char* native;
        const char* engine; // FromNativePath under Windows rules
    };
    for (const Case& c : std::initializer_list<Case>{
             {R"(C:\Users\x)", "C:/Users/x"},
             {R"(\\server\share\x)", "//server/share/x"},
             {R"(\\?\C:\very\long)", "C:/very/long"},
             {R"(\\?\UNC\server\share\x)", "//server/share/x"},
             {R"(\\?\Volume{1234}\x)", "//?/Volume{1234}/x"},
             {R"(relative\x)", "relative/x"},
             {"already/engine", "already/engine"},
         }) {
        SCOPED_TRACE(c.native);
        EXPECT_EQ(FromNativePath(c.native, Windows), c.engine);
        // POSIX keeps every byte: a backslash is part of a name there.
        EXPECT_EQ(FromNativePath(c.native, Posix), c.native);
    }
    EXPECT_EQ(ToNativePath("C:/Users/x", Windows), R"(C:\Users\x)");
    EXPECT_EQ(ToNativePath("//server/share/x", Windows), R"(\\server\share\x)");
    EXPECT_EQ(ToNativePath("/home/a\\b", Posix), "/home/a\\b");
}

// The engine's own helpers follow the platform's rules through PathRoot.
TEST(PathRoot, EngineHelpersKeepRootsWhole)
{
    struct Case {
        const char* path;
        const char* withoutSeparator; // WithoutTrailingSeparator on this platform
        const char* baseName;
        bool rootFolder;
    };
    const bool windows = kNativeSyntax == PathSyntax::Windows;
    std::vector<Case> cases = {
        {"/", "/", "", true},
        {"///", "/", "", false},
        {"/a/b/", "/a/b", "b", false},
        {"a/", "a", "a", false},
        {"", "", "", false},
    };
    if (windows)
        cases.insert(cases.end(), {{"C:/", "C:/", "", true},
                                   {"C:/x//", "C:/x", "x", false},
                                   {"//server/share/", "//server/share/", "", true},
                                   {"//server/share/x/", "//server/share/x", "x", false}});
    else
        cases.insert(cases.end(), {{"C:/", "C:", "C:", false},
                                   {"C:/x//", "C:/x", "x", false},
                                   {"//server/share/", "//server/share", "share", false}});
    FakeFileSystem fs;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(WithoutTrailingSeparator(c.path), c.withoutSeparator);
        EXPECT_EQ(BaseName(c.path), c.baseName);
        EXPECT_EQ(static_cast<FileSystem&>(fs).FileSystem::isRootFolder(c.path), c.rootFolder);
    }
    EXPECT_EQ(ChildPath("C:/", "x"), "C:/x");
    EXPECT_EQ(ChildPath("//server/share", "x"), "//server/share/x");

    // A list's doubled separators go, but the two that open a share stay.
    EXPECT_EQ(CollapseDoubleBackslashes("//server//share"), windows ? "//server/share" : "/server/share");
    EXPECT_EQ(CollapseDoubleBackslashes("///a"), "/a");
}

} // namespace
