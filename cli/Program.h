// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliRun.h"

namespace vacantix::cli {

// What the program's entry point of one platform hands to the run: the
// platform's disk, stored options, trash and remover, and how it reads
// standard input and tells the current folder.
struct ProgramPlatform {
    FileSystem& fs;
    const SettingsStore& store;
    Trash& trash;
    DirectRemover& remover;
    CurrentFolder currentFolder;
    ListSource readStandardInput;
    bool errorsToTerminal = false; // standard error is a terminal: progress is shown
};

// The whole program once its arguments are UTF-8 text (without the program's
// own name): usage errors, --help and --version, then the run on standard
// output and standard error. Returns the exit status.
[[nodiscard]] int ProgramMain(const std::vector<std::string>& args, ProgramPlatform& platform);

// The terminal's width in columns for `stream`, when it is a terminal that
// tells; 0 otherwise. Each platform has its own (cli/posix/, cli/win/).
[[nodiscard]] std::size_t TerminalColumns(std::FILE* stream);

} // namespace vacantix::cli
