// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace vacantix {

// The product name: the main window's caption.
inline constexpr std::string_view kProductName = "Vacantix";

// The title for message boxes derived from a product name: the name without
// its last word, shortened word by word until it is at most 40 characters.
// A name of one word has no word to spare and is its own title.
[[nodiscard]] std::string ApplicationTitleFor(std::string_view productName);

// Sets the application title from the product name.
void SetApplicationTitle();

// The title every message box without a title of its own carries; the
// product name until SetApplicationTitle has run.
[[nodiscard]] const std::string& ApplicationTitle();

} // namespace vacantix
