// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vacantix {

// Where the sample folders live for this user, without a trailing "/":
// "Samples" in the program folder when that is a folder the program may
// write to, so the empty samples can be made again after a scan deleted
// them; otherwise (an installed program) "Vacantix/Samples" in the per-user
// data folder, copied from the program's own samples the first time it is
// needed. Never shows anything; a copy that fails leaves what it made.
[[nodiscard]] QString PrepareSampleRoot(const QString& programFolder);

// The same with the question "may the program write to its own samples?"
// already answered (an installed program answers no).
[[nodiscard]] QString PrepareSampleRoot(const QString& programFolder, bool shippedWritable);

} // namespace vacantix
