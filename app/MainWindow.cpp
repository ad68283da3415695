// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's core: construction and start-up, the buttons' states,
// the mouse pointer, the turns of the event loop that long commands take,
// and closing.
#include "app/MainWindow.h"

#include <algorithm>

#include "base/ProcedurePaths.h"
#include "platform/ApplicationTitle.h"
#include "platform/PathRoot.h"
#include "results/ClipboardText.h"
#include "roots/SampleFolders.h"

namespace vacantix {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Within a burst of yields (calls closer together than the burst gap), the
// event loop turns at most once per turn gap.
constexpr auto kBurstGap = milliseconds(1);
constexpr auto kTurnGapInBurst = milliseconds(10);
// A turn this long (a view laying out a long list anew) is followed by one
// more.
constexpr auto kLongTurn = milliseconds(20);

} // namespace

class MainWindow::WindowHooks final : public ScanHooks {
public:
    explicit WindowHooks(MainWindow& window) : window_(window) {}

    void yield() override { window_.yieldToEventLoop(); }
    bool stopRequested() override { return window_.stopFlag_; }
    void setStatusText(std::string_view text) override { window_.folders_.setHeaderText(std::string(text)); }
    void folderUnreadable(std::string_view path, std::string_view) override { window_.notes_.folderUnreadable(path); }
    void rootInSystemTree(std::string_view path) override { window_.notes_.rootInSystemTree(path); }
    void rootIgnored(std::string_view path) override { window_.notes_.rootIgnored(path); }

private:
    MainWindow& window_;
};

MainWindow::MainWindow(MainWindowServices services)
    : services_(std::move(services)),
      trash_(&services_.trash),
      opener_(&services_.opener),
      hooks_(std::make_unique<WindowHooks>(*this)),
      lastTurn_(Clock::now()),
      lastYieldCall_(Clock::now())
{
    enabled_.fill(true);
    results_.showCounts(true);
}

MainWindow::~MainWindow() = default;

void MainWindow::attach(MainWindowView& view)
{
    view_ = &view;
}

MainWindowView& MainWindow::view() const
{
    return *view_;
}

ScanHooks& MainWindow::hooks()
{
    return *hooks_;
}

void MainWindow::Form_Load()
{
    // The window takes its place before the first step, so an error report
    // of the start-up is centred over the place where the window appears.
    view().centreOnScreen();
    // The numbers are the error report's line numbers.
    Trap trap(prompter(), kStartUpPath);
    trap.step(100, [&] { applySkin(); });
    const std::string cursorFile = ChildPath(programFolder(), "HAND-M.CUR");
    if (trap.test(104, [&] { return fileSystem().fileExists(cursorFile); })) {
        trap.step(106, [&] {
            view().loadCustomPointer(cursorFile);
            customPointerLoaded_ = true;
        });
    }
    trap.step(126, [&] {
        view().setCaption(kProductName);
        view().showProgramIcon();
        SetApplicationTitle();
    });
    // Each list's one column and its header text come with its model; these
    // steps show the headers and size the columns.
    trap.step(128, [&] {
        folders_.setHeaderText(std::string(kFolderListHeader));
        view().showColumnHeader(ListId::Folders);
    });
    trap.step(130, [&] { view().setColumnWidth(ListId::Folders, kListColumnWidth); });
    trap.step(132, [&] { view().showColumnHeader(ListId::Results); });
    trap.step(134, [&] { view().setColumnWidth(ListId::Results, kListColumnWidth); });
    EnsureEmptySampleFolders(fileSystem(), sampleRoot(), trap);
}

void MainWindow::applySkin()
{
    const std::string skinFile = ChildPath(programFolder(), "x/o.cjs");
    if (!fileSystem().fileExists(skinFile) || fileSystem().isDirectory(skinFile))
        return;
    view().applySkin(skinFile);
}

void MainWindow::Form_Unload()
{
    closing_ = true;
    stopFlag_ = true;
}

void MainWindow::click(Button button)
{
    static constexpr std::array<void (MainWindow::*)(), kButtonCount> kHandlers = {
        &MainWindow::PushButton1_Click, &MainWindow::PushButton2_Click,  &MainWindow::PushButton3_Click,
        &MainWindow::PushButton4_Click, &MainWindow::PushButton5_Click,  &MainWindow::PushButton6_Click,
        &MainWindow::PushButton7_Click, &MainWindow::PushButton8_Click,  &MainWindow::PushButton9_Click,
        &MainWindow::PushButton10_Click, &MainWindow::PushButton11_Click, &MainWindow::PushButton12_Click,
    };
    (this->*kHandlers[static_cast<std::size_t>(button) - 1])();
}

// ---------------------------------------------------------------- buttons

namespace {

// The commands that change a list or the disk: a scan holds them until its
// closing box is closed, so the entries it works on keep their places.
constexpr Button kChangingCommands[] = {Button::LoadListFiles, Button::SendChecked, Button::AddOneFolder,
                                        Button::ClearFolders,  Button::ClearResults, Button::LoadSamples};
// Sending holds them too, and besides the settings (which would change how
// the remaining folders go) the check marks, which say what is sent. The
// scan button stops the sending meanwhile.
constexpr Button kAlsoHeldWhileSending[] = {Button::OpenSettings, Button::CheckAll, Button::UncheckAll};

} // namespace

void MainWindow::beginActivity(Activity activity)
{
    activity_ = activity;
    // The header tells the counts again once the list holds still.
    results_.showCounts(false);
    for (const Button button : kChangingCommands)
        setEnabled(button, false);
    if (activity == Activity::Sending) {
        for (const Button button : kAlsoHeldWhileSending)
            setEnabled(button, false);
    }
}

void MainWindow::endActivity()
{
    activity_ = Activity::Idle;
    if (closing_)
        return;
    results_.showCounts(true);
    for (const Button button : kChangingCommands)
        setEnabled(button, true);
    for (const Button button : kAlsoHeldWhileSending)
        setEnabled(button, true);
    // The scan button too, which a stop disables until the run has ended.
    setEnabled(Button::Scan, true);
}

bool MainWindow::enabled(Button button) const
{
    return enabled_[static_cast<std::size_t>(button) - 1];
}

void MainWindow::setEnabled(Button button, bool enabled)
{
    enabled_[static_cast<std::size_t>(button) - 1] = enabled;
    view().setButtonEnabled(button, enabled);
}

void MainWindow::setScanCaption(std::string caption)
{
    scanCaption_ = std::move(caption);
    view().setButtonCaption(Button::Scan, scanCaption_);
}

// ---------------------------------------------------------- context menus

bool MainWindow::listCommandEnabled(ListId list, ListCommand command) const
{
    switch (command) {
    case ListCommand::OpenFolder:
        return true;
    case ListCommand::CopyPath:
        return list == ListId::Results;
    case ListCommand::Check:
    case ListCommand::Uncheck:
        // While folders are being sent, the marks say what goes.
        return list == ListId::Results && !sending();
    case ListCommand::Remove:
        // What the Delete key does, with its refusals.
        return list == ListId::Folders && !scanActive() && mousePointer_ != BusyPointer;
    }
    return false;
}

bool MainWindow::listCommand(ListId list, ListCommand command, std::size_t row)
{
    const bool folders = list == ListId::Folders;
    if (!listCommandEnabled(list, command) || row >= (folders ? folders_.rowCount() : results_.rowCount()))
        return false;
    const std::string path = folders ? folders_.rowText(row) : results_.rowText(row);
    switch (command) {
    case ListCommand::OpenFolder:
        openFolder(path);
        return true;
    case ListCommand::CopyPath:
        SetClipboardText(services_.clipboard, ToNativePath(path));
        return true;
    case ListCommand::Check:
    case ListCommand::Uncheck:
        return ListView2_ItemCheck(row, command == ListCommand::Check);
    case ListCommand::Remove:
        return removeFolder(row + 1);
    }
    return false;
}

void MainWindow::openFolder(const std::string& path)
{
    if (!opener_->open(path))
        prompter().message(SampleFolderNotOpened(ToNativePath(path)));
}

// ---------------------------------------------------------------- pointer

void MainWindow::setMousePointer(int value)
{
    mousePointer_ = value;
    view().showMousePointer(value);
}

void MainWindow::setPointerUnlessBusy(int value)
{
    if (mousePointer_ != BusyPointer && mousePointer_ != value)
        setMousePointer(value);
}

void MainWindow::Form_MouseMove()
{
    setPointerUnlessBusy(DefaultPointer);
}

void MainWindow::ListView1_MouseMove()
{
    setPointerUnlessBusy(DefaultPointer);
}

void MainWindow::ListView2_MouseMove()
{
    setPointerUnlessBusy(DefaultPointer);
}

void MainWindow::PushButton_MouseMove()
{
    setPointerUnlessBusy(CustomPointer);
}

// ------------------------------------------------------------- event loop

void MainWindow::yieldToEventLoop()
{
    // Some commands yield once per line or entry, thousands of times a
    // second; a turn of the event loop costs more than such a step, so in a
    // burst the loop turns every few milliseconds, which no click or repaint
    // can tell apart from always. A yield after a pause always turns it.
    const Clock::time_point called = Clock::now();
    const auto sinceTurn = called - lastTurn_;
    const bool inBurst = called - lastYieldCall_ < kBurstGap;
    lastYieldCall_ = called;
    if (inBurst && sinceTurn < kTurnGapInBurst && !closing_)
        return;
    longestGapMs_ = std::max(longestGapMs_, std::chrono::duration<double, std::milli>(sinceTurn).count());
    results_.refresh();
    const Clock::time_point turnStart = Clock::now();
    view().turnEventLoop();
    // Events that came during a long turn wait for the next one; they are
    // served now rather than after another slice of the command's work.
    if (Clock::now() - turnStart >= kLongTurn && !closing_)
        view().turnEventLoop();
    lastTurn_ = lastYieldCall_ = Clock::now();
    if (closing_)
        throw WindowClosed{};
}

void MainWindow::resetYieldGap()
{
    longestGapMs_ = 0;
    lastTurn_ = Clock::now();
}

} // namespace vacantix
