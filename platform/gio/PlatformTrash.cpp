// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PlatformServices.h"
#include "platform/gio/GioTrash.h"

namespace vacantix {

std::unique_ptr<Trash> MakeTrash()
{
    return std::make_unique<GioTrash>();
}

} // namespace vacantix
