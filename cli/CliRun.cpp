// SPDX-License-Identifier: GPL-3.0-or-later
// One run of vacantix-cli, in the order the user sees it: the options for
// this run are put over the stored ones, the roots are collected from list
// files and arguments, the scan run searches them and checks every result,
// and the results are printed; with --trash or --delete they are then dealt
// with one by one, each looked at afresh right before it goes.
#include "cli/CliRun.h"

#include <chrono>

#include "base/ErrorReport.h"
#include "base/ProcedurePaths.h"
#include "cli/Disposal.h"
#include "cli/DistinctResults.h"
#include "cli/JsonLines.h"
#include "cli/OutputWriter.h"
#include "platform/Failure.h"
#include "platform/Notices.h"
#include "platform/PathRoot.h"
#include "platform/ShellQuote.h"
#include "roots/ListFile.h"
#include "scan/ExcludedPaths.h"
#include "scan/ScanRun.h"
#include "settings/Settings.h"

namespace vacantix::cli {

namespace {

// The scan run reports its failures under the scan command's name, so that
// a report reads the same in the window and on the command line.

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
        path = ChildPath(path, part);
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
        roots.append(WithoutParentSteps(AbsoluteRoot(root, services.currentFolder.path.value_or(std::string())),
                                        services.fs));
    }
    return roots;
}

std::string WithoutParentSteps(const std::string& root, FileSystem& fs)
{
    const std::size_t last = root.rfind("/../");
    if (last == std::string::npos)
        return root;
    const auto real = fs.realPath(root.substr(0, last + 3));
    return real ? ChildPath(real.value(), std::string_view(root).substr(last + 4)) : root;
}

void PrintResults(const ResultsList& results, OutputWriter& out, bool print0, const std::function<bool()>& stop)
{
    const std::string_view end = print0 ? std::string_view("\0", 1) : "\n";
    for (std::size_t i = 1; i <= results.count() && !stop(); ++i) {
        // A line break inside a name would make one folder read as two.
        const std::string native = ToNativePath(results.text(i));
        if (print0 || !NeedsShellQuoting(native))
            out.write(native);
        else
            out.write(ShellQuoted(native));
        out.write(end);
    }
}

namespace {

// The extra choices of the command line, none of which the window knows.
ScanExtras ExtrasOf(const CommandLine& line)
{
    ScanExtras extras;
    extras.oneFileSystem = line.oneFileSystem;
    extras.excludes = line.excludes;
    extras.includeProgramFolders = line.includeProgramFolders;
    if (line.junkDefault)
        extras.junkNames = ScanExtras::defaultJunkNames();
    extras.junkNames.insert(extras.junkNames.end(), line.junkNames.begin(), line.junkNames.end());
    extras.minAge = line.minAge;
    return extras;
}

[[nodiscard]] bool AnyAskedFor(const ScanExtras& extras)
{
    return !extras.junkNames.empty() || extras.minAge || extras.oneFileSystem || !extras.excludes.empty() ||
           extras.includeProgramFolders;
}

// One run of the command line, step by step; each step works on what the
// steps before it left in the members.
class Run {
public:
    Run(const CommandLine& line, CliServices& services)
        : line_(line), services_(services), stored_(services.store), options_(stored_), settings_(options_),
          extras_(ExtrasOf(line)), out_(services.out)
    {
        ApplyOptions(line, options_);
        if (AnyAskedFor(extras_))
            settings_.setExtras(&extras_);
    }

    [[nodiscard]] ExitStatus go();

private:
    // Collects the roots; the status the run ends with when it cannot go on.
    [[nodiscard]] std::optional<ExitStatus> collectRoots();
    void scan();
    void printFound();
    void dispose();
    void printJsonSummary();
    // Depths count below each root as given and below its real path, which
    // results below a root reached through a link may start with.
    [[nodiscard]] std::vector<std::string> depthRoots() const;
    [[nodiscard]] bool acting() const { return line_.trash || line_.deleteDirectly; }
    [[nodiscard]] bool stopRequested() const { return services_.hooks.stopRequested(); }
    [[nodiscard]] ExitStatus stopped() const { return StoppedBy(services_.hooks.stopSignal()); }
    // False, after saying so, when the output could not be written.
    bool flushOutput();

    const CommandLine& line_;
    CliServices& services_;
    const std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    RunSettingsStore stored_;
    OverlaySettingsStore options_;
    Settings settings_;
    ScanExtras extras_;
    MemoryFolderList roots_;
    MemoryResultsList results_;
    ScanSummary scan_;
    std::size_t found_ = 0; // the results of the scan, before any went
    std::vector<std::string> depthRoots_;
    OutputWriter out_;
    std::optional<DeletionSummary> deletion_;
};

ExitStatus Run::go()
{
    if (!CheckOptions(settings_, services_.prompter))
        return ExitStatus::Failure;
    if (const auto ended = collectRoots())
        return *ended;
    scan();
    if (stopRequested())
        return stopped();
    if (line_.json)
        depthRoots_ = depthRoots();
    printFound();
    if (!flushOutput())
        return ExitStatus::Failure;
    if (acting())
        dispose();
    if (line_.json)
        printJsonSummary();
    flushOutput();
    if (stopRequested())
        return stopped();
    ReportUnreadable(services_.hooks, services_.prompter);
    const bool allDeleted = !deletion_ || !deletion_->anyLeft();
    if (scan_.missingRoots > 0 || services_.prompter.problems() > 0 || !allDeleted)
        return ExitStatus::Failure;
    return ExitStatus::Success;
}

std::optional<ExitStatus> Run::collectRoots()
{
    auto collected = CollectRoots(line_, services_);
    if (stopRequested())
        return stopped();
    if (const auto* error = std::get_if<UsageError>(&collected)) {
        services_.prompter.message(error->message);
        return ExitStatus::Usage;
    }
    roots_ = std::move(std::get<MemoryFolderList>(collected));
    if (roots_.count() == 0) {
        services_.prompter.message("No folders added.");
        return ExitStatus::Failure;
    }
    return std::nullopt;
}

void Run::scan()
{
    // Each folder once, though roots repeat or overlap.
    DistinctResults distinct(results_, DropRepeatedRoots(roots_, services_.fs));
    ScanEnvironment env{services_.fs, settings_, roots_, distinct, services_.hooks, services_.prompter};
    // The scan reports under the scan command's name, so that a report
    // reads the same in the window and on the command line; the numbers are
    // the error report's line numbers.
    Trap trap(services_.prompter, kScanPath);
    scan_ = RunScan(env, trap);
    found_ = results_.count();
    if (stopRequested())
        return;
    // What the file system mended on its own while it was read (files a
    // stopped run had set aside, put back).
    for (const std::string& notice : TakeNotices())
        services_.prompter.note(notice);
    for (const std::string& root : services_.hooks.systemRoots())
        services_.prompter.message(ShellQuoted(ToNativePath(root)) +
                                   " lies in a system folder, so nothing below it was listed; give --skip-system 0 "
                                   "to search it");
}

std::vector<std::string> Run::depthRoots() const
{
    std::vector<std::string> roots;
    for (const std::string& root : roots_.entries()) {
        roots.push_back(root);
        if (auto real = services_.fs.realPath(WithoutTrailingSeparator(root)))
            roots.push_back(real.value());
    }
    return roots;
}

void Run::printFound()
{
    const auto stop = [this] { return stopRequested(); };
    if (!line_.json)
        PrintResults(results_, out_, line_.print0, stop);
    else if (!acting()) // the outcomes name the folders instead
        PrintJsonResults(results_, out_, depthRoots_, stop);
}

void Run::dispose()
{
    options_.override(kCombo1, line_.deleteDirectly ? "1" : "0");
    const Disposal disposal{line_.deleteDirectly, line_.check1 == "1", line_.dryRun, roots_.entries()};
    deletion_ = DisposeOfResults(results_, settings_, services_, disposal);
    ReportDisposal(*deletion_, disposal, services_);
    if (line_.json)
        PrintJsonOutcomes(*deletion_, out_, depthRoots_, line_.deleteDirectly, line_.dryRun);
}

void Run::printJsonSummary()
{
    JsonSummary summary;
    summary.found = found_;
    summary.directly = line_.deleteDirectly;
    summary.dryRun = line_.dryRun;
    summary.deletion = deletion_;
    summary.unreadable = services_.hooks.allUnreadable();
    summary.stopped = stopRequested();
    summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    PrintJsonSummary(summary, out_);
}

bool Run::flushOutput()
{
    if (out_.flush())
        return true;
    services_.prompter.message("cannot write the results: " + out_.failure());
    return false;
}

} // namespace

ExitStatus RunCommandLine(const CommandLine& line, CliServices& services)
{
    return Run(line, services).go();
}

} // namespace vacantix::cli
