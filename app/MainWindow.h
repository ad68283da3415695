// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindowDesign.h"
#include "app/MainWindowView.h"
#include "app/ScanNotes.h"
#include "base/ErrorReport.h"
#include "platform/Clipboard.h"
#include "platform/FileSystem.h"
#include "platform/FileWriter.h"
#include "platform/FolderOpener.h"
#include "platform/Prompter.h"
#include "platform/ScanHooks.h"
#include "platform/Trash.h"
#include "results/ResultsModel.h"
#include "roots/FolderListModel.h"
#include "settings/Settings.h"

namespace vacantix {

struct ExportContext;

// Thrown by the window's yield when the window was closed while a command
// let the event loop run. It is no Failure and no standard exception, so no
// error trap stops it: it unwinds the command, which then ends at once.
struct WindowClosed {};

// What the main window works with. Not owned: each must outlive the window.
struct MainWindowServices {
    FileSystem& fs;
    Settings& settings;
    Prompter& prompter;
    Trash& trash;
    DirectRemover& remover;
    FileWriter& writer;
    Clipboard& clipboard;
    FolderOpener& opener;
    // The folder of the executable (no trailing "/"), where the skin and the
    // cursor file are looked for.
    std::string programFolder;
    // Makes the sample folder ready for this user and answers its path
    // without a trailing "/" (see PrepareSampleRoot); never shows anything.
    std::function<std::string()> sampleRoot;
};

// The main window's behaviour, toolkit-free: the command handlers with their
// steps, error traps and messages, the run state of a scan or a deletion,
// the mouse pointer, the order of the start-up, and the two lists. A toolkit
// builds the window (MainWindowView), attaches it, and forwards its events
// to the handlers below, which keep the design's names.
//
// Beyond the design, the lists have context menus (MenuOf), the results
// list orders its rows by a click on its header and opens a folder on a
// double click, folders dropped on the folder list are added, and the scan
// button stops the sending of folders as it stops a scan.
//
// The handlers live in four files by concern: start-up, pointer, event loop
// and closing in MainWindow.cpp; the folder list, the picker, the samples,
// drops and the settings in MainWindowRoots.cpp; the scan button in
// MainWindowScan.cpp; the results commands in MainWindowResults.cpp.
class MainWindow {
public:
    explicit MainWindow(MainWindowServices services);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The window that shows this core; it must stay while the core is used.
    void attach(MainWindowView& view);

    // The start-up sequence: centre, skin, cursor file, caption, icon,
    // application title, columns, sample folders. A failing step shows the
    // error report and the sequence goes on with the next one.
    void Form_Load();
    // The window was closed: a command that lets the event loop run ends at
    // its next turn, without another word; no further command starts.
    void Form_Unload();

    void PushButton1_Click();  // Load List Of Folders From File
    void PushButton2_Click();  // Check All
    void PushButton3_Click();  // Uncheck All
    void PushButton4_Click();  // Start Scanning / Stop (also of the sending)
    void PushButton5_Click();  // Send Checked To Recycle Bin
    void PushButton6_Click();  // Add One Folder
    void PushButton7_Click();  // Clear List (folder list)
    void PushButton8_Click();  // Settings
    void PushButton9_Click();  // Clear List (results list)
    void PushButton10_Click(); // Load Sample/Example Folders
    void PushButton11_Click(); // Save As Text File
    void PushButton12_Click(); // Copy To Clipboard
    // The click of a button, by what it does: its PushButtonN_Click.
    void click(Button button);

    // A key pressed on the folder list, with its Windows key code:
    // kDeleteKeyCode removes the current entry.
    void ListView1_KeyDown(int keyCode);
    // The user's click or key on the check box of a result's row (0-based):
    // sets its mark. False when refused (while folders are being sent, the
    // marks cannot change) or when the row's entry is gone.
    bool ListView2_ItemCheck(std::size_t row, bool checked);

    // A click on the results list's column header: the rows go by path,
    // ascending, then descending, then back to the order found. Refused
    // while a scan or the sending runs.
    void ListView2_ColumnClick();
    // A double click on a result's row (0-based): opens its folder.
    void ListView2_DblClick(std::size_t row);
    // A context menu's command on a row of a list (0-based, as the list
    // shows it). False when the command is refused (listCommandEnabled) or
    // the row is gone.
    bool listCommand(ListId list, ListCommand command, std::size_t row);
    // Whether a menu offers the command now: a command that changes a list
    // waits as the buttons that change it do.
    [[nodiscard]] bool listCommandEnabled(ListId list, ListCommand command) const;
    // Paths dropped on the folder list (from a file manager): each folder is
    // added as "Add One Folder" adds one; anything else is named in one
    // message and not added. Refused (nothing happens) unless acceptsDrops.
    void ListView1_OLEDragDrop(const std::vector<std::string>& paths);
    [[nodiscard]] bool acceptsDrops() const { return listCommandEnabled(ListId::Folders, ListCommand::Remove); }

    // Mouse-move reactions; none replaces the busy pointer.
    void Form_MouseMove();
    void ListView1_MouseMove();
    void ListView2_MouseMove();
    void PushButton_MouseMove();

    // The two lists.
    [[nodiscard]] FolderListModel& folderList() { return folders_; }
    [[nodiscard]] ResultsModel& results() { return results_; }

    // The window's mouse pointer (MousePointerValue).
    [[nodiscard]] int mousePointer() const { return mousePointer_; }
    void setMousePointer(int value);
    [[nodiscard]] bool customPointerLoaded() const { return customPointerLoaded_; }

    // What the buttons show as the core last set it.
    [[nodiscard]] const std::string& scanCaption() const { return scanCaption_; }
    [[nodiscard]] bool enabled(Button button) const;

    // True from the start of a scan run, or of "Send Checked To Recycle
    // Bin", until its closing box has been closed.
    [[nodiscard]] bool scanActive() const { return activity_ != Activity::Idle; }
    // True while folders are being sent, until the closing box is closed.
    [[nodiscard]] bool sending() const { return activity_ == Activity::Sending; }
    // The run's stop flag: false while a run searches, true once it is asked
    // to stop or has ended.
    [[nodiscard]] bool stopFlag() const { return stopFlag_; }
    // True once the window has been closed.
    [[nodiscard]] bool closing() const { return closing_; }

    // Binds a long command to this window: yield runs yieldToEventLoop,
    // stop is the run's stop flag, status text goes to the folder list's
    // column header.
    [[nodiscard]] ScanHooks& hooks();

    // Lets the event loop run once, so pending list entries are shown and
    // clicks and repaints handled. In a burst of calls it turns the loop
    // every few milliseconds. Throws WindowClosed once the window was closed.
    void yieldToEventLoop();
    // The longest time between two turns of the event loop given by
    // yieldToEventLoop since the last reset, in milliseconds.
    [[nodiscard]] double longestYieldGapMs() const { return longestGapMs_; }
    void resetYieldGap();

    // Other services for the deletion and the samples (tests set fakes).
    void setTrash(Trash& trash) { trash_ = &trash; }
    void setFolderOpener(FolderOpener& opener) { opener_ = &opener; }
    // The sample folder in use, without a trailing "/".
    [[nodiscard]] std::string sampleRoot() const { return services_.sampleRoot(); }

    [[nodiscard]] Settings& settings() const { return services_.settings; }
    [[nodiscard]] Prompter& prompter() const { return services_.prompter; }
    [[nodiscard]] FileSystem& fileSystem() const { return services_.fs; }
    [[nodiscard]] const std::string& programFolder() const { return services_.programFolder; }

private:
    enum class Activity { Idle, Scanning, Sending };
    class WindowHooks;

    // A scan or a deletion starts: the commands it holds are disabled.
    void beginActivity(Activity activity);
    // It has ended (its closing box was closed): they are enabled again,
    // unless the window was closed.
    void endActivity();

    [[nodiscard]] MainWindowView& view() const;
    void applySkin();
    void setPointerUnlessBusy(int value);
    void setEnabled(Button button, bool enabled);
    void setScanCaption(std::string caption);
    void runScan(Trap& trap);
    // Takes the folder list's entry at a 1-based position out, unless a
    // scan or the busy pointer holds the list.
    bool removeFolder(std::size_t position);
    void openFolder(const std::string& path);
    void exportWith(void (*command)(ExportContext&));

    MainWindowServices services_;
    Trash* trash_;
    FolderOpener* opener_;
    MainWindowView* view_ = nullptr;

    FolderListModel folders_;
    ResultsModel results_;

    int mousePointer_ = DefaultPointer;
    bool customPointerLoaded_ = false;
    std::array<bool, kButtonCount> enabled_;
    std::string scanCaption_{kScanCaption};

    Activity activity_ = Activity::Idle;
    std::string savedScanCaption_;
    bool stopFlag_ = false;
    bool closing_ = false;
    std::unique_ptr<WindowHooks> hooks_;
    ScanNotes notes_; // of the scan at hand

    std::chrono::steady_clock::time_point lastTurn_;      // the event loop last turned
    std::chrono::steady_clock::time_point lastYieldCall_; // the last yield
    double longestGapMs_ = 0;
};

} // namespace vacantix
