// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vacantix::cli {

inline constexpr std::string_view kProgramName = "vacantix-cli";

// What one command line asks for.
struct CommandLine {
    bool help = false;
    bool version = false;
    bool print0 = false;                  // NUL after each result instead of a line feed
    bool json = false;                    // --json: one JSON object per line instead
    std::vector<std::string> listFiles;   // -f/--from, in order; "-" is standard input
    std::vector<std::string> folders;     // the positional roots, in order
    // Option values for this run only: the stored text of each key given.
    std::optional<std::string> check1;    // --zero-byte-empty
    std::optional<std::string> check2;    // --skip-system
    std::optional<std::string> check3;    // --ignore-hidden
    std::optional<std::vector<std::string>> ignoreNames; // --ignore, repeatable
    bool oneFileSystem = false;           // -x/--one-file-system: mount points are not entered
    std::vector<std::string> excludes;    // --exclude, repeatable: glob patterns of whole paths
    bool includeProgramFolders = false;   // --include-program-folders: version control's and mail's too
    // What happens to the results after they are printed: nothing, unless
    // one of these asks for it (never both).
    bool trash = false;                   // --trash: move each to the trash
    bool deleteDirectly = false;          // --delete: remove each, if still empty
    bool dryRun = false;                  // --dry-run: only tell what each would do
    // Regular files that count as litter, not content: --junk, repeatable,
    // and --junk-default for the usual operating-system litter.
    std::vector<std::string> junkNames;
    bool junkDefault = false;
    // --min-age: leave alone any folder changed this recently, and the
    // folders above it.
    std::optional<std::chrono::seconds> minAge;
};

// Why a command line was refused, in one line without the program name.
struct UsageError {
    std::string message;
};

// Reads the arguments after the program name. Short options may be grouped
// ("-0f list"), values may follow as the next argument or be attached
// ("-flist", "--from=list"); "--" ends the options. A command line without
// a folder or list file is refused unless it asks for help or the version.
// Never throws.
[[nodiscard]] std::variant<CommandLine, UsageError> ParseCommandLine(std::span<const std::string> args);

// The text of --help.
[[nodiscard]] std::string HelpText();

} // namespace vacantix::cli
