// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "cli/Console.h"
#include "platform/Prompter.h"

namespace vacantix::cli {

// The command line's stand-in for message boxes: every message but "Done."
// and every error report goes to standard error and counts as a problem.
// Questions are shown and answered No, dialogs are cancelled: nobody is
// there to answer them.
class CliPrompter final : public Prompter {
public:
    explicit CliPrompter(Console& console) : console_(console) {}

    void message(std::string_view text) override;
    bool ask(std::string_view text) override;
    void errorReport(std::string_view text) override;
    std::vector<std::string> openFiles(std::string_view title, std::string_view filter) override;
    std::optional<std::string> saveFile(std::string_view title, std::string_view filter) override;
    std::optional<std::string> chooseFolder(std::string_view title) override;

    // Writes a line that reports no problem (a summary).
    void note(std::string_view text) { write(text); }

    // Names what the next messages are about ("list.txt: File not found");
    // empty for none.
    void setSubject(std::string subject) { subject_ = std::move(subject); }

    // Messages and error reports written so far.
    [[nodiscard]] int problems() const { return problems_; }

private:
    void write(std::string_view text);

    Console& console_;
    std::string subject_;
    int problems_ = 0;
};

} // namespace vacantix::cli
