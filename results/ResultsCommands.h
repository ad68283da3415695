// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Prompter.h"
#include "scan/ResultsList.h"

namespace vacantix {

// "Check All": checks every entry. Failures are reported with the steps of
// PushButton2_Click.
void CheckAll(ResultsList& results, Prompter& prompter);

// "Uncheck All": unchecks every entry (PushButton3_Click).
void UncheckAll(ResultsList& results, Prompter& prompter);

// The results' "Clear List": removes every entry (PushButton9_Click).
void ClearResults(ResultsList& results, Prompter& prompter);

} // namespace vacantix
