// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary patterns and paths to the glob matcher of --exclude: the
// input is a pattern, a NUL, and a path. Besides not crashing nor stalling
// (the run's timeout), the matcher keeps its promises about literal
// patterns and "**".
#include <string>
#include <string_view>

#include "fuzz/FuzzInput.h"
#include "scan/PathGlob.h"

using namespace vacantix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::AsText(data, size);
    const std::size_t nul = text.find('\0');
    const std::string_view pattern = text.substr(0, nul);
    std::string path = nul == std::string_view::npos ? std::string("/") : "/" + std::string(text.substr(nul + 1));

    const bool matches = PathMatchesGlob(pattern, path);
    // Whatever matches a folder matches what lies below it once "/**" follows.
    if (matches)
        FUZZ_EXPECT(PathMatchesGlob(std::string(pattern) + "/**", path + "/below"));
    FUZZ_EXPECT(PathMatchesGlob("/**", path));

    // The path with every byte escaped is a pattern that matches it alone.
    std::string literal;
    for (char byte : path)
        literal += byte == '/' ? std::string("/") : std::string("\\") + byte;
    FUZZ_EXPECT(PathMatchesGlob(literal, path));
    FUZZ_EXPECT(!PathMatchesGlob(literal, path + "x/y"));
    return 0;
}
