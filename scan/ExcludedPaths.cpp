// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/ExcludedPaths.h"

#include "scan/ExclusionRules.h"
#include "scan/PathGlob.h"

namespace vacantix {

bool IsExcludedPath(const ScanExtras* extras, const RealRoot& real, std::string_view path)
{
    if (!extras || extras->excludes.empty())
        return false;
    const std::string realPath = real.of(path);
    for (const std::string& pattern : extras->excludes) {
        if (PathMatchesGlob(pattern, realPath) || (!real.givenIsReal() && PathMatchesGlob(pattern, path)))
            return true;
    }
    return false;
}

} // namespace vacantix
