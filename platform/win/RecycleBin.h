// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/Trash.h"

namespace vacantix {

// The Windows recycle bin, reached through SHFileOperationW. A folder is
// sent only when its drive has a recycle bin (SHQueryRecycleBinW answers for
// the drive's root), since the shell deletes for good, and says it
// succeeded, where it cannot recycle. Afterwards the path must be gone from
// its place; a path the shell cannot take (too long for it) fails with the
// reason and stays.
class RecycleBin final : public Trash {
public:
    RecycleBin() = default;

    FsResult<Done> moveToTrash(const std::string& path) override;
};

} // namespace vacantix
