// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QTimer>
#include <string>
#include <vector>

#include "roots/FolderList.h"

namespace vacantix {

// The folder list as a one-column Qt model. The column header is the list's
// header text. A scan borrows the header as a status line and changes it for
// every folder searched, and a list file can add thousands of entries, so
// views hear of header changes and appended entries at most ten times a
// second, or when flush() runs: rowCount() counts the entries shown so far.
class FolderListModel final : public QAbstractListModel, public FolderList {
    Q_OBJECT
public:
    explicit FolderListModel(QObject* parent = nullptr);

    void append(std::string path) override;
    void clear() override;
    [[nodiscard]] std::size_t count() const override { return entries_.size(); }
    [[nodiscard]] std::string text(std::size_t position) const override;
    void remove(std::size_t position) override;
    void setHeaderText(std::string text) override;
    [[nodiscard]] std::string headerText() const override { return header_; }

    // Tells the views about the header text and the entries appended since
    // the last flush.
    void flush();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    [[nodiscard]] std::size_t index0(std::size_t position) const;
    void scheduleFlush();

    std::vector<std::string> entries_;
    std::size_t shown_ = 0;
    std::string header_{kFolderListHeader};
    bool headerChanged_ = false;
    QElapsedTimer sinceFlush_;
    QTimer flushTimer_;
};

} // namespace vacantix
