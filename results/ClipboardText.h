// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/Clipboard.h"
#include "scan/ResultsList.h"

namespace vacantix {

// A list of entries with columns and check marks, as the clipboard copy
// reads it. Positions and columns are 1-based; column 1 is the entry's text,
// column c > 1 its sub-item c - 1. A position or column out of range throws
// the Failure "Subscript out of range" (9).
class ColumnList {
public:
    virtual ~ColumnList() = default;

    [[nodiscard]] virtual std::size_t count() const = 0;
    [[nodiscard]] virtual std::size_t columns() const = 0; // at least 1
    [[nodiscard]] virtual std::string cell(std::size_t position, std::size_t column) const = 0;
    [[nodiscard]] virtual bool checked(std::size_t position) const = 0;
};

// The results list seen as a list of one column, its paths as the platform
// writes them (ToNativePath).
class ResultsColumns final : public ColumnList {
public:
    explicit ResultsColumns(const ResultsList& results) : results_(results) {}

    [[nodiscard]] std::size_t count() const override { return results_.count(); }
    [[nodiscard]] std::size_t columns() const override { return 1; }
    [[nodiscard]] std::string cell(std::size_t position, std::size_t column) const override;
    [[nodiscard]] bool checked(std::size_t position) const override { return results_.checked(position); }

private:
    const ResultsList& results_;
};

// The number of characters of UTF-8 text; a byte that begins no valid
// sequence counts as one character.
[[nodiscard]] std::size_t CharacterCount(std::string_view text);

// The clipboard text of a list: one line per checked entry in list order,
// each cell padded with spaces to its column's width (the longest cell of
// the column over all entries, checked or not) and followed by a TAB; the
// last TAB and then the trailing spaces are dropped and the line ends in
// CR LF. `yield` runs once per entry of each pass and once per cell copied.
// Entries removed meanwhile make it throw.
[[nodiscard]] std::string ClipboardText(const ColumnList& list, const std::function<void()>& yield);

// Empties the clipboard, trying up to 1000 times; a failure is dropped.
void ClearClipboard(Clipboard& clipboard);

// Places text on the clipboard, trying up to 1000 times; a failure is dropped.
void SetClipboardText(Clipboard& clipboard, std::string_view text);

// Puts the ClipboardText of the list on the clipboard (cleared first). An
// empty list leaves the clipboard untouched.
void CopyListToClipboard(const ColumnList& list, Clipboard& clipboard, const std::function<void()>& yield);

} // namespace vacantix
