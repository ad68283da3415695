// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "cli/CliHooks.h"
#include "cli/CliPrompter.h"
#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "cli/OutputWriter.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Trash.h"
#include "results/Deletion.h"
#include "roots/FolderList.h"
#include "roots/ListFile.h"
#include "scan/ResultsList.h"
#include "settings/Settings.h"

namespace vacantix::cli {

// The folder relative roots are put below, when it can be told.
struct CurrentFolder {
    std::optional<std::string> path; // absolute
    std::string whyUnknown;          // the reason, when `path` is empty
};

// What one run of the command line works with.
struct CliServices {
    FileSystem& fs;
    const SettingsStore& store;     // the user's stored options; never written
    CliPrompter& prompter;
    CliHooks& hooks;
    std::FILE* out;                 // where the results go, written through WriteAll alone
    CurrentFolder currentFolder;    // resolves relative roots
    ListSource readStandardInput;   // for "--from -"
    Trash* trash = nullptr;         // for --trash
    DirectRemover* remover = nullptr; // for --delete
};

// A settings store for one run: reads come from the stored options, and
// writes stay in memory so the run never changes them.
class RunSettingsStore final : public SettingsStore {
public:
    explicit RunSettingsStore(const SettingsStore& stored) : stored_(stored) {}
    std::optional<std::string> get(std::string_view key) const override;
    void set(std::string_view key, std::string_view value) override { written_.set(key, value); }
    std::shared_ptr<const std::string> getShared(std::string_view key) const override;
    [[nodiscard]] std::optional<std::uint64_t> changeCount() const override
    {
        return CombinedChangeCount(stored_.changeCount(), written_.changeCount());
    }

private:
    const SettingsStore& stored_;
    MemorySettingsStore written_;
};

// Puts the options given on the command line over the stored ones.
void ApplyOptions(const CommandLine& line, OverlaySettingsStore& options);

// True when every option the search reads converts to a number. A stored
// value that does not would leave the search to skip folders without a word,
// so each such option is reported, naming the flag that overrides it.
[[nodiscard]] bool CheckOptions(const Settings& settings, CliPrompter& prompter);

// The roots of the run in order: the folders of each list file, then the
// folder arguments, each ending in "/", made absolute against
// `services.currentFolder` and without "..", which the disk resolves (see
// WithoutParentSteps). A missing or unreadable list file is reported
// through the prompter and adds nothing. Every path of a list is kept, so
// the scan names the ones that do not exist as it names missing arguments. A relative root while the current
// folder cannot be told gives the reason instead of any roots: no other
// folder may stand in for the one the user meant.
[[nodiscard]] std::variant<MemoryFolderList, UsageError> CollectRoots(const CommandLine& line,
                                                                      CliServices& services);

// A root (absolute, ending in "/") whose part up to its last ".." is replaced
// by that folder's real path, as the disk resolves it: "/data/../data/t/" is
// "/data/t/", and "/data/link/../t/" names the "t" beside the link's target.
// The rest stays as written; a root whose part cannot be resolved (it does
// not exist) is kept as it is, for the scan to name.
[[nodiscard]] std::string WithoutParentSteps(const std::string& root, FileSystem& fs);

// A path without a root (see IsAbsolutePath) is put below `currentFolder`; on
// Windows one that starts with a lone "/" gets the current folder's drive. Its "."
// components and doubled separators are dropped, ".." is kept as written.
[[nodiscard]] std::string AbsoluteRoot(std::string_view root, std::string_view currentFolder);

// Writes each result, followed by a line feed (shell-quoted when its name
// holds a control character, a byte that is no UTF-8 or a single quote) or
// by NUL (raw bytes). Once `stop` says so, no further result is written.
void PrintResults(const ResultsList& results, OutputWriter& out, bool print0, const std::function<bool()>& stop);


// The whole run: options, roots, the scan, the results printed, and with
// --trash or --delete the results deleted. A root skipped as a system
// folder is named with the option that skips it, and the run ends with a
// line on the folders that could not be read (both exit 1). Returns the exit
// status: StoppedBy the signal after a stop signal; Usage only for a root
// that cannot be made absolute (reported, nothing scanned).
[[nodiscard]] ExitStatus RunCommandLine(const CommandLine& line, CliServices& services);

} // namespace vacantix::cli
