// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/Clipboard.h"
#include "platform/FileSystem.h"
#include "platform/FileWriter.h"
#include "platform/Prompter.h"
#include "scan/ResultsList.h"

namespace vacantix {

inline constexpr std::string_view kSaveDialogTitle = "Save";
inline constexpr std::string_view kSaveDialogFilter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|";
inline constexpr std::string_view kCopiedMessage =
    "Results have been copied to the clipboard.\r\rClick a text area where you normally type and press "
    "Ctrl+V to paste the clipboard.";

// What the two exports work with; the window binds its own parts.
struct ExportContext {
    ResultsList& results;
    Prompter& prompter;
    FileSystem& fs; // for whether the chosen file exists
    FileWriter& writer;
    Clipboard& clipboard;
    std::function<void(int)> setMousePointer; // a MousePointerValue
    std::function<void()> yield; // lets the event loop run once
};

// The content of the text file: every entry, checked or not, in list order,
// as the platform writes paths (ToNativePath), each followed by CR LF. `yield` runs once per entry; entries removed
// meanwhile make it throw.
[[nodiscard]] std::string ExportFileText(const ResultsList& results, const std::function<void()>& yield);

// The command "Save As Text File": asks for a name in the save dialog, asks
// "Are you sure you wish to overwrite " + name + " ?" when the file exists,
// and replaces the file at once with ExportFileText under the busy pointer,
// then shows the arrow. Cancel or No ends it without writing and without
// touching the pointer. A failure shows one error report and leaves any
// existing file as it was.
void SaveAsTextFile(ExportContext& context);

// The command "Copy To Clipboard": CopyListToClipboard of the results under
// the busy pointer, the two-sentence message, then the default pointer. A
// failure while copying is reported and the clipboard left untouched.
void CopyToClipboard(ExportContext& context);

} // namespace vacantix
