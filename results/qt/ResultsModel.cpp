// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/qt/ResultsModel.h"

#include <algorithm>

#include "platform/Failure.h"
#include "platform/qt/QtPrompter.h"

namespace vacantix {

namespace {

constexpr qint64 kFlushIntervalMs = 100;

// More separate runs of removed rows than this are shown by a reset.
constexpr std::size_t kMostRemovalRuns = 32;

std::size_t LowBit(std::size_t i)
{
    return i & (~i + 1);
}

} // namespace

ResultsModel::ResultsModel(QObject* parent) : QAbstractListModel(parent)
{
    sinceFlush_.start();
    flushTimer_.setSingleShot(true);
    connect(&flushTimer_, &QTimer::timeout, this, &ResultsModel::flush);
}

// The live-entry index is a Fenwick tree: liveTree_[i - 1] holds the number
// of live entries in the slots (i - LowBit(i), i], so a position finds its
// slot, and a removal updates the counts, in logarithmic time.

void ResultsModel::addToIndex(std::size_t slot, int delta)
{
    for (std::size_t i = slot + 1; i <= liveTree_.size(); i += LowBit(i))
        liveTree_[i - 1] += delta;
}

void ResultsModel::rebuildIndex()
{
    liveTree_.assign(entries_.size(), 0);
    for (std::size_t i = 1; i <= liveTree_.size(); ++i) {
        liveTree_[i - 1] += entries_[i - 1].removed ? 0 : 1;
        const std::size_t parent = i + LowBit(i);
        if (parent <= liveTree_.size())
            liveTree_[parent - 1] += liveTree_[i - 1];
    }
}

std::size_t ResultsModel::slotOf(std::size_t position) const
{
    if (position < 1 || position > live_)
        throw MakeFailure(SubscriptOutOfRange);
    std::size_t slot = 0; // 1-based prefix end, grows by powers of two
    std::size_t step = 1;
    while (step * 2 <= liveTree_.size())
        step *= 2;
    std::size_t remaining = position;
    for (; step > 0; step /= 2) {
        const std::size_t next = slot + step;
        if (next <= liveTree_.size() && static_cast<std::size_t>(liveTree_[next - 1]) < remaining) {
            slot = next;
            remaining -= static_cast<std::size_t>(liveTree_[next - 1]);
        }
    }
    return slot; // the 0-based slot of the position-th live entry
}

void ResultsModel::scheduleFlush()
{
    if (flushTimer_.isActive())
        return;
    flushTimer_.start(static_cast<int>(std::max<qint64>(0, kFlushIntervalMs - sinceFlush_.elapsed())));
}

void ResultsModel::append(std::string path)
{
    entries_.push_back({std::move(path), true, false});
    // The new slot's count covers (n - LowBit(n), n]: the live entries of
    // the slots before it in that range, plus itself.
    const std::size_t n = entries_.size();
    int covered = 1;
    for (std::size_t i = n - 1; i > n - LowBit(n); i -= LowBit(i))
        covered += liveTree_[i - 1];
    liveTree_.push_back(covered);
    ++live_;
    scheduleFlush();
}

void ResultsModel::remove(std::size_t position)
{
    const std::size_t slot = slotOf(position);
    entries_[slot].removed = true;
    addToIndex(slot, -1);
    --live_;
    removedPending_ = true;
    scheduleFlush();
}

void ResultsModel::clear()
{
    beginResetModel();
    entries_.clear();
    liveTree_.clear();
    live_ = 0;
    shown_ = 0;
    removedPending_ = false;
    endResetModel();
    sinceFlush_.restart();
}

void ResultsModel::setHeaderText(std::string text)
{
    if (text == header_)
        return;
    header_ = std::move(text);
    headerChanged_ = true;
}

void ResultsModel::showHeader()
{
    if (!headerChanged_)
        return;
    headerChanged_ = false;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void ResultsModel::refresh()
{
    showHeader();
    if (sinceFlush_.elapsed() >= kFlushIntervalMs)
        flush();
}

void ResultsModel::flush()
{
    showHeader();
    flushTimer_.stop();
    sinceFlush_.restart();
    if (removedPending_) {
        removedPending_ = false;
        std::vector<std::pair<std::size_t, std::size_t>> runs; // [first, last] rows, ascending
        for (std::size_t row = 0; row < shown_; ++row) {
            if (!entries_[row].removed)
                continue;
            if (!runs.empty() && runs.back().second + 1 == row)
                runs.back().second = row;
            else
                runs.emplace_back(row, row);
        }
        const auto isRemoved = [](const Entry& entry) { return entry.removed; };
        if (runs.size() > kMostRemovalRuns) {
            beginResetModel();
            std::erase_if(entries_, isRemoved);
            shown_ = entries_.size();
            rebuildIndex();
            endResetModel();
            return;
        }
        for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
            beginRemoveRows({}, static_cast<int>(run->first), static_cast<int>(run->second));
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(run->first),
                           entries_.begin() + static_cast<std::ptrdiff_t>(run->second + 1));
            shown_ -= run->second - run->first + 1;
            endRemoveRows();
        }
        entries_.erase(std::remove_if(entries_.begin() + static_cast<std::ptrdiff_t>(shown_), entries_.end(),
                                      isRemoved),
                       entries_.end());
        rebuildIndex();
    }
    if (shown_ < entries_.size()) {
        beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(entries_.size() - 1));
        shown_ = entries_.size();
        endInsertRows();
    }
}

std::string ResultsModel::text(std::size_t position) const
{
    return entries_[slotOf(position)].text;
}

bool ResultsModel::checked(std::size_t position) const
{
    return entries_[slotOf(position)].checked;
}

void ResultsModel::setChecked(std::size_t position, bool checked)
{
    const std::size_t slot = slotOf(position);
    if (entries_[slot].checked == checked)
        return;
    entries_[slot].checked = checked;
    if (slot < shown_) {
        const QModelIndex at = index(static_cast<int>(slot));
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
    Entry& entry = entries_[static_cast<std::size_t>(index.row())];
    if (entry.removed)
        return false;
    entry.checked = value.value<Qt::CheckState>() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
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
        return PathText(header_);
    return QAbstractListModel::headerData(section, orientation, role);
}

} // namespace vacantix
