// SPDX-License-Identifier: GPL-3.0-or-later
// Holds the program's UTF-8 judge against glibc's iconv, which decodes
// UTF-8 as RFC 3629 defines it: both accept the same byte strings, the
// characters the judge finds are the ones iconv decodes one by one, and the
// JSON text built on it is always UTF-8, naming the raw bytes exactly when
// the input is no UTF-8.
#include <iconv.h>
#include <string>
#include <string_view>

#include "cli/JsonLines.h"
#include "fuzz/FuzzInput.h"
#include "platform/Utf8.h"

using namespace vacantix;

namespace {

// True when iconv decodes all of `bytes` as UTF-8.
bool DecodesAsUtf8(std::string_view bytes)
{
    static const iconv_t decoder = iconv_open("UTF-32LE", "UTF-8");
    FUZZ_EXPECT(decoder != reinterpret_cast<iconv_t>(-1));
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    std::string input(bytes);
    std::string output(4 * bytes.size() + 4, '\0');
    char* in = input.data();
    char* out = output.data();
    std::size_t inLeft = input.size();
    std::size_t outLeft = output.size();
    return iconv(decoder, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::AsText(data, size);
    const bool valid = IsValidUtf8(text);
    FUZZ_EXPECT(valid == DecodesAsUtf8(text));

    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, at);
        FUZZ_EXPECT(length <= 4 && at + length <= text.size());
        // A character found decodes alone; where none starts, nothing that
        // starts there decodes.
        if (length > 0)
            FUZZ_EXPECT(DecodesAsUtf8(text.substr(at, length)));
        else
            FUZZ_EXPECT(!DecodesAsUtf8(text.substr(at, 4)));
        at += length == 0 ? 1 : length;
    }

    FUZZ_EXPECT(DecodesAsUtf8(cli::JsonString(text)));
    const std::string members = cli::JsonPathMembers(text);
    FUZZ_EXPECT(DecodesAsUtf8(members));
    FUZZ_EXPECT((members.find("\"path_b64\"") == std::string::npos) == valid);
    return 0;
}
