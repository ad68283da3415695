// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/ScanLimits.h"

#include "scan/ExclusionRules.h"
#include "scan/PathGlob.h"

namespace vacantix {

bool IsExcludedPath(const ScanLimits* limits, const RealRoot& real, std::string_view path)
{
    if (!limits || limits->excludes.empty())
        return false;
    const std::string realPath = real.of(path);
    for (const std::string& pattern : limits->excludes) {
        if (PathMatchesGlob(pattern, realPath) || (!real.givenIsReal() && PathMatchesGlob(pattern, path)))
            return true;
    }
    return false;
}

} // namespace vacantix
