// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Prompter.h"

namespace vacantix::test {

// A prompter for tests: answers questions and dialogs from queues given in
// advance and records every box and dialog shown, in order. An unscripted
// question answers No, an unscripted dialog is cancelled.
class ScriptedPrompter final : public Prompter {
public:
    enum class Kind { Message, Ask, ErrorReport, OpenFiles, SaveFile, ChooseFolder };

    struct Shown {
        Kind kind;
        std::string text; // the message, or the dialog's title
        std::string filter;
    };

    void message(std::string_view text) override;
    bool ask(std::string_view text) override;
    void errorReport(std::string_view text) override;
    std::vector<std::string> openFiles(std::string_view title, std::string_view filter) override;
    std::optional<std::string> saveFile(std::string_view title, std::string_view filter) override;
    std::optional<std::string> chooseFolder(std::string_view title) override;

    // Answers for the next questions and dialogs, taken in order.
    void answerAsk(bool yes) { asks_.push_back(yes); }
    void answerOpenFiles(std::vector<std::string> paths) { opens_.push_back(std::move(paths)); }
    void answerSaveFile(std::optional<std::string> path) { saves_.push_back(std::move(path)); }
    void answerChooseFolder(std::optional<std::string> path) { folders_.push_back(std::move(path)); }

    // Runs while a box or dialog is "open", before it answers: lets a test
    // look at the window at that moment or act as the user would.
    std::function<void(const Shown&)> onShow;

    [[nodiscard]] const std::vector<Shown>& shown() const { return shown_; }
    // The texts of the boxes of one kind, in order.
    [[nodiscard]] std::vector<std::string> texts(Kind kind) const;
    [[nodiscard]] std::vector<std::string> messages() const { return texts(Kind::Message); }
    [[nodiscard]] std::vector<std::string> errorReports() const { return texts(Kind::ErrorReport); }
    void forget() { shown_.clear(); }

private:
    void record(Kind kind, std::string_view text, std::string_view filter = {});

    std::vector<Shown> shown_;
    std::deque<bool> asks_;
    std::deque<std::vector<std::string>> opens_;
    std::deque<std::optional<std::string>> saves_;
    std::deque<std::optional<std::string>> folders_;
};

} // namespace vacantix::test
