// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScanNotes.h"

#include <utility>

#include "platform/PathRoot.h"

namespace vacantix {

namespace {

constexpr std::size_t kNamedUnreadable = 5;

std::string UnreadableParagraph(std::size_t count, const std::vector<std::string>& named)
{
    std::string text = std::to_string(count) +
                       (count == 1 ? " folder could not be read, so no folder above it is listed:"
                                   : " folders could not be read, so no folder above them is listed:");
    for (const std::string& path : named)
        text += "\n" + ToNativePath(path);
    if (count > named.size())
        text += "\nand " + std::to_string(count - named.size()) + " more.";
    return text;
}

} // namespace

void ScanNotes::clear()
{
    *this = ScanNotes();
}

void ScanNotes::folderUnreadable(std::string_view path)
{
    if (!unreadable_.emplace(path).second)
        return;
    if (firstUnreadable_.size() < kNamedUnreadable)
        firstUnreadable_.emplace_back(path);
}

void ScanNotes::rootInSystemTree(std::string_view path)
{
    ++skippedRoots_;
    systemRoots_ = true;
    lastSystemRoot_ = path;
}

void ScanNotes::rootIgnored(std::string_view path)
{
    ignoredRoots_ = true;
    if (std::exchange(lastSystemRoot_, std::string()) != path)
        ++skippedRoots_;
}

std::string ScanNotes::closingText(const ScanSummary& summary, std::size_t entries) const
{
    std::vector<std::string> paragraphs;
    if (summary.stopped)
        paragraphs.emplace_back("The scan was stopped; the list holds what was found before.");
    if (!unreadable_.empty())
        paragraphs.push_back(UnreadableParagraph(unreadable_.size(), firstUnreadable_));
    if (entries == 0 && !summary.stopped && skippedRoots_ > 0 && skippedRoots_ == summary.rootsSearched) {
        if (!ignoredRoots_)
            paragraphs.emplace_back("Nothing is listed: every folder to scan lies in a system folder, and the "
                                    "settings skip system folders.");
        else if (!systemRoots_)
            paragraphs.emplace_back("Nothing is listed: every folder to scan is one the settings say to ignore.");
        else
            paragraphs.emplace_back("Nothing is listed: every folder to scan lies in a system folder, which the "
                                    "settings skip, or is one they say to ignore.");
    }
    std::string text = "Done.";
    for (const std::string& paragraph : paragraphs)
        text += "\n\n" + paragraph;
    return text;
}

std::string WithNotices(std::string text, const std::vector<std::string>& notices)
{
    if (!notices.empty())
        text += "\n";
    for (const std::string& notice : notices)
        text += "\n" + notice;
    return text;
}

} // namespace vacantix
