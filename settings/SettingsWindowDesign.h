// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

#include "base/WindowDesign.h"

namespace vacantix {

// The settings window as designed: its controls in tab order with captions
// and places in twips (a control in a frame is placed within the frame), its
// size, and the texts its load puts into the controls.

inline constexpr std::string_view kSettingsCaption = "Settings";

// The client area in twips.
inline constexpr int kSettingsWindowWidth = 8040;
inline constexpr int kSettingsWindowHeight = 5085;

// The three check boxes, named by what they say; each value is the number of
// its design name (Check1 ... Check3), of its handler and of its settings key.
enum class OptionBox : int {
    ZeroByteFilesCountAsEmpty = 1, // "Directories with files that are 0 KB count as empty"
    SkipSystemFolders = 2,         // "Skip system directories (recommended)"
    IgnoreHiddenFolders = 3,       // "Ignore hidden folders"
};

// The delete mode's items, by list position.
inline constexpr std::string_view kDeleteModeItems[] = {"Delete to recycle bin", "Delete directly"};

// What the ignore list's box holds before the load replaces it: the default
// names, each followed by a line end (the stored default has none after the
// last).
inline constexpr std::string_view kDesignIgnoreListText =
    "System Volume Information\r\nRECYCLER\r\nRecycled\r\nNtUninstall\r\n$RECYCLE.BIN\r\n";

// The controls in tab order. Label1 may use the gap up to the combo box.
inline constexpr ControlDesign kSettingsWindowControls[] = {
    {"Frame1", ControlKind::Frame, 1, "General Options", {120, 120, 7800, 1935}},
    {"Label1", ControlKind::Label, 1, "Delete Mode:", {240, 360, 1095, 225}, "Frame1", 1440 - 240},
    {"Combo1", ControlKind::ComboBox, 1, "", {1440, 300, 6100, 345}, "Frame1"},
    {"Check1", ControlKind::CheckBox, 1, "Directories with files that are 0 KB count as empty",
     {240, 720, 4695, 255}, "Frame1"},
    {"Check2", ControlKind::CheckBox, 2, "Skip system directories (recommended)", {240, 1080, 4695, 255}, "Frame1"},
    {"Check3", ControlKind::CheckBox, 3, "Ignore hidden folders", {240, 1440, 4695, 255}, "Frame1"},
    {"Frame2", ControlKind::Frame, 2, "Ignore these directory names when searching", {120, 2160, 7800, 2295}},
    {"Text1", ControlKind::TextBox, 1, "", {240, 360, 7300, 1695}, "Frame2"},
    {"PushButton7", ControlKind::PushButton, 7, "OK", {120, 4560, 7800, 405}},
};

} // namespace vacantix
