// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileWriter.h"

namespace vacantix {

// Whole-file writes through QSaveFile: a temporary file beside the target,
// renamed over it once everything is written.
class QtFileWriter final : public FileWriter {
public:
    FsResult<Done> replaceWhole(const std::string& path, std::string_view bytes) override;
};

} // namespace vacantix
