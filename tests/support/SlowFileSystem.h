// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>

#include "platform/FileSystem.h"

namespace vacantix::test {

// Another file system, with listings of the folders whose paths start with
// `slowBelow` (every folder unless told) taking `delay` each, so that a walk
// lasts long enough to yield, or to let the event loop take turns inside it;
// `afterList`, when set, runs after each listing with its folder, so that a
// test can change the disk right after a walk looked at a folder.
class SlowFileSystem final : public FileSystem {
public:
    explicit SlowFileSystem(FileSystem& base, std::chrono::microseconds delay, std::string slowBelow = {})
        : slowBelow(std::move(slowBelow)), delay(delay), base_(base)
    {
    }

    std::string slowBelow;
    std::chrono::microseconds delay;
    std::function<void(const std::string& folder)> afterList;

    FsResult<Listing> list(const std::string& folder) override
    {
        wait(folder);
        FsResult<Listing> listing = base_.list(folder);
        if (afterList)
            afterList(folder);
        return listing;
    }
    FsResult<Listing> listNamed(const std::string& folder) override
    {
        wait(folder);
        return base_.listNamed(folder);
    }
    void endWalk() override { base_.endWalk(); }
    bool reportsSystemAttribute() const override { return base_.reportsSystemAttribute(); }
    bool isRootFolder(const std::string& folder) override { return base_.isRootFolder(folder); }
    bool isProtected(const std::string& folder) override { return base_.isProtected(folder); }
    FsResult<int> attributes(const std::string& folder) override { return base_.attributes(folder); }
    FsResult<std::uint64_t> fileSize(const std::string& folder, const std::string& name) override
    {
        return base_.fileSize(folder, name);
    }
    bool fileExists(const std::string& path) override { return base_.fileExists(path); }
    bool isDirectory(const std::string& path) override { return base_.isDirectory(path); }
    FsResult<std::string> realPath(const std::string& path) override { return base_.realPath(path); }
    FsResult<Done> createFolder(const std::string& path) override { return base_.createFolder(path); }
    const std::vector<std::string>& systemFolders() const override { return base_.systemFolders(); }
    std::size_t maxNameLength() const override { return base_.maxNameLength(); }
    std::size_t maxPathLength() const override { return base_.maxPathLength(); }

private:
    void wait(const std::string& folder) const
    {
        if (folder.starts_with(slowBelow))
            std::this_thread::sleep_for(delay);
    }

    FileSystem& base_;
};

} // namespace vacantix::test
