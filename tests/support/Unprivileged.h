// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace vacantix::test {

// Runs `body` without the power to read every folder: as it is when the
// tests run as a normal user, in a child process as "nobody" when they run
// as root. Returns what `body` returned (0 for success), or -1 when the
// child could not be made or given up its rights.
int RunUnprivileged(const std::function<int()>& body);

} // namespace vacantix::test
