// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Trash.h"

namespace vacantix {

// The freedesktop.org trash through GIO (g_file_trash): the user's trash
// ($XDG_DATA_HOME/Trash, made when missing) for what lies on the home file
// system, the top-directory trash ($topdir/.Trash/$uid, else
// $topdir/.Trash-$uid) of any other file system. Nothing is ever copied
// across file systems, deleted instead, or written relative to the current
// folder: what cannot be moved whole into its trash stays in its place and
// the failure carries the system's reason.
//
// A "yes" from GIO is checked: the entry must have left its place, and the
// .trashinfo record GIO wrote must name that place (GIO writes an empty one
// on a full disk and says yes). A bad record is written again; when that
// fails too, the entry is put back and the call fails. Names too long for
// GIO's record (a name plus ".trashinfo" beyond the file system's limit) are
// moved by this class itself, under a shortened trash name.
class GioTrash final : public Trash {
public:
    FsResult<Done> moveToTrash(const std::string& path) override;
};

} // namespace vacantix
