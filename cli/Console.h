// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

namespace vacantix::cli {

// The program's standard error: diagnostics, each on a line of its own and
// prefixed with the program name, and on a terminal one progress line that
// is redrawn in place and wiped before anything else is written.
class Console {
public:
    // `showProgress` is normally whether `stream` is a terminal.
    Console(std::FILE* stream, bool showProgress);
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // Writes "vacantix-cli: " + each line of `text` (CR LF, CR or LF end a
    // line; empty lines are left out).
    void diagnostic(std::string_view text);

    // Replaces the progress line with `lead` and as much of the end of
    // `detail` as fits the terminal, at most a few times a second; does
    // nothing when progress is not shown.
    void progress(std::string_view lead, std::string_view detail);

    // Wipes the progress line, if one is shown.
    void clearProgress();

    // True when progress() would draw now, so callers can skip building
    // its text.
    [[nodiscard]] bool progressDue() const;

private:
    [[nodiscard]] std::size_t width() const;

    std::FILE* stream_;
    bool showProgress_;
    bool progressShown_ = false;
    std::chrono::steady_clock::time_point lastDrawn_{};
};

// Makes a path safe to show on a terminal: control characters and bytes
// that are no UTF-8 become "?"; keeps at most `columns` characters, taken
// from the end and led by "..." when it had to shorten the text.
[[nodiscard]] std::string TerminalText(std::string_view text, std::size_t columns);

} // namespace vacantix::cli
