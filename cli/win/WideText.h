// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace vacantix::cli {

// UTF-16 text of the Windows calls as UTF-8 and back. An unpaired surrogate
// becomes U+FFFD on the way to UTF-8; ill-formed UTF-8 becomes U+FFFD on the
// way to UTF-16.
[[nodiscard]] std::string Utf8FromWide(std::wstring_view wide);
[[nodiscard]] std::wstring WideFromUtf8(std::string_view text);

} // namespace vacantix::cli
