// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ChildProcess.h"

#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vacantix::test {

std::string RunInChild(const std::function<std::string()>& body)
{
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return "no pipe for the child";
    const pid_t child = ::fork();
    if (child < 0)
        return "no child process";
    if (child == 0) {
        ::close(report[0]);
        const std::string message = body();
        const bool written = ::write(report[1], message.data(), message.size()) == ssize_t(message.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(report[1]);
    std::string message;
    char buffer[512];
    for (ssize_t got; (got = ::read(report[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break;
        message.append(buffer, std::size_t(got));
    }
    ::close(report[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return message + (message.empty() ? "" : "; ") + "the child did not end normally";
    return message;
}

bool RefuseRenameFlags()
{
#if defined(__x86_64__)
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_renameat2, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EINVAL & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
#else
    return false;
#endif
}

} // namespace vacantix::test
