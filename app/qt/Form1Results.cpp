// SPDX-License-Identifier: GPL-3.0-or-later
// The results list commands of the main window.
#include "app/qt/Form1.h"

#include <QPushButton>

#include "platform/FileWriter.h"
#include "platform/PlatformServices.h"
#include "platform/Trash.h"
#include "platform/qt/QtClipboard.h"
#include "results/Deletion.h"
#include "results/Export.h"
#include "results/ResultsCommands.h"
#include "results/qt/ResultsModel.h"
#include "scan/FinalPass.h"

namespace vacantix {

void Form1::PushButton2_Click()
{
    CheckAll(results(), prompter_);
}

void Form1::PushButton3_Click()
{
    UncheckAll(results(), prompter_);
}

namespace {

// Binds a deletion to the window: turns of the event loop with the busy
// pointer kept, the progress in the results list's header, and the stop once
// the window has been closed.
class DeletionHooks final : public ScanHooks {
public:
    explicit DeletionHooks(Form1& form) : form_(form) {}

    void yield() override
    {
        // Once the window is closed no turn is taken: the folder at hand is
        // finished, and the deletion stops before the next one.
        if (form_.closing())
            return;
        try {
            form_.yieldToEventLoop();
        } catch (const WindowClosed&) {
            return;
        }
        // An export run during the turn puts its own pointer back.
        if (form_.mousePointer() != BusyPointer)
            form_.setMousePointer(BusyPointer);
    }
    bool stopRequested() override { return form_.closing(); }
    void setStatusText(std::string_view text) override
    {
        ResultsModel& model = form_.resultsModel();
        if (!text.empty()) {
            model.setHeaderText(std::string(text));
            return;
        }
        model.setHeaderText(std::string(kResultsListHeader));
        model.flush();
    }

private:
    Form1& form_;
};

} // namespace

void Form1::PushButton5_Click()
{
    // Disabled while a scan runs; a click queued before that must not act
    // on a list the scan is still filling.
    if (scanActive_)
        return;
    const std::unique_ptr<Trash> trash = MakeTrash();
    const std::unique_ptr<DirectRemover> remover = MakeDirectRemover();
    // Folders go with the event loop turning between them. Until the closing
    // box is dismissed, the commands that change a list or the disk wait, so
    // the entries acted on keep their positions; so do a new scan and the
    // settings, which would change how the remaining folders go.
    struct ActiveDeletion {
        Form1& form;
        explicit ActiveDeletion(Form1& f) : form(f)
        {
            form.scanActive_ = true;
            form.setChangingCommandsEnabled(false);
            form.pushButton(4)->setEnabled(false);
            form.pushButton(8)->setEnabled(false);
            form.setMousePointer(BusyPointer);
        }
        ~ActiveDeletion()
        {
            form.scanActive_ = false;
            if (form.closing_)
                return;
            form.setChangingCommandsEnabled(true);
            form.pushButton(4)->setEnabled(true);
            form.pushButton(8)->setEnabled(true);
            form.setMousePointer(DefaultPointer);
        }
    } active(*this);

    DeletionHooks hooks(*this);
    DeletionContext context{fs_, settings_, trash_ ? *trash_ : *trash, *remover, [&](const std::string& path) {
                                return HoldsContent(fs_, settings_, path, hooks);
                            }};
    (void)SendCheckedToTrash(results(), context, prompter_, hooks);
}

void Form1::PushButton9_Click()
{
    if (scanActive_)
        return;
    ClearResults(results(), prompter_);
}

namespace {

ExportContext exportContext(Form1& form, FileWriter& writer, Clipboard& clipboard)
{
    return ExportContext{form.results(), form.prompter(), form.fileSystem(), writer, clipboard,
                         [&form](int pointer) { form.setMousePointer(pointer); },
                         [&form] { form.yieldToEventLoop(); }};
}

} // namespace

void Form1::PushButton11_Click()
{
    const auto writer = MakeFileWriter();
    QtClipboard clipboard;
    ExportContext context = exportContext(*this, *writer, clipboard);
    try {
        SaveAsTextFile(context);
    } catch (const WindowClosed&) {
    }
}

void Form1::PushButton12_Click()
{
    const auto writer = MakeFileWriter();
    QtClipboard clipboard;
    ExportContext context = exportContext(*this, *writer, clipboard);
    try {
        CopyToClipboard(context);
    } catch (const WindowClosed&) {
    }
}

void Form1::ListView2_MouseMove()
{
    setPointerUnlessBusy(DefaultPointer);
}

} // namespace vacantix
