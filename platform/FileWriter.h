// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace vacantix {

// Writes whole files. Never throws across the platform boundary.
class FileWriter {
public:
    virtual ~FileWriter() = default;

    // Makes `path` hold exactly `bytes`, creating the file or replacing an
    // existing one at once: a reader sees either the old content or the new,
    // never a part. On failure the old file is left as it was.
    virtual FsResult<Done> replaceWhole(const std::string& path, std::string_view bytes) = 0;
};

// The platform's file writer.
[[nodiscard]] std::unique_ptr<FileWriter> MakeFileWriter();

} // namespace vacantix
