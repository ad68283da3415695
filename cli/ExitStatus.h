// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vacantix::cli {

// Every exit status of vacantix-cli.
enum class ExitStatus : int {
    Success = 0,     // every root was scanned and nothing went wrong
    Failure = 1,     // a root or list file was missing, or an error was reported
    Usage = 2,       // the command line could not be understood, or a relative
                     // root could not be made absolute
};

// Stopped by a signal (130 for Ctrl-C, 143 for SIGTERM, 129 for SIGHUP):
// 128 + its number, as a shell reports a program that the signal ended.
[[nodiscard]] constexpr ExitStatus StoppedBy(int signal)
{
    return static_cast<ExitStatus>(128 + signal);
}

[[nodiscard]] constexpr int ToInt(ExitStatus status)
{
    return static_cast<int>(status);
}

} // namespace vacantix::cli
