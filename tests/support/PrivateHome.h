// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vacantix::test {

// Points HOME and the XDG folders at a fresh temporary folder, so that no
// test reads or writes the real settings, trash or data of the user. Called
// once by every test program before anything else runs; the folder is
// removed again when the program ends.
void usePrivateHome();

// The private home chosen by usePrivateHome().
const std::string& privateHome();

// A new, empty folder below the private home, named `stem` and a number.
std::filesystem::path FreshFolder(std::string_view stem);

// The private trash (XDG_DATA_HOME/Trash) and the folder of the entries it took.
std::filesystem::path PrivateTrash();
std::filesystem::path PrivateTrashFiles();

} // namespace vacantix::test
