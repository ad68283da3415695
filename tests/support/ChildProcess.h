// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace vacantix::test {

// Runs `body` in a child process, so that what it changes about the process
// (its rights, the system calls it may make) ends with it. Returns what
// `body` returned: "" for success, else what failed; or why the child could
// not run it.
[[nodiscard]] std::string RunInChild(const std::function<std::string()>& body);

// Makes every later renameat2 of this process fail with EINVAL, as on a file
// system without RENAME_NOREPLACE (call it in a child only). False when the
// system cannot be told so.
[[nodiscard]] bool RefuseRenameFlags();

} // namespace vacantix::test
