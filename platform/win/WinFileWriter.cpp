// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win/WinFileWriter.h"

#include <algorithm>
#include <string>

#include <windows.h>

#include "platform/win/WinHandle.h"
#include "platform/win/WinPath.h"

namespace vacantix {

namespace {

// The file a link leads to, as an extended path.
FsResult<std::wstring> linkTarget(const std::wstring& link)
{
    const FileHandle handle(CreateFileW(link.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle)
        return LastFailure();
    std::wstring target(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(handle.get(), target.data(), static_cast<DWORD>(target.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return LastFailure();
        if (length < target.size()) {
            target.resize(length);
            return target;
        }
        target.resize(length);
    }
}

struct Temporary {
    std::wstring name;
    HANDLE handle;
};

// Creates a new file of a fresh name in `folder`, open for writing; the
// caller closes it.
FsResult<Temporary> createTemporary(const std::wstring& folder)
{
    for (unsigned attempt = 0;; ++attempt) {
        std::wstring name = folder + L"\\.vacantix-export-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                            std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(attempt) + L".tmp";
        HANDLE handle = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return Temporary{std::move(name), handle};
        if (GetLastError() != ERROR_FILE_EXISTS || attempt == 100)
            return LastFailure();
    }
}

// Writes all of `bytes` and flushes them to the disk.
FsResult<Done> writeAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 24));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr))
            return LastFailure();
        if (written == 0)
            return FailureOfWin32(ERROR_DISK_FULL);
        bytes.remove_prefix(written);
    }
    if (!FlushFileBuffers(file))
        return LastFailure();
    return Done{};
}

// The extended path of the file to replace: `path` itself, or what it leads to.
FsResult<std::wstring> fileToReplace(const std::string& path)
{
    const auto extended = ExtendedPath(path);
    if (!extended)
        return FsFailure{FsError::BadFileName, "not an absolute path Windows can name: " + path};
    std::wstring target = *extended;
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return target;
        return FailureOfWin32(error);
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        auto resolved = linkTarget(target);
        if (!resolved)
            return resolved;
        target = std::move(resolved.value());
        attributes = GetFileAttributesW(target.c_str());
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return FailureOfWin32(ERROR_ACCESS_DENIED);
    return target;
}

} // namespace

FsResult<Done> WinFileWriter::replaceWhole(const std::string& path, std::string_view bytes)
{
    const auto found = fileToReplace(path);
    if (!found)
        return found.failure();
    const std::wstring& target = found.value();
    const std::size_t separator = target.rfind(L'\\');
    if (separator == std::wstring::npos || separator + 1 == target.size())
        return FailureOfWin32(ERROR_INVALID_NAME);

    const auto made = createTemporary(target.substr(0, separator));
    if (!made)
        return made.failure();
    const Temporary& temporary = made.value();
    FsResult<Done> written = Done{};
    {
        const FileHandle file(temporary.handle);
        written = writeAll(file.get(), bytes);
    }
    if (written && !MoveFileExW(temporary.name.c_str(), target.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        written = LastFailure();
    if (!written)
        DeleteFileW(temporary.name.c_str());
    return written;
}

std::unique_ptr<FileWriter> MakeFileWriter()
{
    return std::make_unique<WinFileWriter>();
}

} // namespace vacantix
