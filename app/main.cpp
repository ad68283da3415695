// SPDX-License-Identifier: GPL-3.0-or-later
// The window program. With VACANTIX_AUTOSCAN set to a folder it measures
// instead: the window scans that folder at once, answers its own boxes on
// stderr, prints the time taken and the longest wait between two turns of
// the event loop, and ends. With VACANTIX_AUTOTRASH set to a number N as
// well, it then times the list's commands and sends the first N results to
// the trash.
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "app/qt/Form1.h"
#include "platform/PlatformServices.h"
#include "platform/ReadAheadFileSystem.h"
#include "platform/qt/QtPrompter.h"
#include "platform/qt/QtSettingsStore.h"
#include "settings/Settings.h"

namespace {

using namespace vacantix;

// Answers every box at once, for measuring runs without a person.
class UnattendedPrompter final : public Prompter {
public:
    void message(std::string_view text) override { std::fprintf(stderr, "vacantix: %.*s\n", int(text.size()), text.data()); }
    bool ask(std::string_view text) override
    {
        message(text);
        return false;
    }
    void errorReport(std::string_view text) override { message(text); }
    std::vector<std::string> openFiles(std::string_view, std::string_view) override { return {}; }
    std::optional<std::string> saveFile(std::string_view, std::string_view) override { return std::nullopt; }
    std::optional<std::string> chooseFolder(std::string_view) override { return std::nullopt; }
};

// The processor time this thread has used, in nanoseconds.
qint64 ThreadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The longest gap between two turns of the event loop while it runs, seen
// by a timer that asks for a turn every 5 ms; also the most processor time
// the window spent within one gap, which leaves out waits for the disk and
// for other programs on a busy machine.
class TurnGauge {
public:
    TurnGauge()
    {
        turns_.setInterval(5);
        QObject::connect(&turns_, &QTimer::timeout, [this] { turn(); });
    }

    struct Took {
        double seconds;
        double longestGapMs;
        double mostCpuInGapMs;
    };

    // Runs `command` and tells what it took.
    Took run(const std::function<void()>& command)
    {
        longestGapNs_ = longestCpuGapNs_ = 0;
        cpuAtTurn_ = ThreadCpuNs();
        QElapsedTimer elapsed;
        elapsed.start();
        sinceTurn_.start();
        turns_.start();
        command();
        turn();
        turns_.stop();
        return {double(elapsed.nsecsElapsed()) / 1e9, double(longestGapNs_) / 1e6, double(longestCpuGapNs_) / 1e6};
    }

    // Runs `command`, then prints what it took after `what`.
    void measure(const char* what, const std::function<void()>& command)
    {
        const Took took = run(command);
        std::printf("%s in %.3f s; longest gap between event-loop turns %.1f ms "
                    "(most processor time within a gap %.1f ms)\n",
                    what, took.seconds, took.longestGapMs, took.mostCpuInGapMs);
        std::fflush(stdout);
    }

private:
    void turn()
    {
        longestGapNs_ = std::max(longestGapNs_, sinceTurn_.nsecsElapsed());
        sinceTurn_.restart();
        const qint64 cpu = ThreadCpuNs();
        longestCpuGapNs_ = std::max(longestCpuGapNs_, cpu - cpuAtTurn_);
        cpuAtTurn_ = cpu;
    }

    QTimer turns_;
    QElapsedTimer sinceTurn_;
    qint64 longestGapNs_ = 0;
    qint64 cpuAtTurn_ = 0;
    qint64 longestCpuGapNs_ = 0;
};

// Times a scan of `root` in the window. With `trash` above 0, then times
// what a person would do with the list: Uncheck All, Check All, a scroll
// through it in twenty steps, and sending the first `trash` entries to the
// trash (which takes them from the disk: only for a tree made to be used up).
void MeasureScan(Form1& form, const std::string& root, std::size_t trash)
{
    MainWindow& window = form.core();
    TurnGauge gauge;
    window.folderList().append(WithTrailingSeparator(root));
    const TurnGauge::Took scan = gauge.run([&] { window.PushButton4_Click(); });
    // The first line keeps its form: bench/run.sh reads it.
    std::printf("window scan: %zu results in %.3f s; longest gap between event-loop turns %.1f ms "
                "(between yields %.1f ms)\n"
                "  most processor time within a gap %.1f ms\n",
                window.results().count(), scan.seconds, scan.longestGapMs, window.longestYieldGapMs(),
                scan.mostCpuInGapMs);
    std::fflush(stdout);
    if (trash == 0)
        return;
    gauge.measure("Uncheck All", [&] { window.PushButton3_Click(); });
    gauge.measure("Check All", [&] { window.PushButton2_Click(); });
    QTreeView* view = form.listView2();
    gauge.measure("scroll in twenty steps", [&] {
        for (int step = 0; step <= 20; ++step) {
            view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() * step / 20);
            view->viewport()->repaint();
            QCoreApplication::processEvents();
        }
    });
    window.PushButton3_Click();
    const std::size_t chosen = std::min(trash, window.results().count());
    for (std::size_t position = 1; position <= chosen; ++position)
        window.results().setChecked(position, true);
    QCoreApplication::processEvents();
    gauge.measure("sending the first entries to the trash", [&] { window.PushButton5_Click(); });
    std::printf("  %zu chosen, %zu results left\n", chosen, window.results().count());
}

// Answers --help and --version as every program does, before any window
// system is asked for; every other argument is left to Qt, which takes its
// own options (-platform, -style) and ignores the rest. Returns the exit
// status when the program is to end at once.
std::optional<int> AnswerCommandLine(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::printf("Usage: vacantix [Qt option]...\n"
                        "Finds the empty folders below the folders you choose, lists them with check\n"
                        "boxes, and sends the checked ones to the trash.\n\n"
                        "  -h, --help     show this help and exit\n"
                        "  -V, --version  show the version and exit\n\n"
                        "The same search for scripts and servers: vacantix-cli --help.\n");
            return 0;
        }
        if (arg == "--version" || arg == "-V") {
            std::printf("vacantix %s\n", VACANTIX_VERSION);
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> status = AnswerCommandLine(argc, argv))
        return *status;
    QApplication app(argc, argv);
    // Names the desktop entry, so the desktop matches the window to its menu
    // entry and icon (the Wayland app id; X11 matches StartupWMClass).
    QGuiApplication::setDesktopFileName(QStringLiteral("example.quillmark.Vacantix"));
    const std::unique_ptr<FileSystem> disk = MakeFileSystem();
    ReadAheadFileSystem fs(*disk, ReadAheadReaders(), [] { return MakeFileSystem(); });
    QtSettingsStore store;
    Settings settings(store);

    const QByteArray autoScan = qgetenv("VACANTIX_AUTOSCAN");
    QtPrompter windowPrompter;
    UnattendedPrompter unattended;
    Prompter& prompter = autoScan.isEmpty() ? static_cast<Prompter&>(windowPrompter) : unattended;

    Form1 form(fs, settings, prompter, NativePath(QCoreApplication::applicationDirPath()));
    windowPrompter.setParent(&form);
    form.core().Form_Load();
    form.show();

    if (!autoScan.isEmpty()) {
        QTimer::singleShot(0, &form, [&] {
            MeasureScan(form, autoScan.toStdString(), qEnvironmentVariableIntValue("VACANTIX_AUTOTRASH"));
            form.close();
        });
    }
    return app.exec();
}
