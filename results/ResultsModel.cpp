// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/ResultsModel.h"

#include <algorithm>
#include <bit>
#include <numeric>

#include "platform/Failure.h"
#include "results/PathOrder.h"

namespace vacantix {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kFlushInterval{100};
constexpr milliseconds kLongestFlushInterval{1000};
constexpr std::size_t kRowsPerInterval = 100'000;

// More separate runs of removed rows than this are shown by a reset.
constexpr std::size_t kMostRemovalRuns = 32;

std::size_t LowBit(std::size_t i)
{
    return i & (~i + 1);
}

} // namespace

std::string CountsText(std::size_t entries, std::size_t checked)
{
    return std::to_string(entries) + (entries == 1 ? " empty folder, " : " empty folders, ") +
           std::to_string(checked) + " checked";
}

milliseconds FlushInterval(std::size_t rows)
{
    const auto steps = static_cast<milliseconds::rep>(std::max<std::size_t>(1, rows / kRowsPerInterval));
    return std::min(kLongestFlushInterval, kFlushInterval * steps);
}

ResultsModel::ResultsModel() : lastFlush_(std::chrono::steady_clock::now()) {}

ResultsModel::~ResultsModel() = default;

milliseconds ResultsModel::sinceFlush() const
{
    return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - lastFlush_);
}

// Tombstones are bits, 64 slots to a word. The live-entry index is a
// Fenwick tree over the words: liveTree_[i - 1] holds the number of live
// entries in the words (i - LowBit(i), i], so a position finds its word, and
// a removal updates the counts, in logarithmic time; within the word the
// position is a count of live bits. The index costs half a bit per slot.

bool ResultsModel::isRemoved(std::size_t slot) const
{
    return (removed_[slot / kSlotsPerWord] >> (slot % kSlotsPerWord)) & 1U;
}

void ResultsModel::addToIndex(std::size_t slot, int delta)
{
    for (std::size_t i = slot / kSlotsPerWord + 1; i <= liveTree_.size(); i += LowBit(i))
        liveTree_[i - 1] += delta;
}

void ResultsModel::rebuildIndex()
{
    const std::size_t slotCount = slots_.size();
    liveTree_.assign(removed_.size(), 0);
    for (std::size_t i = 1; i <= liveTree_.size(); ++i) {
        const std::size_t inWord = std::min(kSlotsPerWord, slotCount - (i - 1) * kSlotsPerWord);
        liveTree_[i - 1] += static_cast<int>(inWord) - std::popcount(removed_[i - 1]);
        const std::size_t parent = i + LowBit(i);
        if (parent <= liveTree_.size())
            liveTree_[parent - 1] += liveTree_[i - 1];
    }
}

std::size_t ResultsModel::slotOf(std::size_t position) const
{
    if (position < 1 || position > live_)
        throw MakeFailure(SubscriptOutOfRange);
    std::size_t word = 0; // 1-based prefix end, grows by powers of two
    std::size_t step = 1;
    while (step * 2 <= liveTree_.size())
        step *= 2;
    std::size_t remaining = position;
    for (; step > 0; step /= 2) {
        const std::size_t next = word + step;
        if (next <= liveTree_.size() && static_cast<std::size_t>(liveTree_[next - 1]) < remaining) {
            word = next;
            remaining -= static_cast<std::size_t>(liveTree_[next - 1]);
        }
    }
    // The remaining-th live slot of the 0-based word `word`; slots past the
    // last are never counted as live, so they are never reached.
    std::uint64_t live = ~removed_[word];
    std::size_t bit = 0;
    for (auto inByte = static_cast<std::size_t>(std::popcount(live & 0xFFU)); inByte < remaining;
         inByte = static_cast<std::size_t>(std::popcount(live & 0xFFU))) {
        remaining -= inByte;
        live >>= 8;
        bit += 8;
    }
    for (; remaining > 1; --remaining)
        live &= live - 1;
    return word * kSlotsPerWord + bit + static_cast<std::size_t>(std::countr_zero(live));
}

void ResultsModel::scheduleFlush()
{
    if (deliveryAsked_ || !observer_)
        return;
    deliveryAsked_ = true;
    observer_->deliveryWanted(std::max(milliseconds(0), FlushInterval(shown_) - sinceFlush()));
}

void ResultsModel::append(std::string path)
{
    slots_.append(path);
    const std::size_t slot = slots_.size() - 1;
    if (slot % kSlotsPerWord != 0) {
        addToIndex(slot, +1);
    } else {
        // A new word: its count covers the words (n - LowBit(n), n], the
        // live entries of the words before it in that range, plus its one.
        removed_.push_back(0);
        const std::size_t n = removed_.size();
        int covered = 1;
        for (std::size_t i = n - 1; i > n - LowBit(n); i -= LowBit(i))
            covered += liveTree_[i - 1];
        liveTree_.push_back(covered);
    }
    ++live_;
    ++checked_;
    countsChanged();
    scheduleFlush();
}

void ResultsModel::remove(std::size_t position)
{
    const std::size_t slot = slotOf(position);
    removed_[slot / kSlotsPerWord] |= std::uint64_t{1} << (slot % kSlotsPerWord);
    addToIndex(slot, -1);
    --live_;
    if (slots_.checked(slot))
        --checked_;
    countsChanged();
    removedPending_ = true;
    scheduleFlush();
}

void ResultsModel::clear()
{
    if (observer_)
        observer_->beginReset();
    slots_.clear();
    std::vector<std::uint64_t>().swap(removed_);
    std::vector<int>().swap(liveTree_);
    checksPending_ = false;
    live_ = 0;
    checked_ = 0;
    shown_ = 0;
    removedPending_ = false;
    order_ = {};
    rowOrder_ = RowOrder::Found;
    if (observer_)
        observer_->endReset();
    countsChanged();
    lastFlush_ = std::chrono::steady_clock::now();
}

void ResultsModel::setHeaderText(std::string text)
{
    if (text == header_)
        return;
    header_ = std::move(text);
    headerChanged_ = true;
}

std::string ResultsModel::headerText() const
{
    if (countsShown_ && live_ > 0 && header_ == kResultsListHeader)
        return CountsText(live_, checked_);
    return header_;
}

void ResultsModel::showCounts(bool shown)
{
    if (countsShown_ == shown)
        return;
    countsShown_ = true; // so that the change itself is told
    countsChanged();
    countsShown_ = shown;
}

void ResultsModel::countsChanged()
{
    if (!countsShown_ || headerChanged_)
        return;
    headerChanged_ = true;
    if (observer_)
        observer_->deliveryWanted(milliseconds(0));
}

void ResultsModel::showHeader()
{
    if (!headerChanged_)
        return;
    headerChanged_ = false;
    if (observer_)
        observer_->headerChanged();
}

void ResultsModel::refresh()
{
    showHeader();
    if (sinceFlush() >= FlushInterval(shown_))
        flush();
}

void ResultsModel::showChecks()
{
    if (!checksPending_)
        return;
    checksPending_ = false;
    // Ordered rows show the changed slots anywhere.
    if (observer_)
        observer_->checksChanged(order_.empty() ? firstChecked_ : 0, order_.empty() ? lastChecked_ : shown_ - 1);
}

void ResultsModel::deliverPending()
{
    deliveryAsked_ = false;
    showHeader();
    showChecks();
    if (!removedPending_ && shown_ == slots_.size())
        return;
    if (sinceFlush() >= FlushInterval(shown_))
        flush();
    else
        scheduleFlush();
}

void ResultsModel::removeTombstones()
{
    removedPending_ = false;
    std::vector<std::size_t> doomed; // slots, ascending
    for (std::size_t word = 0; word < removed_.size(); ++word)
        for (std::uint64_t bits = removed_[word]; bits != 0; bits &= bits - 1)
            doomed.push_back(word * kSlotsPerWord + static_cast<std::size_t>(std::countr_zero(bits)));
    const auto pending = std::lower_bound(doomed.begin(), doomed.end(), shown_);
    std::vector<std::pair<std::size_t, std::size_t>> runs; // [first, last] rows, ascending
    for (auto slot = doomed.begin(); slot != pending; ++slot) {
        if (!runs.empty() && runs.back().second + 1 == *slot)
            runs.back().second = *slot;
        else
            runs.emplace_back(*slot, *slot);
    }
    // Every tombstone goes: no removed bit is left afterwards.
    const auto forgetTombstones = [&] {
        removed_.assign((slots_.size() + kSlotsPerWord - 1) / kSlotsPerWord, 0);
        rebuildIndex();
    };
    // Rows in another order than the slots move everywhere: a reset too.
    if (runs.size() > kMostRemovalRuns || !order_.empty()) {
        if (observer_)
            observer_->beginReset();
        slots_.removeMany(doomed);
        dropFromOrder(doomed);
        shown_ = slots_.size();
        forgetTombstones();
        if (observer_)
            observer_->endReset();
        return;
    }
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        if (observer_)
            observer_->beginRemove(run->first, run->second);
        std::vector<std::size_t> rows(run->second - run->first + 1);
        std::iota(rows.begin(), rows.end(), run->first);
        slots_.removeMany(rows);
        shown_ -= rows.size();
        if (observer_)
            observer_->endRemove();
    }
    // The pending slots moved up by the rows removed before them.
    const auto rowsRemoved = static_cast<std::size_t>(pending - doomed.begin());
    std::vector<std::size_t> later(pending, doomed.end());
    for (std::size_t& slot : later)
        slot -= rowsRemoved;
    slots_.removeMany(later);
    forgetTombstones();
}

void ResultsModel::dropFromOrder(const std::vector<std::size_t>& doomed)
{
    std::vector<std::uint32_t> kept;
    kept.reserve(order_.size());
    for (const std::uint32_t slot : order_) {
        const auto below = std::lower_bound(doomed.begin(), doomed.end(), std::size_t{slot});
        if (below == doomed.end() || *below != slot)
            kept.push_back(slot - static_cast<std::uint32_t>(below - doomed.begin()));
    }
    order_.swap(kept);
}

void ResultsModel::orderRows(RowOrder order)
{
    flush();
    if (observer_)
        observer_->beginReset();
    rowOrder_ = order;
    order_ = {};
    if (order != RowOrder::Found) {
        order_ = PathOrder(slots_);
        if (order == RowOrder::PathDescending)
            std::reverse(order_.begin(), order_.end());
    }
    if (observer_)
        observer_->endReset();
}

void ResultsModel::flush()
{
    showHeader();
    // Before rows move, while the changed rows still mean what they meant.
    showChecks();
    deliveryAsked_ = false;
    lastFlush_ = std::chrono::steady_clock::now();
    if (removedPending_)
        removeTombstones();
    if (shown_ < slots_.size()) {
        if (observer_)
            observer_->beginInsert(shown_, slots_.size() - 1);
        shown_ = slots_.size();
        if (observer_)
            observer_->endInsert();
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
    checked_ = checked ? checked_ + 1 : checked_ - 1;
    countsChanged();
    if (slot >= shown_)
        return;
    if (checksPending_) {
        firstChecked_ = std::min(firstChecked_, slot);
        lastChecked_ = std::max(lastChecked_, slot);
        return;
    }
    firstChecked_ = lastChecked_ = slot;
    checksPending_ = true;
    if (observer_)
        observer_->deliveryWanted(milliseconds(0));
}

void ResultsModel::setAllChecked(bool checked)
{
    slots_.setAllChecked(checked);
    checked_ = checked ? live_ : 0;
    checksPending_ = false;
    if (shown_ > 0 && observer_)
        observer_->checksChanged(0, shown_ - 1);
    countsChanged();
    showHeader();
}

std::string ResultsModel::rowText(std::size_t row) const
{
    return slots_.text(slotOfRow(row));
}

bool ResultsModel::rowChecked(std::size_t row) const
{
    return slots_.checked(slotOfRow(row));
}

bool ResultsModel::setRowChecked(std::size_t row, bool checked)
{
    if (row >= shown_)
        return false;
    const std::size_t slot = slotOfRow(row);
    if (isRemoved(slot))
        return false;
    if (slots_.checked(slot) != checked) {
        slots_.setChecked(slot, checked);
        checked_ = checked ? checked_ + 1 : checked_ - 1;
        countsChanged();
    }
    if (observer_)
        observer_->checksChanged(row, row);
    showHeader();
    return true;
}

} // namespace vacantix
