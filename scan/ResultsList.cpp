// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/ResultsList.h"

#include "platform/Failure.h"

namespace vacantix {

std::size_t MemoryResultsList::index(std::size_t position) const
{
    if (position < 1 || position > store_.size())
        throw MakeFailure(SubscriptOutOfRange);
    return position - 1;
}

std::string MemoryResultsList::text(std::size_t position) const
{
    return store_.text(index(position));
}

bool MemoryResultsList::checked(std::size_t position) const
{
    return store_.checked(index(position));
}

void MemoryResultsList::setChecked(std::size_t position, bool checked)
{
    store_.setChecked(index(position), checked);
}

void MemoryResultsList::remove(std::size_t position)
{
    store_.remove(index(position));
}

void MemoryResultsList::removeMany(const std::vector<std::size_t>& positions)
{
    std::vector<std::size_t> indices;
    indices.reserve(positions.size());
    for (const std::size_t position : positions)
        indices.push_back(index(position));
    store_.removeMany(indices);
}

std::vector<MemoryResultsList::Entry> MemoryResultsList::entries() const
{
    std::vector<Entry> all;
    all.reserve(store_.size());
    for (std::size_t i = 0; i < store_.size(); ++i)
        all.push_back({store_.text(i), store_.checked(i)});
    return all;
}

std::vector<std::string> MemoryResultsList::texts() const
{
    std::vector<std::string> all;
    all.reserve(store_.size());
    for (std::size_t i = 0; i < store_.size(); ++i)
        all.push_back(store_.text(i));
    return all;
}

} // namespace vacantix
