// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/qt/ResultsItemModel.h"

#include "platform/qt/QtPrompter.h"

namespace vacantix {

ResultsItemModel::ResultsItemModel(ResultsModel& model, QObject* parent)
    : QAbstractListModel(parent), model_(model), delivery_([this] { model_.deliverPending(); })
{
    model_.setObserver(this);
}

ResultsItemModel::~ResultsItemModel()
{
    model_.setObserver(nullptr);
}

void ResultsItemModel::setCheckHandler(std::function<bool(std::size_t row, bool checked)> handler)
{
    checkHandler_ = std::move(handler);
}

void ResultsItemModel::beginInsert(std::size_t first, std::size_t last)
{
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(last));
}

void ResultsItemModel::beginRemove(std::size_t first, std::size_t last)
{
    beginRemoveRows({}, static_cast<int>(first), static_cast<int>(last));
}

void ResultsItemModel::checksChanged(std::size_t first, std::size_t last)
{
    emit dataChanged(index(static_cast<int>(first)), index(static_cast<int>(last)), {Qt::CheckStateRole});
}

void ResultsItemModel::deliveryWanted(std::chrono::milliseconds delay)
{
    delivery_.schedule(delay);
}

int ResultsItemModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(model_.rowCount());
}

QVariant ResultsItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return PathText(model_.rowText(row));
    case Qt::CheckStateRole:
        return model_.rowChecked(row) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool ResultsItemModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::CheckStateRole)
        return false;
    const auto row = static_cast<std::size_t>(index.row());
    const bool checked = value.value<Qt::CheckState>() == Qt::Checked;
    return checkHandler_ ? checkHandler_(row, checked) : model_.setRowChecked(row, checked);
}

Qt::ItemFlags ResultsItemModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

QVariant ResultsItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return PathText(model_.headerText());
    return QAbstractListModel::headerData(section, orientation, role);
}

} // namespace vacantix
