// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ErrorReport.h"
#include "base/ProcedurePaths.h"
#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/ScanHooks.h"
#include "platform/Trash.h"
#include "scan/ResultsList.h"
#include "settings/Settings.h"

namespace vacantix {

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
    // The delete mode of the command at hand, read once by
    // DeleteCheckedEntries; unset, DeleteToRecycleBin reads it itself.
    std::optional<DeleteMode> mode = std::nullopt;
    // When set, direct deletion removes no file at all: a folder whose tree
    // holds zero-byte files is kept, with this as its reason.
    std::optional<std::string> zeroByteFilesKeptBecause = std::nullopt;
    // When set, direct deletion lets it yield at least every 50 ms while it
    // looks at and removes one large tree; it never stops a tree halfway.
    ScanHooks* progress = nullptr;
    // The folders the scan started from, as the user named them. The links
    // of a folder's path are followed only up to its root: one that appears
    // below the root never leads a move or a removal elsewhere. Empty: they
    // are followed up to the folder's parent.
    std::vector<std::string> roots = {};
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
// is 1, is removed directly: its zero-byte files (only while "Check1" is 1,
// and never when the context keeps zero-byte files),
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
    bool stopped = false; // asked to stop before every chosen entry was acted on
    std::size_t chosen = 0; // the entries checked when the deletion started

    [[nodiscard]] std::size_t count(DeletionOutcome outcome) const;
    // True when any folder was kept or failed.
    [[nodiscard]] bool anyLeft() const;
};

// One line "path: reason" for each folder kept or failed, in list order.
[[nodiscard]] std::vector<std::string> NotDeletedLines(const DeletionSummary& summary);

// The text of the closing box: "Done." and, when anything was kept or
// failed, an empty line and the NotDeletedLines, their paths as the
// platform writes them (ToNativePath).
[[nodiscard]] std::string DeletionDoneText(const DeletionSummary& summary);

// One line that counts the outcomes, for the command line, with `sentAs`
// saying what happened to the folders that went ("sent to the trash",
// "deleted", "would be deleted"): "3 folders sent to the trash, 1 already
// gone, 1 kept, 0 failed".
[[nodiscard]] std::string DeletionCountsLine(const DeletionSummary& summary, std::string_view sentAs);

// The text DeleteCheckedEntries shows while it works on the n-th of the
// `total` entries: "Sending 3 of 40".
[[nodiscard]] std::string SendingText(std::size_t n, std::size_t total);

// Deletes the folder of every checked entry, in list order, with
// DeleteToRecycleBin, then removes from the list exactly the entries whose
// folder was sent or was already gone; kept and failed entries stay, checked.
// A folder that holds the folder of an entry that is not checked is kept
// ("holds '<entry>', which is not checked") without a look at the disk.
// The delete mode is read once, first (unless the context already holds
// one): a stored mode that cannot be read is reported once, and the folders
// then go to the trash. The caller's context is left as it is. Failures are
// reported under `trap`; an entry whose step failed ends as Failed. Shows no
// box of its own.
//
// The entries to act on are the ones checked when it starts: check marks
// changed while it runs do not change them. Before each folder it shows
// SendingText through `progress`, and lets it yield before the first one and
// whenever 50 ms have passed since the last turn (inside one folder, only the
// fresh look can yield, through the hooks its caller binds to
// `holdsContent`). Once `progress` asks to stop, it ends before the next
// folder (the summary says `stopped`), so no folder is left half-done. It
// ends with an empty status text: the list's own header again. The list must not change
// otherwise while it runs (the window disables the commands that change it):
// entries are removed by the positions they had at the start, and only when
// they still show the path acted on.
DeletionSummary DeleteCheckedEntries(ResultsList& results, const DeletionContext& context, Trap& trap,
                                     ScanHooks& progress);

// The same without yielding, never stopped.
DeletionSummary DeleteCheckedEntries(ResultsList& results, const DeletionContext& context, Trap& trap);

// The command "Send Checked To Recycle Bin": DeleteCheckedEntries under the
// command's error trap, then the closing box of DeletionDoneText, which is
// left out when `progress` stopped it (the window was closed).
DeletionSummary SendCheckedToTrash(ResultsList& results, const DeletionContext& context, Prompter& prompter,
                                   ScanHooks& progress);
DeletionSummary SendCheckedToTrash(ResultsList& results, const DeletionContext& context, Prompter& prompter);

} // namespace vacantix
