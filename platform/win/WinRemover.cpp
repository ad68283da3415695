// SPDX-License-Identifier: GPL-3.0-or-later
// Direct removal through one checked handle. A file is opened without
// following a reparse point and, where the system allows it, shared with no
// one, so no other program can write to it between the check and the
// removal; its kind and size are read through that handle, and the same
// handle is marked for deletion, so what goes is what was checked. A
// folder goes with RemoveDirectoryW, which refuses one that holds anything,
// after a handle showed it is a folder and not a reparse point (a junction
// or a link to a folder is never removed here, nor what it points to).
#include "platform/win/WinRemover.h"

#include <windows.h>

#include "platform/win/WinHandle.h"
#include "platform/win/WinPath.h"

namespace vacantix {

namespace {

FsFailure badPath(const std::string& path)
{
    return FsFailure{FsError::BadFileName, "not an absolute path Windows can name: " + path};
}

HANDLE openUnfollowed(const std::wstring& native, DWORD access, DWORD extraFlags)
{
    // No sharing first: a program still holding the file open makes this
    // fail rather than write into a file being removed.
    HANDLE handle = CreateFileW(native.c_str(), access, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | extraFlags, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION && (extraFlags != 0))
        handle = CreateFileW(native.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | extraFlags, nullptr);
    return handle;
}

} // namespace

FsResult<Done> WinRemover::removeEmptyFile(const std::string& path)
{
    return removeRegularFile(path, true);
}

FsResult<Done> WinRemover::removeJunkFile(const std::string& path)
{
    return removeRegularFile(path, false);
}

FsResult<Done> WinRemover::removeRegularFile(const std::string& path, bool onlyEmpty)
{
    if (IsDriveOrShareRoot(path))
        return FsFailure{FsError::Other, "not a regular file"};
    const auto native = ExtendedPath(path);
    if (!native)
        return badPath(path);
    {
        const FileHandle file(openUnfollowed(*native, DELETE | FILE_READ_ATTRIBUTES, 0));
        if (!file) {
            if (GetLastError() == ERROR_SHARING_VIOLATION)
                return FsFailure{FsError::PermissionDenied, "the file is open in another program, so it stays"};
            return LastFailure();
        }
        FILE_BASIC_INFO basic{};
        FILE_STANDARD_INFO standard{};
        if (!GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof(basic)) ||
            !GetFileInformationByHandleEx(file.get(), FileStandardInfo, &standard, sizeof(standard)))
            return LastFailure();
        if ((basic.FileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) || standard.Directory ||
            GetFileType(file.get()) != FILE_TYPE_DISK)
            return FsFailure{FsError::Other, "not a regular file"};
        if (onlyEmpty && standard.EndOfFile.QuadPart != 0)
            return FsFailure{FsError::Other, "the file is not empty"};
        if (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)
            return FsFailure{FsError::PermissionDenied, "the file is read-only"};

        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        if (!SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof(disposition)))
            return LastFailure();
    }
    // The file goes when the handle, the only one open on it, is closed.
    if (GetFileAttributesW(native->c_str()) != INVALID_FILE_ATTRIBUTES)
        return FsFailure{FsError::Other, "the system accepted the removal, but the file is still there"};
    return Done{};
}

FsResult<Done> WinRemover::removeEmptyFolder(const std::string& path)
{
    if (IsDriveOrShareRoot(path))
        return FsFailure{FsError::Other, "a drive's root is never removed"};
    const auto native = ExtendedPath(path);
    if (!native)
        return badPath(path);
    {
        const FileHandle folder(openUnfollowed(*native, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS));
        if (!folder)
            return LastFailure();
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(folder.get(), &info))
            return LastFailure();
        if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return FsFailure{FsError::Other, "a link is never removed as a folder"};
        if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return FailureOfWin32(ERROR_DIRECTORY);
    }
    // The check's handle is closed first: the folder goes when the last
    // handle on it closes. RemoveDirectoryW refuses a folder that holds
    // anything (ERROR_DIR_NOT_EMPTY).
    if (!RemoveDirectoryW(native->c_str()))
        return LastFailure();
    return Done{};
}

std::unique_ptr<DirectRemover> MakeDirectRemover()
{
    return std::make_unique<WinRemover>();
}

} // namespace vacantix
