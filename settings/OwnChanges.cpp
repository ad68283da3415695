// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/OwnChanges.h"

#include <chrono>

namespace vacantix {

std::int64_t SecondsSinceEpoch()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void OwnChanges::note(const std::string& folder, std::int64_t from, std::int64_t to)
{
    spans_.insert_or_assign(folder, Span{from, to});
}

bool OwnChanges::madeAt(std::string_view folder, std::int64_t modified) const
{
    const auto span = spans_.find(std::string(folder));
    return span != spans_.end() && modified >= span->second.from - 1 && modified <= span->second.to + 1;
}

} // namespace vacantix
