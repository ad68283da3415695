// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/TreeWalk.h"

#include <vector>

namespace vacantix {

bool WalkTree(FileSystem& fs, const std::string& top, TreeVisitor& visitor, TimeSlice* slice)
{
    std::vector<std::string> pending{top};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        WalkStep step = visitor.before(folder);
        if (step == WalkStep::Continue) {
            if (slice)
                slice->tick();
            const FsResult<Listing> listing = fs.list(folder);
            step = visitor.listed(folder, listing);
            if (step == WalkStep::Continue && listing.ok()) {
                // Last first on the stack, so that they come off in listing order.
                const auto& subfolders = listing.value().subfolders;
                for (auto name = subfolders.rbegin(); name != subfolders.rend(); ++name)
                    pending.push_back(ChildPath(folder, *name));
            }
        }
        if (step == WalkStep::Stop)
            return false;
    }
    return true;
}

} // namespace vacantix
