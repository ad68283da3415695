// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vacantix::test {

// Points HOME and the XDG folders at a fresh temporary folder, so that no
// test reads or writes the real settings, trash or data of the user. Called
// once by every test program before anything else runs; the folder is
// removed again when the program ends.
void usePrivateHome();

// The private home chosen by usePrivateHome().
const std::string& privateHome();

} // namespace vacantix::test
