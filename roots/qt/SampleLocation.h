// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <string>
#include <vector>

namespace vacantix {

// The sample folders the program came with, without a trailing "/":
// "Samples" next to the executable (a build folder), else
// "../share/vacantix/Samples" from it (an installed program), else the
// first of these even though it is missing.
[[nodiscard]] QString ShippedSampleFolder(const QString& programFolder);

// True when the shipped samples can be used where they are: a folder the
// program may write to, so the empty samples can be made again after a scan
// deleted them, and one outside the system trees a scan skips by default
// (a package installs them under /usr, where root may write).
[[nodiscard]] bool SamplesUsableInPlace(const QString& shipped, const std::vector<std::string>& systemFolders);

// Where the sample folders live for this user, without a trailing "/":
// the shipped samples (see ShippedSampleFolder) when SamplesUsableInPlace;
// otherwise (an installed program) "Vacantix/Samples" in the per-user
// data folder, copied from the program's own samples the first time it is
// needed. Never shows anything; a copy that fails leaves what it made.
[[nodiscard]] QString PrepareSampleRoot(const QString& programFolder);

// The same with the question "may the program write to its own samples?"
// already answered (an installed program answers no).
[[nodiscard]] QString PrepareSampleRoot(const QString& programFolder, bool shippedWritable);

} // namespace vacantix
