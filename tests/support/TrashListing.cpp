// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TrashListing.h"

#include "support/TempTree.h"

namespace vacantix::test {

namespace fs = std::filesystem;

std::optional<std::string> RecordedPath(const fs::path& record)
{
    const std::string text = ReadWholeFile(record);
    const auto start = text.find("\nPath=");
    if (!text.starts_with("[Trash Info]\n") || start == std::string::npos ||
        text.find("\nDeletionDate=") == std::string::npos)
        return std::nullopt;
    std::string decoded;
    for (std::size_t i = start + 6; i < text.size() && text[i] != '\n'; ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            decoded += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

TrashListing ReadTrash(const fs::path& trash, const std::string& topdir)
{
    TrashListing listing;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(trash / "files", error)) {
        const std::string name = entry.path().filename().string();
        const std::optional<std::string> origin = RecordedPath(trash / "info" / (name + ".trashinfo"));
        if (!origin)
            listing.withoutRecord.insert(name);
        else
            listing.byOrigin.emplace(origin->starts_with('/') || topdir.empty() ? *origin : topdir + "/" + *origin,
                                     entry.path());
    }
    return listing;
}

} // namespace vacantix::test
