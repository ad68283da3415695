// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixFileWriter.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/FreshName.h"
#include "platform/posix/PosixFailure.h"

namespace vacantix {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    [[nodiscard]] int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset(int fd)
    {
        close();
        fd_ = fd;
    }
    // Closes now and says whether the close reported an error (some file
    // systems report a failed write only here).
    [[nodiscard]] int closeChecked()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    int fd_;
};

// Writes all of `bytes`, continuing after short writes and interruptions.
// Returns 0, or the errno of the write that failed.
int WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// Creates a temporary file of a fresh name in `folder`, open for writing.
// Its name, or "" with errno set.
std::string CreateTemporary(int folder, mode_t mode, Descriptor& file)
{
    return CreateUnderFreshName(".vacantix-export-", [&](const char* name) {
        file.reset(::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        return static_cast<bool>(file);
    });
}

} // namespace

FsResult<Done> PosixFileWriter::replaceWhole(const std::string& path, std::string_view bytes)
{
    std::string target = path;
    struct stat old {};
    bool exists = ::lstat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return FailureOfErrno(errno);
    if (exists && S_ISLNK(old.st_mode)) {
        // Saving over a link replaces what it points to, not the link.
        char* resolved = ::realpath(target.c_str(), nullptr);
        if (resolved) {
            target = resolved;
            std::free(resolved);
            exists = ::stat(target.c_str(), &old) == 0;
        } else if (errno == ENOENT) {
            return FsFailure{FsError::PathNotFound, "the link points to nothing"};
        } else {
            return FailureOfErrno(errno);
        }
    }
    if (exists && S_ISDIR(old.st_mode))
        return FailureOfErrno(EISDIR);
    if (exists && !S_ISREG(old.st_mode))
        return FsFailure{FsError::Other, "not a regular file"};
    // A file that may not be written is not replaced behind its back, even
    // though its folder would allow the rename.
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return FailureOfErrno(errno);

    const std::size_t slash = target.rfind('/');
    const std::string folderPath = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty())
        return FailureOfErrno(EISDIR);

    const Descriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return FailureOfErrno(errno);

    // A new file is made with 0666 and the umask applies; a replacement
    // starts private and takes the old file's mode once written.
    Descriptor file;
    const std::string temporary = CreateTemporary(folder.get(), exists ? 0600 : 0666, file);
    if (temporary.empty())
        return FailureOfErrno(errno);

    int error = WriteAll(file.get(), bytes);
    if (error == 0 && exists) {
        // Without privileges another owner cannot be kept; the mode still is.
        (void)!::fchown(file.get(), old.st_uid, old.st_gid);
        if (::fchmod(file.get(), old.st_mode & 07777) != 0)
            error = errno;
    }
    if (error == 0 && ::fsync(file.get()) != 0)
        error = errno;
    if (error == 0 && file.closeChecked() != 0)
        error = errno;
    if (error == 0 && ::renameat(folder.get(), temporary.c_str(), folder.get(), name.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlinkat(folder.get(), temporary.c_str(), 0);
        return FailureOfErrno(error);
    }
    // The rename is only lasting once the folder is synced.
    if (::fsync(folder.get()) != 0) {
        const int syncError = errno;
        return FsFailure{FsErrorOfErrno(syncError),
                         std::string("the file was replaced, but its folder could not be synced: ") +
                             std::strerror(syncError)};
    }
    return Done{};
}

std::unique_ptr<FileWriter> MakeFileWriter()
{
    return std::make_unique<PosixFileWriter>();
}

} // namespace vacantix
