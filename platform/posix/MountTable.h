// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vacantix {

// Where file systems are mounted below the top of one walk, so that a
// folder below it is placed by its path alone: the mount points below the
// top, as parts of their paths below it, and whether the top itself is the
// top of a file system (so that its lost+found is the file system's).
class MountsBelow {
public:
    MountsBelow(std::size_t givenLength, bool topIsMountPoint, std::vector<std::string> below)
        : givenLength_(givenLength), topIsMountPoint_(topIsMountPoint), below_(std::move(below))
    {
    }

    // True when a file system is mounted on `folder`, the walk's top as
    // given or a folder below it.
    [[nodiscard]] bool mountPoint(std::string_view folder) const { return mountedOnPart(partBelow(folder)); }
    // True when `folder` is the top of a file system: the walk's top when it
    // is one, or a mount point below it.
    [[nodiscard]] bool fileSystemTop(std::string_view folder) const;

private:
    // The part of `folder` below the top: "" for the top itself.
    [[nodiscard]] std::string_view partBelow(std::string_view folder) const;
    [[nodiscard]] bool mountedOnPart(std::string_view part) const;

    std::size_t givenLength_;
    bool topIsMountPoint_;
    std::vector<std::string> below_;
};

// The mount points of this process's mount namespace, read from
// /proc/self/mountinfo once and again only after the kernel said that the
// table changed (a mount or an unmount since), so that a walk pays nothing
// per folder to know where file systems are mounted. Thread-safe.
class MountTable {
public:
    // The one table of the process.
    static MountTable& Instance();

    // The mount points below `realTop` (a folder's real path, as the kernel
    // names it), for a walk whose top is written `givenTop`; null when the
    // table cannot be read, so that folders are placed by looking at them.
    [[nodiscard]] std::shared_ptr<const MountsBelow> below(const std::string& realTop, std::string_view givenTop);

    MountTable(const MountTable&) = delete;
    MountTable& operator=(const MountTable&) = delete;

private:
    MountTable();
    ~MountTable();

    struct State;
    std::unique_ptr<State> state_;
};

// The mount points listed in the text of a mountinfo file, their escapes
// (\040 for a blank and the like) undone.
[[nodiscard]] std::vector<std::string> MountPointsOf(std::string_view mountinfo);

} // namespace vacantix
