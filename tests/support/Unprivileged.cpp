// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Unprivileged.h"

#include <grp.h>
#include <unistd.h>

#include "support/ChildProcess.h"

namespace vacantix::test {

std::string RunUnprivileged(const std::function<std::string()>& body)
{
    if (::geteuid() != 0)
        return body();
    return RunInChild([&]() -> std::string {
        constexpr uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            return "the child could not give up its rights";
        return body();
    });
}

} // namespace vacantix::test
