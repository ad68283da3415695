// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <string>
#include <vector>

#include "results/ResultsList.h"

namespace vacantix {

// The results list as a one-column Qt model with a check box per entry.
//
// A scan appends entries far faster than a view can take them one by one,
// so appended entries are announced to views in batches: rowCount() counts
// the entries shown so far, and the rest follow at the next flush(), which
// refresh() runs when the last one is older than a tenth of a second and the
// window runs at every turn of the event loop. Rows are always the first
// rowCount() positions, so every other change keeps rows and positions in
// step whether its entry is shown yet or not.
class ResultsModel final : public QAbstractListModel, public ResultsList {
    Q_OBJECT
public:
    explicit ResultsModel(QObject* parent = nullptr);

    void append(std::string path) override;
    void clear() override;
    [[nodiscard]] std::size_t count() const override { return entries_.size(); }
    [[nodiscard]] std::string text(std::size_t position) const override;
    [[nodiscard]] bool checked(std::size_t position) const override;
    void setChecked(std::size_t position, bool checked) override;
    void remove(std::size_t position) override;
    void refresh() override;

    // Shows every entry appended since the last flush.
    void flush();

    // Sets every check mark at once (one change for the views).
    void setAllChecked(bool checked);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Entry {
        std::string text;
        bool checked = true;
    };

    [[nodiscard]] std::size_t index0(std::size_t position) const;

    std::vector<Entry> entries_;
    std::size_t shown_ = 0;
    QElapsedTimer sinceFlush_;
    bool flushQueued_ = false;
};

// The header of the results list.
inline constexpr std::string_view kResultsListHeader = "Empty Folders";

} // namespace vacantix
