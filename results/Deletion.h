// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ErrorReport.h"
#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/Trash.h"
#include "results/ResultsList.h"
#include "settings/Settings.h"

namespace vacantix {

inline constexpr std::string_view kSendCheckedPath = "in Vacantix2021/08/31.Form1.PushButton5_Click ";

// What deleting a folder works with. `holdsContent` answers, looking at the
// disk afresh, whether a folder's tree now holds anything the scan would not
// have reported as empty (the window and the command line bind the scan's
// HoldsContent to it).
struct DeletionContext {
    FileSystem& fs;
    Settings& settings;
    Trash& trash;
    DirectRemover& remover;
    std::function<bool(const std::string&)> holdsContent;
};

// How one folder's deletion ended.
enum class DeletionOutcome {
    Sent,        // in the trash, or removed when deleting directly
    AlreadyGone, // nothing was there any more
    Kept,        // it holds content now, so it stays
    Failed,      // refused, or the trash or the removal failed
};

struct FolderDeletion {
    DeletionOutcome outcome = DeletionOutcome::Failed;
    std::string reason; // empty for Sent; says why for the others
};

// Deletes one folder, asking nothing. A path that is not absolute is refused
// ("'" + path + "' is not a fully qualified name on the local machine"), one
// that names nothing is AlreadyGone ("'" + path + "' does not exist"). One
// trailing separator is dropped. The folder is then examined afresh and kept
// when it holds content. Otherwise it goes to the trash, or, while "Combo1"
// is 1, is removed directly: its zero-byte files (only while "Check1" is 1),
// then its folders from the deepest up, each removal refusing anything that
// is not empty. Never deletes permanently when the trash refuses. Throws the
// Failure of an option that cannot be read.
[[nodiscard]] FolderDeletion DeleteToRecycleBin(DeletionContext& context, const std::string& path);

// One checked entry acted on by SendCheckedToTrash.
struct DeletionRecord {
    std::size_t position = 0; // its position in the list when it was acted on
    std::string path;
    FolderDeletion result;
};

struct DeletionSummary {
    std::vector<DeletionRecord> records; // in list order

    [[nodiscard]] std::size_t count(DeletionOutcome outcome) const;
    // True when any folder was kept or failed.
    [[nodiscard]] bool anyLeft() const;
};

// One line "path: reason" for each folder kept or failed, in list order.
[[nodiscard]] std::vector<std::string> NotDeletedLines(const DeletionSummary& summary);

// The text of the closing box: "Done." and, when anything was kept or
// failed, an empty line and the NotDeletedLines.
[[nodiscard]] std::string DeletionDoneText(const DeletionSummary& summary);

// One line that counts the outcomes, for the command line:
// "3 folders sent to the trash, 1 already gone, 1 kept, 0 failed" (or
// "deleted" for direct deletion).
[[nodiscard]] std::string DeletionCountsLine(const DeletionSummary& summary, bool directly);

// Deletes the folder of every checked entry, in list order, with
// DeleteToRecycleBin, then removes from the list exactly the entries whose
// folder was sent or was already gone; kept and failed entries stay, checked.
// Failures are reported under `trap`; an entry whose step failed ends as
// Failed. Shows no box of its own. Must not be interleaved with other
// changes to the list (it does not yield).
DeletionSummary DeleteCheckedEntries(ResultsList& results, DeletionContext& context, Trap& trap);

// The command "Send Checked To Recycle Bin": DeleteCheckedEntries under the
// command's error trap, then the closing box of DeletionDoneText.
DeletionSummary SendCheckedToTrash(ResultsList& results, DeletionContext& context, Prompter& prompter);

} // namespace vacantix
