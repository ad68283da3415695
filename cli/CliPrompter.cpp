// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliPrompter.h"

namespace vacantix::cli {

void CliPrompter::message(std::string_view text)
{
    // The end of a run says nothing on a command line: the results speak.
    if (text == "Done.")
        return;
    ++problems_;
    write(text);
}

bool CliPrompter::ask(std::string_view text)
{
    write(text);
    return false;
}

void CliPrompter::errorReport(std::string_view text)
{
    ++problems_;
    write(text);
}

std::vector<std::string> CliPrompter::openFiles(std::string_view, std::string_view)
{
    return {};
}

std::optional<std::string> CliPrompter::saveFile(std::string_view, std::string_view)
{
    return std::nullopt;
}

std::optional<std::string> CliPrompter::chooseFolder(std::string_view)
{
    return std::nullopt;
}

void CliPrompter::write(std::string_view text)
{
    if (subject_.empty())
        console_.diagnostic(text);
    else
        console_.diagnostic(subject_ + ": " + std::string(text));
}

} // namespace vacantix::cli
