// SPDX-License-Identifier: GPL-3.0-or-later
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <unistd.h>
#include <variant>
#include <vector>

#include "cli/CliHooks.h"
#include "cli/CliPrompter.h"
#include "cli/CliRun.h"
#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"
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
        if (Interrupted())
            return std::nullopt;
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = ParseCommandLine(args);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgramName.data(),
                     error->message.c_str(), kProgramName.data());
        return ToInt(ExitStatus::Usage);
    }
    const CommandLine& line = std::get<CommandLine>(parsed);
    if (line.help) {
        std::fputs(HelpText().c_str(), stdout);
        return ToInt(ExitStatus::Success);
    }
    if (line.version) {
        std::printf("%s %s\n", kProgramName.data(), VACANTIX_VERSION);
        return ToInt(ExitStatus::Success);
    }

    CatchInterrupt();
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

    Console console(stderr, isatty(STDERR_FILENO) == 1);
    CliPrompter prompter(console);
    CliHooks hooks(console, Interrupted, [&console] {
        console.clearProgress();
        std::_Exit(ToInt(ExitStatus::Interrupted));
    });
    PosixFileSystem disk;
    ReadAheadFileSystem fs(disk, ReadAheadReaders(), [] { return std::make_unique<PosixFileSystem>(); });
    const QtSettingsStore store;
    GioTrash trash;
    PosixRemover remover;
    CliServices services{fs, store, prompter, hooks, stdout, FindCurrentFolder(), ReadStandardInput, &trash, &remover};
    return ToInt(RunCommandLine(line, services));
}
