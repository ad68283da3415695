// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>

#include "base/ListObserver.h"
#include "base/qt/DeliveryTimer.h"
#include "roots/FolderListModel.h"

namespace vacantix {

// The folder list as a one-column Qt model whose column header is the
// list's header text: a view of a FolderListModel, which tells it of header
// changes and appended entries in batches (see there).
class FolderItemModel final : public QAbstractListModel, private ListObserver {
    Q_OBJECT
public:
    // Shows `model`, which must outlive this view of it.
    explicit FolderItemModel(FolderListModel& model, QObject* parent = nullptr);
    ~FolderItemModel() override;

    [[nodiscard]] FolderListModel& folders() const { return model_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void beginReset() override { beginResetModel(); }
    void endReset() override { endResetModel(); }
    void beginInsert(std::size_t first, std::size_t last) override;
    void endInsert() override { endInsertRows(); }
    void beginRemove(std::size_t first, std::size_t last) override;
    void endRemove() override { endRemoveRows(); }
    void headerChanged() override { emit headerDataChanged(Qt::Horizontal, 0, 0); }
    void deliveryWanted(std::chrono::milliseconds delay) override { delivery_.schedule(delay); }

    FolderListModel& model_;
    DeliveryTimer delivery_;
};

} // namespace vacantix
