// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

#include "settings/ScanExtras.h"

namespace vacantix {

class RealRoot;

// True when `path` (the root of `real` or a folder below it, as given)
// matches an exclude pattern of `extras`: its real path, or the path as given
// where that differs, so that no spelling of a path leads around a pattern.
// False without extras.
[[nodiscard]] bool IsExcludedPath(const ScanExtras* extras, const RealRoot& real, std::string_view path);

} // namespace vacantix
