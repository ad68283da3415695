// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/ResultsCommands.h"

#include <string_view>

#include "base/ErrorReport.h"
#include "base/ProcedurePaths.h"

namespace vacantix {

namespace {

void setAll(ResultsList& results, Prompter& prompter, std::string_view procedurePath, bool checked)
{
    // The numbers are the error report's line numbers.
    Trap trap(prompter, procedurePath);
    const std::size_t count = trap.value<std::size_t>(100, [&] { return results.count(); }, 0);
    for (std::size_t i = 1; i <= count; ++i)
        trap.step(102, [&] { results.setChecked(i, checked); });
}

} // namespace

void CheckAll(ResultsList& results, Prompter& prompter)
{
    setAll(results, prompter, kCheckAllPath, true);
}

void UncheckAll(ResultsList& results, Prompter& prompter)
{
    setAll(results, prompter, kUncheckAllPath, false);
}

void ClearResults(ResultsList& results, Prompter& prompter)
{
    Trap trap(prompter, kClearResultsPath);
    trap.step(100, [&] { results.clear(); });
}

} // namespace vacantix
