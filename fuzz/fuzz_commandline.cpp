// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary argument vectors to the command-line parser: the input is
// split at NUL bytes, the way the arguments reach a program.
#include <string>
#include <variant>
#include <vector>

#include "cli/CommandLine.h"
#include "fuzz/FuzzInput.h"

using namespace vacantix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text = fuzz::AsText(data, size);
    std::vector<std::string> args;
    while (!text.empty()) {
        const std::size_t end = text.find('\0');
        args.emplace_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }

    const auto parsed = cli::ParseCommandLine(args);
    if (const auto* error = std::get_if<cli::UsageError>(&parsed)) {
        FUZZ_EXPECT(!error->message.empty());
        return 0;
    }
    const cli::CommandLine& line = std::get<cli::CommandLine>(parsed);
    // What the parser accepts is what the run may rely on.
    FUZZ_EXPECT(!(line.trash && line.deleteDirectly));
    FUZZ_EXPECT(line.help || line.version || !line.folders.empty() || !line.listFiles.empty());
    for (const std::string& folder : line.folders)
        FUZZ_EXPECT(!folder.empty());
    for (const std::string& file : line.listFiles)
        FUZZ_EXPECT(!file.empty());
    for (const auto* value : {&line.check1, &line.check2, &line.check3})
        FUZZ_EXPECT(!*value || **value == "0" || **value == "1");
    if (line.ignoreNames)
        for (const std::string& name : *line.ignoreNames)
            FUZZ_EXPECT(name.find_first_of("\r\n") == std::string::npos);
    return 0;
}
