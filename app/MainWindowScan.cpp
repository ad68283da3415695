// SPDX-License-Identifier: GPL-3.0-or-later
// The scan button of the main window: a scan run over the folder list, and
// its stop (which also stops the sending of folders).
#include "app/MainWindow.h"
#include "base/ProcedurePaths.h"
#include "platform/Notices.h"
#include "scan/ScanRun.h"

namespace vacantix {

void MainWindow::PushButton4_Click()
{
    // The numbers are the error report's line numbers.
    Trap trap(prompter(), kScanPath);
    if (trap.test(100, [&] { return scanCaption_ != kStopCaption; })) {
        if (scanActive())
            return; // a run is finishing after a stop: no second run inside it
        trap.step(102, [&] { savedScanCaption_ = scanCaption_; });
        trap.step(104, [&] { setScanCaption(std::string(kStopCaption)); });
        trap.step(106, [&] { stopFlag_ = false; });
        if (trap.test(108, [&] { return folders_.count() >= 1; })) {
            try {
                runScan(trap);
            } catch (const WindowClosed&) {
                return;
            }
            trap.step(138, [&] { setScanCaption(savedScanCaption_); });
            trap.step(140, [&] { stopFlag_ = true; });
        } else {
            trap.step(142, [&] { prompter().message("No folders added."); });
            trap.step(144, [&] { setScanCaption(savedScanCaption_); });
            trap.step(146, [&] { stopFlag_ = true; });
        }
    } else {
        trap.step(148, [&] { setScanCaption(savedScanCaption_); });
        trap.step(150, [&] { stopFlag_ = true; });
        // The run still finishes its final pass (the sending, the folder at
        // hand); until then the button cannot start another run inside it.
        if (scanActive())
            setEnabled(Button::Scan, false);
    }
}

void MainWindow::runScan(Trap& trap)
{
    struct Running {
        MainWindow& window;
        ~Running() { window.endActivity(); }
    };
    beginActivity(Activity::Scanning);
    const Running running{*this};
    notes_.clear();
    ScanEnvironment env{fileSystem(), settings(), folders_, results_, hooks(), prompter(),
                        [this](const ScanSummary& summary) {
                            return WithNotices(notes_.closingText(summary, results_.count()), TakeNotices());
                        }};
    resetYieldGap();
    (void)RunScan(env, trap);
    results_.flush();
    folders_.flush();
}

} // namespace vacantix
