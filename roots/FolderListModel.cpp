// SPDX-License-Identifier: GPL-3.0-or-later
#include "roots/FolderListModel.h"

#include <algorithm>

#include "platform/Failure.h"

namespace vacantix {

namespace {
constexpr std::chrono::milliseconds kFlushInterval{100};
}

FolderListModel::FolderListModel() : lastFlush_(std::chrono::steady_clock::now()) {}

std::size_t FolderListModel::index0(std::size_t position) const
{
    if (position < 1 || position > entries_.size())
        throw MakeFailure(SubscriptOutOfRange);
    return position - 1;
}

void FolderListModel::scheduleFlush()
{
    if (deliveryAsked_ || !observer_)
        return;
    deliveryAsked_ = true;
    const auto since =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - lastFlush_);
    observer_->deliveryWanted(std::max(std::chrono::milliseconds(0), kFlushInterval - since));
}

void FolderListModel::append(std::string path)
{
    entries_.push_back(std::move(path));
    scheduleFlush();
}

void FolderListModel::clear()
{
    if (observer_)
        observer_->beginReset();
    entries_.clear();
    shown_ = 0;
    if (observer_)
        observer_->endReset();
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
    if (observer_)
        observer_->beginRemove(i, i);
    entries_.erase(at);
    --shown_;
    if (observer_)
        observer_->endRemove();
}

void FolderListModel::setHeaderText(std::string text)
{
    header_ = std::move(text);
    headerChanged_ = true;
    scheduleFlush();
}

void FolderListModel::flush()
{
    deliveryAsked_ = false;
    lastFlush_ = std::chrono::steady_clock::now();
    if (headerChanged_) {
        headerChanged_ = false;
        if (observer_)
            observer_->headerChanged();
    }
    if (shown_ < entries_.size()) {
        if (observer_)
            observer_->beginInsert(shown_, entries_.size() - 1);
        shown_ = entries_.size();
        if (observer_)
            observer_->endInsert();
    }
}

} // namespace vacantix
