// SPDX-License-Identifier: GPL-3.0-or-later
// The results list commands of the main window.
#include "app/qt/Form1.h"

#include "platform/FileWriter.h"
#include "platform/Trash.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtTrash.h"
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

void Form1::PushButton5_Click()
{
    // Disabled while a scan runs; a click queued before that must not act
    // on a list the scan is still filling.
    if (scanActive_)
        return;
    QtTrash trash;
    const std::unique_ptr<DirectRemover> remover = MakeDirectRemover();
    // The fresh look does not let the event loop run, so no other command
    // can change the list between acting on an entry and removing it.
    ScanHooks still;
    DeletionContext context{fs_, settings_, trash, *remover, [&](const std::string& path) {
                                return HoldsContent(fs_, settings_, path, still);
                            }};
    (void)SendCheckedToTrash(results(), context, prompter_);
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
