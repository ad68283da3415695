// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

} // namespace vacantix::cli
