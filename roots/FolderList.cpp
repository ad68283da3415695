// SPDX-License-Identifier: GPL-3.0-or-later
#include "roots/FolderList.h"

#include "platform/Failure.h"

namespace vacantix {

std::string MemoryFolderList::text(std::size_t position) const
{
    if (position < 1 || position > entries_.size())
        throw MakeFailure(SubscriptOutOfRange);
    return entries_[position - 1];
}

void MemoryFolderList::remove(std::size_t position)
{
    if (position < 1 || position > entries_.size())
        throw MakeFailure(SubscriptOutOfRange);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position - 1));
}

} // namespace vacantix
