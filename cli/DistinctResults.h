// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/FileSystem.h"
#include "roots/FolderList.h"
#include "scan/ResultsList.h"

namespace vacantix::cli {

// A root of the run: as the user spelled it and its real path.
struct SpelledRoot {
    std::string spelling; // absolute, without a trailing separator but for a root ("/")
    std::string real;     // links, ".", ".." resolved
};

// Hashes text so that a set of strings can be asked with a string_view.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};
using TextSet = std::unordered_set<std::string, TextHash, std::equal_to<>>;

// A results list that takes each folder once when roots overlap (a root
// below another, or the same folder reached through a link): a folder the
// search finds again below another root is not appended a second time, so
// the list keeps each in the order of its first finding. A folder is known
// by its real path, the real path of the root it was found below followed by
// the rest of its path (the search follows no link below a root). Only the
// folders below a root that lies below another root are remembered; roots
// that do not overlap cost nothing. Everything else goes to `list` as it is.
class DistinctResults final : public ResultsList {
public:
    // `roots` names each folder once (see DropRepeatedRoots).
    DistinctResults(ResultsList& list, const std::vector<SpelledRoot>& roots);

    void append(std::string path) override;
    void clear() override;
    [[nodiscard]] std::size_t count() const override { return list_.count(); }
    [[nodiscard]] std::string text(std::size_t position) const override { return list_.text(position); }
    [[nodiscard]] bool checked(std::size_t position) const override { return list_.checked(position); }
    void setChecked(std::size_t position, bool checked) override { list_.setChecked(position, checked); }
    void remove(std::size_t position) override { list_.remove(position); }
    void removeMany(const std::vector<std::size_t>& positions) override { list_.removeMany(positions); }
    void refresh() override { list_.refresh(); }

private:
    // The real path of a folder the search found, when it lies where two
    // roots overlap; "" otherwise.
    [[nodiscard]] std::string overlappingKey(std::string_view path) const;

    ResultsList& list_;
    std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> realOf_; // by spelling
    TextSet overlaps_; // the real paths of the roots below another root
    TextSet seen_;     // the real paths of the folders taken where roots overlap
};

// Leaves out of `roots` (each ending in "/") every root that names the
// folder of an earlier one: the same spelling, or the same real path. Answers
// the real path of each root left that has one, for DistinctResults; a root
// whose real path cannot be told is kept, so the scan says what is wrong
// with it.
[[nodiscard]] std::vector<SpelledRoot> DropRepeatedRoots(MemoryFolderList& roots, FileSystem& fs);

} // namespace vacantix::cli
