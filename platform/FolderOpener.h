// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vacantix {

// Shows a folder in the desktop's file browser. The browser runs on its own
// and nothing waits for it.
class FolderOpener {
public:
    virtual ~FolderOpener() = default;
    // False when the desktop refused the folder (no file browser is
    // registered, or it could not be started). True only says the request
    // was handed on: a browser may still fail later on its own.
    virtual bool open(const std::string& folder) = 0;
};

} // namespace vacantix
