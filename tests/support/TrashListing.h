// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace vacantix::test {

// A freedesktop.org trash folder (info/ and files/) as a file manager reads
// it: each entry of files/ by the place its record names, and the entries
// without a whole record.
struct TrashListing {
    std::multimap<std::string, std::filesystem::path> byOrigin;
    std::set<std::string> withoutRecord; // names in files/
};

// Reads the trash `trash`; the relative places a top-directory trash records
// are taken from `topdir`. A missing trash is empty.
[[nodiscard]] TrashListing ReadTrash(const std::filesystem::path& trash, const std::string& topdir = {});

// The place the record `record` names (its Path=, percent-decoded); nullopt
// for a record that is not whole ("[Trash Info]", Path= and DeletionDate=).
[[nodiscard]] std::optional<std::string> RecordedPath(const std::filesystem::path& record);

} // namespace vacantix::test
