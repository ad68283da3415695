// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/ResultsList.h"

#include "platform/Failure.h"

namespace vacantix {

void MemoryResultsList::remove(std::size_t position)
{
    at(position);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position - 1));
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
