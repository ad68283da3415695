// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileWriter.h"

namespace vacantix {

// Whole-file writes with the wide Win32 calls on "\\?\" paths: the bytes go
// to a new file of a fresh name in the target's folder, every write checked,
// the file flushed to the disk, then moved over the target in one step
// (MoveFileExW, written through). Until the move the target is not touched;
// on any failure before it the new file is deleted again. A target that is
// a link (a reparse point) has the file it leads to replaced; a read-only
// file is refused, as an open for writing would refuse it.
class WinFileWriter final : public FileWriter {
public:
    FsResult<Done> replaceWhole(const std::string& path, std::string_view bytes) override;
};

} // namespace vacantix
