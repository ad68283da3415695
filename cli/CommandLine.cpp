// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandLine.h"

#include <functional>

#include "settings/ScanExtras.h"

namespace vacantix::cli {

namespace {

struct OptionSpec {
    char shortName; // 0 when there is none
    std::string_view longName;
    bool takesValue;
    std::function<std::optional<std::string>(CommandLine&, const std::string&)> apply; // an error, or nothing
};

std::optional<std::string> SetSwitch(std::optional<std::string>& target, std::string_view option,
                                     const std::string& value)
{
    if (value != "0" && value != "1")
        return "--" + std::string(option) + " takes 0 or 1, not '" + value + "'";
    target = value;
    return std::nullopt;
}

const std::vector<OptionSpec>& Options()
{
    static const std::vector<OptionSpec> options{
        {'h', "help", false, [](CommandLine& c, const std::string&) { c.help = true; return std::nullopt; }},
        {'V', "version", false, [](CommandLine& c, const std::string&) { c.version = true; return std::nullopt; }},
        {'0', "print0", false, [](CommandLine& c, const std::string&) { c.print0 = true; return std::nullopt; }},
        {0, "json", false, [](CommandLine& c, const std::string&) { c.json = true; return std::nullopt; }},
        {'f', "from", true,
         [](CommandLine& c, const std::string& v) -> std::optional<std::string> {
             if (v.empty())
                 return "--from needs a file name";
             c.listFiles.push_back(v);
             return std::nullopt;
         }},
        {0, "trash", false, [](CommandLine& c, const std::string&) { c.trash = true; return std::nullopt; }},
        {0, "delete", false,
         [](CommandLine& c, const std::string&) { c.deleteDirectly = true; return std::nullopt; }},
        {0, "dry-run", false, [](CommandLine& c, const std::string&) { c.dryRun = true; return std::nullopt; }},
        {0, "zero-byte-empty", true,
         [](CommandLine& c, const std::string& v) { return SetSwitch(c.check1, "zero-byte-empty", v); }},
        {0, "skip-system", true,
         [](CommandLine& c, const std::string& v) { return SetSwitch(c.check2, "skip-system", v); }},
        {0, "ignore-hidden", true,
         [](CommandLine& c, const std::string& v) { return SetSwitch(c.check3, "ignore-hidden", v); }},
        {0, "ignore", true,
         [](CommandLine& c, const std::string& v) -> std::optional<std::string> {
             // The ignore list keeps its entries apart with CR LF.
             if (v.find_first_of("\r\n") != std::string::npos)
                 return "--ignore takes one name without line breaks";
             if (!c.ignoreNames)
                 c.ignoreNames.emplace();
             c.ignoreNames->push_back(v);
             return std::nullopt;
         }},
        {'x', "one-file-system", false,
         [](CommandLine& c, const std::string&) { c.oneFileSystem = true; return std::nullopt; }},
        {0, "exclude", true,
         [](CommandLine& c, const std::string& v) -> std::optional<std::string> {
             if (v.empty())
                 return "--exclude needs a pattern";
             c.excludes.push_back(v);
             return std::nullopt;
         }},
        {0, "include-program-folders", false,
         [](CommandLine& c, const std::string&) { c.includeProgramFolders = true; return std::nullopt; }},
        {0, "junk", true,
         [](CommandLine& c, const std::string& v) -> std::optional<std::string> {
             if (v.empty() || v == "." || v == ".." || v.find('/') != std::string::npos)
                 return "--junk takes one file name, not '" + v + "'";
             c.junkNames.push_back(v);
             return std::nullopt;
         }},
        {0, "junk-default", false,
         [](CommandLine& c, const std::string&) { c.junkDefault = true; return std::nullopt; }},
        {0, "min-age", true,
         [](CommandLine& c, const std::string& v) -> std::optional<std::string> {
             c.minAge = ParseDuration(v);
             if (!c.minAge)
                 return "--min-age takes a number and a unit (s, m, h or d), such as 30m or 7d, not '" + v + "'";
             return std::nullopt;
         }},
    };
    return options;
}

const OptionSpec* FindLong(std::string_view name)
{
    for (const OptionSpec& option : Options())
        if (option.longName == name)
            return &option;
    return nullptr;
}

const OptionSpec* FindShort(char name)
{
    for (const OptionSpec& option : Options())
        if (option.shortName != 0 && option.shortName == name)
            return &option;
    return nullptr;
}

} // namespace

namespace {

// The value of the option at `args[i]`: attached to it, or the next
// argument (which `i` then moves to).
std::variant<std::string, UsageError> TakeValue(std::span<const std::string> args, std::size_t& i,
                                                std::optional<std::string> attached, const std::string& shownAs)
{
    if (attached)
        return *attached;
    if (i + 1 >= args.size())
        return UsageError{"option '" + shownAs + "' needs a value"};
    return args[++i];
}

// Applies `option` with the value it takes, if any.
std::optional<UsageError> Apply(CommandLine& line, const OptionSpec& option, std::span<const std::string> args,
                                std::size_t& i, std::optional<std::string> attached, const std::string& shownAs)
{
    std::string value;
    if (option.takesValue) {
        auto taken = TakeValue(args, i, std::move(attached), shownAs);
        if (auto* error = std::get_if<UsageError>(&taken))
            return *error;
        value = std::get<std::string>(taken);
    }
    if (auto error = option.apply(line, value))
        return UsageError{*error};
    return std::nullopt;
}

// Applies the long option "--name" or "--name=value" at `args[i]`.
std::optional<UsageError> ApplyLong(CommandLine& line, std::span<const std::string> args, std::size_t& i)
{
    const std::string_view body = std::string_view(args[i]).substr(2);
    const auto equals = body.find('=');
    const std::string name(body.substr(0, equals));
    const OptionSpec* option = FindLong(name);
    if (!option)
        return UsageError{"unknown option '--" + name + "'"};
    std::optional<std::string> attached;
    if (equals != std::string_view::npos) {
        if (!option->takesValue)
            return UsageError{"option '--" + name + "' takes no value"};
        attached = std::string(body.substr(equals + 1));
    }
    return Apply(line, *option, args, i, std::move(attached), "--" + name);
}

// Applies the group of short options at `args[i]` ("-0f list", "-flist").
std::optional<UsageError> ApplyShort(CommandLine& line, std::span<const std::string> args, std::size_t& i)
{
    const std::string arg = args[i];
    for (std::size_t k = 1; k < arg.size(); ++k) {
        const OptionSpec* option = FindShort(arg[k]);
        const std::string shownAs = "-" + std::string(1, arg[k]);
        if (!option)
            return UsageError{"unknown option '" + shownAs + "'"};
        std::optional<std::string> attached;
        if (option->takesValue && k + 1 < arg.size())
            attached = arg.substr(k + 1);
        if (auto error = Apply(line, *option, args, i, std::move(attached), shownAs))
            return error;
        if (option->takesValue)
            break;
    }
    return std::nullopt;
}

// Refuses options that do not go together, and a run with nothing to scan.
std::optional<UsageError> CheckCombination(const CommandLine& line)
{
    if (line.trash && line.deleteDirectly)
        return UsageError{"--trash and --delete cannot be given together"};
    if (line.dryRun && !line.trash && !line.deleteDirectly)
        return UsageError{"--dry-run needs --trash or --delete"};
    if (line.json && line.print0)
        return UsageError{"--json and --print0 cannot be given together"};
    if (!line.help && !line.version && line.folders.empty() && line.listFiles.empty())
        return UsageError{"no folder to scan"};
    return std::nullopt;
}

} // namespace

std::variant<CommandLine, UsageError> ParseCommandLine(std::span<const std::string> args)
{
    CommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::optional<UsageError> error;
        if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
            // An empty argument (an unset shell variable) would name the
            // root of the disk once it gets its trailing separator.
            if (arg.empty())
                return UsageError{"an empty folder name was given"};
            line.folders.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else {
            error = arg.starts_with("--") ? ApplyLong(line, args, i) : ApplyShort(line, args, i);
        }
        if (error)
            return *error;
    }
    if (auto error = CheckCombination(line))
        return *error;
    return line;
}

std::string HelpText()
{
    return R"(Usage: vacantix-cli [OPTION]... FOLDER...
Finds the empty folders below each FOLDER and prints them, one per line, each
once (also when FOLDERs repeat or lie inside one another).
A folder counts as empty when nothing but empty folders lies below it (and,
with --zero-byte-empty 1, the default, files of 0 bytes); a folder that
could not be read completely, a folder another file system is mounted on,
lost+found at the top of a file system, and any folder holding one of them or
a folder on the ignore list are never printed.
A name holding a line break or another control character, a byte that is no
UTF-8, or a single quote is printed quoted as a shell reads it back, as
'it'\''s' or 'photos'$'\n''old' (as ls --quoting-style=shell-escape does);
with -0 every name is printed as its raw bytes.

  -0, --print0              end each folder with NUL instead of a line feed
      --json                one JSON object per line on standard output
                            instead: {"path": ..., "depth": N} for each
                            folder found (N components below its root); with
                            --trash or --delete instead one per folder acted
                            on, adding "outcome" (sent, deleted, already
                            gone, kept, failed) and "reason" when there is
                            one; then {"summary": {...}} with the counts,
                            "found", the folders that could not be read and
                            "duration_seconds". A path that is no valid
                            UTF-8 is written as "path" with U+FFFD for each
                            byte that is no UTF-8, plus "path_b64" holding
                            its raw bytes in base64
  -f, --from FILE           scan the folders listed in FILE, one per line
                            ("-" reads the list from standard input);
                            repeatable, read before the FOLDER arguments
      --zero-byte-empty 0|1 1 (default): a folder whose files all have 0
                            bytes is printed as empty; 0: every file counts.
                            --delete removes such files only when this is
                            given as 1 on its command line
      --skip-system 0|1     1 (default): never print folders inside the
                            system trees /proc, /sys, /dev, /run, /boot,
                            /etc, /usr, /var, /bin, /sbin, /lib*, /snap
      --ignore-hidden 0|1   1: do not print a hidden folder (its name starts
                            with ".") that holds no files itself; the folders
                            below it are still searched and printed, and one
                            whose files all have 0 bytes is still printed
                            while --zero-byte-empty is 1. 0 (default): hidden
                            folders are treated like any other
      --ignore NAME         skip folders named NAME (ignoring letter case)
                            with everything below them, or with a whole path
                            as NAME the folder at that path; a folder holding
                            an ignored one is never printed. Repeatable;
                            replaces the stored list for this run (default:
                            System Volume Information, RECYCLER, Recycled,
                            NtUninstall, $RECYCLE.BIN; --ignore "" ignores
                            nothing)
  -x, --one-file-system     do not search below a folder another file system
                            is mounted on (bind mounts included; lost+found
                            at the top of a file system too): it holds
                            content, so the folders above it are not printed
      --exclude GLOB        skip the folders whose whole path matches the
                            shell pattern GLOB, with everything below them;
                            a folder holding one is never printed. "*", "?"
                            and "[...]" match within one folder name ("*"
                            also names starting with "."), "**" any number
                            of folders; a GLOB not starting with "/" may
                            match at any depth. Matched against the path as
                            given and its real path (links resolved). For
                            example '**/node_modules/**' or '/home/*/keep'.
                            Repeatable
      --include-program-folders
                            search, print, move and delete the folders other
                            programs rely on like any other: .git, .hg,
                            .svn, .bzr and _darcs, and the cur, new and tmp
                            folders of a mail folder holding all three. By
                            default they, what lies inside them and every
                            folder holding one are never printed, moved or
                            deleted
      --junk NAME           count regular files named NAME (ignoring letter
                            case; "._*" for every name starting "._") as
                            nothing, of any size: a folder holding only such
                            files is printed, and --trash or --delete takes
                            them with it. Repeatable
      --junk-default        the same for Thumbs.db, desktop.ini, .DS_Store,
                            ._* and .directory
      --min-age DURATION    print a folder only when neither it nor any
                            folder below it was modified within DURATION
                            (such as 90s, 30m, 12h, 7d), so that a build or
                            download still at work is left alone; checked
                            again right before --trash or --delete
      --trash               after printing, move each folder found to the
                            trash with what it holds (zero-byte files too),
                            unless it holds something else by then
      --delete              after printing, delete each folder found without
                            the trash, if it still holds nothing; a folder
                            holding zero-byte files is kept and named unless
                            --zero-byte-empty 1 is given on this command line
      --dry-run             with --trash or --delete: look at each folder
                            afresh as they do and tell what would happen to
                            it ("would be sent to the trash", "would be
                            deleted", already gone, kept with the reason),
                            changing nothing; a folder below one that would
                            go is already gone. With --json each object of a
                            folder acted on and the summary add
                            "dry_run": true, outcomes named as for real
  -h, --help                show this help and exit
  -V, --version             show the version and exit

Options not given take the values stored by the Vacantix window, or the
defaults above when it stored none; the command line never changes them.
Without --trash or --delete nothing on the disk is changed. With them, each
folder not deleted is named on standard error with the reason, followed by a
line that counts what happened.

Exit status: 0 when every folder was scanned, 1 when a folder or list file was
missing, a folder could not be read (a closing line counts them), a FOLDER lay
in a system folder while --skip-system is 1, an error was reported or a folder
was not deleted; 2 for a command-line error or a relative FOLDER while the
current folder cannot be determined (nothing is scanned then); 130 after
Ctrl-C, 143 after SIGTERM, 129 after SIGHUP (a second one of a kind ends the
program at once): during the scan nothing is printed; while the results are
printed, the line at hand is finished and no further one follows (--trash or
--delete then acts on no folder); during --trash or --delete the folder at
hand is finished; with --trash or --delete the counts are printed.
)";
}

} // namespace vacantix::cli
