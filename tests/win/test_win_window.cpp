// SPDX-License-Identifier: GPL-3.0-or-later
// The Win32 windows over their cores, created for real and driven through
// their messages, as a user's clicks and keys reach them: the designed
// sizes and places, a scan of the samples, check marks, sending to the
// recycle bin with the last look, the settings in the registry, the error
// report in its box, a list of 100,000 rows, and closing mid-run.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <tuple>

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "app/MainWindow.h"
#include "app/win/Win32MainWindow.h"
#include "base/ProcedurePaths.h"
#include "platform/PathRoot.h"
#include "platform/win/RecycleBin.h"
#include "platform/win/RegistrySettingsStore.h"
#include "platform/win/WinClipboard.h"
#include "platform/win/WinFileSystem.h"
#include "platform/win/WinFileWriter.h"
#include "platform/win/WinPath.h"
#include "platform/win/WinPrompter.h"
#include "platform/win/WinRemover.h"
#include "settings/win/Win32SettingsWindow.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/SlowFileSystem.h"
#include "tests/win/WinTestSupport.h"
#include "tests/win/WindowTestSupport.h"

namespace vacantix {
namespace {

using namespace std::chrono_literals;
using namespace wintest;

// Questions and dialogs from a script; messages and error reports recorded,
// and shown in real boxes as well when asked to.
class TestPrompter final : public Prompter {
public:
    test::ScriptedPrompter script;
    WinPrompter boxes;
    bool realBoxes = false;
    bool realDialogs = false;

    void message(std::string_view text) override
    {
        script.message(text);
        if (realBoxes)
            boxes.message(text);
    }
    bool ask(std::string_view text) override { return script.ask(text); }
    void errorReport(std::string_view text) override
    {
        script.errorReport(text);
        if (realBoxes)
            boxes.errorReport(text);
    }
    std::vector<std::string> openFiles(std::string_view t, std::string_view f) override
    {
        return realDialogs ? boxes.openFiles(t, f) : script.openFiles(t, f);
    }
    std::optional<std::string> saveFile(std::string_view t, std::string_view f) override
    {
        return realDialogs ? boxes.saveFile(t, f) : script.saveFile(t, f);
    }
    std::optional<std::string> chooseFolder(std::string_view t) override
    {
        return realDialogs ? boxes.chooseFolder(t) : script.chooseFolder(t);
    }
};

class RecordingOpener final : public FolderOpener {
public:
    std::vector<std::string> opened;
    bool open(const std::string& path) override
    {
        opened.push_back(path);
        return true;
    }
};

std::string CopyOfSamples()
{
    const std::string copy = FreshFolder("samples") + "/Samples";
    std::filesystem::copy(std::filesystem::path(L"Z:" VACANTIX_SAMPLES_DIR), *ExtendedPath(copy),
                          std::filesystem::copy_options::recursive);
    return copy;
}

std::string TestKey()
{
    return "Software\\Quillmark\\VacantixTest\\window-" + std::to_string(GetCurrentProcessId());
}

class Win32Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = std::make_unique<Win32MainWindow>(core_);
        prompter_.boxes.setOwner(window_->handle());
        clipboard_.setOwner(window_->handle());
        core_.Form_Load();
        ShowWindow(window_->handle(), SW_SHOW);
        PumpMessages();
    }
    void TearDown() override
    {
        window_.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, WideOfUtf8(TestKey())->c_str());
    }

    [[nodiscard]] HWND handle() const { return window_->handle(); }
    [[nodiscard]] std::wstring rowShown(const win::ListView& list, int row) const
    {
        wchar_t text[1024] = {};
        ListView_GetItemText(list.handle(), row, 0, text, static_cast<int>(std::size(text)));
        return text;
    }
    [[nodiscard]] int rowEndingWith(std::string_view end)
    {
        for (std::size_t row = 0; row < core_.results().rowCount(); ++row)
            if (core_.results().rowText(row).ends_with(end))
                return static_cast<int>(row);
        return -1;
    }

    std::string samples_ = CopyOfSamples();
    RegistrySettingsStore store_{TestKey()};
    Settings settings_{store_};
    TestPrompter prompter_;
    WinFileSystem disk_;
    test::SlowFileSystem fs_{disk_, 0us};
    RecycleBin trash_;
    WinRemover remover_;
    WinFileWriter writer_;
    WinClipboard clipboard_;
    RecordingOpener opener_;
    MainWindow core_{{fs_, settings_, prompter_, trash_, remover_, writer_, clipboard_, opener_, PrivateHome(),
                      [this] { return samples_; }}};
    std::unique_ptr<Win32MainWindow> window_;
};

void ExpectPlace(HWND control, const DesignRect& place, double scale, bool height = true)
{
    const RECT shown = PlaceInParent(control);
    EXPECT_EQ(shown.left, TwipsToPixels(place.left, scale));
    EXPECT_EQ(shown.top, TwipsToPixels(place.top, scale));
    EXPECT_EQ(shown.right, TwipsToPixels(place.left + place.width, scale));
    if (height) {
        EXPECT_EQ(shown.bottom, TwipsToPixels(place.top + place.height, scale));
    }
}

TEST_F(Win32Window, BothWindowsHaveTheirDesignedSizesAndPlaces)
{
    const double scale = window_->scale();
    const bool at96 = GetDpiForWindow(handle()) == USER_DEFAULT_SCREEN_DPI;
    RECT client{};
    GetClientRect(handle(), &client);
    EXPECT_EQ(client.right, at96 ? 536 : TwipsToPixels(kMainWindowWidth, scale));
    EXPECT_EQ(client.bottom, at96 ? 529 : TwipsToPixels(kMainWindowHeight, scale));
    for (const ControlDesign& control : kMainWindowControls) {
        SCOPED_TRACE(std::string(control.name));
        const bool isButton = control.kind == ControlKind::PushButton;
        const HWND item = GetDlgItem(handle(), isButton ? ControlId(static_cast<Button>(control.number))
                                                        : ControlId(static_cast<ListId>(control.number)));
        ExpectPlace(item, control.place, scale);
        const std::wstring shown = isButton ? ItemText(handle(), GetDlgCtrlID(item))
                                            : window_->list(static_cast<ListId>(control.number)).columnHeader();
        EXPECT_EQ(shown, ControlText(control.caption));
    }
    SaveScreenshot(handle(), L"main-window.png");

    bool seen = false;
    WhenWindowAppears(kSettingsWindowClass, L"Settings", [&](HWND settings) {
        seen = true;
        RECT inside{};
        GetClientRect(settings, &inside);
        EXPECT_EQ(inside.right, at96 ? 536 : TwipsToPixels(kSettingsWindowWidth, scale));
        EXPECT_EQ(inside.bottom, at96 ? 339 : TwipsToPixels(kSettingsWindowHeight, scale));
        for (const ControlDesign& control : kSettingsWindowControls) {
            SCOPED_TRACE(std::string(control.name));
            DesignRect place = control.place;
            for (const ControlDesign& frame : kSettingsWindowControls)
                if (frame.name == control.container)
                    place.left += frame.place.left, place.top += frame.place.top;
            place.width = control.captionRoom > 0 ? control.captionRoom : place.width;
            // A drop-down list is as high as its font makes it.
            ExpectPlace(GetDlgItem(settings, SettingsControlId(control.kind, control.number)), place, scale,
                        control.kind != ControlKind::ComboBox);
        }
        SaveScreenshot(settings, L"settings-window.png");
        SendMessageW(GetDlgItem(settings, SettingsControlId(ControlKind::PushButton, 7)), BM_CLICK, 0, 0);
    });
    window_->button(Button::OpenSettings).click();
    EXPECT_TRUE(seen);
}

// Records the texts a control is given: a list view's column headers, a
// button's captions.
LRESULT CALLBACK RecordTexts(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR seen)
{
    auto& texts = *reinterpret_cast<std::vector<std::wstring>*>(seen);
    if (message == LVM_SETCOLUMNW && (reinterpret_cast<const LVCOLUMNW*>(lParam)->mask & LVCF_TEXT))
        texts.push_back(reinterpret_cast<const LVCOLUMNW*>(lParam)->pszText);
    else if (message == WM_SETTEXT)
        texts.push_back(reinterpret_cast<const wchar_t*>(lParam));
    return DefSubclassProc(control, message, wParam, lParam);
}

TEST_F(Win32Window, ScansTheSamplesAndSendsTheCheckedFoldersToTheRecycleBin)
{
    prompter_.script.answerAsk(false); // the sample folder is not opened
    window_->button(Button::LoadSamples).click();
    RunLoopUntil([&] { return window_->list(ListId::Folders).rowCount() == 1; });
    EXPECT_EQ(rowShown(window_->list(ListId::Folders), 0), ControlText(ToNativePath(samples_ + "/")));
    window_->button(Button::Scan).click();
    ASSERT_FALSE(prompter_.script.messages().empty());
    EXPECT_TRUE(prompter_.script.messages().back().starts_with("Done."));

    const win::ListView& list = window_->list(ListId::Results);
    ResultsModel& results = core_.results();
    ASSERT_EQ(list.rowCount(), results.rowCount());
    const int grown = rowEndingWith("/This one is empty 1");
    const int nest = rowEndingWith("/A nest of empty folders");
    ASSERT_GE(grown, 0);
    ASSERT_GE(nest, 0);
    for (int row = 0; row < static_cast<int>(list.rowCount()); ++row)
        EXPECT_EQ(rowShown(list, row), ControlText(ToNativePath(results.rowText(static_cast<std::size_t>(row)))));

    // A click on the box of the nest's row, and Space on the row after it.
    RECT box{};
    ListView_GetItemRect(list.handle(), nest, &box, LVIR_BOUNDS);
    POINT onBox{box.left + 1, (box.top + box.bottom) / 2};
    while (onBox.x < box.right && list.checkBoxRowAt(onBox) != nest)
        ++onBox.x;
    ClickAt(list.handle(), onBox);
    EXPECT_FALSE(results.rowChecked(static_cast<std::size_t>(nest)));
    const int next = nest + 1 < static_cast<int>(list.rowCount()) ? nest + 1 : nest - 1;
    list.selectRow(next);
    SendMessageW(list.handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_FALSE(results.rowChecked(static_cast<std::size_t>(next)));
    EXPECT_EQ(list.columnHeader(), ControlText(CountsText(results.count(), results.checkedCount())));
    SaveScreenshot(handle(), L"main-window-results.png");
    const std::string kept = results.rowText(static_cast<std::size_t>(nest));
    const std::string alsoKept = results.rowText(static_cast<std::size_t>(next));

    // A file appears in a checked folder after the scan: the last look keeps it.
    const std::string grownPath = results.rowText(static_cast<std::size_t>(grown));
    ASSERT_TRUE(MakeFile(grownPath + "/arrived later.txt", 1));
    std::vector<std::string> gone;
    for (std::size_t row = 0; row < results.rowCount(); ++row)
        if (results.rowChecked(row) && results.rowText(row) != grownPath &&
            !kept.starts_with(results.rowText(row) + "/") && !alsoKept.starts_with(results.rowText(row) + "/"))
            gone.push_back(results.rowText(row));
    std::vector<std::wstring> headers;
    const HWND scan = window_->button(Button::Scan).handle();
    for (const HWND control : {list.handle(), scan})
        SetWindowSubclass(control, RecordTexts, 1, reinterpret_cast<DWORD_PTR>(&headers));
    window_->button(Button::SendChecked).click();
    for (const HWND control : {list.handle(), scan})
        RemoveWindowSubclass(control, RecordTexts, 1);

    EXPECT_TRUE(prompter_.script.messages().back().starts_with("Done."));
    EXPECT_NE(prompter_.script.messages().back().find(ToNativePath(grownPath)), std::string::npos);
    EXPECT_NE(std::find(headers.begin(), headers.end(), L"Sending 1 of " + std::to_wstring(gone.size() + 1)),
              headers.end());
    EXPECT_NE(std::find(headers.begin(), headers.end(), ControlText(kStopCaption)), headers.end());
    EXPECT_EQ(ItemText(handle(), ControlId(Button::Scan)), ControlText(kScanCaption));
    for (const std::string& folder : {kept, alsoKept, grownPath})
        EXPECT_TRUE(Exists(folder)) << folder;
    for (const std::string& folder : gone)
        EXPECT_FALSE(Exists(folder)) << folder;
    EXPECT_FALSE(std::filesystem::is_empty(*ExtendedPath(PrivateHome() + "/share/Trash/files")));
    EXPECT_EQ(list.rowCount(), results.rowCount());
}

TEST_F(Win32Window, SettingsGoToTheRegistryAndAStoredValueThatDoesNotFitIsReported)
{
    store_.set("Check1", "7");
    prompter_.realBoxes = true;
    std::wstring report;
    WhenWindowAppears(L"#32770", L"Application Error", [&](HWND box) {
        report = ItemText(box, 0xFFFF);
        SaveScreenshot(box, L"error-report.png");
        SendMessageW(box, WM_COMMAND, IDOK, 0);
    });
    WhenWindowAppears(kSettingsWindowClass, L"Settings", [&](HWND settings) {
        const auto item = [&](ControlKind kind, int number) { return GetDlgItem(settings, SettingsControlId(kind, number)); };
        SendMessageW(item(ControlKind::CheckBox, 2), BM_CLICK, 0, 0);
        const HWND combo = item(ControlKind::ComboBox, 1);
        SendMessageW(combo, CB_SETCURSEL, 1, 0);
        SendMessageW(settings, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        const win::Edit text(item(ControlKind::TextBox, 1));
        text.moveCaretToEnd();
        text.replaceSelection(L"\r\nnode_modules");
        SendMessageW(item(ControlKind::PushButton, 7), BM_CLICK, 0, 0);
    });
    window_->button(Button::OpenSettings).click();

    EXPECT_NE(report.find(L"110"), std::wstring::npos) << report;
    EXPECT_NE(report.find(ControlText(kSettingsLoadPath)), std::wstring::npos) << report;
    const RegistrySettingsStore reread{TestKey()};
    EXPECT_EQ(reread.get("Check2"), "0");
    EXPECT_EQ(reread.get("Combo1"), "1");
    EXPECT_TRUE(reread.get("Text1").value_or("").ends_with("$RECYCLE.BIN\r\nnode_modules"));
}

// Types a path into a file dialog's name box and confirms it, as a user may.
void TypePathAndConfirm(HWND dialog, const std::string& path)
{
    HWND name = nullptr;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM found) {
            wchar_t kind[16] = {};
            GetClassNameW(child, kind, 16);
            if (_wcsicmp(kind, L"Edit") != 0 || !IsWindowVisible(child))
                return TRUE;
            *reinterpret_cast<HWND*>(found) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&name));
    ASSERT_NE(name, nullptr);
    SetWindowTextW(name, ControlText(ToNativePath(path)).c_str());
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(Win32Window, TheShellsDialogsPickAFolderAndNameTheExport)
{
    prompter_.realDialogs = true;
    const std::string picked = FreshFolder("picked");
    WhenWindowAppears(L"#32770", L"Select Folder", [&](HWND dialog) { TypePathAndConfirm(dialog, picked); });
    window_->button(Button::AddOneFolder).click();
    ASSERT_TRUE(RunLoopUntil([&] { return window_->list(ListId::Folders).rowCount() == 1; }));
    EXPECT_EQ(rowShown(window_->list(ListId::Folders), 0), ControlText(ToNativePath(picked + "/")));

    // The Delete key takes the entry out again.
    window_->list(ListId::Folders).selectRow(0);
    SendMessageW(window_->list(ListId::Folders).handle(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_TRUE(RunLoopUntil([&] { return window_->list(ListId::Folders).rowCount() == 0; }));

    core_.results().append(picked + "/a");
    core_.results().append(picked + "/b c");
    // (Wine's dialog adds the chosen type's extension to a name typed
    // without one, which Windows does not: the name here has one.)
    const std::string target = picked + "/list.txt";
    WhenWindowAppears(L"#32770", L"Save", [&](HWND dialog) { TypePathAndConfirm(dialog, target); });
    window_->button(Button::SaveAsTextFile).click();
    std::ifstream written(std::filesystem::path(*ExtendedPath(target)), std::ios::binary);
    const std::string content{std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>()};
    EXPECT_EQ(content, ToNativePath(picked + "/a") + "\r\n" + ToNativePath(picked + "/b c") + "\r\n");
}

TEST_F(Win32Window, AHundredThousandRowsKeepTheMessageLoopTurning)
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point last = Clock::now();
    Clock::duration longest{};
    const auto turned = [&] {
        longest = std::max(longest, Clock::now() - last);
        last = Clock::now();
    };
    const UINT_PTR gauge = Repeat(5, turned);
    // A direct command runs between two turns of the loop: it counts whole.
    const auto command = [&](const std::function<void()>& act) {
        turned();
        act();
        turned();
    };

    ResultsModel& results = core_.results();
    for (int i = 0; i < 100'000; ++i) {
        results.append(samples_ + "/many/" + std::to_string(i));
        core_.yieldToEventLoop();
    }
    results.flush();
    const win::ListView& list = window_->list(ListId::Results);
    ASSERT_EQ(list.rowCount(), 100'000u);
    SetFocus(list.handle());
    command([&] { SendMessageW(list.handle(), WM_KEYDOWN, VK_END, 0); });
    EXPECT_EQ(list.focusedRow(), 99'999);
    EXPECT_GT(list.topRow() + list.rowsPerPage(), 99'999);
    command([&] { SendMessageW(list.handle(), WM_KEYDOWN, VK_HOME, 0); });
    command([&] { SendMessageW(list.handle(), WM_KEYDOWN, VK_NEXT, 0); });
    EXPECT_EQ(list.focusedRow(), list.rowsPerPage());
    command([&] { SendMessageW(list.handle(), WM_KEYDOWN, VK_SPACE, 0); });
    EXPECT_FALSE(results.rowChecked(static_cast<std::size_t>(list.rowsPerPage())));
    command([&] { window_->button(Button::UncheckAll).click(); });
    PumpMessages();
    EXPECT_EQ(ListView_GetItemState(list.handle(), 99'999, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
    command([&] { window_->button(Button::CheckAll).click(); });
    PumpMessages();
    EXPECT_EQ(ListView_GetItemState(list.handle(), 0, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
    command([&] { SendMessageW(handle(), WM_CLOSE, 0, 0); });
    EXPECT_FALSE(window_->isOpen());
    StopRepeating(gauge);

    const double longestMs = std::chrono::duration<double, std::milli>(longest).count();
    std::printf("longest gap between two turns of the message loop: %.1f ms\n", longestMs);
    EXPECT_LT(longestMs, 100.0);
}

TEST_F(Win32Window, TheResultsHeaderOrdersTheRowsAndADoubleClickOpensAFolder)
{
    ResultsModel& results = core_.results();
    for (const char* name : {"b", "c", "a"})
        results.append(samples_ + "/" + name);
    results.flush();
    const win::ListView& list = window_->list(ListId::Results);
    const HWND header = ListView_GetHeader(list.handle());
    RECT column{};
    Header_GetItemRect(header, 0, &column);
    for (const auto& [order, arrow, rows] : {std::tuple{RowOrder::PathAscending, HDF_SORTUP, "abc"},
                                             {RowOrder::PathDescending, HDF_SORTDOWN, "cba"}, {RowOrder::Found, 0, "bca"}}) {
        ClickAt(header, {column.right / 2, column.bottom / 2});
        EXPECT_EQ(results.rowOrder(), order);
        HDITEMW shown{};
        shown.mask = HDI_FORMAT;
        Header_GetItem(header, 0, &shown);
        EXPECT_EQ(shown.fmt & (HDF_SORTUP | HDF_SORTDOWN), arrow);
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(rowShown(list, row), ControlText(ToNativePath(samples_ + "/" + rows[row])));
    }
    // On the check box a double click is two clicks on the mark; elsewhere
    // on the row it opens the folder.
    const RECT first = list.rowRect(0);
    POINT onBox{first.left, (first.top + first.bottom) / 2};
    while (onBox.x < first.right && list.checkBoxRowAt(onBox) != 0)
        ++onBox.x;
    DoubleClickAt(list.handle(), onBox);
    EXPECT_TRUE(results.rowChecked(0));
    EXPECT_TRUE(opener_.opened.empty());
    DoubleClickAt(list.handle(), {first.right / 2, onBox.y});
    EXPECT_EQ(opener_.opened, std::vector<std::string>{samples_ + "/b"});
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

TEST_F(Win32Window, TheListsContextMenusActOnTheRowTheyWereOpenedOn)
{
    for (const char* name : {"x", "y"}) {
        core_.folderList().append(samples_ + "/" + name + "/");
        core_.results().append(samples_ + "/" + name);
    }
    core_.folderList().flush();
    core_.results().flush();
    const std::string x = samples_ + "/x";
    const std::string y = samples_ + "/y";
    // From the mouse on a row (the other one current), or from the keyboard
    // on the current row; each with what it leaves behind.
    using enum ListCommand;
    const std::tuple<ListId, int, ListCommand, bool, std::function<bool()>> uses[] = {
        {ListId::Results, 1, Uncheck, false, [&] { return !core_.results().rowChecked(1); }},
        {ListId::Results, 1, Check, true, [&] { return core_.results().rowChecked(1); }},
        {ListId::Results, 0, CopyPath, false, [&] { return ClipboardText() == ControlText(ToNativePath(x)); }},
        {ListId::Results, 1, OpenFolder, true, [&] { return opener_.opened.back() == y; }},
        {ListId::Folders, 1, OpenFolder, false, [&] { return opener_.opened.back() == y + "/"; }},
        {ListId::Folders, 0, Remove, true, [&] { return core_.folderList().rowText(0) == y + "/"; }}};
    for (const auto& [id, row, command, keyboard, done] : uses) {
        const std::span<const MenuItemDesign> design = MenuOf(id);
        const auto item = std::ranges::find(design, command, &MenuItemDesign::command);
        SCOPED_TRACE(std::string(item->caption));
        WhenWindowAppears(L"#32768", nullptr, [&](HWND menu) {
            const auto items = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
            ASSERT_EQ(GetMenuItemCount(items), static_cast<int>(design.size()));
            for (UINT i = 0; i < design.size(); ++i) {
                wchar_t caption[64] = {};
                GetMenuStringW(items, i, caption, 64, MF_BYPOSITION);
                EXPECT_EQ(caption, ControlText(design[i].caption));
            }
            if (command == Uncheck)
                SaveScreenshot(handle(), L"context-menu.png");
            for (auto at = design.begin(); at <= item; ++at)
                PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
        });
        const win::ListView& view = window_->list(id);
        const RECT shown = view.rowRect(row);
        POINT at{(shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2};
        ClientToScreen(view.handle(), &at);
        view.selectRow(keyboard ? row : 1 - row);
        SendMessageW(view.handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view.handle()),
                     keyboard ? MAKELPARAM(-1, -1) : MAKELPARAM(at.x, at.y));
        PumpMessages();
        EXPECT_TRUE(done());
    }
}

TEST_F(Win32Window, FoldersDroppedFromTheShellAreAddedAndAFileIsNamed)
{
    const HWND folders = window_->list(ListId::Folders).handle();
    EXPECT_TRUE(GetWindowLongW(folders, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    const std::string folder = FreshFolder("dropped");
    const std::string file = folder + "/note.txt";
    ASSERT_TRUE(MakeFile(file));
    // What the shell hands over: a DROPFILES block, the wide paths after it.
    std::wstring names;
    for (const std::string& path : {folder, file})
        names += ControlText(ToNativePath(path)) + L'\0';
    names += L'\0';
    const HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    *drop = {sizeof(DROPFILES), {}, FALSE, TRUE};
    std::ranges::copy(names, reinterpret_cast<wchar_t*>(drop + 1));
    GlobalUnlock(block);
    SendMessageW(folders, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);

    ASSERT_EQ(core_.folderList().rowCount(), 1u);
    EXPECT_EQ(rowShown(window_->list(ListId::Folders), 0), ControlText(ToNativePath(folder + "/")));
    EXPECT_EQ(prompter_.script.messages(),
              std::vector<std::string>{ToNativePath(file) + " is not a folder, so it was not added."});
}

TEST_F(Win32Window, TheWindowGrowsWithItsListsAndShrinksNoFurtherThanItsLeast)
{
    EXPECT_EQ(GetWindowLongW(handle(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), WS_THICKFRAME | WS_MAXIMIZEBOX);
    const MainWindowFit& fit = window_->fit();
    const auto clientSize = [&] {
        const RECT client = win::Window(handle()).clientRect();
        return PixelSize{client.right, client.bottom};
    };
    SetWindowPos(handle(), nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(clientSize(), fit.least());
    // Grown at the screen's corner, so that its picture fits the screen.
    SetWindowPos(handle(), nullptr, 0, 0, 900, 800, SWP_NOZORDER);
    const PixelSize grown = clientSize();
    ASSERT_GT(grown.height, fit.designed().height);
    for (const ControlDesign& control : kMainWindowControls) {
        SCOPED_TRACE(std::string(control.name));
        const bool isButton = control.kind == ControlKind::PushButton;
        const HWND item = GetDlgItem(handle(), isButton ? ControlId(static_cast<Button>(control.number))
                                                        : ControlId(static_cast<ListId>(control.number)));
        const RECT shown = PlaceInParent(item);
        EXPECT_EQ((PixelRect{shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top}),
                  fit.place(control, grown));
        if (!isButton) { // the column spans the list
            EXPECT_EQ(ListView_GetColumnWidth(item, 0), win::Window(item).clientRect().right);
        }
    }
    SaveScreenshot(handle(), L"main-window-resized.png");
}

TEST_F(Win32Window, UnderTheDarkSchemeForAppsTheWindowIsDarkAndTheLightLookStaysAsDesigned)
{
    const wchar_t* personalize = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    DWORD before = 1;
    DWORD size = sizeof(before);
    const LSTATUS had = RegGetValueW(HKEY_CURRENT_USER, personalize, L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr,
                                     &before, &size);
    // The user's choice as Windows announces it, and the window's margin.
    const auto chosen = [&](DWORD light) {
        RegSetKeyValueW(HKEY_CURRENT_USER, personalize, L"AppsUseLightTheme", REG_DWORD, &light, sizeof(light));
        SendMessageW(handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
        UpdateWindow(handle());
        const HDC screen = GetDC(handle());
        const COLORREF margin = GetPixel(screen, 2, 2);
        ReleaseDC(handle(), screen);
        return margin;
    };
    EXPECT_EQ(chosen(0), RGB(32, 32, 32));
    EXPECT_EQ(ListView_GetBkColor(window_->list(ListId::Results).handle()), RGB(32, 32, 32));
    SaveScreenshot(handle(), L"main-window-dark.png");
    EXPECT_EQ(chosen(1), kDesignedBackColor);
    if (had == ERROR_SUCCESS)
        RegSetKeyValueW(HKEY_CURRENT_USER, personalize, L"AppsUseLightTheme", REG_DWORD, &before, sizeof(before));
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, personalize, L"AppsUseLightTheme");
}

TEST_F(Win32Window, ThePointerFollowsTheMouseAndBusyStays)
{
    // What the window hears as the mouse moves over a control or its background.
    const auto moveOver = [&](HWND place) {
        SendMessageW(handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(place), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    };
    moveOver(window_->button(Button::Scan).handle());
    EXPECT_EQ(core_.mousePointer(), CustomPointer);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND)); // no HAND-M.CUR beside the program
    moveOver(window_->list(ListId::Results).handle());
    EXPECT_EQ(core_.mousePointer(), DefaultPointer);
    core_.setMousePointer(BusyPointer);
    moveOver(window_->button(Button::Scan).handle());
    EXPECT_EQ(core_.mousePointer(), BusyPointer);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
}

TEST_F(Win32Window, ClosingTheWindowMidScanEndsTheRunAtOnce)
{
    core_.folderList().append(samples_ + "/");
    fs_.delay = 300ms; // every folder's listing takes this long
    WhenWindowAppears(kMainWindowClass, nullptr, [&](HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); });
    const auto started = std::chrono::steady_clock::now();
    window_->button(Button::Scan).click();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    EXPECT_FALSE(window_->isOpen());
    EXPECT_TRUE(prompter_.script.messages().empty()) << "no closing box after the window is gone";
}

} // namespace
} // namespace vacantix
