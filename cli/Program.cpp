// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Program.h"

#include <cstdlib>
#include <variant>

#include "cli/CliHooks.h"
#include "cli/CliPrompter.h"
#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"

namespace vacantix::cli {

int ProgramMain(const std::vector<std::string>& args, ProgramPlatform& platform)
{
    const auto parsed = ParseCommandLine(args);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgramName.data(),
                     error->message.c_str(), kProgramName.data());
        return ToInt(ExitStatus::Usage);
    }
    const CommandLine& line = std::get<CommandLine>(parsed);
    if (line.help) {
        std::fputs(HelpText().c_str(), stdout);
        return ToInt(ExitStatus::Success);
    }
    if (line.version) {
        std::printf("%s %s\n", kProgramName.data(), VACANTIX_VERSION);
        return ToInt(ExitStatus::Success);
    }

    CatchStopSignals();

    Console console(stderr, platform.errorsToTerminal);
    CliPrompter prompter(console);
    CliHooks hooks(console, StopSignal, [&console] {
        console.clearProgress();
        std::_Exit(ToInt(StoppedBy(StopSignal())));
    });
    CliServices services{platform.fs,
                         platform.store,
                         prompter,
                         hooks,
                         stdout,
                         std::move(platform.currentFolder),
                         std::move(platform.readStandardInput),
                         &platform.trash,
                         &platform.remover};
    return ToInt(RunCommandLine(line, services));
}

} // namespace vacantix::cli
