// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FolderOpener.h"

namespace vacantix {

// Opens a folder (in the engine's form, "C:/x") in the shell's file browser
// with ShellExecuteW "open".
class ShellFolderOpener final : public FolderOpener {
public:
    bool open(const std::string& folder) override;
};

} // namespace vacantix
