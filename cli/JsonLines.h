// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/OutputWriter.h"
#include "results/Deletion.h"
#include "scan/ResultsList.h"

namespace vacantix::cli {

// A JSON string literal, quotes included, escaped as RFC 8259 asks: the
// quote, the backslash and every control character below U+0020. Bytes that
// are no UTF-8 become U+FFFD, so the text is always valid JSON.
[[nodiscard]] std::string JsonString(std::string_view bytes);

// The raw bytes in standard base64 with padding.
[[nodiscard]] std::string Base64(std::string_view bytes);

// The members naming a path without losing a byte: "path" alone for a path
// that is valid UTF-8, otherwise "path" with U+FFFD for each byte that is no
// UTF-8 and "path_b64" with the raw bytes. No braces, no trailing comma.
[[nodiscard]] std::string JsonPathMembers(std::string_view path);

// The number of components of `path` below the longest of `roots` that holds
// it (0 for a root itself); none when no root holds it. Roots may end in
// "/"; a path below a root is root + "/" + names.
[[nodiscard]] std::optional<std::size_t> DepthBelow(std::string_view path, const std::vector<std::string>& roots);

// --json: one object per line, paths written without losing a byte (see
// JsonPathMembers), depths counted below the longest of `roots` holding them.
// Once `stop` says so, no further result is written.
void PrintJsonResults(const ResultsList& results, OutputWriter& out, const std::vector<std::string>& roots,
                      const std::function<bool()>& stop);
// One object per folder acted on: its path, depth, "outcome" and "reason".
void PrintJsonOutcomes(const DeletionSummary& summary, OutputWriter& out, const std::vector<std::string>& roots,
                       bool directly, bool dryRun = false);

// What the closing {"summary": ...} object of --json counts.
struct JsonSummary {
    std::size_t found = 0;
    bool directly = false;                    // "deleted" rather than "sent"
    bool dryRun = false;
    std::optional<DeletionSummary> deletion;  // with --trash or --delete
    std::vector<std::string> unreadable;      // the folders that could not be read
    bool stopped = false;                     // a signal stopped the run
    double seconds = 0;
};
void PrintJsonSummary(const JsonSummary& run, OutputWriter& out);

} // namespace vacantix::cli
