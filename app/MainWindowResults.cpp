// SPDX-License-Identifier: GPL-3.0-or-later
// The results list's commands of the main window: check marks, clearing,
// sending to the trash, and the two exports.
#include "app/MainWindow.h"
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

void MainWindow::PushButton9_Click()
{
    if (scanActive())
        return;
    ClearResults(results_, prompter());
}

namespace {

// Binds a deletion to the window: turns of the event loop with the busy
// pointer kept, the progress in the results list's header, and the stop once
// the window has been closed.
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
    bool stopRequested() override { return window_.closing(); }
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

} // namespace

void MainWindow::PushButton5_Click()
{
    // Disabled while a scan runs; a click queued before that must not act
    // on a list the scan is still filling.
    if (scanActive())
        return;
    // Folders go with the event loop turning between them. Until the closing
    // box is dismissed, the commands that change a list, the marks or the
    // disk wait, so the entries acted on keep their positions and marks.
    struct Sending {
        MainWindow& window;
        ~Sending()
        {
            window.endActivity();
            if (!window.closing())
                window.setMousePointer(DefaultPointer);
        }
    };
    beginActivity(Activity::Sending);
    const Sending sending{*this};
    setMousePointer(BusyPointer);

    DeletionHooks hooks(*this);
    DeletionContext context{fileSystem(), settings(), *trash_, services_.remover, [&](const std::string& path) {
                                return HoldsContent(fileSystem(), settings(), path, hooks);
                            }};
    (void)SendCheckedToTrash(results_, context, prompter(), hooks);
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
