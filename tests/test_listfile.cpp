// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Failure.h"
#include "platform/posix/PosixFileSystem.h"
#include "roots/ListFile.h"
#include "support/ScanDoubles.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"

using namespace vacantix;
namespace fs = std::filesystem;

namespace {

class ListFileTest : public ::testing::Test {
protected:
    [[nodiscard]] std::string at(const std::string& name) const { return tree_.path(name); }

    std::string writeList(const std::string& contents)
    {
        const std::string path = at("list" + std::to_string(++lists_) + ".txt");
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }

    std::vector<std::string> load(const std::string& contents)
    {
        MemoryFolderList roots;
        LoadListFile(roots, writeList(contents), disk, prompter, hooks);
        return roots.entries();
    }

    test::TempTree tree_{"alpha/\nbeta gamma/\ndelta/\nplain.txt\nlink->alpha\n"};
    int lists_ = 0;
    PosixFileSystem disk;
    test::ScriptedPrompter prompter;
    test::RecordingHooks hooks;
};

} // namespace

TEST_F(ListFileTest, EveryKindOfLineEndGivesTheSameEntries)
{
    const std::string a = at("alpha");
    const std::string b = at("beta gamma") + "/";
    const std::string d = at("delta");
    const std::vector<std::string> expected{a + "/", b, d + "/"};

    EXPECT_EQ(load(a + "\r\n" + b + "\r\n" + d + "\r\n"), expected);
    EXPECT_EQ(load(a + "\r\n" + b + "\r\n" + d), expected);
    EXPECT_EQ(load(a + "\n" + b + "\n" + d + "\n"), expected);
    EXPECT_EQ(load(a + "\n" + b + "\n" + d), expected);
    EXPECT_EQ(load(a + "\r" + b + "\r" + d + "\r"), expected);
    EXPECT_EQ(load(a + "\r\n" + b + "\n" + d + "\r"), expected);
    EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(ListFileTest, YieldsBeforeEveryLineAndEveryPiece)
{
    // Two lines, the first split in three pieces by its line feeds.
    const std::string a = at("alpha");
    load(a + "\n" + a + "\n" + a + "\r\n" + a);
    EXPECT_EQ(hooks.yields, 4);
}

TEST_F(ListFileTest, BlankLinesAndAByteOrderMarkNeverNameAFolder)
{
    const std::string a = at("alpha");
    EXPECT_EQ(load("\xEF\xBB\xBF" + a + "\r\n"), std::vector<std::string>{a + "/"});
    // Blank lines would otherwise become "/" and scan the whole disk.
    EXPECT_TRUE(load("\n").empty());
    EXPECT_TRUE(load("\r\n\r\n\n\r").empty());
    EXPECT_EQ(load("\r\n" + a + "\n\n" + a + "\n\n"), (std::vector<std::string>{a + "/", a + "/"}));
    // Only a mark at the very start is dropped.
    EXPECT_TRUE(load("\n\xEF\xBB\xBF" + a).empty());
}

TEST_F(ListFileTest, LinesThatNameNoListableFolderAreSkippedSilently)
{
    const std::string a = at("alpha");
    const std::string d = at("delta");
    const auto entries = load(at("missing") + "\n" + a + "\n" + at("plain.txt") + "\n " + d + "\n" + d + " \n" +
                              at("alpha/missing/deeper") + "\n" + d);
    EXPECT_EQ(entries, (std::vector<std::string>{a + "/", d + "/"}));
    EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(ListFileTest, PathsAreKeptAsWritten)
{
    const std::string written = tree_.root() + "//alpha/../delta///";
    EXPECT_EQ(load(written), std::vector<std::string>{written});
    EXPECT_EQ(load("/"), std::vector<std::string>{"/"});
    // A link the user wrote down counts as the folder it names.
    EXPECT_EQ(load(at("link")), std::vector<std::string>{at("link") + "/"});
}

TEST_F(ListFileTest, LoadingTheSameFileTwiceDoublesEveryEntry)
{
    const std::string list = writeList(at("alpha") + "\n" + at("delta") + "\n");
    MemoryFolderList roots;
    LoadListFile(roots, list, disk, prompter, hooks);
    LoadListFile(roots, list, disk, prompter, hooks);
    EXPECT_EQ(roots.entries(), (std::vector<std::string>{at("alpha") + "/", at("delta") + "/", at("alpha") + "/",
                                                         at("delta") + "/"}));
}

TEST_F(ListFileTest, AMissingListFileIsReportedAndAnUnreadableOneFails)
{
    MemoryFolderList roots;
    roots.append("/kept/");
    LoadListFile(roots, at("no such list.txt"), disk, prompter, hooks);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"File not found"});

    try {
        LoadListFile(roots, at("alpha"), disk, prompter, hooks); // a folder reads as no text
        ADD_FAILURE() << "reading a folder as a list file did not fail";
    } catch (const Failure& failure) {
        EXPECT_FALSE(failure.description().empty());
    }
    EXPECT_EQ(roots.entries(), std::vector<std::string>{"/kept/"});
    EXPECT_EQ(prompter.messages().size(), 1u);
}

TEST_F(ListFileTest, AListWithANulByteOrAnOverlongLineIsRefusedWholeWithOneMessage)
{
    const std::string a = at("alpha") + "\n";
    const std::string d = at("delta");
    const std::string longest(disk.maxPathLength(), 'x');
    struct Case {
        std::string contents;
        std::string reason; // empty: the list is taken
    };
    const std::vector<Case> cases{
        {a + d + "\n" + std::string("x\0y", 3), "it is not a text file (line 3 holds a NUL byte)"},
        {std::string("\0", 1) + a, "it is not a text file (line 1 holds a NUL byte)"},
        // Random bytes once named "/" and "." and scanned the whole disk.
        {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "it is not a text file (line 3 holds a NUL byte)"},
        {a + "\r\n" + longest + "y\r\n" + d, "line 3 is longer than the longest path (4096 bytes)"},
        {std::string(10 << 20, '/'), "line 1 is longer than the longest path (4096 bytes)"},
        {a + longest + "\n" + d, ""}, // long, but still a path: just not found
    };
    for (const Case& c : cases) {
        prompter.forget();
        MemoryFolderList roots;
        const std::string list = writeList(c.contents);
        LoadListFile(roots, list, disk, prompter, hooks);
        if (c.reason.empty()) {
            EXPECT_EQ(roots.entries(), (std::vector<std::string>{at("alpha") + "/", d + "/"}));
            EXPECT_TRUE(prompter.messages().empty()) << prompter.messages().front();
        } else {
            EXPECT_TRUE(roots.entries().empty()) << c.reason;
            EXPECT_EQ(prompter.messages(),
                      std::vector<std::string>{list + ": " + c.reason + "; no folders were added from it."});
        }
    }

    // A list without end is refused at its first chunk.
    MemoryFolderList roots;
    prompter.forget();
    LoadListFile(roots, "/dev/zero", disk, prompter, hooks);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"/dev/zero: it is not a text file (line 1 holds a NUL "
                                                            "byte); no folders were added from it."});
}

TEST_F(ListFileTest, LineEndsSplitBetweenReadsCountOnce)
{
    const std::string a = at("alpha");
    const std::string d = at("delta");
    const std::string contents = "\xEF\xBB\xBF" + a + "\r\n\r\n" + d + "\r" + a + "\n" + d + "\r\n";
    // One byte per read puts every CR LF across two reads.
    std::size_t next = 0;
    const ListSource byteByByte = [&](std::span<char> buffer) -> std::optional<std::size_t> {
        if (next == contents.size())
            return 0;
        buffer[0] = contents[next++];
        return 1;
    };
    const ListReading reading = ReadList(byteByByte, disk, hooks, ListedFolders::Listable);
    EXPECT_EQ(reading.paths, load(contents));
    EXPECT_EQ(reading.paths, (std::vector<std::string>{a + "/", d + "/", a + "/", d + "/"}));
    EXPECT_FALSE(reading.refusal);
}

TEST(CollapseDoubleBackslashes, DoubledSeparatorsBecomeOneFromTheLeft)
{
    EXPECT_EQ(CollapseDoubleBackslashes("/home/ann//lists/a.txt"), "/home/ann/lists/a.txt");
    EXPECT_EQ(CollapseDoubleBackslashes("/a///b"), "/a//b");
    EXPECT_EQ(CollapseDoubleBackslashes("/a////b"), "/a//b");
    EXPECT_EQ(CollapseDoubleBackslashes("/a/////b//"), "/a///b/");
    EXPECT_EQ(CollapseDoubleBackslashes("a//b"), "a/b");
    EXPECT_EQ(CollapseDoubleBackslashes("/plain/path"), "/plain/path");
    EXPECT_EQ(CollapseDoubleBackslashes(""), "");
}

TEST(CollapseDoubleBackslashes, ALeadingRunBecomesOneSeparator)
{
    EXPECT_EQ(CollapseDoubleBackslashes("//a.txt"), "/a.txt");
    EXPECT_EQ(CollapseDoubleBackslashes("////srv///x"), "/srv//x");
    EXPECT_EQ(CollapseDoubleBackslashes("/"), "/");
    EXPECT_EQ(CollapseDoubleBackslashes("///"), "/");
}
