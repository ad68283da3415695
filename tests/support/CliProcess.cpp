// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CliProcess.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vacantix::test {

CliProcess::CliProcess(const std::vector<std::string>& args, const std::string& folder, ErrorStream errorStream)
{
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    std::string terminal;
    if (errorStream == ErrorStream::Terminal) {
        close(err[0]);
        close(err[1]);
        err[0] = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (err[0] < 0 || grantpt(err[0]) != 0 || unlockpt(err[0]) != 0)
            throw std::runtime_error("no terminal");
        terminal = ptsname(err[0]);
        err[1] = -1;
    }
    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("fork");
    if (pid_ == 0) {
        if (!terminal.empty())
            err[1] = open(terminal.c_str(), O_RDWR | O_NOCTTY);
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        if (!folder.empty() && chdir(folder.c_str()) != 0)
            _exit(126);
        std::vector<char*> argv{const_cast<char*>(VACANTIX_CLI_PATH)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    if (err[1] >= 0)
        close(err[1]);
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
}

CliProcess::~CliProcess()
{
    for (int fd : {in_, out_, err_})
        if (fd >= 0)
            close(fd);
    if (pid_ > 0 && !reaped_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void CliProcess::write(const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(in_, text.data() + done, text.size() - done);
        if (n <= 0)
            throw std::runtime_error("cannot write to vacantix-cli");
        done += static_cast<std::size_t>(n);
    }
}

bool CliProcess::waitUntilCatching(int signal) const
{
    const std::string status = "/proc/" + std::to_string(pid_) + "/status";
    for (int attempt = 0; attempt < 500; ++attempt) {
        std::ifstream file(status);
        for (std::string line; std::getline(file, line);)
            if (line.starts_with("SigCgt:") &&
                (std::stoull(line.substr(7), nullptr, 16) & (1ULL << (signal - 1))) != 0)
                return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

bool CliProcess::waitUntilSleepingIn(std::string_view function) const
{
    const std::string wchan = "/proc/" + std::to_string(pid_) + "/wchan";
    for (int attempt = 0; attempt < 500; ++attempt) {
        std::ifstream file(wchan);
        std::string where;
        std::getline(file, where);
        if (where.ends_with(function))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

CliOutcome CliProcess::finish()
{
    if (in_ >= 0) {
        close(in_);
        in_ = -1;
    }
    CliOutcome outcome;
    pollfd fds[2]{{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    std::string* sinks[2]{&outcome.out, &outcome.err};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                // A terminal reports its end as an error once the program is gone.
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    reaped_ = true;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return outcome;
}

CliOutcome RunCli(const std::vector<std::string>& args, const std::string& input, const std::string& folder)
{
    CliProcess process(args, folder);
    if (!input.empty())
        process.write(input);
    return process.finish();
}

} // namespace vacantix::test
