// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "base/WindowDesign.h"

namespace vacantix {

// The main window as designed: its buttons named by what they do, its
// controls in tab order with captions and places in twips, and its sizes.
// Every toolkit's window is built from these tables.

// The push buttons; each value is the number of its design name
// (PushButton1 ... PushButton12) and of its handler (PushButtonN_Click).
enum class Button : int {
    LoadListFiles = 1,   // "Load List Of Folders From File"
    CheckAll = 2,        // "Check All"
    UncheckAll = 3,      // "Uncheck All"
    Scan = 4,            // "Start Scanning For Empty Folders " / "Stop"
    SendChecked = 5,     // "Send Checked To Recycle Bin"
    AddOneFolder = 6,    // "Add One Folder"
    ClearFolders = 7,    // "Clear List" below the folder list
    OpenSettings = 8,    // "Settings"
    ClearResults = 9,    // "Clear List" below the results list
    LoadSamples = 10,    // "Load Sample/Example Folders"
    SaveAsTextFile = 11, // "Save As Text File"
    CopyToClipboard = 12 // "Copy To Clipboard"
};

inline constexpr int kButtonCount = 12;

// Every button, in the order of their numbers.
inline constexpr std::array<Button, kButtonCount> kButtons = {
    Button::LoadListFiles, Button::CheckAll,     Button::UncheckAll,   Button::Scan,
    Button::SendChecked,   Button::AddOneFolder, Button::ClearFolders, Button::OpenSettings,
    Button::ClearResults,  Button::LoadSamples,  Button::SaveAsTextFile, Button::CopyToClipboard,
};

// The two lists; each value is the number of its design name (ListView1, ListView2).
enum class ListId : int {
    Folders = 1, // the folders to scan
    Results = 2, // the empty folders found, with check boxes
};

// The key code (a Windows virtual-key code) that removes the current entry
// of the folder list, whatever modifier keys are held.
inline constexpr int kDeleteKeyCode = 46;

// The captions of the scan button.
inline constexpr std::string_view kScanCaption = "Start Scanning For Empty Folders ";
inline constexpr std::string_view kStopCaption = "Stop";

// The client area, and the width of each list's one column, in twips.
inline constexpr int kMainWindowWidth = 8040;
inline constexpr int kMainWindowHeight = 7935;
inline constexpr int kListColumnWidth = 7000;

// The controls in tab order. The lists' captions are their column headers.
inline constexpr ControlDesign kMainWindowControls[] = {
    {"ListView1", ControlKind::ListView, 1, "Folders To Scan For Empty Folders", {120, 120, 7800, 1440}},
    {"PushButton6", ControlKind::PushButton, 6, "Add One Folder", {120, 1650, 3840, 405}},
    {"PushButton1", ControlKind::PushButton, 1, "Load List Of Folders From File", {4080, 1650, 3840, 405}},
    {"PushButton7", ControlKind::PushButton, 7, "Clear List", {120, 2160, 3840, 405}},
    {"ListView2", ControlKind::ListView, 2, "Empty Folders", {120, 3675, 7800, 2640}},
    {"PushButton4", ControlKind::PushButton, 4, kScanCaption, {120, 3180, 7800, 405}},
    {"PushButton2", ControlKind::PushButton, 2, "Check All", {120, 6405, 3840, 405}},
    {"PushButton3", ControlKind::PushButton, 3, "Uncheck All", {4080, 6405, 3840, 405}},
    {"PushButton5", ControlKind::PushButton, 5, "Send Checked To Recycle Bin", {4080, 6930, 3840, 405}},
    {"PushButton8", ControlKind::PushButton, 8, "Settings", {120, 2670, 7800, 405}},
    {"PushButton9", ControlKind::PushButton, 9, "Clear List", {120, 6915, 3840, 405}},
    {"PushButton10", ControlKind::PushButton, 10, "Load Sample/Example Folders", {4080, 2160, 3840, 405}},
    {"PushButton11", ControlKind::PushButton, 11, "Save As Text File", {120, 7425, 3840, 405}},
    {"PushButton12", ControlKind::PushButton, 12, "Copy To Clipboard", {4080, 7425, 3840, 405}},
};

// The commands of the lists' context menus, which the design leaves to the
// toolkit's lists: each acts on the row the menu was opened on.
enum class ListCommand : int {
    OpenFolder, // the row's folder in the desktop's file browser
    CopyPath,   // the row's path on the clipboard
    Check,      // checks the result
    Uncheck,    // unchecks the result
    Remove,     // takes the folder out of the folder list, as the Delete key does
};

struct MenuItemDesign {
    ListCommand command;
    std::string_view caption;
};

// The context menus, in menu order.
inline constexpr MenuItemDesign kResultsMenu[] = {{ListCommand::OpenFolder, "Open Folder"},
                                                  {ListCommand::CopyPath, "Copy Path"},
                                                  {ListCommand::Check, "Check"},
                                                  {ListCommand::Uncheck, "Uncheck"}};
inline constexpr MenuItemDesign kFoldersMenu[] = {{ListCommand::Remove, "Remove"},
                                                  {ListCommand::OpenFolder, "Open Folder"}};

[[nodiscard]] constexpr std::span<const MenuItemDesign> MenuOf(ListId list)
{
    if (list == ListId::Folders)
        return kFoldersMenu;
    return kResultsMenu;
}

// The design of a button.
[[nodiscard]] constexpr const ControlDesign& DesignOf(Button button)
{
    for (const ControlDesign& control : kMainWindowControls)
        if (control.kind == ControlKind::PushButton && control.number == static_cast<int>(button))
            return control;
    return kMainWindowControls[0]; // not reached: every button is in the table
}

} // namespace vacantix
