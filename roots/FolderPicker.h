// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

#include "platform/Prompter.h"
#include "roots/FolderList.h"

namespace vacantix {

// "Add One Folder": lets the user pick one folder in the prompter's folder
// chooser ("Select Folder") and appends it with one trailing "/" to `roots`
// ("/" for the root folder itself). A cancelled or empty choice adds nothing;
// an answer that is no absolute path is refused with a message.
// The same folder picked twice is added twice. A failure shows the error
// report with its step, and the command goes on with its next step.
void AddOneFolder(FolderList& roots, Prompter& prompter);

} // namespace vacantix
