// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vacantix {

// The header text of the folder list when no scan is borrowing it.
inline constexpr std::string_view kFolderListHeader = "Folders To Scan For Empty Folders";

// The list of folders to scan (roots), each entry a path ending in "/",
// addressed by 1-based position; its column header doubles as the status
// text of a running scan. A position outside 1..count() throws the Failure
// "Subscript out of range" (9).
class FolderList {
public:
    virtual ~FolderList() = default;

    virtual void append(std::string path) = 0;
    virtual void clear() = 0;
    [[nodiscard]] virtual std::size_t count() const = 0;
    [[nodiscard]] virtual std::string text(std::size_t position) const = 0;
    virtual void remove(std::size_t position) = 0;
    virtual void setHeaderText(std::string text) = 0;
    [[nodiscard]] virtual std::string headerText() const = 0;
};

// A folder list in memory, for the command line and for tests.
class MemoryFolderList final : public FolderList {
public:
    void append(std::string path) override { entries_.push_back(std::move(path)); }
    void clear() override { entries_.clear(); }
    [[nodiscard]] std::size_t count() const override { return entries_.size(); }
    [[nodiscard]] std::string text(std::size_t position) const override;
    void remove(std::size_t position) override;
    void setHeaderText(std::string text) override { header_ = std::move(text); }
    [[nodiscard]] std::string headerText() const override { return header_; }

    [[nodiscard]] const std::vector<std::string>& entries() const { return entries_; }

private:
    std::vector<std::string> entries_;
    std::string header_{kFolderListHeader};
};

} // namespace vacantix
