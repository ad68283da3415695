// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the tree-description reader of the tests, and
// builds the tree it describes in memory.
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "platform/FakeFileSystem.h"
#include "platform/TreeDescription.h"

using namespace vacantix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::AsText(data, size);
    try {
        const std::vector<DescribedEntry> entries = ParseTreeDescription(text);
        for (const DescribedEntry& entry : entries) {
            FUZZ_EXPECT(entry.path.find('\n') == std::string::npos);
            FUZZ_EXPECT(entry.kind == DescribedEntry::Kind::Link || entry.target.empty());
        }
        // A size is given in decimal digits and nothing else: a description
        // with anything else after a file's ":" was refused above.
        for (std::string_view rest = text; !rest.empty();) {
            const std::size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
            while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
                line.remove_suffix(1);
            if (line.empty() || line.find("->") != std::string_view::npos || line.back() == '/' ||
                line.back() == '!' || line.find(':') == std::string_view::npos)
                continue;
            const std::string_view digits = line.substr(line.rfind(':') + 1);
            FUZZ_EXPECT(!digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos);
        }
    } catch (const std::invalid_argument&) {
        return 0; // a size that is no number
    } catch (const std::out_of_range&) {
        return 0; // a size beyond 64 bits
    }

    // A fake tree refuses an entry added twice as different kinds; any
    // other description builds.
    FakeFileSystem fs;
    try {
        fs.add("/t", text);
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
