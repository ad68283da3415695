// SPDX-License-Identifier: GPL-3.0-or-later
// The recycle bin. SHFileOperationW recycles only where the drive keeps a
// recycle bin; elsewhere (a removable or network drive, a bin that cannot be
// set up) it deletes for good and still answers 0. So the drive's bin is
// looked at first, and afterwards the path must be gone from its place and
// the bin must have grown: a deletion the bin did not receive is reported
// as the failure it is, never as sent.
#include "platform/win/RecycleBin.h"

#include <algorithm>
#include <cwchar>
#include <optional>
#include <variant>

#include <windows.h>
#include <shellapi.h>

#include "platform/win/WinPath.h"

namespace vacantix {

namespace {

// What the recycle bin of one drive holds, or nothing when the drive has none.
std::optional<SHQUERYRBINFO> binOf(const std::wstring& root)
{
    SHQUERYRBINFO info{};
    info.cbSize = sizeof(info);
    if (SHQueryRecycleBinW(root.c_str(), &info) != S_OK)
        return std::nullopt;
    return info;
}

// The path as the shell takes it: no "\\?\" prefix, "\\server\share\x" for a share.
std::wstring shellPath(const std::wstring& extended)
{
    if (extended.starts_with(L"\\\\?\\UNC\\"))
        return L"\\\\" + extended.substr(8);
    return extended.substr(4);
}

bool isGone(const std::wstring& extended)
{
    if (GetFileAttributesW(extended.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// A name below the root that the shell would take for another ("x." for
// "x"), or nothing when every name reaches it as it is.
std::optional<std::string> misreadName(const std::string& named)
{
    const std::string below = named.substr(RootOf(named).size());
    std::size_t at = 0;
    while (at < below.size()) {
        const std::size_t end = std::min(below.find('/', at), below.size());
        std::string name = below.substr(at, end - at);
        if (!IsPlainWin32Name(name))
            return name;
        at = end + 1;
    }
    return std::nullopt;
}

// The root of the volume the path lies on, as the shell names it: for a
// volume mounted on a folder, that folder, not the drive.
std::wstring volumeRoot(const std::wstring& from, const std::string& named)
{
    std::wstring root(MAX_PATH + 1, L'\0');
    if (!GetVolumePathNameW(from.c_str(), root.data(), MAX_PATH + 1))
        return shellPath(*ExtendedPath(RootOf(named)));
    root.resize(wcslen(root.c_str()));
    return root;
}

// Why the volume at `rootShell` cannot take the path into a recycle bin, or
// nothing, with what its bin holds before the move.
std::variant<SHQUERYRBINFO, FsFailure> usableBin(const std::wstring& rootShell)
{
    const std::string root = EnginePath(rootShell);
    const UINT driveType = GetDriveTypeW(rootShell.c_str());
    if (driveType != DRIVE_FIXED)
        return FsFailure{FsError::Other, "the drive " + root + " keeps no recycle bin (" +
                                             (driveType == DRIVE_REMOTE      ? "a network drive"
                                              : driveType == DRIVE_REMOVABLE ? "a removable drive"
                                                                             : "not a fixed drive") +
                                             "), so the folder stays"};
    if (const auto bin = binOf(rootShell))
        return *bin;
    return FsFailure{FsError::Other, "the drive " + root + " has no recycle bin that can be used, so the folder stays"};
}

// Hands one path to the shell's recycle bin and tells how that ended, as
// seen on the disk afterwards.
FsResult<Done> recycle(const std::wstring& from, const std::wstring& extended)
{
    // The list of paths ends with an empty one: a second NUL.
    std::wstring list = from;
    list.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    // Only the path named goes: no "connected" page or folder with it.
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI | FOF_NO_CONNECTED_ELEMENTS;
    const int result = SHFileOperationW(&operation);
    if (isGone(extended))
        return Done{};
    if (result != 0) {
        FsFailure failure = FailureOfWin32(static_cast<DWORD>(result));
        failure.detail = "the recycle bin refused it (" + failure.detail + ")";
        return failure;
    }
    if (operation.fAnyOperationsAborted)
        return FsFailure{FsError::Other, "moving to the recycle bin was cancelled"};
    return FsFailure{FsError::Other, "the recycle bin said yes, but the path is still in its place"};
}

} // namespace

FsResult<Done> RecycleBin::moveToTrash(const std::string& path)
{
    if (IsDriveOrShareRoot(path))
        return FsFailure{FsError::Other, "a drive's root cannot go to the recycle bin"};
    const auto extended = ExtendedPath(path);
    if (!extended)
        return FsFailure{FsError::BadFileName, "not an absolute path Windows can name: " + path};
    if (GetFileAttributesW(extended->c_str()) == INVALID_FILE_ATTRIBUTES)
        return LastFailure();
    const std::string named = EnginePath(*extended);
    if (const auto name = misreadName(named))
        return FsFailure{FsError::BadFileName, "the recycle bin would take the name '" + *name + "' for another, so it stays"};
    const std::wstring from = shellPath(*extended);
    if (from.size() >= MAX_PATH)
        return FsFailure{FsError::TooLong, "the path is too long for the recycle bin (" + std::to_string(from.size()) +
                                               " characters, at most " + std::to_string(MAX_PATH - 1) +
                                               "), so it stays"};

    const std::wstring rootShell = volumeRoot(from, named);
    const auto bin = usableBin(rootShell);
    if (const auto* refused = std::get_if<FsFailure>(&bin))
        return *refused;
    const SHQUERYRBINFO before = std::get<SHQUERYRBINFO>(bin);
    if (auto moved = recycle(from, *extended); !moved)
        return moved;

    const std::string root = EnginePath(rootShell);
    const auto after = binOf(rootShell);
    if (!after)
        return FsFailure{FsError::Other, "the path left its place, but the recycle bin of " + root +
                                             " cannot be read any more to show that it went there"};
    if (after->i64NumItems <= before.i64NumItems && after->i64Size <= before.i64Size)
        return FsFailure{FsError::Other, "the path left its place, but the recycle bin of " + root +
                                             " did not receive it: it may have been deleted for good"};
    return Done{};
}

} // namespace vacantix
