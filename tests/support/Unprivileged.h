// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace vacantix::test {

// Runs `body` without the power to read every folder: as it is when the
// tests run as a normal user, in a child process as "nobody" when they run
// as root. Returns what `body` returned ("" when all went as expected, else
// what did not), or why the child could not run it.
[[nodiscard]] std::string RunUnprivileged(const std::function<std::string()>& body);

} // namespace vacantix::test
