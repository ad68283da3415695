// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cerrno>
#include <utility>

#include <unistd.h>

namespace vacantix {

// An open file descriptor, closed when the object goes. Keeps errno as it
// was, so that a failure's errno survives the descriptors closed on the way
// out of the function that met it.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) noexcept : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.fd_, -1));
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    [[nodiscard]] int get() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }

    void reset(int fd = -1) noexcept
    {
        if (fd_ >= 0) {
            const int error = errno;
            ::close(fd_);
            errno = error;
        }
        fd_ = fd;
    }

    // Lets go of the descriptor without closing it.
    [[nodiscard]] int release() noexcept { return std::exchange(fd_, -1); }

    // Closes now; 0, or -1 with errno set when the close reported an error
    // (some file systems report a failed write only here).
    [[nodiscard]] int closeChecked() noexcept { return ::close(std::exchange(fd_, -1)); }

private:
    int fd_;
};

} // namespace vacantix
