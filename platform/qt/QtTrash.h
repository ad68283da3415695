// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Trash.h"

namespace vacantix {

// The trash through QFile::moveToTrash: on Linux the freedesktop.org trash
// of the volume ($XDG_DATA_HOME/Trash for the home volume), on Windows the
// recycle bin.
class QtTrash final : public Trash {
public:
    FsResult<Done> moveToTrash(const std::string& path) override;
};

} // namespace vacantix
