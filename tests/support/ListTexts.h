// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "scan/ResultsList.h"

namespace vacantix::test {

// The texts of a folder or results list, in list order.
template <class List>
std::vector<std::string> Texts(const List& list)
{
    std::vector<std::string> texts;
    for (std::size_t position = 1; position <= list.count(); ++position)
        texts.push_back(list.text(position));
    return texts;
}

// The entries of a results list as "path", or "[ ] path" for unchecked ones.
inline std::vector<std::string> MarkedTexts(const ResultsList& list)
{
    std::vector<std::string> lines;
    for (std::size_t position = 1; position <= list.count(); ++position)
        lines.push_back((list.checked(position) ? "" : "[ ] ") + list.text(position));
    return lines;
}

} // namespace vacantix::test
