// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/Trash.h"

namespace vacantix {

// Direct deletion on Windows, limited to what is empty. A file is opened
// once, without following a reparse point and shared with no other opener
// where the system allows it; its kind and size are read through that
// handle, and the same handle marks it for deletion, so the file removed is
// the file checked. A folder is checked through a handle (a folder, no
// reparse point) and removed with RemoveDirectoryW, which refuses a folder
// that holds anything.
class WinRemover final : public DirectRemover {
public:
    WinRemover() = default;

    FsResult<Done> removeEmptyFile(const std::string& path) override;
    FsResult<Done> removeJunkFile(const std::string& path) override;
    FsResult<Done> removeEmptyFolder(const std::string& path) override;

private:
    FsResult<Done> removeRegularFile(const std::string& path, bool onlyEmpty);
};

} // namespace vacantix
