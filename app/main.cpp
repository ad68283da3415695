// SPDX-License-Identifier: GPL-3.0-or-later
// The window program. With VACANTIX_AUTOSCAN set to a folder it measures
// instead: the window scans that folder at once, answers its own boxes on
// stderr, prints the time taken and the longest wait between two turns of
// the event loop, and ends.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <optional>

#include "app/qt/Form1.h"
#include "platform/PlatformServices.h"
#include "platform/qt/QtPrompter.h"
#include "platform/qt/QtSettingsStore.h"
#include "results/ResultsList.h"
#include "roots/FolderList.h"
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

// Times a scan of `root` in the window and the longest gap between two
// turns of the event loop, seen by a timer that asks for a turn every 5 ms.
void MeasureScan(Form1& form, const std::string& root)
{
    QElapsedTimer sinceTurn;
    qint64 longestGapNs = 0;
    QTimer turns;
    turns.setInterval(5);
    QObject::connect(&turns, &QTimer::timeout, [&] {
        longestGapNs = std::max(longestGapNs, sinceTurn.nsecsElapsed());
        sinceTurn.restart();
    });
    form.roots().append(root.ends_with('/') ? root : root + "/");
    QElapsedTimer elapsed;
    elapsed.start();
    sinceTurn.start();
    turns.start();
    form.PushButton4_Click();
    const double seconds = double(elapsed.nsecsElapsed()) / 1e9;
    std::printf("window scan: %zu results in %.3f s; longest gap between event-loop turns %.1f ms "
                "(between yields %.1f ms)\n",
                form.results().count(), seconds, double(longestGapNs) / 1e6, form.longestYieldGapMs());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Names the desktop entry, so the desktop matches the window to its menu
    // entry and icon (the Wayland app id; X11 matches StartupWMClass).
    QGuiApplication::setDesktopFileName(QStringLiteral("example.quillmark.Vacantix"));
    const std::unique_ptr<FileSystem> disk = MakeFileSystem();
    FileSystem& fs = *disk;
    QtSettingsStore store;
    Settings settings(store);

    const QByteArray autoScan = qgetenv("VACANTIX_AUTOSCAN");
    QtPrompter windowPrompter;
    UnattendedPrompter unattended;
    Prompter& prompter = autoScan.isEmpty() ? static_cast<Prompter&>(windowPrompter) : unattended;

    Form1 form(fs, settings, prompter, NativePath(QCoreApplication::applicationDirPath()));
    windowPrompter.setParent(&form);
    form.Form_Load();
    form.show();

    if (!autoScan.isEmpty()) {
        QTimer::singleShot(0, &form, [&] {
            MeasureScan(form, autoScan.toStdString());
            form.close();
        });
    }
    return app.exec();
}
