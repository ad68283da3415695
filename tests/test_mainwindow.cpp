// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands against its core, with a window of no toolkit:
// start-up, the folder list, the scan button and the results commands.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>

#include "app/MainWindow.h"
#include "platform/Notices.h"
#include "platform/ApplicationTitle.h"
#include "platform/FakeFileSystem.h"
#include "platform/PathRoot.h"
#include "platform/PlatformServices.h"
#include "support/FakeViews.h"
#include "support/ListTexts.h"
#include "support/ResultsDoubles.h"
#include "support/ScriptedPrompter.h"
#include "support/SlowFileSystem.h"

namespace vacantix {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::FakeMainView;
using Kind = test::ScriptedPrompter::Kind;

class NoRemover final : public DirectRemover {
public:
    FsResult<Done> removeEmptyFile(const std::string&) override { return FsFailure{FsError::Other, "no"}; }
    FsResult<Done> removeEmptyFolder(const std::string&) override { return FsFailure{FsError::Other, "no"}; }
};

// A main window over a file system in memory below "/data", whose listings
// below `slow.slowBelow` take their time, or over `disk` when given.
struct Window {
    explicit Window(FileSystem* disk = nullptr)
        : core(MainWindowServices{disk ? *disk : static_cast<FileSystem&>(slow), settings, prompter, trash, remover,
                                  writer, clipboard, opener, "/program", [] { return std::string("/program/Samples"); }})
    {
        fake.addFolder("/program/Samples");
        core.attach(view);
    }

    std::vector<std::string> roots() { return test::Texts(core.folderList()); }
    std::vector<std::string> results() { return test::Texts(core.results()); }
    std::string header() { return core.folderList().headerText(); }

    FakeFileSystem fake;
    test::SlowFileSystem slow{fake, std::chrono::milliseconds(2), "/nowhere-slow"};
    MemorySettingsStore store;
    Settings settings{store};
    test::ScriptedPrompter prompter;
    test::FakeDiskTrash trash{fake};
    NoRemover remover;
    test::FailingWriter writer;
    test::FakeClipboard clipboard;
    test::RecordingOpener opener;
    FakeMainView view;
    MainWindow core;
};

// ------------------------------------------------------------------ start-up

TEST(MainWindowStartUp, AFailingStepIsReportedWithItsNumberAndTheOthersStillRun)
{
    const struct {
        const char* failing;
        int line;
    } rows[] = {{"", 0},
                {"applySkin", 100},
                {"loadCustomPointer", 106},
                {"setCaption", 126},
                {"showColumnHeader(Folders)", 128},
                {"setColumnWidth(Folders)", 130},
                {"showColumnHeader(Results)", 132},
                {"setColumnWidth(Results)", 134}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.failing);
        Window w;
        w.fake.addFile("/program/x/o.cjs");
        w.fake.addFile("/program/HAND-M.CUR");
        w.view.failing = {row.failing};
        w.core.Form_Load();

        const auto reports = w.prompter.errorReports();
        if (row.line == 0) {
            EXPECT_THAT(w.prompter.shown(), IsEmpty());
        } else {
            ASSERT_EQ(reports.size(), 1u);
            EXPECT_THAT(reports[0], ::testing::HasSubstr("\r\nin Vacantix2021/08/31.Form1.Form_Load at line " +
                                                         std::to_string(row.line) + "\r\r"));
        }
        EXPECT_EQ(w.view.skin, row.line == 100 ? "" : "/program/x/o.cjs");
        EXPECT_EQ(w.core.customPointerLoaded(), row.line != 106);
        EXPECT_EQ(w.view.caption, row.line == 126 ? "" : "Vacantix") << "the steps after a failure still run";
        EXPECT_EQ(ApplicationTitle(), "Vacantix");
        EXPECT_EQ(w.view.columnWidths[ListId::Results], row.line == 134 ? 0 : 7000);
        EXPECT_EQ(w.header(), "Folders To Scan For Empty Folders");
        EXPECT_EQ(w.core.results().headerText(), "Empty Folders");
        EXPECT_EQ(w.core.mousePointer(), DefaultPointer);
        EXPECT_TRUE(w.fake.isDirectory("/program/Samples/This one is empty 2"));
    }
}

// ------------------------------------------------------------- list files

// A folder of the test's own on the disk, removed at the end.
struct DiskFolder {
    DiskFolder()
    {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path = std::filesystem::temp_directory_path() / ("vacantix-window-" + std::to_string(stamp));
        std::filesystem::create_directories(path);
    }
    ~DiskFolder() { std::filesystem::remove_all(path); }

    std::string folder(const std::string& relative) const
    {
        std::filesystem::create_directories(path / relative);
        return (path / relative).generic_string();
    }
    std::string file(const std::string& name, std::string_view bytes) const
    {
        std::ofstream(path / name, std::ios::binary) << bytes;
        return (path / name).generic_string();
    }

    std::filesystem::path path;
};

TEST(MainWindowListFiles, LoadAlikeWhateverTheirLineEnds)
{
    const DiskFolder data;
    const std::unique_ptr<FileSystem> disk = MakeFileSystem();
    Window w(disk.get());
    const std::string a = data.folder("a"), b = data.folder("b b");
    const std::string gone = (data.path / "gone").generic_string();
    const std::vector<std::pair<std::string, std::string>> files = {
        {"crlf.txt", a + "\r\n" + gone + "\r\n" + b + "/\r\n"},
        {"lf.txt", a + "\n" + gone + "\n" + b + "/\n"},
        {"cr.txt", a + "\r" + gone + "\r" + b + "/"},
        {"blank-and-bom.txt", "\xEF\xBB\xBF" + a + "\r\n\r\n" + gone + "\n\n" + b + "/\n\n"},
    };
    for (const auto& [name, content] : files) {
        SCOPED_TRACE(name);
        w.core.folderList().clear();
        w.prompter.forget();
        w.prompter.answerOpenFiles({data.file(name, content)});
        w.core.click(Button::LoadListFiles);
        EXPECT_EQ(w.roots(), (std::vector<std::string>{a + "/", b + "/"}));
        ASSERT_EQ(w.prompter.shown().size(), 2u) << "a missing folder is skipped without a word";
        EXPECT_EQ(w.prompter.shown()[0].kind, Kind::Message);
        EXPECT_EQ(w.prompter.shown()[0].text, "File should look like:\r/test/\r/test2/\retc.");
        EXPECT_EQ(w.prompter.shown()[1].text, "Load List(s) - Hold Ctrl to select multiple list files");
        EXPECT_EQ(w.prompter.shown()[1].filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
        EXPECT_EQ(w.core.mousePointer(), DefaultPointer);
    }
}

TEST(MainWindowListFiles, SeveralLoadInOrderAndAMissingOneIsNamed)
{
    const DiskFolder data;
    const std::unique_ptr<FileSystem> disk = MakeFileSystem();
    Window w(disk.get());
    const std::string a = data.folder("a"), b = data.folder("b"), c = data.folder("c");
    std::vector<int> pointers;
    w.prompter.onShow = [&](const test::ScriptedPrompter::Shown& box) {
        if (box.text == "File not found")
            pointers.push_back(w.view.pointer);
    };
    w.prompter.answerOpenFiles({data.file("one.txt", a + "\n" + c), (data.path / "none.txt").generic_string(),
                                data.file("two.txt", b + "\n")});
    w.core.click(Button::LoadListFiles);
    EXPECT_EQ(w.roots(), (std::vector<std::string>{a + "/", c + "/", b + "/"}));
    EXPECT_EQ(w.prompter.messages().back(), "File not found");
    EXPECT_EQ(pointers, std::vector<int>{BusyPointer}) << "the load shows the busy pointer";
    EXPECT_EQ(w.view.pointer, DefaultPointer);
    EXPECT_THAT(w.prompter.errorReports(), IsEmpty());

    w.prompter.forget();
    w.core.click(Button::LoadListFiles); // the dialog is cancelled
    EXPECT_EQ(w.roots().size(), 3u);
    EXPECT_EQ(w.prompter.shown().size(), 2u) << "the help box comes before the dialog all the same";
}

TEST(MainWindowFolderList, DeleteKeyAndClearListLeaveTheListAloneWhileBusy)
{
    Window w;
    w.core.ListView1_KeyDown(kDeleteKeyCode); // an empty list
    for (const char* root : {"/r1/", "/r2/", "/r3/"})
        w.core.folderList().append(root);
    w.core.ListView1_KeyDown(kDeleteKeyCode); // nothing selected
    EXPECT_EQ(w.roots().size(), 3u);

    w.view.current = 2;
    w.core.setMousePointer(BusyPointer);
    w.core.ListView1_KeyDown(kDeleteKeyCode);
    w.core.click(Button::ClearFolders);
    EXPECT_EQ(w.roots().size(), 3u);

    w.core.setMousePointer(DefaultPointer);
    w.core.ListView1_KeyDown(kDeleteKeyCode + 1);
    EXPECT_EQ(w.roots().size(), 3u) << "another key";
    w.core.ListView1_KeyDown(kDeleteKeyCode);
    EXPECT_EQ(w.roots(), (std::vector<std::string>{"/r1/", "/r3/"}));
    w.core.click(Button::ClearFolders);
    EXPECT_THAT(w.roots(), IsEmpty());
    EXPECT_THAT(w.prompter.shown(), IsEmpty());
}

// ------------------------------------------------------------- scan button

TEST(MainWindowScan, ARunWithoutRootsKeepsTheResultsAndSaysSo)
{
    Window w;
    w.core.results().append("/earlier");
    std::string captionWhileOpen;
    w.prompter.onShow = [&](const test::ScriptedPrompter::Shown&) { captionWhileOpen = w.view.captions[Button::Scan]; };
    w.core.click(Button::Scan);
    EXPECT_THAT(w.prompter.messages(), ElementsAre("No folders added."));
    EXPECT_EQ(captionWhileOpen, "Stop");
    EXPECT_EQ(w.view.captions[Button::Scan], "Start Scanning For Empty Folders ");
    EXPECT_THAT(w.results(), ElementsAre("/earlier"));
    EXPECT_FALSE(w.core.scanActive());
}

TEST(MainWindowScan, AMissingRootIsNamedAndTheOthersAreSearched)
{
    Window w;
    w.fake.add("/data", "data/e1/e2/\ndata/full/f.txt");
    w.core.results().append("/earlier");
    for (const char* root : {"/data/gone/", "/data/data/", "/data/gone/"})
        w.core.folderList().append(root);
    w.core.click(Button::Scan);

    const std::string missing = ToNativePath("/data/gone/") + " folder does not exist.";
    EXPECT_THAT(w.prompter.messages(), ElementsAre(missing, missing, "Done."));
    EXPECT_THAT(w.results(), ElementsAre("/data/data/e1", "/data/data/e1/e2"));
    EXPECT_EQ(w.header(), "Folders To Scan For Empty Folders");
    EXPECT_EQ(w.core.results().rowCount(), 2u) << "every result is shown once the run is done";
    EXPECT_EQ(w.view.captions[Button::Scan], "Start Scanning For Empty Folders ");
    EXPECT_TRUE(w.core.stopFlag());
    EXPECT_THAT(w.prompter.errorReports(), IsEmpty());
}

TEST(MainWindowScan, ANewRunClearsTheResultsEvenWhenNoRootExists)
{
    Window w;
    w.core.results().append("/earlier");
    w.core.folderList().append("/data/gone/");
    w.core.click(Button::Scan);
    EXPECT_THAT(w.results(), IsEmpty());
    EXPECT_EQ(w.prompter.messages().back(), "Done.");
}

TEST(MainWindowScan, StopDuringTheFirstOfThreeRootsSkipsTheOthers)
{
    Window w;
    for (int i = 0; i < 60; ++i)
        w.fake.addFolder("/data/one/e" + std::to_string(i));
    w.fake.add("/data", "two/e/\nthree/e/");
    w.slow.slowBelow = "/data/one";
    for (const char* root : {"/data/one/", "/data/two/", "/data/three/"})
        w.core.folderList().append(root);

    // The press comes at a turn of the event loop while the first root is
    // searched, as a click does.
    bool pressed = false;
    std::string captionAfterPress;
    w.view.eachTurn = [&] {
        if (pressed || !w.header().starts_with("Searching /data/one"))
            return;
        pressed = true;
        w.core.click(Button::Scan);
        captionAfterPress = w.view.captions[Button::Scan];
    };
    w.core.click(Button::Scan);

    ASSERT_TRUE(pressed);
    EXPECT_THAT(w.prompter.messages(),
                ElementsAre("Done.\n\nThe scan was stopped; the list holds what was found before."));
    const auto found = w.results();
    EXPECT_FALSE(found.empty());
    EXPECT_LT(found.size(), 60u) << "the search of the first root ended early";
    for (const std::string& path : found)
        EXPECT_TRUE(path.starts_with("/data/one/")) << path;
    EXPECT_EQ(w.header(), "Folders To Scan For Empty Folders");
    EXPECT_EQ(w.view.captions[Button::Scan], "Start Scanning For Empty Folders ");
    EXPECT_TRUE(w.core.enabled(Button::Scan));
    EXPECT_EQ(captionAfterPress, "Start Scanning For Empty Folders ") << "the caption is back at once";
}

TEST(MainWindowScan, StopDuringTheFinalPassLetsItFinish)
{
    Window w;
    for (int i = 0; i < 40; ++i)
        w.fake.addFolder("/data/one/e" + std::to_string(i) + "/inner");
    w.fake.addFile("/data/one/e7/inner/file");
    w.slow.slowBelow = "/data/one";
    w.core.folderList().append("/data/one/");

    bool searched = false, pressed = false, disabledAfterStop = false;
    w.view.eachTurn = [&] {
        searched = searched || w.header().starts_with("Searching");
        if (!searched || pressed || w.header() != kFolderListHeader || !w.core.scanActive())
            return;
        pressed = true;
        w.core.click(Button::Scan);
        disabledAfterStop = !w.core.enabled(Button::Scan) && w.view.disabled.contains(Button::Scan);
        EXPECT_EQ(w.view.captions[Button::Scan], "Start Scanning For Empty Folders ");
    };
    w.core.click(Button::Scan);

    ASSERT_TRUE(pressed);
    EXPECT_TRUE(disabledAfterStop) << "no second run starts inside the first";
    EXPECT_THAT(w.prompter.messages(), ElementsAre("Done."));
    const auto found = w.results();
    EXPECT_EQ(found.size(), 78u) << "the final pass ran to its end";
    for (const std::string& path : found)
        EXPECT_FALSE(path.starts_with("/data/one/e7/")) << path;
    EXPECT_TRUE(w.core.enabled(Button::Scan));
}

// The closing box of a run says, after "Done.", what did not go as asked:
// folders that could not be read, and an empty list because every root was
// skipped whole. A plain run says "Done." alone.
TEST(MainWindowScan, TheClosingBoxSaysWhatDidNotGoAsAsked)
{
    std::string seven = "\n\n7 folders could not be read, so no folder above them is listed:";
    for (const char* n : {"1", "2", "3", "4", "5"})
        seven += "\n" + ToNativePath(std::string("/data/a/l") + n);
    const std::string nothing = "\n\nNothing is listed: every folder to scan ";
    const struct {
        std::vector<const char*> roots;
        int unreadable;
        std::string after; // the text after "Done."
        std::string notice = {}; // what the file system did on its own meanwhile
    } rows[] = {
        {{"/data/a/"}, 0, ""},
        {{"/data/a/"}, 0, "\n\nput back '/data/a/f', which a run that was stopped had set aside", "put back '/data/a/f', which a run that was stopped had set aside"},
        {{"/data/a/"}, 7, seven + "\nand 2 more."},
        {{"/usr/share/", "/usr/share/"}, 0, nothing + "lies in a system folder, and the settings skip system folders."},
        {{"/data/RECYCLER/"}, 0, nothing + "is one the settings say to ignore."},
        {{"/usr/RECYCLER/", "/data/gone/", "/data/RECYCLER/", "/usr/share/"},
         0,
         nothing + "lies in a system folder, which the settings skip, or is one they say to ignore."},
        {{"/usr/share/", "/data/full/"}, 0, ""}, // a root searched that holds nothing empty
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.after);
        Window w;
        w.fake.add("/data", "a/e/\nfull/f.txt\nRECYCLER/e/");
        w.fake.add("/usr", "share/e/\nRECYCLER/e/");
        for (int i = 1; i <= row.unreadable; ++i) {
            w.fake.addFolder("/data/a/l" + std::to_string(i) + "/e");
            w.fake.fail("/data/a/l" + std::to_string(i), FakeFileSystem::Op::List, FsError::PermissionDenied);
        }
        for (const char* root : row.roots)
            w.core.folderList().append(root);
        if (!row.notice.empty())
            PostNotice(row.notice);
        w.core.click(Button::Scan);
        ASSERT_FALSE(w.prompter.messages().empty());
        EXPECT_EQ(w.prompter.messages().back(), "Done." + row.after);
    }
}

TEST(MainWindowScan, CommandsThatChangeAListOrTheDiskWaitForTheRunToEnd)
{
    Window w;
    for (int i = 0; i < 40; ++i)
        w.fake.addFolder("/data/one/e" + std::to_string(i));
    w.slow.slowBelow = "/data/one";
    w.slow.delay = std::chrono::milliseconds(8); // a search long enough to show entries on its way
    w.core.folderList().append("/data/one/");
    w.prompter.answerOpenFiles({"/data/list.txt"});

    const std::set<Button> refused = {Button::LoadListFiles, Button::SendChecked, Button::AddOneFolder,
                                      Button::ClearFolders, Button::ClearResults, Button::LoadSamples};
    bool looked = false, disabledAtDone = false;
    std::size_t entriesSeenDuringSearch = 0;
    w.prompter.onShow = [&](const test::ScriptedPrompter::Shown& box) {
        if (box.text == "Done.")
            disabledAtDone = w.view.disabled.contains(Button::ClearFolders) &&
                             w.view.disabled.contains(Button::SendChecked);
    };
    w.view.eachTurn = [&] {
        if (!w.header().starts_with("Searching"))
            return;
        entriesSeenDuringSearch = std::max(entriesSeenDuringSearch, w.core.results().rowCount());
        if (std::exchange(looked, true))
            return;
        EXPECT_EQ(w.view.disabled, refused);
        for (const Button button : kButtons)
            EXPECT_EQ(w.core.enabled(button), !refused.contains(button)) << static_cast<int>(button);
        // Even called directly, the folder list stays as it is, and so does
        // the order of the results.
        w.view.current = 1;
        w.core.ListView1_KeyDown(kDeleteKeyCode);
        w.core.PushButton7_Click();
        w.core.PushButton1_Click();
        EXPECT_FALSE(w.core.listCommandEnabled(ListId::Folders, ListCommand::Remove));
        EXPECT_FALSE(w.core.listCommand(ListId::Folders, ListCommand::Remove, 0));
        EXPECT_FALSE(w.core.acceptsDrops());
        w.core.ListView1_OLEDragDrop({"/data/one"});
        EXPECT_EQ(w.core.folderList().count(), 1u);
        w.core.ListView2_ColumnClick();
        EXPECT_EQ(w.core.results().rowOrder(), RowOrder::Found);
    };
    w.core.click(Button::Scan);

    ASSERT_TRUE(looked);
    EXPECT_THAT(w.prompter.messages(), ElementsAre("Done.")) << "no list file was loaded";
    EXPECT_EQ(w.core.folderList().count(), 1u);
    EXPECT_TRUE(disabledAtDone) << "until \"Done.\" is closed";
    EXPECT_GT(entriesSeenDuringSearch, 0u) << "entries appear while the search runs";
    EXPECT_THAT(w.view.disabled, IsEmpty());
    EXPECT_EQ(w.results().size(), 40u);
}

TEST(MainWindowScan, ClosingTheWindowMidScanEndsTheRunWithoutAnotherWord)
{
    Window w;
    for (int i = 0; i < 200; ++i)
        w.fake.addFolder("/data/one/e" + std::to_string(i));
    w.slow.slowBelow = "/data/one";
    w.core.folderList().append("/data/one/");
    w.core.folderList().append("/data/one/");
    bool closed = false;
    w.view.eachTurn = [&] {
        if (closed || !w.header().starts_with("Searching"))
            return;
        closed = true;
        w.core.Form_Unload();
    };
    w.core.click(Button::Scan);

    ASSERT_TRUE(closed);
    EXPECT_TRUE(w.core.closing());
    EXPECT_THAT(w.prompter.shown(), IsEmpty()) << "no \"Done.\" and no error report";
    EXPECT_FALSE(w.core.scanActive());
    EXPECT_LT(w.results().size(), 400u) << "the second root is not searched";
}

TEST(MainWindowScan, SettingsChangedDuringAScanApplyToTheNextFolderExamined)
{
    Window w;
    w.fake.add("/data", "first/plain/\nfirst/.hidden/\nsecond/plain/\nsecond/.hidden/");
    for (const char* root : {"/data/first/", "/data/first/missing/", "/data/second/"})
        w.core.folderList().append(root);

    // The missing root's message pauses the run between the two trees; the
    // user opens the settings there and turns "Ignore hidden folders" on.
    w.prompter.onShow = [&](const test::ScriptedPrompter::Shown& box) {
        if (box.kind != Kind::Message || box.text.find("folder does not exist.") == std::string::npos)
            return;
        w.view.whileSettingsOpen = [](test::FakeSettingsView& settings) {
            settings.click(OptionBox::IgnoreHiddenFolders);
            settings.core().PushButton7_Click();
        };
        w.core.click(Button::OpenSettings);
        // The commands that change the folder list wait for the run's end.
        w.prompter.answerChooseFolder("/");
        w.core.PushButton6_Click();
        w.core.PushButton10_Click();
    };
    w.core.click(Button::Scan);

    EXPECT_THAT(w.results(), ::testing::UnorderedElementsAre("/data/first/.hidden", "/data/first/plain",
                                                             "/data/second/plain"));
    EXPECT_EQ(w.store.get(kCheck3), "1");
    EXPECT_EQ(w.core.folderList().count(), 3u);
    EXPECT_THAT(w.prompter.texts(Kind::ChooseFolder), IsEmpty());
    EXPECT_THAT(w.prompter.texts(Kind::Ask), IsEmpty());

    // Once the run is over, they work again.
    w.prompter.onShow = nullptr;
    w.core.click(Button::AddOneFolder);
    ASSERT_EQ(w.core.folderList().count(), 4u);
    EXPECT_EQ(w.core.folderList().text(4), "/");
}

// ---------------------------------------------------- menus and drops

// The lists' menus and a double click act on the row as the list shows it;
// folders dropped on the folder list are added as "Add One Folder" adds
// one, anything else is named and left out.
TEST(MainWindowLists, MenusDropsAndTheHeaderActOnTheRowsAsShown)
{
    Window w;
    w.fake.add("/data", "b/\na/\nfile.txt");
    for (const char* path : {"/data/b", "/data/a"})
        w.core.results().append(path);
    w.core.results().flush();
    w.core.ListView2_ColumnClick();
    ASSERT_EQ(w.core.results().rowText(0), "/data/a");

    EXPECT_TRUE(w.core.listCommand(ListId::Results, ListCommand::Uncheck, 0));
    EXPECT_THAT(test::MarkedTexts(w.core.results()), ElementsAre("/data/b", "[ ] /data/a"));
    EXPECT_TRUE(w.core.listCommand(ListId::Results, ListCommand::CopyPath, 0));
    EXPECT_EQ(w.clipboard.text, ToNativePath("/data/a"));
    w.core.ListView2_DblClick(1);
    EXPECT_FALSE(w.core.listCommand(ListId::Results, ListCommand::Check, 2)) << "no such row";
    EXPECT_FALSE(w.core.listCommand(ListId::Results, ListCommand::Remove, 0)) << "not a command of the results";

    w.core.ListView1_OLEDragDrop({"/data/a", "/data/file.txt", "/data/b/", "/"});
    EXPECT_THAT(w.roots(), ElementsAre("/data/a/", "/data/b/", "/"));
    w.core.ListView1_OLEDragDrop({"/data/file.txt", "/data/gone"});
    EXPECT_THAT(w.prompter.messages(),
                ElementsAre(ToNativePath("/data/file.txt") + " is not a folder, so it was not added.",
                            "These are not folders, so they were not added:\n" + ToNativePath("/data/file.txt") + "\n" +
                                ToNativePath("/data/gone")));
    EXPECT_TRUE(w.core.listCommand(ListId::Folders, ListCommand::Remove, 0));
    EXPECT_TRUE(w.core.listCommand(ListId::Folders, ListCommand::OpenFolder, 0));
    EXPECT_THAT(w.roots(), ElementsAre("/data/b/", "/"));
    w.opener.succeeds = false;
    w.core.ListView2_DblClick(0);
    EXPECT_THAT(w.opener.opened, ElementsAre("/data/b", "/data/b/", "/data/a"));
    EXPECT_EQ(w.prompter.messages().back(), "The folder " + ToNativePath("/data/a") + " could not be opened.");
}

// ---------------------------------------------------------- results list

TEST(MainWindowSending, TheTrashCommandWaitsForTheScanToEnd)
{
    Window w;
    w.fake.add("/data", "scanned/empty/");
    w.core.folderList().append("/data/scanned/");
    bool enabledDuringScan = true;
    w.prompter.onShow = [&](const test::ScriptedPrompter::Shown& box) {
        if (box.text == "Done.")
            enabledDuringScan = w.core.enabled(Button::SendChecked);
    };
    w.core.click(Button::Scan);
    EXPECT_FALSE(enabledDuringScan);
    EXPECT_TRUE(w.core.enabled(Button::SendChecked));
    ASSERT_EQ(w.core.results().count(), 1u);

    // Now the scanned folder goes; the list is empty again.
    w.prompter.onShow = nullptr;
    w.core.click(Button::SendChecked);
    EXPECT_EQ(w.core.results().count(), 0u);
    EXPECT_FALSE(w.fake.exists("/data/scanned/empty"));
}

// While folders go, the window stays alive, but nothing that changes the
// lists, the disk or the check marks (which say what goes) can be done.
TEST(MainWindowSending, TheWindowStaysAliveWhileFoldersGoAndTheMarksStay)
{
    Window w;
    std::vector<std::string> going;
    for (int i = 1; i <= 5; ++i) {
        going.push_back("/data/go" + std::to_string(i));
        w.fake.addFolder(going.back());
        w.core.results().append(going.back());
    }
    w.fake.addFolder("/data/keep");
    w.core.results().append("/data/keep");
    w.core.results().setChecked(6, false);
    w.core.results().flush();
    // Each folder takes longer than a slice of the event loop.
    w.trash.whileHolding = [](std::size_t) { std::this_thread::sleep_for(std::chrono::milliseconds(60)); };

    std::set<Button> held;
    for (const Button button : kButtons)
        if (button != Button::SaveAsTextFile && button != Button::CopyToClipboard && button != Button::Scan)
            held.insert(button);
    std::vector<std::string> headers;
    bool commandsRight = true, alwaysBusy = true, disabledAtDone = false, marksStayed = false;
    w.prompter.onShow = [&](const test::ScriptedPrompter::Shown&) {
        disabledAtDone = !w.core.enabled(Button::SendChecked);
    };
    w.view.eachTurn = [&] {
        const std::string header = w.core.results().headerText();
        if (!header.starts_with("Sending"))
            return;
        if (headers.empty()) {
            // The user's Uncheck All and clicks on check boxes are refused.
            w.core.PushButton3_Click();
            const bool clickRefused = !w.core.ListView2_ItemCheck(1, false) && !w.core.ListView2_ItemCheck(5, true) &&
                                      !w.core.listCommand(ListId::Results, ListCommand::Uncheck, 1) &&
                                      w.core.listCommandEnabled(ListId::Results, ListCommand::CopyPath);
            marksStayed = clickRefused && w.core.results().checked(2) && !w.core.results().checked(6);
            // A mark set meanwhile changes nothing of what goes.
            w.core.results().setChecked(6, true);
        }
        if (headers.empty() || headers.back() != header)
            headers.push_back(header);
        commandsRight = commandsRight && w.view.disabled == held && w.view.captions[Button::Scan] == "Stop";
        alwaysBusy = alwaysBusy && w.view.pointer == BusyPointer;
    };
    w.core.click(Button::SendChecked);

    ASSERT_FALSE(headers.empty()) << "the event loop turned while folders went";
    EXPECT_GE(headers.size(), 4u) << "a turn at least after every folder that took longer than a slice";
    EXPECT_EQ(headers.back(), "Sending 5 of 5");
    EXPECT_TRUE(marksStayed) << "Uncheck All and clicks on check boxes wait for the end";
    EXPECT_TRUE(commandsRight) << "only the exports and the scan button's stop stay";
    EXPECT_TRUE(alwaysBusy);
    EXPECT_TRUE(disabledAtDone) << "until the closing box is dismissed";
    EXPECT_EQ(w.trash.calls, going);
    EXPECT_EQ(test::MarkedTexts(w.core.results()), std::vector<std::string>{"/data/keep"});
    EXPECT_TRUE(w.fake.isDirectory("/data/keep"));
    EXPECT_THAT(w.prompter.messages(), ElementsAre("Done."));
    EXPECT_THAT(w.view.disabled, IsEmpty());
    EXPECT_EQ(w.view.pointer, DefaultPointer);
    EXPECT_EQ(w.view.captions[Button::Scan], "Start Scanning For Empty Folders ");
    EXPECT_EQ(w.core.results().headerText(), "1 empty folder, 1 checked") << "the counts once the list holds still";
}

// The scan button's "Stop", and closing the window, let the folder at hand
// finish and send no other; the entries not reached stay, checked.
TEST(MainWindowSending, StopOrClosingMidDeletionFinishesTheFolderAtHandAndStops)
{
    const struct {
        bool closeWindow;
        std::vector<std::string> boxes;
    } rows[] = {
        {false,
         {"Done.\n\nThe sending was stopped: 3 folders were sent; 3 folders were not reached and stay checked in the "
          "list."}},
        {true, {}}, // no closing box once the window is closed
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.closeWindow ? "closing" : "stop");
        Window w;
        std::vector<std::string> folders;
        for (int i = 1; i <= 6; ++i) {
            folders.push_back("/data/f" + std::to_string(i));
            w.fake.addFolder(folders.back());
            w.core.results().append(folders.back());
        }
        bool heldAfterStop = false;
        w.trash.whileHolding = [&](std::size_t n) {
            if (n != 3)
                return;
            if (row.closeWindow) {
                w.core.Form_Unload();
                return;
            }
            w.core.click(w.view.captions[Button::Scan] == "Stop" ? Button::Scan : Button::CopyToClipboard);
            heldAfterStop = w.view.captions[Button::Scan] == std::string(kScanCaption) &&
                            w.view.disabled.contains(Button::Scan);
        };
        w.core.click(Button::SendChecked);

        EXPECT_EQ(w.core.closing(), row.closeWindow);
        EXPECT_EQ(w.prompter.messages(), row.boxes);
        EXPECT_EQ(heldAfterStop, !row.closeWindow) << "after a stop the button waits for the end";
        ASSERT_EQ(w.trash.calls.size(), 3u);
        for (std::size_t i = 0; i < folders.size(); ++i)
            EXPECT_EQ(w.fake.exists(folders[i]), i >= 3) << folders[i];
        EXPECT_EQ(test::MarkedTexts(w.core.results()), std::vector<std::string>(folders.begin() + 3, folders.end()))
            << "exactly the entries whose folders went leave the list";
        EXPECT_TRUE(w.core.enabled(Button::Scan) || row.closeWindow);
    }
}

} // namespace
} // namespace vacantix
