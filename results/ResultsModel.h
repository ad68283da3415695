// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/ListObserver.h"
#include "scan/PathStore.h"
#include "scan/ResultsList.h"

namespace vacantix {

// The header of the results list.
inline constexpr std::string_view kResultsListHeader = "Empty Folders";

// How the rows of the results list are ordered: as the entries were found,
// or by path (see PathOrder).
enum class RowOrder { Found, PathAscending, PathDescending };

// The header of a results list that holds entries while nothing runs:
// "3 empty folders, 2 checked" ("1 empty folder, 1 checked").
[[nodiscard]] std::string CountsText(std::size_t entries, std::size_t checked);

// The least time between two flushes of a results model showing `rows`
// rows: a tenth of a second up to 100,000 rows, then a tenth more per
// 100,000, up to a second.
[[nodiscard]] std::chrono::milliseconds FlushInterval(std::size_t rows);

// The results list of the window, toolkit-free: entries with a path and a
// check mark over a PathStore (a check mark is a bit), and the rows a list
// control shows.
//
// A scan appends and its final pass removes entries far faster than a
// control can follow them one by one (a control lays out all its rows again
// after each structural change), so the observer hears of structural
// changes in batches: at refresh() once FlushInterval has passed since the
// last flush, at flush(), or when the event loop runs deliverPending() after
// the delay the model asked for. Rows are the entries as of the last flush:
// appended entries wait behind the last row; removed ones stay in their rows
// as tombstones, skipped by every position, until the flush takes them out.
// Positions (the ResultsList interface) always count the live entries only.
// Check marks set through setChecked reach the observer together, at the
// next delivery (a Check All of half a million entries is one change, not
// half a million); a mark set on a row is told at once.
//
// Rows may be ordered by path (orderRows) while the entries, and every
// position, keep the order they were found in; the order is a permutation
// of the rows, so a million rows are ordered without moving a path.
class ResultsModel final : public ResultsList {
public:
    ResultsModel();
    ~ResultsModel() override;

    void append(std::string path) override;
    void clear() override;
    [[nodiscard]] std::size_t count() const override { return live_; }
    [[nodiscard]] std::string text(std::size_t position) const override;
    [[nodiscard]] bool checked(std::size_t position) const override;
    void setChecked(std::size_t position, bool checked) override;
    void remove(std::size_t position) override;
    // Tells the observer about the header, and about every change once the
    // last flush is FlushInterval old.
    void refresh() override;

    // Tells the observer about every change at once.
    void flush();
    // Tells the observer what is due: check marks at once, the rest when
    // FlushInterval has passed (else it asks for another delivery).
    void deliverPending();

    // Sets every check mark at once (one change for the observer).
    void setAllChecked(bool checked);
    // How many entries are checked, kept as marks change.
    [[nodiscard]] std::size_t checkedCount() const { return checked_; }

    // The column header; a deletion borrows it to show its progress. The
    // observer hears of a change at the next refresh or flush.
    void setHeaderText(std::string text);
    // The header as the observer shows it: the borrowed text; else, while
    // counts are shown and the list holds entries, CountsText; else the
    // list's own header.
    [[nodiscard]] std::string headerText() const;
    // Shows the counts in the header or not (not while a command works on
    // the list). While they are shown, the observer hears of a change of
    // them with the next delivery, or at once for a mark set on a row or on
    // every entry.
    void showCounts(bool shown);

    // Orders the rows; the observer hears a reset. Entries appended later
    // follow the ordered rows; clear() puts the found order back.
    void orderRows(RowOrder order);
    [[nodiscard]] RowOrder rowOrder() const { return rowOrder_; }

    // The control that shows the rows, or none. Not owned; it must stay
    // until it is replaced or the model is gone.
    void setObserver(ListObserver* observer) { observer_ = observer; }

    // The rows as the observer was last told them, 0-based, in the order of
    // the rows.
    [[nodiscard]] std::size_t rowCount() const { return shown_; }
    // A row's path and mark; a removed row still shows until the flush.
    [[nodiscard]] std::string rowText(std::size_t row) const;
    [[nodiscard]] bool rowChecked(std::size_t row) const;
    // Sets a row's mark as the user's click or key does, and tells the
    // observer at once. False (nothing changes) for a row outside the rows
    // or one whose entry was removed since the last flush.
    bool setRowChecked(std::size_t row, bool checked);

private:
    // The slot of the live entry at a 1-based position; throws Failure 9
    // outside 1..count().
    [[nodiscard]] std::size_t slotOf(std::size_t position) const;
    void scheduleFlush();
    void rebuildIndex();
    void addToIndex(std::size_t slot, int delta);
    void showHeader();
    // Tells the observer of the check marks changed since it last heard.
    void showChecks();
    void removeTombstones();
    [[nodiscard]] bool isRemoved(std::size_t slot) const;
    [[nodiscard]] std::chrono::milliseconds sinceFlush() const;
    // The slot a row shows.
    [[nodiscard]] std::size_t slotOfRow(std::size_t row) const { return row < order_.size() ? order_[row] : row; }
    // The counts changed: the header changes with them while shown.
    void countsChanged();
    // Takes removed slots (ascending) out of the row order.
    void dropFromOrder(const std::vector<std::size_t>& doomed);

    // Slots: rows, then entries not shown yet. The store keeps each slot's
    // path and check mark; a path is built only when it is asked for.
    PathStore slots_;
    static constexpr std::size_t kSlotsPerWord = 64;
    std::vector<std::uint64_t> removed_; // a bit per slot: a tombstone until the next flush
    std::vector<int> liveTree_;          // Fenwick tree over the words of removed_: live slots
    std::size_t live_ = 0;
    std::size_t shown_ = 0; // slots the observer knows as rows
    bool removedPending_ = false;
    std::string header_{kResultsListHeader};
    bool headerChanged_ = false;
    std::chrono::steady_clock::time_point lastFlush_;
    bool deliveryAsked_ = false;
    // Rows whose check marks changed since the observer last heard: [first, last].
    std::size_t firstChecked_ = 0;
    std::size_t lastChecked_ = 0;
    bool checksPending_ = false;
    std::size_t checked_ = 0; // live entries checked
    bool countsShown_ = false;
    RowOrder rowOrder_ = RowOrder::Found;
    std::vector<std::uint32_t> order_; // while ordered: the slot of each row up to its size
    ListObserver* observer_ = nullptr;
};

} // namespace vacantix
