// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace vacantix::test {

// Another file system (one that is not safe to share between threads, such
// as FakeFileSystem) behind a mutex, so that several threads may use it
// through one LockedFileSystem each, sharing `mutex`.
class LockedFileSystem final : public FileSystem {
    template <class Call>
    auto locked(Call&& call)
    {
        const std::lock_guard lock(mutex_);
        return call();
    }

public:
    LockedFileSystem(FileSystem& base, std::mutex& mutex) : base_(base), mutex_(mutex) {}

    FsResult<Listing> list(const std::string& folder) override { return locked([&] { return base_.list(folder); }); }
    FsResult<Listing> listNamed(const std::string& folder) override
    {
        return locked([&] { return base_.listNamed(folder); });
    }
    FsResult<int> attributes(const std::string& folder) override
    {
        return locked([&] { return base_.attributes(folder); });
    }
    FsResult<std::uint64_t> fileSize(const std::string& folder, const std::string& name) override
    {
        return locked([&] { return base_.fileSize(folder, name); });
    }
    FsResult<std::uint64_t> size(const std::string& folder, std::uint64_t stopAbove) override
    {
        return locked([&] { return base_.size(folder, stopAbove); });
    }
    bool fileExists(const std::string& path) override { return locked([&] { return base_.fileExists(path); }); }
    bool isDirectory(const std::string& path) override { return locked([&] { return base_.isDirectory(path); }); }
    FsResult<std::string> realPath(const std::string& path) override
    {
        return locked([&] { return base_.realPath(path); });
    }
    bool reportsSystemAttribute() const override { return base_.reportsSystemAttribute(); }
    bool isRootFolder(const std::string& folder) override
    {
        return locked([&] { return base_.isRootFolder(folder); });
    }
    bool isProtected(const std::string& folder) override
    {
        return locked([&] { return base_.isProtected(folder); });
    }
    FsResult<Done> createFolder(const std::string& path) override
    {
        return locked([&] { return base_.createFolder(path); });
    }
    void endWalk() override
    {
        locked([&] {
            base_.endWalk();
            return 0;
        });
    }
    const std::vector<std::string>& systemFolders() const override { return base_.systemFolders(); }
    std::size_t maxNameLength() const override { return base_.maxNameLength(); }
    std::size_t maxPathLength() const override { return base_.maxPathLength(); }

private:
    FileSystem& base_;
    std::mutex& mutex_;
};

} // namespace vacantix::test
