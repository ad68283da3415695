// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cerrno>
#include <cstring>
#include <string>

#include <sys/mount.h>

namespace vacantix::test {

// A small tmpfs mounted on an existing folder for as long as the object
// lives, so that a test meets a real mount point. Mounting needs root (and a
// system that lets it mount): check mounted() and skip with why() otherwise.
class TmpfsMount {
public:
    explicit TmpfsMount(std::string folder) : folder_(std::move(folder))
    {
        if (::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=1m") == 0)
            mounted_ = true;
        else
            why_ = "cannot mount a tmpfs on " + folder_ + ": " + std::strerror(errno);
    }
    ~TmpfsMount()
    {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    [[nodiscard]] bool mounted() const { return mounted_; }
    [[nodiscard]] const std::string& why() const { return why_; }
    [[nodiscard]] const std::string& folder() const { return folder_; }

private:
    std::string folder_;
    bool mounted_ = false;
    std::string why_;
};

} // namespace vacantix::test
