// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "scan/PathStore.h"

namespace vacantix {

// The positions 0..store.size()-1 of `store` in the order of their paths:
// name by name from the first, so a folder comes right before the folders
// below it; two names compare without regard to the case of ASCII letters,
// then byte by byte. Equal paths keep their order.
//
// Works on the store's tree of names, never building a path: the names of
// each depth are ranked once, and two paths compare by the ranks of their
// names at the depth of the shorter one.
[[nodiscard]] std::vector<std::uint32_t> PathOrder(const PathStore& store);

} // namespace vacantix
