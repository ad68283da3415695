// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "base/ErrorReport.h"
#include "platform/FileSystem.h"
#include "platform/FolderOpener.h"
#include "platform/Prompter.h"
#include "roots/FolderList.h"

namespace vacantix {

inline constexpr std::string_view kOpenSamplesQuestion =
    "Would you like this software to open the folder where these sample folders are stored (so that "
    "you can view them before working with them)?";

// The folders of the sample tree that are meant to be empty, relative to the
// sample root, each parent before its children. Git keeps no empty folder, so
// the build and every start make them; the list comes from
// roots/EmptySampleFolders.txt, which the build reads as well.
[[nodiscard]] std::span<const std::string_view> EmptySampleFolders();

// Start-up: makes every empty sample folder below `sampleRoot` (a path
// without trailing "/") that is not a folder, one level at a time, so a
// missing sample root is not made up. The first two are steps 136 and 138 of
// the start-up; the rest belong to step 138. A folder that cannot be made is
// reported through `trap` under its step, and the others are still made.
void EnsureEmptySampleFolders(FileSystem& fs, std::string_view sampleRoot, Trap& trap);

// What the user is told when the desktop cannot show the sample folder.
[[nodiscard]] std::string SampleFolderNotOpened(std::string_view folder);

// "Load Sample/Example Folders": appends `sampleRoot` with one trailing "/"
// to `roots` (whether it exists or is listed already), asks whether to show
// it, and on Yes opens it with `opener`; when the desktop refuses it, a
// message names the folder, so a Yes is never met by silence. Failures show the error report with
// their step and the command goes on.
void LoadSampleFolders(FolderList& roots, Prompter& prompter, FolderOpener& opener,
                       std::string_view sampleRoot);

} // namespace vacantix
