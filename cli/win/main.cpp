// SPDX-License-Identifier: GPL-3.0-or-later
// The program on Windows: wide arguments as UTF-8, standard streams in
// binary (no CR LF for LF, no end of input at ^Z), UTF-8 on the console, the
// Windows file system and remover, the options the window keeps in the
// registry, and the recycle bin.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <windows.h>

#include "cli/Interrupt.h"
#include "cli/Program.h"
#include "cli/win/WideText.h"
#include "platform/Failure.h"
#include "platform/PathRoot.h"
#include "platform/ReadAheadFileSystem.h"
#include "platform/win/RecycleBin.h"
#include "platform/win/RegistrySettingsStore.h"
#include "platform/win/WinFileSystem.h"
#include "platform/win/WinRemover.h"

using namespace vacantix;
using namespace vacantix::cli;

namespace {

bool IsConsole(DWORD stream)
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(stream), &mode) != 0;
}

UINT savedOutputCodePage = 0;

void RestoreOutputCodePage()
{
    SetConsoleOutputCP(savedOutputCodePage);
}

// UTF-8 bytes reach the console as the characters they encode, and the
// progress line's escape sequences are obeyed; the console's code page is
// given back at exit.
void PrepareConsole()
{
    if (!IsConsole(STD_OUTPUT_HANDLE) && !IsConsole(STD_ERROR_HANDLE))
        return;
    savedOutputCodePage = GetConsoleOutputCP();
    if (savedOutputCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit(RestoreOutputCodePage);
    const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(errors, &mode))
        SetConsoleMode(errors, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

// The current folder in the engine's form ("C:/Users/x"), or why it cannot
// be told.
CurrentFolder FindCurrentFolder()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0)
            return {std::nullopt, "GetCurrentDirectoryW failed (error " + std::to_string(GetLastError()) + ")"};
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(length);
    }
    std::string folder = FromNativePath(Utf8FromWide(buffer));
    if (!IsAbsolutePath(folder))
        return {std::nullopt, "it lies outside the visible file system"};
    return {std::move(folder), {}};
}

// Reads the next bytes of the list on standard input; Ctrl-C while it waits
// ends the list without a word. A closed pipe is the end of the list.
std::optional<std::size_t> ReadStandardInput(std::span<char> buffer)
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
    if (ReadFile(input, buffer.data(), wanted, &got, nullptr))
        return got;
    const DWORD error = GetLastError();
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF)
        return 0;
    if (StopSignal() != 0)
        return std::nullopt;
    throw Failure(OtherError, "cannot read standard input (error " + std::to_string(error) + ")");
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    PrepareConsole();

    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Utf8FromWide(argv[i]));

    // Folders are read ahead on helper threads: a share on the network makes
    // every listing wait.
    WinFileSystem disk;
    ReadAheadFileSystem fs(disk, ReadAheadReaders(), [] { return std::make_unique<WinFileSystem>(); });
    const RegistrySettingsStore store;
    RecycleBin trash;
    WinRemover remover;
    ProgramPlatform platform{fs,      store, trash, remover, FindCurrentFolder(), ReadStandardInput,
                             IsConsole(STD_ERROR_HANDLE)};
    return ProgramMain(args, platform);
}
