// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliHooks.h"

#include <string>

namespace vacantix::cli {

void CliHooks::yield()
{
    // Results of a stopped run are not printed, so nothing the run still
    // does after a stop signal (its final pass) is worth waiting for.
    if (stopSignal_() != 0)
        quit_();
}

void CliHooks::setStatusText(std::string_view text)
{
    showProgress(text);
}

void CliHooks::folderExamined(std::string_view path)
{
    ++examined_;
    showProgress(path);
}

void CliHooks::folderUnreadable(std::string_view path, std::string_view)
{
    constexpr std::size_t kNamed = 3;
    if (!unreadable_.emplace(path).second)
        return;
    allUnreadable_.emplace_back(path);
    if (firstUnreadable_.size() < kNamed)
        firstUnreadable_.emplace_back(path);
}

void CliHooks::showProgress(std::string_view where)
{
    if (!console_.progressDue())
        return;
    const std::string lead = std::to_string(examined_) + (examined_ == 1 ? " folder" : " folders") + " examined  ";
    console_.progress(lead, where);
}

} // namespace vacantix::cli
