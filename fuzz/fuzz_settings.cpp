// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the option conversions and to the ignore list:
// as a stored number, as the stored list text, and as folder names and paths
// checked against that list.
#include <string>

#include "fuzz/FuzzInput.h"
#include "platform/Failure.h"
#include "platform/FakeFileSystem.h"
#include "scan/ExclusionRules.h"
#include "settings/Settings.h"

using namespace vacantix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::AsText(data, size);

    MemorySettingsStore store;
    store.set(kCombo1, text);
    const Settings settings(store);
    try {
        (void)settings.deleteModePosition();
    } catch (const Failure& failure) {
        FUZZ_EXPECT(failure.number() == TypeMismatch || failure.number() == Overflow);
    }

    // Every non-empty CR LF separated piece of the list is ignored, in any
    // case, and the parsed list is the same when asked twice.
    store.set(kText1, text);
    const std::vector<std::string> entries = settings.ignoreEntries();
    FUZZ_EXPECT(entries == settings.ignoreEntries());
    std::size_t pieces = 0;
    for (std::string_view rest = text;;) {
        const std::size_t end = rest.find("\r\n");
        const std::string_view piece = rest.substr(0, end);
        if (!piece.empty()) {
            ++pieces;
            FUZZ_EXPECT(IsIgnoredName(settings, piece));
        }
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 2);
    }
    FUZZ_EXPECT(entries.size() == pieces);
    for (const std::string& entry : entries)
        FUZZ_EXPECT(!entry.empty() && entry.find("\r\n") == std::string::npos);

    static FakeFileSystem fs;
    (void)IsInSystemFolder(fs, text);
    (void)IsRefusedSubfolderName(fs, text);
    if (!HasUnsafeCharacters(text)) {
        // A safe name carries no control character and no "?".
        FUZZ_EXPECT(text.find_first_of("?\r\n\t", 0) == std::string_view::npos);
        FUZZ_EXPECT(text.find('\0') == std::string_view::npos);
    }
    return 0;
}
