// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace vacantix {

// Makes something under a fresh, unguessable name: `prefix` followed by
// eight random hex digits, tried with `create` until it succeeds. `create`
// returns true when it made the thing, or false with errno set; EEXIST
// means the name is taken and another is tried (16 names at most). Returns
// the name that worked, or "" with errno set: EEXIST when every name was
// taken, otherwise what `create` or getrandom failed with.
[[nodiscard]] std::string CreateUnderFreshName(const char* prefix, const std::function<bool(const char* name)>& create);

} // namespace vacantix
