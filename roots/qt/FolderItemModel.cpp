// SPDX-License-Identifier: GPL-3.0-or-later
#include "roots/qt/FolderListModel.h"

#include <algorithm>

#include "platform/Failure.h"
#include "platform/qt/QtPrompter.h"

namespace vacantix {

namespace {
constexpr qint64 kFlushIntervalMs = 100;
}

FolderListModel::FolderListModel(QObject* parent) : QAbstractListModel(parent)
{
    sinceFlush_.start();
    flushTimer_.setSingleShot(true);
    connect(&flushTimer_, &QTimer::timeout, this, &FolderListModel::flush);
}

std::size_t FolderListModel::index0(std::size_t position) const
{
    if (position < 1 || position > entries_.size())
        throw MakeFailure(SubscriptOutOfRange);
    return position - 1;
}

void FolderListModel::scheduleFlush()
{
    if (!flushTimer_.isActive())
        flushTimer_.start(static_cast<int>(std::max<qint64>(0, kFlushIntervalMs - sinceFlush_.elapsed())));
}

void FolderListModel::append(std::string path)
{
    entries_.push_back(std::move(path));
    scheduleFlush();
}

void FolderListModel::clear()
{
    beginResetModel();
    entries_.clear();
    shown_ = 0;
    endResetModel();
}

std::string FolderListModel::text(std::size_t position) const
{
    return entries_[index0(position)];
}

void FolderListModel::remove(std::size_t position)
{
    const std::size_t i = index0(position);
    const auto at = entries_.begin() + static_cast<std::ptrdiff_t>(i);
    if (i >= shown_) {
        entries_.erase(at);
        return;
    }
    beginRemoveRows({}, static_cast<int>(i), static_cast<int>(i));
    entries_.erase(at);
    --shown_;
    endRemoveRows();
}

void FolderListModel::setHeaderText(std::string text)
{
    header_ = std::move(text);
    headerChanged_ = true;
    scheduleFlush();
}

void FolderListModel::flush()
{
    flushTimer_.stop();
    sinceFlush_.restart();
    if (headerChanged_) {
        headerChanged_ = false;
        emit headerDataChanged(Qt::Horizontal, 0, 0);
    }
    if (shown_ < entries_.size()) {
        beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(entries_.size() - 1));
        shown_ = entries_.size();
        endInsertRows();
    }
}

int FolderListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(shown_);
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(shown_))
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
