// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "app/MainWindowDesign.h"
#include "base/qt/Appearance.h"
#include "platform/PlatformServices.h"
#include "settings/SettingsWindow.h"
#include "settings/SettingsWindowDesign.h"
#include "settings/qt/Form2.h"

namespace vacantix::test {

// The settings window in Qt over its core, loaded as "Settings" loads it but
// not shown, at `scale` (the main window's), else at the scale both windows
// share on this screen.
struct QtSettingsWindow {
    QtSettingsWindow(Settings& settings, Prompter& prompter, std::string programFolder, QWidget* owner = nullptr,
                     double scale = 0)
        : core(settings, prompter, *disk, std::move(programFolder)), form(core, scale > 0 ? scale : Shared(), owner)
    {
        core.attach(form);
        core.Form_Load();
    }

    static double Shared()
    {
        const QWidget screen;
        return DesignScale(DpiScale(screen), QtCaptionMetrics(screen), {kMainWindowControls, kSettingsWindowControls});
    }

    std::unique_ptr<FileSystem> disk = MakeFileSystem();
    SettingsWindow core;
    Form2 form;
};

} // namespace vacantix::test
