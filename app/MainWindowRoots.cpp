// SPDX-License-Identifier: GPL-3.0-or-later
// The folder list's commands of the main window: list files, the picker,
// the samples, clearing, the Delete key and dropped folders; and the
// settings window.
#include "app/MainWindow.h"
#include "base/ProcedurePaths.h"
#include "platform/PathRoot.h"
#include "roots/FolderPicker.h"
#include "roots/ListFile.h"
#include "roots/SampleFolders.h"
#include "settings/SettingsWindow.h"

namespace vacantix {

void MainWindow::PushButton1_Click()
{
    if (scanActive())
        return;
    // The numbers are the error report's line numbers.
    Trap trap(prompter(), kLoadListFilesPath);
    try {
        trap.step(100, [&] { prompter().message("File should look like:\r/test/\r/test2/\retc."); });
        // The dialog's name, flags, title and filter (102 to 108) are
        // arguments of the prompter's open dialog.
        std::vector<std::string> chosen;
        trap.step(110, [&] {
            chosen = prompter().openFiles("Load List(s) - Hold Ctrl to select multiple list files",
                                          "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
        });
        trap.step(114, [&] { setMousePointer(BusyPointer); });
        if (chosen.size() == 1) {
            std::string path;
            trap.step(118, [&] { path = chosen.front(); });
            trap.step(120, [&] { LoadListFile(folders_, path, fileSystem(), prompter(), hooks()); });
        } else if (chosen.size() > 1) {
            for (std::size_t i = 0; i < chosen.size(); ++i) {
                std::string path;
                trap.step(130, [&] { path = chosen[i]; });
                trap.step(132, [&] { path = CollapseDoubleBackslashes(path); });
                trap.step(134, [&] { LoadListFile(folders_, path, fileSystem(), prompter(), hooks()); });
            }
        }
        trap.step(138, [&] { setMousePointer(DefaultPointer); });
    } catch (const WindowClosed&) {
    }
}

void MainWindow::PushButton6_Click()
{
    if (scanActive())
        return;
    AddOneFolder(folders_, prompter());
}

void MainWindow::PushButton7_Click()
{
    Trap trap(prompter(), kClearFoldersPath);
    trap.step(100, [&] {
        if (mousePointer_ != BusyPointer && !scanActive())
            folders_.clear();
    });
}

bool MainWindow::removeFolder(std::size_t position)
{
    if (mousePointer_ == BusyPointer || scanActive() || position < 1 || position > folders_.count())
        return false;
    folders_.remove(position);
    return true;
}

void MainWindow::ListView1_KeyDown(int keyCode)
{
    if (keyCode != kDeleteKeyCode)
        return;
    if (const std::optional<std::size_t> current = view().currentFolder())
        (void)removeFolder(*current);
}

void MainWindow::ListView1_OLEDragDrop(const std::vector<std::string>& paths)
{
    if (!acceptsDrops())
        return;
    std::vector<std::string> refused;
    for (const std::string& path : paths) {
        if (IsAbsolutePath(path) && fileSystem().isDirectory(path))
            folders_.append(CollapseDoubleBackslashes(WithoutTrailingSeparator(path) + "/"));
        else
            refused.push_back(ToNativePath(path));
    }
    folders_.flush();
    if (refused.size() == 1) {
        prompter().message(refused.front() + " is not a folder, so it was not added.");
    } else if (!refused.empty()) {
        std::string text = "These are not folders, so they were not added:";
        for (const std::string& path : refused)
            text += "\n" + path;
        prompter().message(text);
    }
}

void MainWindow::PushButton8_Click()
{
    Trap trap(prompter(), kOpenSettingsPath);
    trap.step(100, [&] {
        SettingsWindow window(settings(), prompter(), fileSystem(), programFolder());
        const std::unique_ptr<SettingsWindowView> shown = view().createSettingsWindow(window);
        window.attach(*shown);
        window.Form_Load();
        shown->showModal();
    });
}

void MainWindow::PushButton10_Click()
{
    if (scanActive())
        return;
    LoadSampleFolders(folders_, prompter(), *opener_, sampleRoot());
}

} // namespace vacantix
