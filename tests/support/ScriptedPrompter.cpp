// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScriptedPrompter.h"

namespace vacantix::test {

namespace {

template <class T>
T Take(std::deque<T>& queue, T fallback)
{
    if (queue.empty())
        return fallback;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

} // namespace

void ScriptedPrompter::record(Kind kind, std::string_view text, std::string_view filter)
{
    shown_.push_back({kind, std::string(text), std::string(filter)});
    if (onShow)
        onShow(shown_.back());
}

void ScriptedPrompter::message(std::string_view text)
{
    record(Kind::Message, text);
}

bool ScriptedPrompter::ask(std::string_view text)
{
    record(Kind::Ask, text);
    return Take(asks_, false);
}

void ScriptedPrompter::errorReport(std::string_view text)
{
    record(Kind::ErrorReport, text);
}

std::vector<std::string> ScriptedPrompter::openFiles(std::string_view title, std::string_view filter)
{
    record(Kind::OpenFiles, title, filter);
    return Take(opens_, std::vector<std::string>{});
}

std::optional<std::string> ScriptedPrompter::saveFile(std::string_view title, std::string_view filter)
{
    record(Kind::SaveFile, title, filter);
    return Take(saves_, std::optional<std::string>{});
}

std::optional<std::string> ScriptedPrompter::chooseFolder(std::string_view title)
{
    record(Kind::ChooseFolder, title);
    return Take(folders_, std::optional<std::string>{});
}

std::vector<std::string> ScriptedPrompter::texts(Kind kind) const
{
    std::vector<std::string> found;
    for (const Shown& box : shown_)
        if (box.kind == kind)
            found.push_back(box.text);
    return found;
}

} // namespace vacantix::test
