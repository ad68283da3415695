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
// header text; while a scan borrows it as a status line it changes for every
// folder searched, so views learn of a new header text at most ten times a
// second, or when flushHeader() runs.
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

    // Tells the views about a header text set since the last call.
    void flushHeader();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    [[nodiscard]] std::size_t index0(std::size_t position) const;

    std::vector<std::string> entries_;
    std::string header_{kFolderListHeader};
    QElapsedTimer sinceHeaderFlush_;
    QTimer headerTimer_;
};

} // namespace vacantix
