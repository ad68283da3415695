// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>

#include "platform/Trash.h"

namespace vacantix {

// The freedesktop.org trash (see TrashFolder for which trash an entry goes
// to; GIO tells which mounts are the system's own). The entry is moved by
// this class, from a descriptor of its folder reached without following a
// link, into the trash's files/ folder on the same mount, after its record
// in info/ was reserved under a free name and written whole: nothing is
// ever copied across file systems, deleted instead, or written relative to
// the current folder.
//
// Only the entry that was checked moves, and its record names the place it
// came from: when what is at the path is not the entry checked (a folder of
// the path was swapped for a link, or the entry for another), nothing moves;
// when, after the move, the trash does not hold the checked entry or its
// folder is no longer at the path recorded, the entry goes back and the
// call fails. Names too long for their record's name are kept in the trash
// under their first bytes.
//
// A record is written before its entry moves, so a run killed in between
// leaves a record without its entry. The records of this program carry a
// line of their own and are locked while their move is under way; the first
// move into a trash removes those of its records that are neither locked nor
// followed by their entry, and no other program's.
class GioTrash final : public Trash {
public:
    GioTrash() = default;
    // `betweenCheckAndMove` runs after the entry was found to be the one
    // checked and before it moves, with its path: tests change the disk
    // there.
    explicit GioTrash(std::function<void(const std::string&)> betweenCheckAndMove)
        : betweenCheckAndMove_(std::move(betweenCheckAndMove))
    {
    }

    // Moves what is at `path` now.
    FsResult<Done> moveToTrash(const std::string& path) override;
    FsResult<Done> moveCheckedToTrash(const std::string& path, const FileIdentity& checked,
                                      const std::string& root) override;
    FsResult<Done> checkMoveToTrash(const std::string& path) override;

private:
    FsResult<Done> move(const std::string& path, const std::optional<FileIdentity>& checked, const std::string& root);

    std::function<void(const std::string&)> betweenCheckAndMove_;
    std::set<std::string> tidied_; // the trash folders rid of orphan records of ours
};

} // namespace vacantix
