// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/CheckedFolders.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PathRoot.h"
#include "platform/posix/PosixFailure.h"
#include "platform/posix/PosixIo.h"

namespace vacantix {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

FsFailure NotChecked()
{
    return FsFailure{FsError::PathNotFound, "what is at its place now is not the folder that was checked"};
}

std::string NameOf(const std::string& path)
{
    return std::string(BaseName(path));
}

} // namespace

bool CheckedFolders::isChecked(int fd, const char* name, std::size_t index) const
{
    const std::optional<FileIdentity>& seen = tree_.folders[index].identity;
    if (!seen)
        return true;
    const std::optional<struct stat> now = LookAt(fd, name);
    return now && FileIdentity{static_cast<std::uint64_t>(now->st_dev), static_cast<std::uint64_t>(now->st_ino)} == *seen;
}

FsResult<Done> CheckedFolders::openTop()
{
    if (!path_.empty() && path_.front().second)
        return Done{};
    const std::string& top = tree_.folders.front().path;
    ReachedFolder above = ReachFolder(ParentPath(top), tree_.root);
    aboveTop_ = std::move(above.fd);
    if (!aboveTop_)
        return errno == ENOTDIR ? NotChecked() : FailureOfErrno(errno);
    const std::string name = NameOf(top);
    Descriptor fd(::openat(aboveTop_.get(), name.c_str(), kFolderFlags));
    if (!fd)
        return errno == ENOTDIR ? NotChecked() : FailureOfErrno(errno);
    if (!isChecked(fd.get(), "", 0))
        return NotChecked();
    path_.clear();
    path_.emplace_back(0, std::move(fd));
    return Done{};
}

FsResult<int> CheckedFolders::open(std::size_t index)
{
    if (FsResult<Done> top = openTop(); !top)
        return top.failure();
    // The folders from the top down to `index`; the part of the path held
    // that leads there is kept.
    std::vector<std::size_t> chain{index};
    while (chain.back() != 0)
        chain.push_back(tree_.folders[chain.back()].parent);
    std::reverse(chain.begin(), chain.end());
    std::size_t kept = 0;
    while (kept < path_.size() && kept < chain.size() && path_[kept].first == chain[kept])
        ++kept;
    path_.erase(path_.begin() + static_cast<std::ptrdiff_t>(kept), path_.end());
    std::size_t from = kept;
    while (!path_[from - 1].second)
        --from;
    for (std::size_t at = from; at < chain.size(); ++at) {
        const std::string name = NameOf(tree_.folders[chain[at]].path);
        Descriptor fd(::openat(path_[at - 1].second.get(), name.c_str(), kFolderFlags));
        if (!fd)
            return errno == ENOTDIR ? NotChecked() : FailureOfErrno(errno);
        if (!isChecked(fd.get(), "", chain[at]))
            return NotChecked();
        if (at < path_.size())
            path_[at].second = std::move(fd);
        else
            path_.emplace_back(chain[at], std::move(fd));
    }
    for (std::size_t at = 1; at + kMaxHeld < path_.size(); ++at)
        path_[at].second.reset();
    return path_.back().second.get();
}

FsResult<Done> CheckedFolders::removeFolder(std::size_t index)
{
    int holder = -1;
    if (index == 0) {
        if (FsResult<Done> top = openTop(); !top)
            return top.failure();
        path_.clear();
        holder = aboveTop_.get();
    } else {
        const FsResult<int> opened = open(tree_.folders[index].parent);
        if (!opened)
            return opened.failure();
        holder = opened.value();
    }
    // A rename in the folder holding it could have put another folder under
    // its name since it was opened; the removal below still takes nothing
    // but an empty folder.
    const std::string name = NameOf(tree_.folders[index].path);
    if (!isChecked(holder, name.c_str(), index))
        return NotChecked();
    if (::unlinkat(holder, name.c_str(), AT_REMOVEDIR) != 0)
        return FailureOfErrno(errno);
    return Done{};
}

} // namespace vacantix
