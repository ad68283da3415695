// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/Export.h"

#include <optional>

#include "base/ErrorReport.h"
#include "base/ProcedurePaths.h"
#include "base/WindowDesign.h"
#include "platform/PathRoot.h"
#include "results/ClipboardText.h"

namespace vacantix {

std::string ExportFileText(const ResultsList& results, const std::function<void()>& yield)
{
    std::string text;
    const std::size_t count = results.count();
    for (std::size_t i = 1; i <= count; ++i) {
        yield();
        text += ToNativePath(results.text(i));
        text += "\r\n";
    }
    return text;
}

void SaveAsTextFile(ExportContext& context)
{
    // The numbers are the error report's line numbers.
    Trap trap(context.prompter, kSaveAsTextFilePath);
    std::optional<std::string> chosen;
    trap.step(106, [&] { chosen = context.prompter.saveFile(kSaveDialogTitle, kSaveDialogFilter); });
    const std::string name = chosen.value_or(std::string());
    if (name.empty())
        return;

    // Only a Yes given in the box replaces an existing file: a question that
    // failed to be asked leaves the answer at No.
    bool answer = false;
    if (trap.test(112, [&] { return context.fs.fileExists(name); }))
        trap.step(114, [&] { answer = context.prompter.ask("Are you sure you wish to overwrite " + ToNativePath(name) + " ?"); });
    else
        answer = true;
    if (!answer)
        return;

    trap.step(120, [&] { context.setMousePointer(BusyPointer); });
    // The whole text is gathered first and the file replaced in one go, so a
    // failure anywhere leaves the old file whole and is reported once.
    std::optional<std::string> text;
    trap.step(128, [&] { text = ExportFileText(context.results, context.yield); });
    if (text) {
        trap.step(132, [&] {
            if (auto written = context.writer.replaceWhole(name, *text); !written)
                throw written.failure().toFailure();
        });
    }
    trap.step(134, [&] { context.setMousePointer(ArrowPointer); });
}

void CopyToClipboard(ExportContext& context)
{
    Trap trap(context.prompter, kCopyToClipboardPath);
    trap.step(100, [&] { context.setMousePointer(BusyPointer); });
    trap.step(102, [&] { CopyListToClipboard(ResultsColumns(context.results), context.clipboard, context.yield); });
    trap.step(104, [&] { context.prompter.message(kCopiedMessage); });
    trap.step(106, [&] { context.setMousePointer(DefaultPointer); });
}

} // namespace vacantix
