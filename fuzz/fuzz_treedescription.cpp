// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the tree-description reader of the tests, and
// builds the tree it describes in memory.
#include <stdexcept>
#include <string>

#include "fuzz/FuzzInput.h"
#include "platform/FakeFileSystem.h"
#include "platform/TreeDescription.h"

using namespace vacantix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::AsText(data, size);
    try {
        for (const DescribedEntry& entry : ParseTreeDescription(text)) {
            FUZZ_EXPECT(entry.path.find('\n') == std::string::npos);
            FUZZ_EXPECT(entry.kind == DescribedEntry::Kind::Link || entry.target.empty());
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
