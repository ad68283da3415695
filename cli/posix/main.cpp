// SPDX-License-Identifier: GPL-3.0-or-later
// The program on POSIX: the POSIX file system and remover, the options the
// window keeps through QSettings, and the desktop's trash through GIO.
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <unistd.h>
#include <vector>

#include "cli/Interrupt.h"
#include "cli/Program.h"
#include "platform/Failure.h"
#include "platform/gio/GioTrash.h"
#include "platform/ReadAheadFileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixRemover.h"
#include "platform/qt/QtSettingsStore.h"

using namespace vacantix;
using namespace vacantix::cli;

namespace {

// The current folder, or why it cannot be told: a folder that was deleted
// (or lies outside this process's view of the disk) has no path, and no
// stand-in may take its place, since relative roots are put below it.
CurrentFolder FindCurrentFolder()
{
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return {std::nullopt, std::strerror(errno)};
        buffer.resize(buffer.size() * 2);
    }
    if (buffer[0] != '/')
        return {std::nullopt, "it lies outside the visible file system"};
    return {std::string(buffer.data()), {}};
}

// Reads the next bytes of the list on standard input; Ctrl-C while it
// waits ends the list without a word.
std::optional<std::size_t> ReadStandardInput(std::span<char> buffer)
{
    for (;;) {
        const ssize_t got = read(STDIN_FILENO, buffer.data(), buffer.size());
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            throw Failure(OtherError, std::strerror(errno));
        if (StopSignal() != 0)
            return std::nullopt;
    }
}

} // namespace

int main(int argc, char** argv)
{
    PosixFileSystem disk;
    ReadAheadFileSystem fs(disk, ReadAheadReaders(), [] { return std::make_unique<PosixFileSystem>(); });
    const QtSettingsStore store;
    GioTrash trash;
    PosixRemover remover;
    ProgramPlatform platform{fs,      store, trash, remover, FindCurrentFolder(), ReadStandardInput,
                             isatty(STDERR_FILENO) == 1};
    return ProgramMain(std::vector<std::string>(argv + 1, argv + argc), platform);
}
