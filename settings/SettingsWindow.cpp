// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsWindow.h"

#include "base/ErrorReport.h"
#include "base/ProcedurePaths.h"
#include "platform/Failure.h"

namespace vacantix {

namespace {

// A control refuses a value outside its range as the run-time does.
Failure InvalidPropertyValue()
{
    return Failure(380, "Invalid property value");
}

std::string_view KeyOf(OptionBox box)
{
    switch (box) {
    case OptionBox::ZeroByteFilesCountAsEmpty:
        return kCheck1;
    case OptionBox::SkipSystemFolders:
        return kCheck2;
    case OptionBox::IgnoreHiddenFolders:
        return kCheck3;
    }
    return kCheck1;
}

} // namespace

SettingsWindow::SettingsWindow(Settings& settings, Prompter& prompter, FileSystem& fs, std::string programFolder)
    : settings_(settings), prompter_(prompter), fs_(fs), programFolder_(std::move(programFolder))
{
}

void SettingsWindow::Form_Load()
{
    // The numbers are the error report's line numbers.
    Trap trap(prompter_, kSettingsLoadPath);
    trap.step(100, [&] { view_->setFormBackColors(); });
    trap.step(102, [&] { view_->showProgramIcon(); });
    trap.step(104, [&] {
        view_->addDeleteModeItem(kDeleteModeItems[0]);
        ++deleteModeItems_;
    });
    trap.step(106, [&] {
        view_->addDeleteModeItem(kDeleteModeItems[1]);
        ++deleteModeItems_;
    });
    trap.step(108, [&] {
        const int position = settings_.deleteModePosition();
        if (position < -1 || position >= deleteModeItems_)
            throw InvalidPropertyValue();
        view_->setDeleteMode(position);
    });
    trap.step(110, [&] { view_->setOption(OptionBox::ZeroByteFilesCountAsEmpty, CheckStateFromStored(settings_.checkBoxState(Option::ZeroByteFilesCountAsEmpty))); });
    trap.step(112, [&] { view_->setOption(OptionBox::SkipSystemFolders, CheckStateFromStored(settings_.checkBoxState(Option::SkipSystemFolders))); });
    trap.step(114, [&] { view_->setOption(OptionBox::IgnoreHiddenFolders, CheckStateFromStored(settings_.checkBoxState(Option::IgnoreHiddenFolders))); });
    trap.step(116, [&] {
        const std::string stored = settings_.text1();
        loadingIgnoreList_ = true;
        ignoreListShownAnew_ = false;
        view_->setIgnoreList(stored);
        loadingIgnoreList_ = false;
        if (!ignoreListShownAnew_)
            return;
        loadedIgnoreList_ = stored;
        settings_.write(kText1, stored);
    });
    const std::string cursorFile = ChildPath(programFolder_, "HAND-M.CUR");
    if (trap.test(118, [&] { return fs_.fileExists(cursorFile); })) {
        trap.step(120, [&] {
            view_->loadCustomPointer(cursorFile);
            customPointerLoaded_ = true;
        });
    }
    view_->centreOnScreen();
}

int SettingsWindow::CheckStateFromStored(std::int16_t value)
{
    if (value < 0 || value > 2)
        throw InvalidPropertyValue();
    return value;
}

void SettingsWindow::optionClicked(OptionBox box, int state)
{
    settings_.write(KeyOf(box), std::to_string(state));
}

void SettingsWindow::Check1_Click(int state)
{
    optionClicked(OptionBox::ZeroByteFilesCountAsEmpty, state);
}

void SettingsWindow::Check2_Click(int state)
{
    optionClicked(OptionBox::SkipSystemFolders, state);
}

void SettingsWindow::Check3_Click(int state)
{
    optionClicked(OptionBox::IgnoreHiddenFolders, state);
}

void SettingsWindow::Combo1_Click(int position)
{
    settings_.write(kCombo1, std::to_string(position));
}

void SettingsWindow::Text1_Change(std::string_view shown)
{
    if (loadingIgnoreList_) {
        // The load stores what it read, once it knows how the box shows it.
        ignoreListShownAnew_ = true;
        loadedIgnoreListShown_ = std::string(shown);
        return;
    }
    if (loadedIgnoreListShown_ && shown == *loadedIgnoreListShown_)
        settings_.write(kText1, loadedIgnoreList_);
    else
        settings_.write(kText1, shown);
}

void SettingsWindow::PushButton7_Click()
{
    Trap trap(prompter_, kSettingsOkPath);
    trap.step(100, [&] { view_->unload(); });
}

void SettingsWindow::setMousePointer(int value)
{
    mousePointer_ = value;
    view_->showMousePointer(value);
}

void SettingsWindow::setPointerUnlessBusy(int value)
{
    if (mousePointer_ != BusyPointer)
        setMousePointer(value);
}

void SettingsWindow::Form_MouseMove()
{
    setPointerUnlessBusy(DefaultPointer);
}

void SettingsWindow::Frame1_MouseMove()
{
    setPointerUnlessBusy(DefaultPointer);
}

void SettingsWindow::Frame2_MouseMove()
{
    setPointerUnlessBusy(DefaultPointer);
}

void SettingsWindow::PushButton7_MouseMove()
{
    setPointerUnlessBusy(CustomPointer);
}

} // namespace vacantix
