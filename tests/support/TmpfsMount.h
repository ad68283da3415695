// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace vacantix::test {

// Turns the file system mounted on `folder` read-only; true when it did.
inline bool RemountReadOnly(const std::string& folder)
{
    return ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

// Writes a file "filler" into `folder` until the file system has no room
// left, down to its last byte. True when the last write failed for want of
// room (and not for some other reason).
inline bool FillDisk(const std::string& folder)
{
    const int fd = ::open((folder + "/filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const std::string zeros(1 << 16, '\0');
    for (std::size_t size = zeros.size(); size > 0; size /= 2)
        while (::write(fd, zeros.data(), size) > 0) {
        }
    const bool full = errno == ENOSPC;
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return full;
}

// A small file system mounted on a folder (made when missing) for as long
// as the object lives, so that a test meets a real mount point, or a real
// full or read-only disk: a tmpfs with the mount `options`, or a 4 MB ext4
// image (beside the folder) on a loop device. Mounting needs root (and a
// system that lets it mount): check mounted() and skip otherwise; why() says
// what failed.
class TmpfsMount {
public:
    enum class Kind { Tmpfs, Ext4 };

    explicit TmpfsMount(std::string folder, const std::string& options = "size=1m", Kind kind = Kind::Tmpfs)
        : folder_(std::move(folder))
    {
        std::error_code ignored;
        std::filesystem::create_directories(folder_, ignored);
        if (kind == Kind::Tmpfs)
            mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0;
        else
            mounted_ = run("truncate -s 4M '" + folder_ + ".img' && mkfs.ext4 -q -F '" + folder_ +
                           ".img' >/dev/null 2>&1 && mount -o loop '" + folder_ + ".img' '" + folder_ + "'");
        if (!mounted_)
            why_ = std::string("cannot mount ") + (kind == Kind::Tmpfs ? "a tmpfs" : "an ext4 image") + " on " +
                   folder_ + (kind == Kind::Tmpfs ? std::string(": ") + std::strerror(errno) : "");
    }
    ~TmpfsMount()
    {
        // A loop device mounted by mount(8) goes with its last unmount.
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    [[nodiscard]] bool mounted() const { return mounted_; }
    [[nodiscard]] const std::string& why() const { return why_; }
    [[nodiscard]] const std::string& folder() const { return folder_; }

    [[nodiscard]] bool makeReadOnly() const { return RemountReadOnly(folder_); }
    // See FillDisk.
    bool fill() const { return FillDisk(folder_); }

private:
    static bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

    std::string folder_;
    bool mounted_ = false;
    std::string why_;
};

// The folder `source` bind-mounted on `folder` (made when missing) for as
// long as the object lives: a mount point on the same file system (same
// st_dev). Needs root, as TmpfsMount does.
class BindMount {
public:
    BindMount(const std::string& source, std::string folder) : folder_(std::move(folder))
    {
        std::error_code ignored;
        std::filesystem::create_directories(folder_, ignored);
        if (::mount(source.c_str(), folder_.c_str(), nullptr, MS_BIND, nullptr) == 0)
            mounted_ = true;
        else
            why_ = "cannot bind-mount " + source + " on " + folder_ + ": " + std::strerror(errno);
    }
    ~BindMount()
    {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    BindMount(const BindMount&) = delete;
    BindMount& operator=(const BindMount&) = delete;

    [[nodiscard]] bool mounted() const { return mounted_; }
    [[nodiscard]] const std::string& why() const { return why_; }

private:
    std::string folder_;
    bool mounted_ = false;
    std::string why_;
};

} // namespace vacantix::test
