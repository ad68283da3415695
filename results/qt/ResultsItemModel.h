// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <cstddef>
#include <functional>

#include "base/ListObserver.h"
#include "base/qt/DeliveryTimer.h"
#include "results/ResultsModel.h"

namespace vacantix {

// The results list as a one-column Qt model with a check box per row: a
// view of a ResultsModel, which tells it of its changes in batches (see
// there); the model's deliveries run from a timer of the event loop.
class ResultsItemModel final : public QAbstractListModel, private ListObserver {
    Q_OBJECT
public:
    // Shows `model`, which must outlive this view of it.
    explicit ResultsItemModel(ResultsModel& model, QObject* parent = nullptr);
    ~ResultsItemModel() override;

    // Decides the user's clicks and keys on a row's check box: true when the
    // mark was set. Unset, the results model sets it.
    void setCheckHandler(std::function<bool(std::size_t row, bool checked)> handler);

    [[nodiscard]] ResultsModel& results() const { return model_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void beginReset() override { beginResetModel(); }
    void endReset() override { endResetModel(); }
    void beginInsert(std::size_t first, std::size_t last) override;
    void endInsert() override { endInsertRows(); }
    void beginRemove(std::size_t first, std::size_t last) override;
    void endRemove() override { endRemoveRows(); }
    void checksChanged(std::size_t first, std::size_t last) override;
    void headerChanged() override { emit headerDataChanged(Qt::Horizontal, 0, 0); }
    void deliveryWanted(std::chrono::milliseconds delay) override;

    ResultsModel& model_;
    std::function<bool(std::size_t, bool)> checkHandler_;
    DeliveryTimer delivery_;
};

} // namespace vacantix
