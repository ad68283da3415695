// SPDX-License-Identifier: GPL-3.0-or-later
// One run of vacantix-cli, in the order the user sees it: the options for
// this run are put over the stored ones, the roots are collected from list
// files and arguments, the scan run searches them and checks every result,
// and the results are printed; with --trash or --delete they are then dealt
// with one by one, each looked at afresh right before it goes.
#include "cli/CliRun.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include "base/ErrorReport.h"
#include "cli/DryRun.h"
#include "cli/JsonLines.h"
#include "platform/Failure.h"
#include "platform/PathRoot.h"
#include "platform/ShellQuote.h"
#include "results/Deletion.h"
#include "roots/ListFile.h"
#include "scan/FinalPass.h"
#include "scan/ExcludedPaths.h"
#include "scan/ScanRun.h"
#include "settings/Settings.h"

namespace vacantix::cli {

namespace {

// The scan run reports its failures under the scan command's name, so that
// a report reads the same in the window and on the command line.
constexpr std::string_view kScanProcedure = "in Vacantix2021/08/31.Form1.PushButton4_Click ";

std::string WithTrailingSeparator(std::string path)
{
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    return path;
}

// The list file's path as the file system takes it: in the engine's form,
// and below the current folder when relative (the Windows file system takes
// absolute paths only). Kept as given when the current folder is unknown.
std::string ListFilePath(const std::string& listFile, const CurrentFolder& currentFolder)
{
    std::string path = FromNativePath(listFile);
    if (path.empty() || IsAbsolutePath(path) || !currentFolder.path)
        return path;
    return WithoutTrailingSeparator(AbsoluteRoot(path, *currentFolder.path));
}

void LoadOneListFile(const std::string& listFile, FolderList& roots, CliServices& services)
{
    services.prompter.setSubject(listFile == "-" ? "standard input" : listFile);
    try {
        ListReading reading;
        const std::string path = listFile == "-" ? listFile : ListFilePath(listFile, services.currentFolder);
        if (listFile == "-") {
            reading = ReadList(services.readStandardInput, services.fs, services.hooks, ListedFolders::All);
        } else if (services.fs.fileExists(path)) {
            reading = ReadListFile(path, services.fs, services.hooks, ListedFolders::All);
        } else {
            services.prompter.message("File not found");
        }
        if (reading.refusal)
            services.prompter.message(*reading.refusal);
        for (std::string& path : reading.paths)
            roots.append(std::move(path));
        if (reading.failure)
            services.prompter.message(reading.failure->description());
    } catch (const Failure& failure) {
        services.prompter.message(failure.description());
    }
    services.prompter.setSubject({});
}

// The closing line about the folders the search could not list, as find
// ends with its own complaints: how many, and the first few.
void ReportUnreadable(const CliHooks& hooks, CliPrompter& prompter)
{
    const std::size_t count = hooks.unreadableCount();
    if (count == 0)
        return;
    std::string line = std::to_string(count) +
                       (count == 1 ? " folder could not be read; no folder above it is listed: "
                                   : " folders could not be read; no folder above them is listed: ");
    const std::vector<std::string>& named = hooks.firstUnreadable();
    for (std::size_t i = 0; i < named.size(); ++i)
        line += (i == 0 ? "" : ", ") + ShellQuoted(ToNativePath(named[i]));
    if (count > named.size())
        line += ", ...";
    prompter.message(line);
}

} // namespace

bool CheckOptions(const Settings& settings, CliPrompter& prompter)
{
    struct Option {
        std::string_view key;
        std::string_view flag;
        bool (Settings::*read)() const;
    };
    static constexpr Option options[]{
        {kCheck1, "--zero-byte-empty", &Settings::zeroByteFilesCountAsEmpty},
        {kCheck2, "--skip-system", &Settings::skipSystemFolders},
        {kCheck3, "--ignore-hidden", &Settings::ignoreHiddenFolders},
    };
    bool usable = true;
    for (const Option& option : options) {
        try {
            (void)(settings.*option.read)();
        } catch (const Failure& failure) {
            prompter.message("the stored option " + std::string(option.key) + " (\"" +
                             settings.store().get(option.key).value_or("") + "\") cannot be read: " +
                             failure.description() + "; give " + std::string(option.flag) + " 0 or 1");
            usable = false;
        }
    }
    return usable;
}

std::optional<std::string> RunSettingsStore::get(std::string_view key) const
{
    if (auto written = written_.get(key))
        return written;
    return stored_.get(key);
}

std::shared_ptr<const std::string> RunSettingsStore::getShared(std::string_view key) const
{
    if (auto written = written_.getShared(key))
        return written;
    return stored_.getShared(key);
}

void ApplyOptions(const CommandLine& line, OverlaySettingsStore& options)
{
    if (line.check1)
        options.override(kCheck1, *line.check1);
    if (line.check2)
        options.override(kCheck2, *line.check2);
    if (line.check3)
        options.override(kCheck3, *line.check3);
    if (line.ignoreNames) {
        std::string joined;
        for (const std::string& name : *line.ignoreNames) {
            if (!joined.empty())
                joined += "\r\n";
            joined += name;
        }
        options.override(kText1, joined);
    }
}

std::string AbsoluteRoot(std::string_view root, std::string_view currentFolder)
{
    if (IsAbsolutePath(root)) {
        // On Windows "/x" lies on the current folder's drive.
        if (RootLength(root) == 1 && RootLength(currentFolder) == 3 && currentFolder[1] == ':')
            return std::string(currentFolder.substr(0, 2)) + std::string(root);
        return std::string(root);
    }
    std::string path(currentFolder);
    while (!root.empty()) {
        const std::size_t slash = root.find('/');
        const std::string_view part = root.substr(0, slash);
        root = slash == std::string_view::npos ? std::string_view{} : root.substr(slash + 1);
        if (part.empty() || part == ".")
            continue;
        if (path.empty() || path.back() != '/')
            path.push_back('/');
        path.append(part);
    }
    return WithTrailingSeparator(std::move(path));
}

std::variant<MemoryFolderList, UsageError> CollectRoots(const CommandLine& line, CliServices& services)
{
    MemoryFolderList given;
    for (const std::string& listFile : line.listFiles)
        LoadOneListFile(listFile, given, services);
    for (const std::string& folder : line.folders)
        given.append(WithTrailingSeparator(FromNativePath(folder)));

    MemoryFolderList roots;
    for (const std::string& root : given.entries()) {
        if (!IsAbsolutePath(root) && !services.currentFolder.path)
            return UsageError{"cannot tell which folder '" + root + "' names: the current folder cannot be determined (" +
                              services.currentFolder.whyUnknown + ")"};
        roots.append(AbsoluteRoot(root, services.currentFolder.path.value_or(std::string())));
    }
    return roots;
}

namespace {

bool WriteLine(std::FILE* out, const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
    return !std::ferror(out);
}

// "path" (and "path_b64") and "depth" of one folder, without braces.
std::string FolderMembers(const std::string& path, const std::vector<std::string>& roots)
{
    std::string members = JsonPathMembers(ToNativePath(path));
    if (const auto depth = DepthBelow(path, roots))
        members += ", \"depth\": " + std::to_string(*depth);
    return members;
}

std::string_view OutcomeName(DeletionOutcome outcome, bool directly)
{
    switch (outcome) {
    case DeletionOutcome::Sent: return directly ? "deleted" : "sent";
    case DeletionOutcome::AlreadyGone: return "already gone";
    case DeletionOutcome::Kept: return "kept";
    case DeletionOutcome::Failed: break;
    }
    return "failed";
}

} // namespace

bool PrintJsonResults(const ResultsList& results, std::FILE* out, const std::vector<std::string>& roots)
{
    for (std::size_t i = 1; i <= results.count(); ++i)
        WriteLine(out, "{" + FolderMembers(results.text(i), roots) + "}");
    return std::fflush(out) == 0 && !std::ferror(out);
}

bool PrintJsonOutcomes(const DeletionSummary& summary, std::FILE* out, const std::vector<std::string>& roots,
                       bool directly, bool dryRun)
{
    for (const DeletionRecord& record : summary.records) {
        std::string line = "{" + FolderMembers(record.path, roots) + ", \"outcome\": " +
                           JsonString(OutcomeName(record.result.outcome, directly));
        if (!record.result.reason.empty())
            line += ", \"reason\": " + JsonString(record.result.reason);
        if (dryRun)
            line += ", \"dry_run\": true";
        WriteLine(out, line + "}");
    }
    return std::fflush(out) == 0 && !std::ferror(out);
}

bool PrintJsonSummary(const JsonSummary& run, std::FILE* out)
{
    std::string line = "{\"summary\": {\"found\": " + std::to_string(run.found);
    if (run.deletion) {
        for (DeletionOutcome outcome : {DeletionOutcome::Sent, DeletionOutcome::AlreadyGone, DeletionOutcome::Kept,
                                        DeletionOutcome::Failed})
            line += ", " + JsonString(OutcomeName(outcome, run.directly)) + ": " +
                    std::to_string(run.deletion->count(outcome));
        if (run.deletion->stopped)
            line += ", \"stopped\": true";
        if (run.dryRun)
            line += ", \"dry_run\": true";
    }
    line += ", \"unreadable\": {\"count\": " + std::to_string(run.unreadable.size()) + ", \"folders\": [";
    for (std::size_t i = 0; i < run.unreadable.size(); ++i)
        line += (i == 0 ? "{" : ", {") + JsonPathMembers(ToNativePath(run.unreadable[i])) + "}";
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", run.seconds);
    line += std::string("]}, \"duration_seconds\": ") + seconds + "}}";
    WriteLine(out, line);
    return std::fflush(out) == 0 && !std::ferror(out);
}

bool PrintResults(const ResultsList& results, std::FILE* out, bool print0)
{
    const char end = print0 ? '\0' : '\n';
    for (std::size_t i = 1; i <= results.count(); ++i) {
        // A line break inside a name would make one folder read as two.
        std::string path = ToNativePath(results.text(i));
        if (!print0 && NeedsShellQuoting(path))
            path = ShellQuoted(path);
        std::fwrite(path.data(), 1, path.size(), out);
        std::fputc(end, out);
    }
    return std::fflush(out) == 0 && !std::ferror(out);
}

namespace {

// The run's hooks as deletion sees them: Ctrl-C asks it to stop between two
// folders, but nothing in it yields to the run's hooks, whose yield ends the
// program at once after Ctrl-C, in the middle of a folder.
class BetweenFolders final : public ScanHooks {
public:
    explicit BetweenFolders(ScanHooks& run) : run_(run) {}
    bool stopRequested() override { return run_.stopRequested(); }

private:
    ScanHooks& run_;
};

} // namespace

bool DisposeOfResults(ResultsList& results, Settings& settings, CliServices& services, bool directly,
                      bool zeroByteFilesAsked, DeletionSummary* outcomes, bool dryRun)
{
    std::optional<DryRunDisk> dry;
    if (dryRun)
        dry.emplace(services.fs);
    FileSystem& fs = dry ? static_cast<FileSystem&>(*dry) : services.fs;
    // The fresh look gets hooks that never stop: a folder at hand is always
    // finished.
    ScanHooks still;
    DeletionContext context{fs, settings, dry ? static_cast<Trash&>(*dry) : *services.trash,
                            dry ? static_cast<DirectRemover&>(*dry) : *services.remover,
                            [&](const std::string& path) { return HoldsContent(fs, settings, path, still); }};
    if (!zeroByteFilesAsked)
        context.zeroByteFilesKeptBecause = "holds zero-byte files; give --zero-byte-empty 1 to delete them";
    Trap trap(services.prompter, kSendCheckedPath);
    BetweenFolders progress(services.hooks);
    const DeletionSummary summary = DeleteCheckedEntries(results, context, trap, progress);
    if (outcomes)
        *outcomes = summary;
    DeletionSummary shown = summary;
    for (DeletionRecord& record : shown.records)
        record.path = ShellQuoted(ToNativePath(record.path));
    if (dryRun) {
        for (const DeletionRecord& record : shown.records) {
            if (record.result.outcome == DeletionOutcome::Sent)
                services.prompter.note(record.path + (directly ? ": would be deleted" : ": would be sent to the trash"));
            else if (record.result.outcome == DeletionOutcome::AlreadyGone)
                services.prompter.note(record.path + ": already gone by then");
        }
    }
    for (const std::string& line : NotDeletedLines(shown))
        services.prompter.message(line);
    std::string counts = DeletionCountsLine(summary, directly);
    if (dryRun) {
        const std::string_view done = directly ? " deleted" : " sent to the trash";
        counts.insert(counts.find(done) + 1, "would be ");
        counts = "dry run, nothing changed: " + counts;
    }
    services.prompter.note(counts);
    if (summary.stopped) {
        const std::size_t left = summary.chosen - summary.records.size();
        services.prompter.note("stopped by Ctrl-C; " + std::to_string(left) + (left == 1 ? " folder" : " folders") +
                               " left as " + (left == 1 ? "it was" : "they were"));
    }
    return !summary.stopped && !summary.anyLeft() && trap.reports() == 0;
}

ExitStatus RunCommandLine(const CommandLine& line, CliServices& services)
{
    const auto started = std::chrono::steady_clock::now();
    RunSettingsStore stored(services.store);
    OverlaySettingsStore options(stored);
    ApplyOptions(line, options);
    Settings settings(options);
    ScanExtras extras;
    extras.oneFileSystem = line.oneFileSystem;
    extras.excludes = line.excludes;
    if (line.junkDefault)
        extras.junkNames = ScanExtras::defaultJunkNames();
    extras.junkNames.insert(extras.junkNames.end(), line.junkNames.begin(), line.junkNames.end());
    extras.minAge = line.minAge;
    if (!extras.junkNames.empty() || extras.minAge || extras.oneFileSystem || !extras.excludes.empty())
        settings.setExtras(&extras);
    if (!CheckOptions(settings, services.prompter))
        return ExitStatus::Failure;

    auto collected = CollectRoots(line, services);
    if (services.hooks.stopRequested())
        return ExitStatus::Interrupted;
    if (const auto* error = std::get_if<UsageError>(&collected)) {
        services.prompter.message(error->message);
        return ExitStatus::Usage;
    }
    MemoryFolderList& roots = std::get<MemoryFolderList>(collected);
    if (roots.count() == 0) {
        services.prompter.message("No folders added.");
        return ExitStatus::Failure;
    }

    MemoryResultsList results;
    ScanEnvironment env{services.fs, settings, roots, results, services.hooks, services.prompter};
    Trap trap(services.prompter, kScanProcedure);
    const ScanSummary summary = RunScan(env, trap);
    if (services.hooks.stopRequested())
        return ExitStatus::Interrupted;
    for (const std::string& root : services.hooks.systemRoots())
        services.prompter.message(ShellQuoted(ToNativePath(root)) +
                                  " lies in a system folder, so nothing below it was listed; give --skip-system 0 "
                                  "to search it");

    // Depths count below the root as given and below its real path, which
    // results below a root reached through a link may start with.
    std::vector<std::string> depthRoots;
    if (line.json) {
        for (const std::string& root : roots.entries()) {
            depthRoots.push_back(root);
            if (auto real = services.fs.realPath(WithoutTrailingSeparator(root)))
                depthRoots.push_back(real.value());
        }
    }
    const bool acting = line.trash || line.deleteDirectly;
    const bool printed = !line.json ? PrintResults(results, services.out, line.print0)
                                    : acting || PrintJsonResults(results, services.out, depthRoots);
    if (!printed) {
        services.prompter.message(std::string("cannot write the results: ") + std::strerror(errno));
        return ExitStatus::Failure;
    }

    JsonSummary jsonSummary;
    jsonSummary.found = results.count();
    jsonSummary.directly = line.deleteDirectly;
    jsonSummary.dryRun = line.dryRun;
    bool allDeleted = true;
    if (acting) {
        options.override(kCombo1, line.deleteDirectly ? "1" : "0");
        DeletionSummary outcomes;
        allDeleted = DisposeOfResults(results, settings, services, line.deleteDirectly, line.check1 == "1",
                                      &outcomes, line.dryRun);
        if (line.json && !PrintJsonOutcomes(outcomes, services.out, depthRoots, line.deleteDirectly, line.dryRun))
            services.prompter.message(std::string("cannot write the results: ") + std::strerror(errno));
        jsonSummary.deletion = std::move(outcomes);
    }
    if (line.json) {
        jsonSummary.unreadable = services.hooks.allUnreadable();
        jsonSummary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (!PrintJsonSummary(jsonSummary, services.out))
            services.prompter.message(std::string("cannot write the results: ") + std::strerror(errno));
    }
    if (acting && services.hooks.stopRequested())
        return ExitStatus::Interrupted;

    ReportUnreadable(services.hooks, services.prompter);
    if (summary.missingRoots > 0 || services.prompter.problems() > 0 || !allDeleted)
        return ExitStatus::Failure;
    return ExitStatus::Success;
}

} // namespace vacantix::cli
