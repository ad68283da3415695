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
    checksTimer_.setSingleShot(true);
    connect(&checksTimer_, &QTimer::timeout, this, &ResultsModel::showChecks);
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
    liveTree_.assign(slots_.size(), 0);
    for (std::size_t i = 1; i <= liveTree_.size(); ++i) {
        liveTree_[i - 1] += removed_[i - 1] ? 0 : 1;
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
    slots_.append(path);
    removed_.push_back(false);
    // The new slot's count covers (n - LowBit(n), n]: the live entries of
    // the slots before it in that range, plus itself.
    const std::size_t n = slots_.size();
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
    removed_[slot] = true;
    addToIndex(slot, -1);
    --live_;
    removedPending_ = true;
    scheduleFlush();
}

void ResultsModel::clear()
{
    beginResetModel();
    slots_.clear();
    std::vector<bool>().swap(removed_);
    std::vector<int>().swap(liveTree_);
    firstChecked_ = lastChecked_ = -1;
    checksTimer_.stop();
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

void ResultsModel::dropRemoved(std::size_t from, std::size_t to)
{
    std::vector<std::size_t> doomed;
    for (std::size_t slot = from; slot < to; ++slot)
        if (removed_[slot])
            doomed.push_back(slot);
    if (doomed.empty())
        return;
    slots_.removeMany(doomed);
    removed_.erase(removed_.begin() + static_cast<std::ptrdiff_t>(from),
                   removed_.begin() + static_cast<std::ptrdiff_t>(to));
    removed_.insert(removed_.begin() + static_cast<std::ptrdiff_t>(from), to - from - doomed.size(), false);
}

void ResultsModel::showChecks()
{
    checksTimer_.stop();
    if (firstChecked_ < 0)
        return;
    const int first = firstChecked_;
    const int last = lastChecked_;
    firstChecked_ = lastChecked_ = -1;
    emit dataChanged(index(first), index(last), {Qt::CheckStateRole});
}

void ResultsModel::flush()
{
    showHeader();
    // Before rows move, while the changed rows still mean what they meant.
    showChecks();
    flushTimer_.stop();
    sinceFlush_.restart();
    if (removedPending_) {
        removedPending_ = false;
        std::vector<std::pair<std::size_t, std::size_t>> runs; // [first, last] rows, ascending
        for (std::size_t row = 0; row < shown_; ++row) {
            if (!removed_[row])
                continue;
            if (!runs.empty() && runs.back().second + 1 == row)
                runs.back().second = row;
            else
                runs.emplace_back(row, row);
        }
        if (runs.size() > kMostRemovalRuns) {
            beginResetModel();
            dropRemoved(0, slots_.size());
            shown_ = slots_.size();
            rebuildIndex();
            endResetModel();
            return;
        }
        for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
            beginRemoveRows({}, static_cast<int>(run->first), static_cast<int>(run->second));
            dropRemoved(run->first, run->second + 1);
            shown_ -= run->second - run->first + 1;
            endRemoveRows();
        }
        dropRemoved(shown_, slots_.size());
        rebuildIndex();
    }
    if (shown_ < slots_.size()) {
        beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(slots_.size() - 1));
        shown_ = slots_.size();
        endInsertRows();
    }
}

std::string ResultsModel::text(std::size_t position) const
{
    return slots_.text(slotOf(position));
}

bool ResultsModel::checked(std::size_t position) const
{
    return slots_.checked(slotOf(position));
}

void ResultsModel::setChecked(std::size_t position, bool checked)
{
    const std::size_t slot = slotOf(position);
    if (slots_.checked(slot) == checked)
        return;
    slots_.setChecked(slot, checked);
    if (slot < shown_) {
        const int row = static_cast<int>(slot);
        firstChecked_ = firstChecked_ < 0 ? row : std::min(firstChecked_, row);
        lastChecked_ = std::max(lastChecked_, row);
        if (!checksTimer_.isActive())
            checksTimer_.start(0);
    }
}

void ResultsModel::setAllChecked(bool checked)
{
    slots_.setAllChecked(checked);
    firstChecked_ = lastChecked_ = -1;
    checksTimer_.stop();
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
    const auto slot = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return PathText(slots_.text(slot));
    case Qt::CheckStateRole:
        return slots_.checked(slot) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool ResultsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= static_cast<int>(shown_) || role != Qt::CheckStateRole)
        return false;
    const auto slot = static_cast<std::size_t>(index.row());
    if (removed_[slot])
        return false;
    slots_.setChecked(slot, value.value<Qt::CheckState>() == Qt::Checked);
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
