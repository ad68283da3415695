// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileWriter.h"

namespace vacantix {

// Whole-file writes with POSIX calls: the bytes go to a new temporary file in
// the target's folder, every write checked (short writes are continued,
// ENOSPC and the like fail), the file is synced, renamed over the target, and
// the folder is synced. Until the rename the target is not touched; on any
// failure before it the temporary file is removed again. A new file gets the
// mode 0666 less the umask, a replaced one keeps its mode (and, where the
// rights allow, its owner). A target that is a symbolic link has the file it
// points to replaced. A file the caller may not write to is refused, as an
// open for writing would refuse it.
class PosixFileWriter final : public FileWriter {
public:
    FsResult<Done> replaceWhole(const std::string& path, std::string_view bytes) override;
};

} // namespace vacantix
