// SPDX-License-Identifier: GPL-3.0-or-later
// Runs one command and prints "<peak RSS in KiB> <records on stdout> <exit
// status>" on one line. Records are lines, or NUL-terminated paths with -0.
// With -o FILE the command's output is also copied to FILE.
//
//     peak_rss [-0] [-o FILE] COMMAND [ARG...]
//
// A small program of its own rather than a script: Linux carries a process's
// peak RSS across exec, so a child forked from an interpreter would report
// the interpreter's memory as its own.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    int first = 1;
    char separator = '\n';
    std::FILE* copy = nullptr;
    for (; first < argc; ++first) {
        if (std::strcmp(argv[first], "-0") == 0) {
            separator = '\0';
        } else if (std::strcmp(argv[first], "-o") == 0 && first + 1 < argc) {
            copy = std::fopen(argv[++first], "wbe");
            if (copy == nullptr) {
                std::perror(argv[first]);
                return 2;
            }
        } else {
            break;
        }
    }
    if (first >= argc) {
        std::fputs("usage: peak_rss [-0] [-o FILE] COMMAND [ARG...]\n", stderr);
        return 2;
    }
    int out[2];
    if (pipe(out) != 0)
        return 2;
    const pid_t child = fork();
    if (child < 0)
        return 2;
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execvp(argv[first], argv + first);
        std::perror(argv[first]);
        _exit(127);
    }
    close(out[1]);
    long records = 0;
    char buffer[1 << 16];
    for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (ssize_t i = 0; i < got; ++i)
            records += buffer[i] == separator;
        if (copy != nullptr)
            std::fwrite(buffer, 1, size_t(got), copy);
    }
    if (copy != nullptr)
        std::fclose(copy);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::printf("%ld %ld %d\n", usage.ru_maxrss, records, code);
    return 0;
}
