// SPDX-License-Identifier: GPL-3.0-or-later
// ReadListFile on Windows: CreateFileW and ReadFile, the name taken as
// UTF-8 and the file shared with writers, as a text editor leaves it.
#include "roots/ListFile.h"

#include <algorithm>

#include <windows.h>

namespace vacantix {

namespace {

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::wstring& path)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~ReadOnlyFile()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    [[nodiscard]] bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    [[nodiscard]] HANDLE handle() const { return handle_; }

private:
    HANDLE handle_;
};

std::wstring Wide(const std::string& text)
{
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(units, 0)), L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
    return wide;
}

[[nodiscard]] Failure ReadFailure(DWORD error)
{
    int number = OtherError;
    std::string text = "error " + std::to_string(error);
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: number = PermissionDenied; text = "Permission denied"; break;
    case ERROR_FILE_NOT_FOUND: number = FileNotFound; text = "No such file or directory"; break;
    case ERROR_PATH_NOT_FOUND: number = PathNotFound; text = "No such file or directory"; break;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_NAME: number = BadFileName; text = "Invalid file name"; break;
    default: break;
    }
    return Failure(number, text);
}

} // namespace

ListReading ReadListFile(const std::string& listFile, FileSystem& fs, ScanHooks& hooks, ListedFolders kept)
{
    const ReadOnlyFile file(Wide(listFile));
    if (!file.isOpen())
        throw ReadFailure(GetLastError());
    const ListSource source = [&](std::span<char> buffer) -> std::optional<std::size_t> {
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
        if (ReadFile(file.handle(), buffer.data(), wanted, &got, nullptr))
            return got;
        const DWORD error = GetLastError();
        if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF)
            return 0;
        if (hooks.stopRequested())
            return std::nullopt;
        throw ReadFailure(error);
    };
    return ReadList(source, fs, hooks, kept);
}

} // namespace vacantix
