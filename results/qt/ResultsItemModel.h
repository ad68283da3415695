// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>
#include <string>
#include <vector>

#include "results/PathStore.h"
#include "results/ResultsList.h"

namespace vacantix {

// The header of the results list.
inline constexpr std::string_view kResultsListHeader = "Empty Folders";

// The least time between two flushes of a results model showing `rows`
// rows, in milliseconds: a tenth of a second up to 100,000 rows, then a
// tenth more per 100,000, up to a second.
[[nodiscard]] qint64 FlushInterval(std::size_t rows);

// The results list as a one-column Qt model with a check box per entry.
//
// A scan appends and its final pass removes entries far faster than a view
// can follow them one by one (a view lays out all its rows again after each
// structural change), so views hear of structural changes in batches, at
// most ten times a second, and less often as the rows grow past 100,000
// (FlushInterval), so that laying them out stays a small share of the
// time: rows are the entries as of the last flush.
// Appended entries wait behind the last row; removed ones stay in their rows
// as tombstones, skipped by every position, until the flush takes them out.
// Positions always count the live entries only. Check marks set through
// setChecked reach views together, at the next turn of the event loop (a
// Check All of half a million entries is one change, not half a million);
// a mark set through a view is shown at once.
class ResultsModel final : public QAbstractListModel, public ResultsList {
    Q_OBJECT
public:
    explicit ResultsModel(QObject* parent = nullptr);

    void append(std::string path) override;
    void clear() override;
    [[nodiscard]] std::size_t count() const override { return live_; }
    [[nodiscard]] std::string text(std::size_t position) const override;
    [[nodiscard]] bool checked(std::size_t position) const override;
    void setChecked(std::size_t position, bool checked) override;
    void remove(std::size_t position) override;
    // Tells the views about changes when the last flush is FlushInterval
    // old.
    void refresh() override;

    // Tells the views about every change at once.
    void flush();

    // Sets every check mark at once (one change for the views).
    void setAllChecked(bool checked);

    // The column header; a deletion borrows it to show its progress. Views
    // hear of a change at the next refresh or flush.
    void setHeaderText(std::string text);
    [[nodiscard]] const std::string& headerText() const { return header_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // The slot of the live entry at a 1-based position; throws Failure 9
    // outside 1..count().
    [[nodiscard]] std::size_t slotOf(std::size_t position) const;
    void scheduleFlush();
    void rebuildIndex();
    void addToIndex(std::size_t slot, int delta);
    void showHeader();
    // Tells the views of the check marks changed since they last heard.
    void showChecks();
    [[nodiscard]] bool isRemoved(std::size_t slot) const;

    // Slots: rows, then entries not shown yet. The store keeps each slot's
    // path and check mark; a path is built only when it is asked for.
    PathStore slots_;
    static constexpr std::size_t kSlotsPerWord = 64;
    std::vector<std::uint64_t> removed_; // a bit per slot: a tombstone until the next flush
    std::vector<int> liveTree_;          // Fenwick tree over the words of removed_: live slots
    std::size_t live_ = 0;
    std::size_t shown_ = 0;       // slots the views know as rows
    bool removedPending_ = false;
    std::string header_{kResultsListHeader};
    bool headerChanged_ = false;
    QElapsedTimer sinceFlush_;
    QTimer flushTimer_;
    // Rows whose check marks changed since views last heard: [first, last].
    int firstChecked_ = -1;
    int lastChecked_ = -1;
    QTimer checksTimer_;
};


} // namespace vacantix
