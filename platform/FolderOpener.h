// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vacantix {

// Shows a folder in the desktop's file browser. The browser runs on its own;
// nothing waits for it and its outcome is not examined.
class FolderOpener {
public:
    virtual ~FolderOpener() = default;
    virtual void open(const std::string& folder) = 0;
};

} // namespace vacantix
