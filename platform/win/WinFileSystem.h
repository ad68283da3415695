// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

namespace vacantix {

// The file system of a Windows machine, read through the wide (UTF-16) calls
// with "\\?\" paths, so that no path is cut at 260 characters and no name is
// altered by the Win32 name rules. Engine paths use "/" as separator:
// "C:/Users/x" and "//server/share/x"; they are turned into "\\?\C:\Users\x"
// and "\\?\UNC\server\share\x" at this edge only.
//
// Entry kinds and attributes come from the folder's own listing
// (FindFirstFileExW): an entry with a reparse point (a junction, a symbolic
// link, a mount point, a cloud placeholder) is never a folder and is never
// entered, whatever it points to; its attribute value carries Alias.
class WinFileSystem final : public FileSystem {
public:
    WinFileSystem();

    FsResult<Listing> list(const std::string& folder) override;
    FsResult<Listing> listNamed(const std::string& folder) override;
    FsResult<int> attributes(const std::string& folder) override;
    FsResult<std::uint64_t> fileSize(const std::string& folder, const std::string& name) override;
    FsResult<std::uint64_t> size(const std::string& folder, std::uint64_t stopAbove) override;
    bool fileExists(const std::string& path) override;
    bool isDirectory(const std::string& path) override;
    bool isRootFolder(const std::string& folder) override;
    bool isProtected(const std::string& folder) override;
    FsResult<std::string> realPath(const std::string& path) override;
    FsResult<Done> createFolder(const std::string& path) override;
    const std::vector<std::string>& systemFolders() const override;
    std::size_t maxNameLength() const override;
    std::size_t maxPathLength() const override;
    void endWalk() override { forgetSizes(); }
    void callerYielded() override { forgetSizes(); }

private:
    FsResult<Listing> read(const std::string& folder, bool followFinalLink);
    void forgetSizes()
    {
        sizedFolder_.clear();
        sizes_.clear();
    }

    std::vector<std::string> systemFolders_;
    // The sizes of the regular files of the folder listed last, as its
    // listing gave them: a size asked right after a listing costs no look-up.
    std::string sizedFolder_;
    std::vector<std::pair<std::string, std::uint64_t>> sizes_;
};

} // namespace vacantix
