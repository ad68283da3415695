// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vacantix {

// Every message box and dialog the program shows goes through a prompter,
// so that each command can be driven without a person. The window binds
// Qt's boxes and dialogs; the command line writes to stderr; tests script
// the answers and record what was shown.
class Prompter {
public:
    virtual ~Prompter() = default;

    // An OK box without icon, titled with the application title.
    virtual void message(std::string_view text) = 0;

    // A Yes/No question without icon, titled with the application title.
    // True when the answer is Yes.
    virtual bool ask(std::string_view text) = 0;

    // The error report: an OK box titled "Application Error" with the
    // warning icon.
    virtual void errorReport(std::string_view text) = 0;

    // An open dialog that lets several files be chosen, starting in the
    // user's home folder. Returns their full paths in the order the dialog
    // gives them; empty when cancelled.
    virtual std::vector<std::string> openFiles(std::string_view title, std::string_view filter) = 0;

    // A save dialog that does not ask about overwriting, starting in the
    // user's home folder. Returns the full path, or nothing when cancelled.
    virtual std::optional<std::string> saveFile(std::string_view title, std::string_view filter) = 0;

    // A folder chooser starting at the top of the file system, offering only
    // real folders. Returns an absolute path, or nothing when cancelled.
    virtual std::optional<std::string> chooseFolder(std::string_view title) = 0;
};

} // namespace vacantix
