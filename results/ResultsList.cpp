// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/ResultsList.h"

#include "platform/Failure.h"

namespace vacantix {

void MemoryResultsList::remove(std::size_t position)
{
    at(position);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position - 1));
}

void MemoryResultsList::removeMany(const std::vector<std::size_t>& positions)
{
    for (const std::size_t position : positions)
        at(position);
    std::vector<bool> doomed(entries_.size(), false);
    for (const std::size_t position : positions)
        doomed[position - 1] = true;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (doomed[i])
            continue;
        if (kept != i)
            entries_[kept] = std::move(entries_[i]);
        ++kept;
    }
    entries_.resize(kept);
}

std::vector<std::string> MemoryResultsList::texts() const
{
    std::vector<std::string> all;
    all.reserve(entries_.size());
    for (const Entry& entry : entries_)
        all.push_back(entry.text);
    return all;
}

MemoryResultsList::Entry& MemoryResultsList::at(std::size_t position)
{
    if (position < 1 || position > entries_.size())
        throw MakeFailure(SubscriptOutOfRange);
    return entries_[position - 1];
}

const MemoryResultsList::Entry& MemoryResultsList::at(std::size_t position) const
{
    if (position < 1 || position > entries_.size())
        throw MakeFailure(SubscriptOutOfRange);
    return entries_[position - 1];
}

} // namespace vacantix
