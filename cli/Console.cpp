// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Console.h"

#include "cli/CommandLine.h"
#include "cli/OutputWriter.h"
#include "cli/Program.h"
#include "platform/Utf8.h"

namespace vacantix::cli {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

} // namespace

std::string TerminalText(std::string_view text, std::size_t columns)
{
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool control = byte < 0x20 || byte == 0x7F ||
                             (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0);
        if (length == 0 || control) {
            characters.emplace_back("?");
            i += length == 0 ? 1 : length;
        } else {
            characters.emplace_back(text.substr(i, length));
            i += length;
        }
    }
    std::size_t first = 0;
    std::string shown;
    if (characters.size() > columns) {
        if (columns < 3)
            return std::string(columns, '.');
        first = characters.size() - (columns - 3);
        shown = "...";
    }
    for (std::size_t i = first; i < characters.size(); ++i)
        shown += characters[i];
    return shown;
}

Console::Console(std::FILE* stream, bool showProgress) : stream_(stream), showProgress_(showProgress) {}

Console::~Console()
{
    clearProgress();
}

void Console::diagnostic(std::string_view text)
{
    clearProgress();
    std::string lines;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        if (!line.empty())
            lines.append(kProgramName).append(": ").append(line).append("\n");
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    // Standard error that cannot be written leaves nobody to tell.
    static_cast<void>(WriteAll(stream_, lines));
}

void Console::progress(std::string_view lead, std::string_view detail)
{
    if (!progressDue())
        return;
    lastDrawn_ = std::chrono::steady_clock::now();
    // One column is left free so that the cursor never wraps the line.
    const std::size_t columns = width() - 1;
    const std::string line = lead.size() >= columns ? TerminalText(lead, columns)
                                                    : std::string(lead) + TerminalText(detail, columns - lead.size());
    static_cast<void>(WriteAll(stream_, "\r" + line + "\x1b[K"));
    progressShown_ = true;
}

bool Console::progressDue() const
{
    return showProgress_ && (!progressShown_ || std::chrono::steady_clock::now() - lastDrawn_ >= kRedrawInterval);
}

void Console::clearProgress()
{
    if (!progressShown_)
        return;
    static_cast<void>(WriteAll(stream_, "\r\x1b[K"));
    progressShown_ = false;
}

std::size_t Console::width() const
{
    const std::size_t columns = TerminalColumns(stream_);
    return columns > 10 ? columns : 80;
}

} // namespace vacantix::cli
