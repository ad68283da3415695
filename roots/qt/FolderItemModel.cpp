// SPDX-License-Identifier: GPL-3.0-or-later
#include "roots/qt/FolderItemModel.h"

#include "platform/qt/QtPrompter.h"

namespace vacantix {

FolderItemModel::FolderItemModel(FolderListModel& model, QObject* parent)
    : QAbstractListModel(parent), model_(model), delivery_([this] { model_.deliverPending(); })
{
    model_.setObserver(this);
}

FolderItemModel::~FolderItemModel()
{
    model_.setObserver(nullptr);
}

void FolderItemModel::beginInsert(std::size_t first, std::size_t last)
{
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(last));
}

void FolderItemModel::beginRemove(std::size_t first, std::size_t last)
{
    beginRemoveRows({}, static_cast<int>(first), static_cast<int>(last));
}

int FolderItemModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(model_.rowCount());
}

QVariant FolderItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return PathText(model_.rowText(static_cast<std::size_t>(index.row())));
    return {};
}

QVariant FolderItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return PathText(model_.headerText());
    return QAbstractListModel::headerData(section, orientation, role);
}

} // namespace vacantix
