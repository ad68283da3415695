// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "base/ListObserver.h"
#include "roots/FolderList.h"

namespace vacantix {

// The folder list of the window, toolkit-free. A scan borrows the header as
// a status line and changes it for every folder searched, and a list file
// can add thousands of entries, so the observer hears of header changes and
// appended entries at most ten times a second (when the event loop runs
// deliverPending() after the delay the model asked for), or at flush().
// Removals and clearing are told at once.
class FolderListModel final : public FolderList {
public:
    FolderListModel();

    void append(std::string path) override;
    void clear() override;
    [[nodiscard]] std::size_t count() const override { return entries_.size(); }
    [[nodiscard]] std::string text(std::size_t position) const override;
    void remove(std::size_t position) override;
    void setHeaderText(std::string text) override;
    [[nodiscard]] std::string headerText() const override { return header_; }

    // Tells the observer about the header text and the entries appended
    // since the last flush.
    void flush();
    void deliverPending() { flush(); }

    // The control that shows the rows, or none (not owned).
    void setObserver(ListObserver* observer) { observer_ = observer; }

    // The rows as the observer was last told them, 0-based.
    [[nodiscard]] std::size_t rowCount() const { return shown_; }
    [[nodiscard]] const std::string& rowText(std::size_t row) const { return entries_.at(row); }

private:
    [[nodiscard]] std::size_t index0(std::size_t position) const;
    void scheduleFlush();

    std::vector<std::string> entries_;
    std::size_t shown_ = 0;
    std::string header_{kFolderListHeader};
    bool headerChanged_ = false;
    std::chrono::steady_clock::time_point lastFlush_;
    bool deliveryAsked_ = false;
    ListObserver* observer_ = nullptr;
};

} // namespace vacantix
