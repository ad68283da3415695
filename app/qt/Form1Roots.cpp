// SPDX-License-Identifier: GPL-3.0-or-later
// The folder picker, the settings window and the sample folders of the main
// window.
#include <QFile>

#include "app/qt/Form1.h"
#include "platform/qt/DesktopFolderOpener.h"
#include "roots/FolderPicker.h"
#include "roots/SampleFolders.h"
#include "roots/qt/SampleLocation.h"
#include "settings/qt/Form2.h"

namespace vacantix {

void Form1::PushButton6_Click()
{
    if (scanActive_)
        return;
    AddOneFolder(roots(), prompter_);
}

void Form1::PushButton8_Click()
{
    Trap trap(prompter_, "in Vacantix2021/08/31.Form1.PushButton8_Click ");
    trap.step(100, [&] {
        Form2 form(settings_, prompter_, programFolder_, this);
        form.exec();
    });
}

void Form1::PushButton10_Click()
{
    if (scanActive_)
        return;
    LoadSampleFolders(roots(), prompter_, folderOpener(), sampleRoot());
}

FolderOpener& Form1::folderOpener() const
{
    static DesktopFolderOpener desktop;
    return folderOpener_ ? *folderOpener_ : desktop;
}

std::string Form1::sampleRoot() const
{
    return QFile::encodeName(PrepareSampleRoot(QFile::decodeName(programFolder_.c_str()))).toStdString();
}

void Form1::ensureSampleFolders(Trap& trap)
{
    EnsureEmptySampleFolders(fs_, sampleRoot(), trap);
}

} // namespace vacantix
