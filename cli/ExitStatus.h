// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vacantix::cli {

// Every exit status of vacantix-cli.
enum class ExitStatus : int {
    Success = 0,     // every root was scanned and nothing went wrong
    Failure = 1,     // a root or list file was missing, or an error was reported
    Usage = 2,       // the command line could not be understood, or a relative
                     // root could not be made absolute
    Interrupted = 130, // stopped by Ctrl-C: before the results were printed, or between two deletions
};

[[nodiscard]] constexpr int ToInt(ExitStatus status)
{
    return static_cast<int>(status);
}

} // namespace vacantix::cli
