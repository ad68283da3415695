// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace vacantix::test {

// What a finished vacantix-cli left behind.
struct CliOutcome {
    int status = -1; // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

enum class ErrorStream { Pipe, Terminal };

// The built vacantix-cli, started with pipes to its standard streams (or
// with standard error on a terminal of its own), in `folder` when given. It
// inherits the test program's private HOME.
class CliProcess {
public:
    explicit CliProcess(const std::vector<std::string>& args, const std::string& folder = {},
                        ErrorStream errorStream = ErrorStream::Pipe);
    ~CliProcess(); // kills the program if it still runs
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    // Writes to its standard input.
    void write(const std::string& text);

    [[nodiscard]] pid_t pid() const { return pid_; }

    // True once the program catches the signal, so that sending it tests the
    // program's handling rather than its start-up. Waits up to five seconds.
    [[nodiscard]] bool waitUntilCatching(int signal) const;

    // True once the program sleeps in the kernel function whose name ends
    // with `function` (as /proc tells: "wait_for_partner" for a FIFO's open,
    // "pipe_write" for a write to a full pipe). Waits up to five seconds.
    [[nodiscard]] bool waitUntilSleepingIn(std::string_view function) const;

    // Closes its standard input, reads both outputs to their end and waits
    // for the exit.
    CliOutcome finish();

private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1, err_ = -1;
    bool reaped_ = false;
};

// Runs vacantix-cli to its end with `input` on standard input.
CliOutcome RunCli(const std::vector<std::string>& args, const std::string& input = {},
                  const std::string& folder = {});

} // namespace vacantix::test
