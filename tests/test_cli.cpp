// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built vacantix-cli on real folder trees, as a script would.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/ShellQuote.h"
#include "platform/qt/QtSettingsStore.h"
#include "support/CliProcess.h"
#include "support/OutputLines.h"
#include "support/PrivateHome.h"
#include "support/ScopedCurrentFolder.h"
#include "support/TempTree.h"
#include "support/Unprivileged.h"

using namespace vacantix;
using vacantix::test::CliOutcome;
using vacantix::test::CliProcess;
using vacantix::test::ErrorStream;
using vacantix::test::OutputLines;
using vacantix::test::ScopedCurrentFolder;
using vacantix::test::RunCli;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Sorted(std::vector<std::string> items)
{
    std::sort(items.begin(), items.end());
    return items;
}

// The paths of `relatives` below the tree, sorted.
std::vector<std::string> Paths(const test::TempTree& tree, const std::vector<std::string>& relatives)
{
    std::vector<std::string> paths;
    for (const std::string& relative : relatives)
        paths.push_back(tree.path(relative));
    return Sorted(paths);
}

// Empty folders of several kinds beside folders that hold content.
constexpr std::string_view kMixedTree = "a/\nb/x.txt\nc/d/\nz/empty.txt:0\n.h/\nRECYCLER/\nkeep/f.txt\n"
                                        "keep/e/\nwith space/\nünï/\n";

// What the mixed tree yields with the options' defaults.
const std::vector<std::string> kMixedDefaults{"a", "c", "c/d", "z", ".h", "keep/e", "with space", "ünï"};

} // namespace

TEST(CliResults, EveryEmptyFolderOnALineOfItsOwnAndNothingOnStandardError)
{
    const test::TempTree tree(kMixedTree);
    const CliOutcome run = RunCli({tree.root()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto lines = OutputLines(run.out);
    EXPECT_EQ(Sorted(lines), Paths(tree, kMixedDefaults));
    // A folder comes before the folders inside it.
    const auto parent = std::find(lines.begin(), lines.end(), tree.path("c"));
    const auto child = std::find(lines.begin(), lines.end(), tree.path("c/d"));
    EXPECT_LT(parent, child);
}

TEST(CliResults, Print0EndsEachFolderWithNul)
{
    const test::TempTree tree(kMixedTree);
    for (const char* flag : {"-0", "--print0"}) {
        const CliOutcome run = RunCli({flag, tree.root()});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.find('\n'), std::string::npos);
        EXPECT_EQ(Sorted(OutputLines(run.out, '\0')), Paths(tree, kMixedDefaults));
    }
}

TEST(CliResults, RootsAreScannedInOrderAndRelativeOnesPrintAbsolutePaths)
{
    const test::TempTree first("one/");
    const test::TempTree second("two/\ntwo/three/");
    const CliOutcome run = RunCli({second.root(), first.root() + "/"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(OutputLines(run.out), (std::vector<std::string>{second.path("two"), second.path("two/three"),
                                                              first.path("one")}));

    // Written below the current folder, as an argument or in a list, with
    // ".." resolved on the disk (a link before it leads elsewhere).
    const fs::path parent = fs::path(second.root()).parent_path();
    const std::string name = fs::path(second.root()).filename();
    const std::string up = "../" + parent.filename().string() + "/" + name;
    const std::vector<std::string> both{second.path("two"), second.path("two/three")};
    const std::vector<std::pair<std::string, std::vector<std::string>>> rows{
        {name, both},     {"./" + name + "/", both},       {name + "//two", {second.path("two/three")}},
        {up, both},       {up + "/two/..", both},          {second.path("two/.."), both},
    };
    for (const auto& [written, printed] : rows) {
        for (const bool listed : {false, true}) {
            SCOPED_TRACE(written + (listed ? " in a list" : ""));
            const CliOutcome run = listed ? RunCli({"-f", "-"}, written + "\n", parent) : RunCli({written}, {}, parent);
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(OutputLines(run.out), printed);
        }
    }
    const CliOutcome here = RunCli({"."}, {}, second.root());
    EXPECT_EQ(OutputLines(here.out), (std::vector<std::string>{second.path("two"), second.path("two/three")}));
}

// What bash makes of `word`, run as the argument of printf.
std::string ReadBackByBash(const std::string& word)
{
    const test::TempTree scratch;
    const std::string script = scratch.path("script.sh");
    std::ofstream(script, std::ios::binary) << "printf %s " << word << "\n";
    std::string out;
    if (FILE* pipe = popen(("bash " + script).c_str(), "r")) {
        char buffer[256];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, got);
        pclose(pipe);
    }
    return out;
}

TEST(ShellQuoted, EveryNameIsOneLineThatTheShellReadsBackAsTheSameBytes)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"/srv/plain", "/srv/plain"},
        {"/srv/with space/ünï", "/srv/with space/ünï"},
        {"/srv/$x`y`\\z", "/srv/$x`y`\\z"},
        {"/srv/it's", "'/srv/it'\\''s'"},
        {"/srv/photos\nold", "'/srv/photos'$'\\n''old'"},
        {"/srv/a\tb\rc", "'/srv/a'$'\\t''b'$'\\r''c'"},
        {"/srv/\x1b[31m", "'/srv/'$'\\x1B''[31m'"},
        {"/srv/bad\xFF\xC3", "'/srv/bad'$'\\xFF\\xC3'"},
        {"/srv/c1\xC2\x85", "'/srv/c1'$'\\xC2\\x85'"},
        {"/srv/sur\xED\xA0\x80", "'/srv/sur'$'\\xED\\xA0\\x80'"},
        {"/srv/big\xF4\x90\x80\x80", "'/srv/big'$'\\xF4\\x90\\x80\\x80'"},
        {"/srv/smile\xF0\x9F\x98\x80", "/srv/smile\xF0\x9F\x98\x80"},
        {"/srv/it's\n", "'/srv/it'$'\\'''s'$'\\n'"},
        {"/srv/\x7F\\", "'/srv/'$'\\x7F''\\'"},
    };
    for (const auto& [path, quoted] : cases) {
        const std::string shown = ShellQuoted(path);
        EXPECT_EQ(shown, quoted) << path;
        EXPECT_EQ(NeedsShellQuoting(path), shown != path) << path;
        EXPECT_EQ(shown.find_first_of("\n\r"), std::string::npos) << path;
        // An unquoted line is the name itself; the shell needs it quoted.
        const std::string word = shown.find('\'') == std::string::npos ? "'" + shown + "'" : shown;
        EXPECT_EQ(ReadBackByBash(word), path) << shown;
    }
}

TEST(CliResults, ANameWithALineBreakIsPrintedQuotedAndRawWithPrint0)
{
    const test::TempTree tree("photos/f.txt");
    const std::string odd = tree.path("photos\nold");
    fs::create_directory(odd);

    const CliOutcome lines = RunCli({tree.root()});
    EXPECT_EQ(lines.status, 0) << lines.err;
    EXPECT_EQ(lines.out, "'" + tree.path("photos") + "'$'\\n''old'\n");
    EXPECT_EQ(ReadBackByBash(OutputLines(lines.out).at(0)), odd);

    const CliOutcome raw = RunCli({"-0", tree.root()});
    EXPECT_EQ(raw.out, odd + std::string(1, '\0'));

    EXPECT_NE(RunCli({"--help"}).out.find("$'\\n'"), std::string::npos);
}

TEST(CliRoots, ARelativeRootIsRefusedWhileTheCurrentFolderIsDeleted)
{
    // The run starts in a folder that no longer exists, as after
    // "cd D/E; rm -r ../E": no folder may stand in for it.
    const test::TempTree tree("D/E/\nD/empty/\nD/list.txt");
    const std::string list = tree.path("D/list.txt");
    std::ofstream(list, std::ios::binary) << "..\n";
    struct Cases {
        std::vector<std::string> args;
        std::string input;
    };
    const std::vector<Cases> cases{{{".."}, {}},
                                   {{"."}, {}},
                                   {{"-f", "-"}, "..\n"},
                                   {{"-f", list}, {}},
                                   {{tree.path("D"), "sub"}, {}},
                                   // Absolute roots need no current folder.
                                   {{tree.path("D")}, {}}};
    std::vector<CliOutcome> runs;
    {
        const ScopedCurrentFolder deleted(tree.path("D/E"));
        fs::remove(tree.path("D/E"));
        for (const Cases& c : cases)
            runs.push_back(RunCli(c.args, c.input));
    }
    const CliOutcome absolute = runs.back();
    runs.pop_back();
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].status, 2) << i << ": " << runs[i].err;
        EXPECT_EQ(runs[i].out, "") << i;
        EXPECT_NE(runs[i].err.find("the current folder cannot be determined"), std::string::npos) << runs[i].err;
    }
    EXPECT_EQ(absolute.status, 0) << absolute.err;
    EXPECT_EQ(absolute.out, tree.path("D/empty") + "\n");
}

TEST(CliRoots, ListFilesComeFirstInOrderAndMayArriveOnStandardInput)
{
    const test::TempTree tree("r1/e/\nr2/e/\nr3/e/\nlists/");
    const std::string list = tree.path("lists/list.txt");
    std::ofstream(list, std::ios::binary) << tree.path("r2") << "\r\n\r\n" << tree.path("gone") << "\r\n";

    const CliOutcome run = RunCli({tree.path("r3"), "-f", list, "--from=-", "-f" + list}, tree.path("r1") + "\n");
    // A listed folder that does not exist is named as a missing argument is;
    // a folder listed twice is scanned once.
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err, "vacantix-cli: " + tree.path("gone") + "/ folder does not exist.\n");
    EXPECT_EQ(OutputLines(run.out), (std::vector<std::string>{tree.path("r2/e"), tree.path("r1/e"), tree.path("r3/e")}));
}

TEST(CliRoots, ARelativeListFileIsReadBelowTheCurrentFolderAndNamedAsGiven)
{
    const test::TempTree tree("r/e/\nlists/");
    std::ofstream(tree.path("lists/list.txt"), std::ios::binary) << tree.path("r") << "\r\n";
    const ScopedCurrentFolder inLists(tree.path("lists"));
    const CliOutcome found = RunCli({"-f", "list.txt", "--from", "./list.txt"});
    const CliOutcome missing = RunCli({"-f", "none.txt"});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(found.out, tree.path("r/e") + "\n");
    EXPECT_EQ(missing.err, "vacantix-cli: none.txt: File not found\nvacantix-cli: No folders added.\n");
}

TEST(CliRoots, EachFolderIsPrintedAndCountedOnceInTheOrderOfItsFirstFinding)
{
    const test::TempTree tree("p/a/b/");
    fs::create_directory_symlink(tree.path("p/a"), tree.path("link"));
    struct Row {
        std::vector<std::string> roots;
        std::vector<std::string> printed;
    };
    const std::vector<Row> rows{
        {{"p", "p"}, {"p/a", "p/a/b"}},
        {{"p", "p/"}, {"p/a", "p/a/b"}},
        {{"p/a", "p"}, {"p/a/b", "p/a"}},
        {{"p", "p/a"}, {"p/a", "p/a/b"}},
        {{"link", "p"}, {"link/b", "p/a"}},
        {{"p", "link"}, {"p/a", "p/a/b"}},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args{"--json"};
        for (const std::string& root : row.roots)
            args.push_back(tree.path(root));
        SCOPED_TRACE(row.roots.front() + " " + row.roots.back());
        std::vector<std::string> printed;
        for (const std::string& path : row.printed)
            printed.push_back(tree.path(path));
        const CliOutcome text = RunCli({args.begin() + 1, args.end()});
        EXPECT_EQ(text.status, 0) << text.err;
        EXPECT_EQ(OutputLines(text.out), printed);
        const CliOutcome json = RunCli(args);
        EXPECT_NE(json.out.find("{\"summary\": {\"found\": " + std::to_string(printed.size()) + ","),
                  std::string::npos)
            << json.out;
    }
}

TEST(CliRoots, AMissingRootOrListFileIsReportedAndTheOthersStillScanned)
{
    const test::TempTree tree("here/e/\nfile.txt");
    const CliOutcome run = RunCli({tree.path("gone"), tree.path("here"), tree.path("file.txt")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "vacantix-cli: " + tree.path("gone") + "/ folder does not exist.\n" +
                           "vacantix-cli: " + tree.path("file.txt") + "/ folder does not exist.\n");
    EXPECT_EQ(run.out, tree.path("here/e") + "\n");

    const CliOutcome list = RunCli({"-f", tree.path("no-list.txt"), tree.path("here")});
    EXPECT_EQ(list.status, 1);
    EXPECT_EQ(list.err, "vacantix-cli: " + tree.path("no-list.txt") + ": File not found\n");
    EXPECT_EQ(list.out, tree.path("here/e") + "\n");

    const CliOutcome unreadable = RunCli({"-f", tree.path("here")});
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_TRUE(unreadable.err.starts_with("vacantix-cli: " + tree.path("here") + ": ")) << unreadable.err;

    // A list that names no existing folder says which, as arguments do;
    // a list with no folder at all leaves nothing to scan.
    const CliOutcome nothing = RunCli({"-f", "-"}, tree.path("gone") + "\n");
    EXPECT_EQ(nothing.status, 1);
    EXPECT_EQ(nothing.err, "vacantix-cli: " + tree.path("gone") + "/ folder does not exist.\n");
    const CliOutcome empty = RunCli({"-f", "-"}, "\n");
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.err, "vacantix-cli: No folders added.\n");
}

TEST(CliRoots, AListThatIsNoTextIsRefusedAndTheOtherRootsStillScanned)
{
    const test::TempTree tree("e/\nlists/");
    const std::string longLine = tree.path("lists/long.txt");
    std::ofstream(longLine, std::ios::binary) << tree.path("e") << "\n" << std::string(10 << 20, 'a') << "\n";
    struct Case {
        std::vector<std::string> args;
        std::string input;
        std::string error;
    };
    const std::vector<Case> cases{
        // Read until memory ran out once.
        {{"-f", "/dev/zero", tree.root()}, {},
         "/dev/zero: it is not a text file (line 1 holds a NUL byte); no folders were added from it"},
        {{"-f", "-", tree.root()}, tree.path("e") + std::string("\0", 1),
         "standard input: it is not a text file (line 1 holds a NUL byte); no folders were added from it"},
        {{"-f", longLine, tree.root()}, {},
         longLine + ": line 2 is longer than the longest path (4096 bytes); no folders were added from it"},
    };
    for (const Case& c : cases) {
        const CliOutcome run = RunCli(c.args, c.input);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "vacantix-cli: " + c.error + "\n");
        EXPECT_EQ(run.out, tree.path("e") + "\n");
    }
}

TEST(CliInterrupt, CtrlCWhileAFifoListWaitsForItsWriterPrintsNothing)
{
    const test::TempTree tree("e/\nlist!");
    CliProcess process({"-f", tree.path("list"), tree.root()});
    ASSERT_TRUE(process.waitUntilCatching(SIGINT));
    // Ctrl-C must come while the program waits in the FIFO's open.
    ASSERT_TRUE(process.waitUntilSleepingIn("wait_for_partner")) << "the program never waited for the FIFO's writer";
    kill(process.pid(), SIGINT);
    const CliOutcome run = process.finish();
    EXPECT_EQ(run.status, 130);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "");
}

TEST(CliRoots, NothingIsSkippedWithoutAWord)
{
    // A chain of folders deeper than the longest path: the first folder
    // past the limit cannot be listed, so nothing above it may be listed.
    const test::TempTree deep("e/\nchain/");
    ASSERT_GT(deep.makeChain("chain", std::string(200, 'n'), 30), 25);
    const CliOutcome tooLong = RunCli({deep.root()});
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_EQ(tooLong.out, deep.path("e") + "\n");
    const std::string countLine = "vacantix-cli: 1 folder could not be read; no folder above it is listed: ";
    EXPECT_TRUE(tooLong.err.starts_with(countLine + deep.path("chain/" + std::string(200, 'n'))))
        << tooLong.err;
    EXPECT_EQ(std::count(tooLong.err.begin(), tooLong.err.end(), '\n'), 1) << tooLong.err;

    // A root inside a system tree (/dev holds /dev/shm) finds nothing while
    // those are skipped; the line names the option that skips it.
    const test::TempTree system("e/", test::TempTree::Place::Memory);
    if (system.root().starts_with("/dev/")) {
        const CliOutcome skipped = RunCli({"--skip-system", "1", system.root()});
        EXPECT_EQ(skipped.status, 1);
        EXPECT_EQ(skipped.out, "");
        EXPECT_EQ(skipped.err, "vacantix-cli: " + system.root() +
                                   " lies in a system folder, so nothing below it was listed; give --skip-system 0 "
                                   "to search it\n");
        // Spelled through a link from outside the system trees, it is the
        // same folder, skipped and said the same way.
        const test::TempTree outside("");
        fs::create_directory_symlink(system.root(), outside.path("link"));
        const std::string linked = outside.path("link");
        const CliOutcome viaLink = RunCli({"--skip-system", "1", linked});
        EXPECT_EQ(viaLink.status, 1);
        EXPECT_EQ(viaLink.out, "");
        EXPECT_TRUE(viaLink.err.starts_with("vacantix-cli: " + linked + " lies in a system folder")) << viaLink.err;
        const CliOutcome searched = RunCli({"--skip-system", "0", system.root()});
        EXPECT_EQ(searched.status, 0) << searched.err;
        EXPECT_EQ(searched.out, system.path("e") + "\n");
    }

    // Folders nobody may read, the root among them, are counted and named.
    const test::TempTree tree("open/e/\nopen/locked/x/\nlocked/");
    fs::permissions(tree.root(), fs::perms(0755));
    fs::permissions(tree.path("open"), fs::perms(0755));
    fs::permissions(tree.path("open/locked"), fs::perms(0311));
    fs::permissions(tree.path("locked"), fs::perms::none);
    const std::string failed = test::RunUnprivileged([&]() -> std::string {
        const CliOutcome one = RunCli({tree.path("open")});
        if (one.status != 1 || one.out != tree.path("open/e") + "\n")
            return "one root: exit " + std::to_string(one.status) + ", printed " + one.out;
        if (one.err != "vacantix-cli: 1 folder could not be read; no folder above it is listed: " +
                           tree.path("open/locked") + "\n")
            return "one root said " + one.err;
        const CliOutcome two = RunCli({tree.path("locked"), tree.path("open")});
        if (two.status != 1 || two.err != "vacantix-cli: 2 folders could not be read; no folder above them is "
                                          "listed: " + tree.path("locked") + ", " + tree.path("open/locked") + "\n")
            return "two roots: exit " + std::to_string(two.status) + ", said " + two.err;
        return "";
    });
    EXPECT_EQ(failed, "");
}

TEST(CliUsage, ABadCommandLineGetsOneLineAndAHint)
{
    const test::TempTree tree("e/");
    const std::vector<std::vector<std::string>> bad{
        {},
        {"--print0"},
        {"--frobnicate", tree.root()},
        {"-Q", tree.root()},
        {"--skip-system", "2", tree.root()},
        {"--ignore-hidden=yes", tree.root()},
        {tree.root(), "--zero-byte-empty"},
        {"-f"},
        {"--print0=1", tree.root()},
        {tree.root(), ""}, // an unset variable must not scan the whole disk
        {"--", ""},
    };
    for (const auto& args : bad) {
        const CliOutcome run = RunCli(args);
        std::string shown;
        for (const auto& arg : args)
            shown += arg + " ";
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_EQ(run.out, "") << shown;
        const auto lines = OutputLines(run.err);
        ASSERT_EQ(lines.size(), 2u) << shown << run.err;
        EXPECT_TRUE(lines[0].starts_with("vacantix-cli: ")) << shown;
        EXPECT_EQ(lines[1], "Try 'vacantix-cli --help' for more information.");
    }

    const CliOutcome help = RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: vacantix-cli ")) << help.out;
    const CliOutcome version = RunCli({"-V"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "vacantix-cli " VACANTIX_VERSION "\n");

    // After "--" a leading dash names a folder.
    const CliOutcome dashed = RunCli({"--", "-no-such-folder"});
    EXPECT_EQ(dashed.status, 1);
}

class CliSettings : public ::testing::Test {
protected:
    void TearDown() override { fs::remove(settingsFile()); }

    static std::string settingsFile() { return QtSettingsStore().location().toStdString(); }
};

TEST_F(CliSettings, StoredOptionsApplyCommandLineOptionsWinAndNothingIsWritten)
{
    ASSERT_TRUE(settingsFile().starts_with(test::privateHome())) << settingsFile();
    const test::TempTree tree(kMixedTree);

    // Nothing stored: the run must not create the store.
    const CliOutcome defaults = RunCli({"--ignore-hidden", "1", tree.root()});
    EXPECT_EQ(defaults.status, 0) << defaults.err;
    EXPECT_FALSE(fs::exists(settingsFile()));

    {
        QtSettingsStore store;
        store.set("Check1", "0");
        store.set("Check3", "1");
        store.set("Text1", "a\r\nkeep");
    }
    const std::string stored = test::ReadWholeFile(settingsFile());

    const CliOutcome fromStore = RunCli({tree.root()});
    EXPECT_EQ(fromStore.status, 0) << fromStore.err;
    EXPECT_EQ(Sorted(OutputLines(fromStore.out)), Paths(tree, {"c", "c/d", "RECYCLER", "with space", "ünï"}));

    const CliOutcome overridden =
        RunCli({"--zero-byte-empty", "1", "--ignore-hidden=0", "--ignore", "RECYCLER", "--ignore", "C", tree.root()});
    EXPECT_EQ(overridden.status, 0) << overridden.err;
    EXPECT_EQ(Sorted(OutputLines(overridden.out)),
              Paths(tree, {"a", "z", ".h", "keep/e", "with space", "ünï"}));

    const CliOutcome nothingIgnored = RunCli({"--ignore", "", tree.root()});
    EXPECT_NE(nothingIgnored.out.find(tree.path("RECYCLER") + "\n"), std::string::npos);

    EXPECT_EQ(test::ReadWholeFile(settingsFile()), stored);
}

TEST(CliInterrupt, AStopSignalEndsTheRunWith128PlusItsNumberAndPrintsNothing)
{
    const test::TempTree tree("e/");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        CliProcess process({tree.root(), "-f", "-"});
        // The run waits for its list on standard input; the signal comes
        // once the program is ready to catch it.
        ASSERT_TRUE(process.waitUntilCatching(signal));
        kill(process.pid(), signal);
        const CliOutcome run = process.finish();
        EXPECT_EQ(run.status, 128 + signal) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(CliProgress, ATerminalSeesTheCountWhichIsWipedBeforeTheEnd)
{
    // The root's name carries a terminal command, which must not reach the
    // terminal as one.
    const test::TempTree tree("odd\x1b[31mname/a/b/c/\nodd\x1b[31mname/d/");
    const std::string root = tree.path("odd\x1b[31mname");
    CliProcess process({root}, {}, ErrorStream::Terminal);
    const CliOutcome run = process.finish();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(" examined  "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(tree.path("odd?[31mname")), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("\x1b[31m"), std::string::npos) << run.err;
    EXPECT_TRUE(run.err.ends_with("\r\x1b[K")) << run.err;
    // The results name it quoted, as a shell reads it back.
    std::vector<std::string> quoted;
    for (const std::string& path : Paths(tree, {"odd\x1b[31mname/a", "odd\x1b[31mname/a/b",
                                                "odd\x1b[31mname/a/b/c", "odd\x1b[31mname/d"}))
        quoted.push_back(ShellQuoted(path));
    EXPECT_EQ(Sorted(OutputLines(run.out)), quoted);
}

TEST_F(CliSettings, AStoredOptionThatIsNoNumberStopsTheRunUnlessOverridden)
{
    const test::TempTree tree("e/");
    QtSettingsStore().set("Check3", "yes");

    const CliOutcome refused = RunCli({tree.root()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_TRUE(refused.err.starts_with("vacantix-cli: the stored option Check3 (\"yes\")")) << refused.err;
    EXPECT_NE(refused.err.find("--ignore-hidden"), std::string::npos) << refused.err;

    const CliOutcome overridden = RunCli({"--ignore-hidden", "0", tree.root()});
    EXPECT_EQ(overridden.status, 0) << overridden.err;
    EXPECT_EQ(overridden.out, tree.path("e") + "\n");
}
