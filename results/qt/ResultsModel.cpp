// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/qt/ResultsModel.h"

#include "platform/Failure.h"
#include "platform/qt/QtPrompter.h"

namespace vacantix {

namespace {
constexpr qint64 kFlushIntervalMs = 100;
}

ResultsModel::ResultsModel(QObject* parent) : QAbstractListModel(parent)
{
    sinceFlush_.start();
}

std::size_t ResultsModel::index0(std::size_t position) const
{
    if (position < 1 || position > entries_.size())
        throw MakeFailure(SubscriptOutOfRange);
    return position - 1;
}

void ResultsModel::append(std::string path)
{
    entries_.push_back({std::move(path), true});
    if (!flushQueued_) {
        // Entries appended outside a scan show up once the event loop runs.
        flushQueued_ = true;
        QMetaObject::invokeMethod(this, &ResultsModel::flush, Qt::QueuedConnection);
    }
}

void ResultsModel::flush()
{
    flushQueued_ = false;
    sinceFlush_.restart();
    if (shown_ == entries_.size())
        return;
    beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(entries_.size() - 1));
    shown_ = entries_.size();
    endInsertRows();
}

void ResultsModel::refresh()
{
    if (sinceFlush_.elapsed() >= kFlushIntervalMs)
        flush();
}

void ResultsModel::clear()
{
    beginResetModel();
    entries_.clear();
    shown_ = 0;
    endResetModel();
}

std::string ResultsModel::text(std::size_t position) const
{
    return entries_[index0(position)].text;
}

bool ResultsModel::checked(std::size_t position) const
{
    return entries_[index0(position)].checked;
}

void ResultsModel::setChecked(std::size_t position, bool checked)
{
    const std::size_t i = index0(position);
    if (entries_[i].checked == checked)
        return;
    entries_[i].checked = checked;
    if (i < shown_) {
        const QModelIndex at = index(static_cast<int>(i));
        emit dataChanged(at, at, {Qt::CheckStateRole});
    }
}

void ResultsModel::setAllChecked(bool checked)
{
    for (Entry& entry : entries_)
        entry.checked = checked;
    if (shown_ > 0)
        emit dataChanged(index(0), index(static_cast<int>(shown_ - 1)), {Qt::CheckStateRole});
}

void ResultsModel::remove(std::size_t position)
{
    const std::size_t i = index0(position);
    if (i >= shown_) {
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
        return;
    }
    beginRemoveRows({}, static_cast<int>(i), static_cast<int>(i));
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
    --shown_;
    endRemoveRows();
}

int ResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(shown_);
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(shown_))
        return {};
    const Entry& entry = entries_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return PathText(entry.text);
    case Qt::CheckStateRole:
        return entry.checked ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool ResultsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= static_cast<int>(shown_) || role != Qt::CheckStateRole)
        return false;
    setChecked(static_cast<std::size_t>(index.row()) + 1,
               value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QString::fromUtf8(kResultsListHeader.data(), static_cast<qsizetype>(kResultsListHeader.size()));
    return QAbstractListModel::headerData(section, orientation, role);
}

} // namespace vacantix
