// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FolderOpener.h"

namespace vacantix {

// Opens folders through the desktop's URL handler (QDesktopServices).
class DesktopFolderOpener final : public FolderOpener {
public:
    bool open(const std::string& folder) override;
};

} // namespace vacantix
