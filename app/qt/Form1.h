// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCursor>
#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "app/qt/Appearance.h"
#include "base/ErrorReport.h"
#include "platform/FileSystem.h"
#include "platform/FolderOpener.h"
#include "platform/Prompter.h"
#include "platform/ScanHooks.h"
#include "settings/Settings.h"

class QPushButton;
class QTreeView;

namespace vacantix {

class FolderListModel;
class ResultsModel;
class FolderList;
class ResultsList;
class Trash;

// Thrown by the window's yield when the window was closed while a command
// let the event loop run. It is no Failure and no standard exception, so no
// error trap stops it: it unwinds the command, which then ends at once.
struct WindowClosed {};

// The main window: the folder list, the results list and one push button per
// command. The handlers live in three files by concern: the folder list and
// the scan button in Form1.cpp, the results commands in Form1Results.cpp, the
// picker, settings and sample folders in Form1Roots.cpp; the arrangement of
// the controls in Form1Layout.cpp.
class Form1 final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int MousePointer READ mousePointer WRITE setMousePointer)

public:
    // `programFolder` is the folder of the executable (no trailing "/"), where
    // the skin, the cursor file and the samples are looked for. The window
    // uses the services given and owns its two lists.
    Form1(FileSystem& fs, Settings& settings, Prompter& prompter, std::string programFolder,
          QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up sequence: skin, cursor file, caption, icon, application
    // title, columns, sample folders. A failing step shows the error report
    // and the sequence goes on with the next one.
    void Form_Load();

    // Services and lists, for the command handlers.
    [[nodiscard]] Prompter& prompter() const { return prompter_; }
    [[nodiscard]] FileSystem& fileSystem() const { return fs_; }
    [[nodiscard]] Settings& settings() const { return settings_; }
    [[nodiscard]] FolderList& roots() const;
    [[nodiscard]] ResultsList& results() const;
    [[nodiscard]] FolderListModel& folderListModel() const { return *folderModel_; }
    [[nodiscard]] ResultsModel& resultsModel() const { return *resultsModel_; }
    [[nodiscard]] const std::string& programFolder() const { return programFolder_; }

    // The controls, by their names.
    [[nodiscard]] QTreeView* listView1() const { return listView1_; }
    [[nodiscard]] QTreeView* listView2() const { return listView2_; }
    // PushButton1 to PushButton12.
    [[nodiscard]] QPushButton* pushButton(int number) const;

    // The window's mouse pointer: 0 default, 1 arrow, 11 busy, 99 custom.
    [[nodiscard]] int mousePointer() const { return mousePointer_; }
    void setMousePointer(int value);
    // The custom pointer: the loaded cursor file, else the pointing hand.
    [[nodiscard]] const QCursor& customPointer() const { return customPointer_; }
    [[nodiscard]] bool customPointerLoaded() const { return customPointerLoaded_; }

    // True from the start of a scan run, or of "Send Checked To Recycle
    // Bin", until its closing box has been closed.
    [[nodiscard]] bool scanActive() const { return scanActive_; }
    // The run's stop flag: false while a run searches, true once it is asked
    // to stop or has ended.
    [[nodiscard]] bool stopFlag() const { return stopFlag_; }
    // True once the window has been closed; long commands then end at once.
    [[nodiscard]] bool closing() const { return closing_; }

    // Hooks that bind a long command to this window: yield runs the event
    // loop once (and throws WindowClosed once the window has been closed),
    // stop is the run's stop flag, status text goes to the folder list's
    // column header.
    [[nodiscard]] ScanHooks& hooks() const;

    // Lets the event loop run once: pending list entries are shown, clicks
    // and repaints handled. Throws WindowClosed once the window was closed.
    void yieldToEventLoop();

    // The longest time between two turns of the event loop given by
    // yieldToEventLoop since the last reset, in milliseconds.
    [[nodiscard]] double longestYieldGapMs() const { return longestGapMs_; }
    void resetYieldGap();

    // Where "Load Sample/Example Folders" shows the sample folder: the
    // desktop's file browser unless another opener is set (tests do).
    [[nodiscard]] FolderOpener& folderOpener() const;
    void setFolderOpener(FolderOpener& opener) { folderOpener_ = &opener; }
    // Where "Send Checked To Recycle Bin" sends folders: the user's trash
    // unless another is set (tests do).
    void setTrash(Trash& trash) { trash_ = &trash; }
    // The sample folder in use, without a trailing "/" (see PrepareSampleRoot).
    [[nodiscard]] std::string sampleRoot() const;

    // Pixels for a length in twips, at this window's scale.
    [[nodiscard]] int twips(int value) const;

public slots:
    void PushButton1_Click();  // Load List Of Folders From File
    void PushButton2_Click();  // Check All
    void PushButton3_Click();  // Uncheck All
    void PushButton4_Click();  // Start Scanning / Stop
    void PushButton5_Click();  // Send Checked To Recycle Bin
    void PushButton6_Click();  // Add One Folder
    void PushButton7_Click();  // Clear List (folder list)
    void PushButton8_Click();  // Settings
    void PushButton9_Click();  // Clear List (results list)
    void PushButton10_Click(); // Load Sample/Example Folders
    void PushButton11_Click(); // Save As Text File
    void PushButton12_Click(); // Copy To Clipboard

    // A key pressed on the folder list, with its Windows key code (46 Delete).
    void ListView1_KeyDown(int keyCode);

    // Mouse-move reactions; none replaces the busy pointer.
    void Form_MouseMove();
    void ListView1_MouseMove();
    void ListView2_MouseMove();
    void PushButton_MouseMove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void buildControls();
    void arrange();
    void applyFonts();
    void ApplySkin();
    void loadCursorFile(const std::string& path);
    void ensureSampleFolders(Trap& trap);
    void setPointerUnlessBusy(int value);
    // Enables or disables the commands that change a list or the disk.
    void setChangingCommandsEnabled(bool enabled);
    void runScan(Trap& trap);

    class WindowHooks;

    FileSystem& fs_;
    Settings& settings_;
    Prompter& prompter_;
    std::string programFolder_;
    FolderOpener* folderOpener_ = nullptr;
    Trash* trash_ = nullptr;

    FolderListModel* folderModel_ = nullptr;
    ResultsModel* resultsModel_ = nullptr;
    QTreeView* listView1_ = nullptr;
    QTreeView* listView2_ = nullptr;
    std::array<QPushButton*, 12> buttons_{};
    double scale_ = 1.0;

    int mousePointer_ = DefaultPointer;
    QCursor customPointer_;
    bool customPointerLoaded_ = false;

    QString savedScanCaption_;
    bool stopFlag_ = false;
    bool scanActive_ = false;
    bool closing_ = false;
    std::unique_ptr<WindowHooks> hooks_;

    QElapsedTimer sinceYield_;     // since the event loop last turned
    QElapsedTimer sinceYieldCall_; // since the last yield
    double longestGapMs_ = 0;
};

// The captions of the scan button.
inline constexpr const char* kScanCaption = "Start Scanning For Empty Folders ";
inline constexpr const char* kStopCaption = "Stop";

} // namespace vacantix
