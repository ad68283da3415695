// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vacantix {

// The list of empty folders found: entries with a path and a check mark,
// addressed by 1-based position. A position outside 1..count() throws the
// Failure "Subscript out of range" (9).
class ResultsList {
public:
    virtual ~ResultsList() = default;

    // Adds an entry at the end, checked.
    virtual void append(std::string path) = 0;
    virtual void clear() = 0;
    [[nodiscard]] virtual std::size_t count() const = 0;
    [[nodiscard]] virtual std::string text(std::size_t position) const = 0;
    [[nodiscard]] virtual bool checked(std::size_t position) const = 0;
    virtual void setChecked(std::size_t position, bool checked) = 0;
    // Removes one entry; the entries after it move up one position.
    virtual void remove(std::size_t position) = 0;
    // Removes the entries at `positions` (1-based, strictly decreasing), as
    // remove() would one after the other; the others keep their order. Lists
    // that can drop many entries in one sweep override it.
    virtual void removeMany(const std::vector<std::size_t>& positions)
    {
        for (const std::size_t position : positions)
            remove(position);
    }
    // Shows the list as it is now (the window repaints; others do nothing).
    virtual void refresh() {}
};

// A results list in memory, for the command line and for tests.
class MemoryResultsList final : public ResultsList {
public:
    struct Entry {
        std::string text;
        bool checked = true;
        bool operator==(const Entry&) const = default;
    };

    void append(std::string path) override { entries_.push_back({std::move(path), true}); }
    void clear() override { entries_.clear(); }
    [[nodiscard]] std::size_t count() const override { return entries_.size(); }
    [[nodiscard]] std::string text(std::size_t position) const override { return at(position).text; }
    [[nodiscard]] bool checked(std::size_t position) const override { return at(position).checked; }
    void setChecked(std::size_t position, bool checked) override { at(position).checked = checked; }
    void remove(std::size_t position) override;
    void removeMany(const std::vector<std::size_t>& positions) override;
    void refresh() override { ++refreshes_; }

    [[nodiscard]] const std::vector<Entry>& entries() const { return entries_; }
    [[nodiscard]] std::vector<std::string> texts() const;
    [[nodiscard]] std::size_t refreshes() const { return refreshes_; }

private:
    Entry& at(std::size_t position);
    [[nodiscard]] const Entry& at(std::size_t position) const;

    std::vector<Entry> entries_;
    std::size_t refreshes_ = 0;
};

} // namespace vacantix
