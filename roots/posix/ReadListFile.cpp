// SPDX-License-Identifier: GPL-3.0-or-later
// ReadListFile on POSIX: open(2) and read(2), retried after a signal.
#include "roots/ListFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/PosixFailure.h"

namespace vacantix {

namespace {

// Closes the list file on every path out, also when reading fails.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path) { reopen(path); }
    ~ReadOnlyFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    void reopen(const std::string& path) { fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }
    [[nodiscard]] bool isOpen() const { return fd_ >= 0; }
    [[nodiscard]] int fd() const { return fd_; }

private:
    int fd_ = -1;
};

// A list file that is not there is "File not found", as opening a missing
// file always was; any other failure is the file system's.
[[nodiscard]] Failure ReadFailure(int error)
{
    if (error == ENOENT)
        return Failure(FileNotFound, std::strerror(error));
    return FailureOfErrno(error).toFailure();
}

} // namespace

ListReading ReadListFile(const std::string& listFile, FileSystem& fs, ScanHooks& hooks, ListedFolders kept)
{
    ReadOnlyFile file(listFile);
    while (!file.isOpen()) {
        // A FIFO's open waits for a writer; a stop request must end that
        // wait without a word.
        if (errno != EINTR)
            throw ReadFailure(errno);
        if (hooks.stopRequested()) {
            ListReading stopped;
            stopped.stopped = true;
            return stopped;
        }
        file.reopen(listFile);
    }
    const ListSource source = [&](std::span<char> buffer) -> std::optional<std::size_t> {
        for (;;) {
            const ssize_t got = ::read(file.fd(), buffer.data(), buffer.size());
            if (got >= 0)
                return static_cast<std::size_t>(got);
            if (errno != EINTR)
                throw ReadFailure(errno);
            if (hooks.stopRequested())
                return std::nullopt;
        }
    };
    return ReadList(source, fs, hooks, kept);
}

} // namespace vacantix
