// SPDX-License-Identifier: GPL-3.0-or-later
// The results list's commands of the main window: check marks, clearing,
// the order of the rows, sending to the trash and its stop, and the two
// exports.
#include "app/MainWindow.h"
#include "base/ProcedurePaths.h"
#include "platform/Notices.h"
#include "results/Deletion.h"
#include "results/Export.h"
#include "results/ResultsCommands.h"
#include "scan/FinalPass.h"

namespace vacantix {

void MainWindow::PushButton2_Click()
{
    // While folders are being sent the marks say what goes: they stay.
    if (sending())
        return;
    CheckAll(results_, prompter());
}

void MainWindow::PushButton3_Click()
{
    if (sending())
        return;
    UncheckAll(results_, prompter());
}

bool MainWindow::ListView2_ItemCheck(std::size_t row, bool checked)
{
    if (sending())
        return false;
    return results_.setRowChecked(row, checked);
}

void MainWindow::ListView2_ColumnClick()
{
    // Rows appended or removed meanwhile would land out of order.
    if (scanActive())
        return;
    switch (results_.rowOrder()) {
    case RowOrder::Found: results_.orderRows(RowOrder::PathAscending); break;
    case RowOrder::PathAscending: results_.orderRows(RowOrder::PathDescending); break;
    case RowOrder::PathDescending: results_.orderRows(RowOrder::Found); break;
    }
}

void MainWindow::ListView2_DblClick(std::size_t row)
{
    (void)listCommand(ListId::Results, ListCommand::OpenFolder, row);
}

void MainWindow::PushButton9_Click()
{
    if (scanActive())
        return;
    ClearResults(results_, prompter());
}

namespace {

// Binds a deletion to the window: turns of the event loop with the busy
// pointer kept, the progress in the results list's header, and the stop by
// the scan button or once the window has been closed.
class DeletionHooks final : public ScanHooks {
public:
    explicit DeletionHooks(MainWindow& window) : window_(window) {}

    void yield() override
    {
        // Once the window is closed no turn is taken: the folder at hand is
        // finished, and the deletion stops before the next one.
        if (window_.closing())
            return;
        try {
            window_.yieldToEventLoop();
        } catch (const WindowClosed&) {
            return;
        }
        // An export run during the turn puts its own pointer back.
        if (window_.mousePointer() != BusyPointer)
            window_.setMousePointer(BusyPointer);
    }
    // The scan button's stop, or the window's close.
    bool stopRequested() override { return window_.closing() || window_.stopFlag(); }
    void setStatusText(std::string_view text) override
    {
        ResultsModel& results = window_.results();
        if (!text.empty()) {
            results.setHeaderText(std::string(text));
            return;
        }
        results.setHeaderText(std::string(kResultsListHeader));
        results.flush();
    }

private:
    MainWindow& window_;
};

// "1 folder was", "3 folders were".
std::string FoldersWere(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " folder was" : " folders were");
}

// The closing box of the sending: "Done."; after a stop, how many folders
// were sent and how many were not reached; then the folders kept or failed.
std::string SendingDoneText(const DeletionSummary& summary)
{
    if (!summary.stopped)
        return DeletionDoneText(summary);
    const std::size_t left = summary.chosen - summary.records.size();
    std::string text = "Done.\n\nThe sending was stopped: " + FoldersWere(summary.count(DeletionOutcome::Sent)) +
                       " sent; " + FoldersWere(left) + " not reached and " + (left == 1 ? "stays" : "stay") +
                       " checked in the list.";
    const std::vector<std::string> lines = NotDeletedLines(summary);
    if (!lines.empty())
        text += "\n";
    for (const std::string& line : lines)
        text += "\n" + line;
    return text;
}

} // namespace

void MainWindow::PushButton5_Click()
{
    // Disabled while a scan runs; a click queued before that must not act
    // on a list the scan is still filling.
    if (scanActive())
        return;
    // Folders go with the event loop turning between them. Until the closing
    // box is dismissed, the commands that change a list, the marks or the
    // disk wait, so the entries acted on keep their positions and marks; the
    // scan button reads "Stop" and stops after the folder at hand.
    struct Sending {
        MainWindow& window;
        ~Sending()
        {
            window.stopFlag_ = true;
            if (!window.closing()) {
                window.setScanCaption(window.savedScanCaption_);
                window.setMousePointer(DefaultPointer);
            }
            window.endActivity();
        }
    };
    beginActivity(Activity::Sending);
    savedScanCaption_ = scanCaption_;
    stopFlag_ = false;
    setScanCaption(std::string(kStopCaption));
    const Sending sending{*this};
    setMousePointer(BusyPointer);

    DeletionHooks hooks(*this);
    DeletionContext context{fileSystem(), settings(), *trash_, services_.remover, [&](const std::string& path) {
                                return HoldsContent(fileSystem(), settings(), path, hooks);
                            }};
    for (std::size_t i = 1; i <= folders_.count(); ++i)
        context.roots.push_back(folders_.text(i));
    // The numbers are the error report's line numbers.
    Trap trap(prompter(), kSendCheckedPath);
    const DeletionSummary summary = DeleteCheckedEntries(results_, context, trap, hooks);
    // Once the window is closed, nothing more is said.
    if (!closing_)
        trap.step(124, [&] { prompter().message(WithNotices(SendingDoneText(summary), TakeNotices())); });
}

void MainWindow::exportWith(void (*command)(ExportContext&))
{
    ExportContext context{results_,
                          prompter(),
                          fileSystem(),
                          services_.writer,
                          services_.clipboard,
                          [this](int pointer) { setMousePointer(pointer); },
                          [this] { yieldToEventLoop(); }};
    try {
        command(context);
    } catch (const WindowClosed&) {
    }
}

void MainWindow::PushButton11_Click()
{
    exportWith(&SaveAsTextFile);
}

void MainWindow::PushButton12_Click()
{
    exportWith(&CopyToClipboard);
}

} // namespace vacantix
