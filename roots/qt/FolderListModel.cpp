// SPDX-License-Identifier: GPL-3.0-or-later
#include "roots/qt/FolderListModel.h"

#include <algorithm>

#include "platform/Failure.h"
#include "platform/qt/QtPrompter.h"

namespace vacantix {

namespace {
constexpr qint64 kHeaderIntervalMs = 100;
}

FolderListModel::FolderListModel(QObject* parent) : QAbstractListModel(parent)
{
    sinceHeaderFlush_.start();
    headerTimer_.setSingleShot(true);
    connect(&headerTimer_, &QTimer::timeout, this, &FolderListModel::flushHeader);
}

std::size_t FolderListModel::index0(std::size_t position) const
{
    if (position < 1 || position > entries_.size())
        throw MakeFailure(SubscriptOutOfRange);
    return position - 1;
}

void FolderListModel::append(std::string path)
{
    const int row = static_cast<int>(entries_.size());
    beginInsertRows({}, row, row);
    entries_.push_back(std::move(path));
    endInsertRows();
}

void FolderListModel::clear()
{
    beginResetModel();
    entries_.clear();
    endResetModel();
}

std::string FolderListModel::text(std::size_t position) const
{
    return entries_[index0(position)];
}

void FolderListModel::remove(std::size_t position)
{
    const auto row = static_cast<int>(index0(position));
    beginRemoveRows({}, row, row);
    entries_.erase(entries_.begin() + row);
    endRemoveRows();
}

void FolderListModel::setHeaderText(std::string text)
{
    header_ = std::move(text);
    if (!headerTimer_.isActive())
        headerTimer_.start(static_cast<int>(std::max<qint64>(0, kHeaderIntervalMs - sinceHeaderFlush_.elapsed())));
}

void FolderListModel::flushHeader()
{
    headerTimer_.stop();
    sinceHeaderFlush_.restart();
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int FolderListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(entries_.size()))
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return PathText(entries_[static_cast<std::size_t>(index.row())]);
    return {};
}

QVariant FolderListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return PathText(header_);
    return QAbstractListModel::headerData(section, orientation, role);
}

} // namespace vacantix
