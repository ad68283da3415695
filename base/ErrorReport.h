// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/Failure.h"
#include "platform/Prompter.h"

namespace vacantix {

// Where error reports ask users to send their screenshots.
inline constexpr std::string_view kSupportAddress = "support@quillmark.example";

// The text of an error report: error text, CR LF, procedure path, "at line ",
// the line number, CR, CR, and the request to e-mail a screenshot.
[[nodiscard]] std::string ErrorReportText(std::string_view errorText, std::string_view procedurePath,
                                          int line);

// Builds the report and shows it as the "Application Error" box.
void ShowErrorReport(Prompter& prompter, std::string_view errorText, std::string_view procedurePath,
                     int line);

// The error trap of one run of a procedure whose steps are numbered. Each
// step runs through the trap; a failure in it shows the error report with
// the step's number, and the procedure goes on with its next step:
//
//     Trap trap(prompter, kClearResultsPath);
//     trap.step(100, [&] { results.clear(); });
//     if (trap.test(102, [&] { return results.count() > 0; })) { ... }
//
// A failed test counts as held, so the procedure goes on inside the branch.
// Failures are the program's Failure and the standard exceptions; anything
// else passes through.
class Trap {
public:
    Trap(Prompter& prompter, std::string_view procedurePath)
        : prompter_(prompter), procedurePath_(procedurePath) {}

    // Runs one step. True when it ran to its end, false when it failed (and
    // was reported).
    template <class Step>
    bool step(int line, Step&& body)
    {
        try {
            std::forward<Step>(body)();
            return true;
        } catch (const Failure& failure) {
            report(failure.description(), line);
        } catch (const std::exception& failure) {
            report(failure.what(), line);
        }
        return false;
    }

    // Evaluates the condition of a branch or loop; a failure counts as true.
    template <class Condition>
    bool test(int line, Condition&& condition)
    {
        bool held = true;
        step(line, [&] { held = static_cast<bool>(std::forward<Condition>(condition)()); });
        return held;
    }

    // Computes a value; a failure reports and gives `fallback`.
    template <class T, class Compute>
    T value(int line, Compute&& compute, T fallback)
    {
        step(line, [&] { fallback = std::forward<Compute>(compute)(); });
        return fallback;
    }

    // Reports a failure caught elsewhere under this procedure's path.
    void report(std::string_view errorText, int line)
    {
        ++reports_;
        ShowErrorReport(prompter_, errorText, procedurePath_, line);
    }

    [[nodiscard]] int reports() const { return reports_; }
    [[nodiscard]] Prompter& prompter() const { return prompter_; }

private:
    Prompter& prompter_;
    std::string procedurePath_;
    int reports_ = 0;
};

} // namespace vacantix
