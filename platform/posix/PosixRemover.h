// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Trash.h"

namespace vacantix {

// Direct deletion with unlink(2) and rmdir(2).
class PosixRemover final : public DirectRemover {
public:
    FsResult<Done> removeEmptyFile(const std::string& path) override;
    FsResult<Done> removeEmptyFolder(const std::string& path) override;
};

} // namespace vacantix
