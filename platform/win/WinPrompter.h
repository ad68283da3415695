// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>

#include "platform/Prompter.h"

namespace vacantix {

// The prompter of the Windows window program: message boxes (MessageBoxW)
// and the shell's file dialogs (IFileOpenDialog, IFileSaveDialog), modal to
// an owner window that may be set once it exists. Boxes carry the
// application title and no icon; the error report carries "Application
// Error" and the exclamation icon. Paths come back in the engine's form
// ("C:/x").
class WinPrompter final : public Prompter {
public:
    explicit WinPrompter(HWND owner = nullptr) : owner_(owner) {}

    void setOwner(HWND owner) { owner_ = owner; }

    void message(std::string_view text) override;
    bool ask(std::string_view text) override;
    void errorReport(std::string_view text) override;
    std::vector<std::string> openFiles(std::string_view title, std::string_view filter) override;
    std::optional<std::string> saveFile(std::string_view title, std::string_view filter) override;
    std::optional<std::string> chooseFolder(std::string_view title) override;

private:
    HWND owner_;
};

// A text as a Windows box or text control shows it: UTF-16, with each CR LF,
// lone CR and lone LF made one CR LF; a byte sequence that is no UTF-8
// shows as U+FFFD.
[[nodiscard]] std::wstring ControlText(std::string_view text);

// The pairs of a filter of the form "Text Files (*.txt)|*.txt|All Files
// (*.*)|*.*|": descriptions at even places, patterns at odd ones. A
// description without its patterns is left out.
[[nodiscard]] std::vector<std::wstring> FilterParts(std::string_view filter);

} // namespace vacantix
