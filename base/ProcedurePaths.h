// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace vacantix {

// The procedure paths that error reports name, one per procedure whose steps
// carry the error trap. Support knows the program by these texts (the old
// window, module and handler names), so they stay exactly as they are, down
// to the blank at the end; the code names each one by what it does.

// The main window.
inline constexpr std::string_view kStartUpPath = "in Vacantix2021/08/31.Form1.Form_Load ";
inline constexpr std::string_view kLoadListFilesPath = "in Vacantix2021/08/31.Form1.PushButton1_Click ";
inline constexpr std::string_view kCheckAllPath = "in Vacantix2021/08/31.Form1.PushButton2_Click ";
inline constexpr std::string_view kUncheckAllPath = "in Vacantix2021/08/31.Form1.PushButton3_Click ";
inline constexpr std::string_view kScanPath = "in Vacantix2021/08/31.Form1.PushButton4_Click ";
inline constexpr std::string_view kSendCheckedPath = "in Vacantix2021/08/31.Form1.PushButton5_Click ";
inline constexpr std::string_view kAddOneFolderPath = "in Vacantix2021/08/31.Form1.PushButton6_Click ";
inline constexpr std::string_view kClearFoldersPath = "in Vacantix2021/08/31.Form1.PushButton7_Click ";
inline constexpr std::string_view kOpenSettingsPath = "in Vacantix2021/08/31.Form1.PushButton8_Click ";
inline constexpr std::string_view kClearResultsPath = "in Vacantix2021/08/31.Form1.PushButton9_Click ";
inline constexpr std::string_view kLoadSamplesPath = "in Vacantix2021/08/31.Form1.PushButton10_Click ";
inline constexpr std::string_view kSaveAsTextFilePath = "in Vacantix2021/08/31.Form1.PushButton11_Click ";
inline constexpr std::string_view kCopyToClipboardPath = "in Vacantix2021/08/31.Form1.PushButton12_Click ";

// The settings window.
inline constexpr std::string_view kSettingsLoadPath = "in Vacantix2021/08/31.Form2.Form_Load ";
inline constexpr std::string_view kSettingsOkPath = "in Vacantix2021/08/31.Form2.PushButton7_Click ";

// The scan engine: the listing of a folder's tree and the emptiness test of
// the final pass (the only path with another project tag).
inline constexpr std::string_view kEnumerationPath = "in TovrinTitle2021/08/31.AddFolder.GetSubDirectories2016 ";
inline constexpr std::string_view kEmptinessTestPath =
    "in Vacantix2021/08/31.modSearch.Brannock_HasAnyFilesInSubfolders ";

} // namespace vacantix
