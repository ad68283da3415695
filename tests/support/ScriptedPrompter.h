// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/Prompter.h"

namespace vacantix::test {

// Answers boxes and dialogs from queues set up by the test and records every
// one shown, in order. An unscripted question is answered No, an unscripted
// dialog is cancelled.
class ScriptedPrompter final : public Prompter {
public:
    struct Shown {
        std::string kind; // "message", "ask", "error", "open", "save", "folder"
        std::string text; // the box text or the dialog title
    };

    std::deque<bool> answers;
    std::deque<std::vector<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<std::optional<std::string>> folderAnswers;

    void message(std::string_view text) override { record("message", text); }

    bool ask(std::string_view text) override
    {
        record("ask", text);
        return take(answers, false);
    }

    void errorReport(std::string_view text) override { record("error", text); }

    std::vector<std::string> openFiles(std::string_view title, std::string_view) override
    {
        record("open", title);
        return take<std::vector<std::string>>(openAnswers, {});
    }

    std::optional<std::string> saveFile(std::string_view title, std::string_view) override
    {
        record("save", title);
        return take<std::optional<std::string>>(saveAnswers, std::nullopt);
    }

    std::optional<std::string> chooseFolder(std::string_view title) override
    {
        record("folder", title);
        return take<std::optional<std::string>>(folderAnswers, std::nullopt);
    }

    [[nodiscard]] const std::vector<Shown>& shown() const { return shown_; }

    // The texts of the boxes of one kind, in order.
    [[nodiscard]] std::vector<std::string> texts(std::string_view kind) const
    {
        std::vector<std::string> found;
        for (const Shown& box : shown_)
            if (box.kind == kind)
                found.push_back(box.text);
        return found;
    }

    [[nodiscard]] std::vector<std::string> errorReports() const { return texts("error"); }

private:
    void record(std::string_view kind, std::string_view text)
    {
        shown_.push_back({std::string(kind), std::string(text)});
    }

    template <class T>
    static T take(std::deque<T>& queue, T fallback)
    {
        if (queue.empty())
            return fallback;
        T next = std::move(queue.front());
        queue.pop_front();
        return next;
    }

    std::vector<Shown> shown_;
};

} // namespace vacantix::test
