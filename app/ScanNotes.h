// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "scan/ScanRun.h"

namespace vacantix {

// What a scan met that its closing box says, besides "Done.": folders it
// could not read (so no folder above them is listed) and roots it skipped
// whole (in a system tree the settings skip, or ignored).
class ScanNotes {
public:
    // Forgets the notes of the last run.
    void clear();

    // A folder that could not be read; each is counted once.
    void folderUnreadable(std::string_view path);
    // A root skipped whole: it lies in a system tree the settings skip, or
    // is ignored. A root can be both; it is counted once.
    void rootInSystemTree(std::string_view path);
    void rootIgnored(std::string_view path);

    // The closing box of a run: "Done.", and, each after an empty line, what
    // did not go as asked: a stop; the folders that could not be read, how
    // many and the first five; a list that is empty because every root
    // searched was skipped whole. `entries` is the list's count at the end.
    [[nodiscard]] std::string closingText(const ScanSummary& summary, std::size_t entries) const;

private:
    std::unordered_set<std::string> unreadable_;
    std::vector<std::string> firstUnreadable_; // as met, up to five
    int skippedRoots_ = 0;
    bool systemRoots_ = false;
    bool ignoredRoots_ = false;
    std::string lastSystemRoot_; // a root that is also ignored is told so right after
};

// A closing box's text followed, after an empty line, by what the file
// system did on its own meanwhile (files a stopped run had set aside, put
// back), one line each; the text alone when it did nothing.
[[nodiscard]] std::string WithNotices(std::string text, const std::vector<std::string>& notices);

} // namespace vacantix
