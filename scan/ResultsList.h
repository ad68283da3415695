// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "scan/PathStore.h"

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

// A results list in memory, for the command line and for tests: a facade of
// 1-based positions over a PathStore.
class MemoryResultsList final : public ResultsList {
public:
    struct Entry {
        std::string text;
        bool checked = true;
        bool operator==(const Entry&) const = default;
    };

    void append(std::string path) override { store_.append(path); }
    void clear() override { store_.clear(); }
    [[nodiscard]] std::size_t count() const override { return store_.size(); }
    [[nodiscard]] std::string text(std::size_t position) const override;
    [[nodiscard]] bool checked(std::size_t position) const override;
    void setChecked(std::size_t position, bool checked) override;
    void remove(std::size_t position) override;
    void removeMany(const std::vector<std::size_t>& positions) override;
    void refresh() override { ++refreshes_; }

    // Every entry and every text, built afresh on each call.
    [[nodiscard]] std::vector<Entry> entries() const;
    [[nodiscard]] std::vector<std::string> texts() const;
    [[nodiscard]] std::size_t refreshes() const { return refreshes_; }
    [[nodiscard]] const PathStore& store() const { return store_; }

private:
    // The store's 0-based index of `position`; throws "Subscript out of range".
    [[nodiscard]] std::size_t index(std::size_t position) const;

    PathStore store_;
    std::size_t refreshes_ = 0;
};

} // namespace vacantix
