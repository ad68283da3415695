// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vacantix::wintest {

// The private home the test program made for itself (an engine path), with
// HOME, XDG_DATA_HOME and XDG_CONFIG_HOME pointing into it, so that under
// Wine no test reaches the user's real trash or files.
const std::string& PrivateHome();

// The Unix path of the private home's data folder, PrivateHome() + "/share"
// (XDG_DATA_HOME), under Wine; "" elsewhere.
const std::string& UnixDataHome();

// A new, empty folder below the private home, named `stem` and a number.
std::string FreshFolder(std::string_view stem);

// Makes a file holding `bytes` bytes; false on failure.
bool MakeFile(const std::string& path, std::size_t bytes = 0);

// True when the path names an existing file or folder (not following a final link).
bool Exists(const std::string& path);

// A Windows path (engine form) as the Unix path Wine maps it to, or "".
std::string UnixPathOf(const std::string& path);

// Runs this test program again as a child process with one more
// environment variable set and only the test `filter`; its exit code, or
// -1 when it could not be started.
int RunSelf(std::string_view filter, std::string_view name, std::string_view value);

// True when running under Wine.
bool UnderWine();

// True in the child that RunSelf started.
bool IsChild();

} // namespace vacantix::wintest
