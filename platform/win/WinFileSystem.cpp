// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win/WinFileSystem.h"

#include <algorithm>
#include <optional>

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "platform/win/WinHandle.h"
#include "platform/win/WinPath.h"

namespace vacantix {

namespace {

// The path to give FindFirstFileExW for every entry of a folder.
std::wstring pattern(const std::wstring& folder)
{
    return folder + (folder.back() == L'\\' ? L"*" : L"\\*");
}

FsFailure badPath(const std::string& path)
{
    return FsFailure{FsError::BadFileName, "not an absolute path Windows can name: " + path};
}

bool isDots(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Seconds since 1970 of a FILETIME.
std::int64_t unixSeconds(const FILETIME& time)
{
    const std::uint64_t ticks = (std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10'000'000ULL) - 11'644'473'600LL;
}

// Opens a folder to hold it while it is read. Without FILE_SHARE_DELETE no
// other program can rename or remove it (nor, on NTFS, a folder above it)
// meanwhile, so its path keeps naming the folder that was checked; should
// another program hold it open for deletion, it is opened sharing that.
HANDLE openFolder(const std::wstring& native, bool followFinalLink)
{
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followFinalLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    HANDLE handle = CreateFileW(native.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION)
        handle = CreateFileW(native.c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, flags,
                             nullptr);
    return handle;
}

// True when `native` is a folder on which another volume is mounted (a
// reparse point of the mount-point kind that names a volume, not a junction).
bool isMountedVolume(const std::wstring& native)
{
    WIN32_FIND_DATAW data{};
    FindHandle find(FindFirstFileExW(native.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find || !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        data.dwReserved0 != IO_REPARSE_TAG_MOUNT_POINT)
        return false;
    wchar_t volume[64] = {};
    return GetVolumeNameForVolumeMountPointW((native + L"\\").c_str(), volume, 64) != 0;
}

// The folder a known folder id names, as a real engine path, or "".
std::string knownFolder(const KNOWNFOLDERID& id)
{
    wchar_t* path = nullptr;
    std::string result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path)
        result = EnginePath(path);
    CoTaskMemFree(path);
    return result;
}

// The name the system gives the file `native` names once every link on the
// way is followed, as an engine path.
std::optional<std::string> finalName(const std::wstring& native, DWORD& error)
{
    const FileHandle handle(CreateFileW(native.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) {
        error = GetLastError();
        return std::nullopt;
    }
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(handle.get(), name.data(), static_cast<DWORD>(name.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            error = GetLastError();
            return std::nullopt;
        }
        if (length < name.size()) {
            name.resize(length);
            return EnginePath(name);
        }
        name.resize(length + 1);
    }
}

// The real path of an extended path. Where the system cannot name a file
// beyond MAX_PATH (Wine cannot), the deepest part it can name is taken and
// the rest added name by name, as the folder listing spells each, provided
// none of them is a link: a link there is not resolved, and the path fails.
FsResult<std::string> finalPath(const std::wstring& native)
{
    DWORD error = 0;
    if (auto name = finalName(native, error))
        return std::move(*name);
    if (error != ERROR_MORE_DATA && error != ERROR_FILENAME_EXCED_RANGE && error != ERROR_NOT_ENOUGH_MEMORY &&
        error != ERROR_INSUFFICIENT_BUFFER)
        return FailureOfWin32(error);
    std::size_t cut = native.size();
    std::optional<std::string> prefix;
    while (!prefix) {
        cut = native.rfind(L'\\', cut - 1);
        if (cut == std::wstring::npos || cut < 7)
            return FailureOfWin32(error);
        DWORD ignored = 0;
        prefix = finalName(native.substr(0, cut), ignored);
    }
    std::string real = std::move(*prefix);
    std::wstring current = native.substr(0, cut);
    while (cut < native.size()) {
        const std::size_t next = std::min(native.find(L'\\', cut + 1), native.size());
        current += native.substr(cut, next - cut);
        WIN32_FIND_DATAW data{};
        const FindHandle find(
            FindFirstFileExW(current.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
        if (!find)
            return LastFailure();
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return FsFailure{FsError::TooLong, "a link this deep cannot be resolved: " + EnginePath(current)};
        real = ChildPath(real, Utf8OfWide(data.cFileName));
        cut = next;
    }
    return real;
}

} // namespace

WinFileSystem::WinFileSystem()
{
    // The Windows folder and the system folder, and the trees programs are
    // installed into, each with its real spelling where it can be had, since
    // the rules compare them with a root's real path.
    static const KNOWNFOLDERID* const ids[] = {&FOLDERID_Windows, &FOLDERID_System, &FOLDERID_SystemX86,
                                               &FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86,
                                               &FOLDERID_ProgramData};
    for (const KNOWNFOLDERID* id : ids) {
        std::string folder = knownFolder(*id);
        if (folder.empty())
            continue;
        if (auto real = realPath(folder))
            folder = std::move(real.value());
        if (std::find(systemFolders_.begin(), systemFolders_.end(), folder) == systemFolders_.end())
            systemFolders_.push_back(std::move(folder));
    }
}

FsResult<Listing> WinFileSystem::list(const std::string& folder)
{
    return read(folder, false);
}

FsResult<Listing> WinFileSystem::listNamed(const std::string& folder)
{
    return read(folder, true);
}

FsResult<Listing> WinFileSystem::read(const std::string& folder, bool followFinalLink)
{
    const auto native = ExtendedPath(folder);
    if (!native)
        return badPath(folder);
    const FileHandle handle(openFolder(*native, followFinalLink));
    if (!handle)
        return LastFailure();
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle.get(), &info))
        return LastFailure();
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return FsFailure{FsError::PathNotFound, "a link is not followed: " + folder};
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return FailureOfWin32(ERROR_DIRECTORY);

    Listing listing;
    listing.protectedFolder = followFinalLink && !IsDriveOrShareRoot(folder) && isMountedVolume(*native);
    forgetSizes();
    WIN32_FIND_DATAW data{};
    const FindHandle find(FindFirstFileExW(pattern(*native).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        // A drive's root has no "." entry, so an empty one finds nothing.
        if (GetLastError() != ERROR_FILE_NOT_FOUND)
            return LastFailure();
    } else {
        do {
            if (isDots(data.cFileName))
                continue;
            std::string name = Utf8OfWide(data.cFileName);
            const EntryKind kind = KindOfAttributes(data.dwFileAttributes);
            if (kind == EntryKind::RegularFile)
                sizes_.emplace_back(name, (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
            if (kind == EntryKind::Folder)
                listing.subfolders.push_back(std::move(name));
            else
                listing.files.push_back({std::move(name), kind});
        } while (FindNextFileW(find.get(), &data));
        if (GetLastError() != ERROR_NO_MORE_FILES)
            return LastFailure();
    }
    sizedFolder_ = folder;
    if (GetFileInformationByHandle(handle.get(), &info))
        listing.modified = unixSeconds(info.ftLastWriteTime);
    return listing;
}

FsResult<int> WinFileSystem::attributes(const std::string& folder)
{
    const auto native = ExtendedPath(folder);
    if (!native)
        return badPath(folder);
    const DWORD value = GetFileAttributesW(native->c_str());
    if (value == INVALID_FILE_ATTRIBUTES)
        return LastFailure();
    return FolderAttributesOf(value);
}

FsResult<std::uint64_t> WinFileSystem::fileSize(const std::string& folder, const std::string& name)
{
    if (folder == sizedFolder_) {
        for (const auto& [file, bytes] : sizes_) {
            if (file == name)
                return bytes;
        }
    }
    const std::string path = ChildPath(folder, name);
    const auto native = ExtendedPath(path);
    if (!native)
        return badPath(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(native->c_str(), GetFileExInfoStandard, &data))
        return LastFailure();
    return (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

FsResult<std::uint64_t> WinFileSystem::size(const std::string& folder, std::uint64_t stopAbove)
{
    // One listing per folder gives the sizes too: no look-up per file.
    const auto top = ExtendedPath(folder);
    if (!top)
        return badPath(folder);
    {
        const DWORD value = GetFileAttributesW(top->c_str());
        if (value == INVALID_FILE_ATTRIBUTES)
            return LastFailure();
        if (value & FILE_ATTRIBUTE_REPARSE_POINT)
            return FsFailure{FsError::PathNotFound, "a link is not followed: " + folder};
    }
    std::uint64_t total = 0;
    std::vector<std::wstring> pending{*top};
    while (!pending.empty()) {
        const std::wstring current = std::move(pending.back());
        pending.pop_back();
        WIN32_FIND_DATAW data{};
        const FindHandle find(FindFirstFileExW(pattern(current).c_str(), FindExInfoBasic, &data,
                                               FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!find) {
            if (GetLastError() == ERROR_FILE_NOT_FOUND)
                continue;
            return LastFailure();
        }
        do {
            if (isDots(data.cFileName))
                continue;
            switch (KindOfAttributes(data.dwFileAttributes)) {
            case EntryKind::Folder:
                pending.push_back(current + (current.back() == L'\\' ? L"" : L"\\") + data.cFileName);
                break;
            case EntryKind::RegularFile:
                total += (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
                if (total > stopAbove)
                    return total;
                break;
            default: break;
            }
        } while (FindNextFileW(find.get(), &data));
        if (GetLastError() != ERROR_NO_MORE_FILES)
            return LastFailure();
    }
    return total;
}

bool WinFileSystem::fileExists(const std::string& path)
{
    const auto native = ExtendedPath(path);
    if (!native)
        return false;
    // Following a final link, as the promise says: open what it reaches.
    const FileHandle handle(CreateFileW(native->c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle)
        return true;
    // A file opened elsewhere without sharing still exists.
    return GetLastError() == ERROR_SHARING_VIOLATION && GetFileAttributesW(native->c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WinFileSystem::isDirectory(const std::string& path)
{
    const auto native = ExtendedPath(path);
    if (!native)
        return false;
    const FileHandle handle(CreateFileW(native->c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    return handle && GetFileInformationByHandle(handle.get(), &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WinFileSystem::isRootFolder(const std::string& folder)
{
    return IsDriveOrShareRoot(folder);
}

bool WinFileSystem::isProtected(const std::string& folder)
{
    if (IsDriveOrShareRoot(folder))
        return false;
    const auto native = ExtendedPath(folder);
    return native && isMountedVolume(*native);
}

FsResult<std::string> WinFileSystem::realPath(const std::string& path)
{
    // "." and ".." are resolved as Windows resolves them, by name, before
    // the path is opened; then the system names what it opened.
    auto wide = WideOfUtf8(path);
    if (!wide || path.empty())
        return badPath(path);
    std::replace(wide->begin(), wide->end(), L'/', L'\\');
    const bool extended = wide->starts_with(L"\\\\?\\");
    std::wstring full;
    if (extended) {
        full = *wide;
    } else {
        const DWORD needed = GetFullPathNameW(wide->c_str(), 0, nullptr, nullptr);
        if (needed == 0)
            return LastFailure();
        full.resize(needed);
        const DWORD written = GetFullPathNameW(wide->c_str(), needed, full.data(), nullptr);
        if (written == 0 || written >= needed)
            return LastFailure();
        full.resize(written);
    }
    const auto native = ExtendedPath(Utf8OfWide(full));
    if (!native)
        return badPath(path);
    return finalPath(*native);
}

FsResult<Done> WinFileSystem::createFolder(const std::string& path)
{
    const auto native = ExtendedPath(path);
    if (!native)
        return badPath(path);
    if (!CreateDirectoryW(native->c_str(), nullptr))
        return LastFailure();
    return Done{};
}

const std::vector<std::string>& WinFileSystem::systemFolders() const
{
    return systemFolders_;
}

std::size_t WinFileSystem::maxNameLength() const
{
    // A name is followed while it is shorter than MAX_PATH; longer names
    // make their parent hold content.
    return MAX_PATH;
}

std::size_t WinFileSystem::maxPathLength() const
{
    // A folder is enumerated while its path with one trailing separator is
    // shorter than MAX_PATH. One deeper is not walked, and the tree above it
    // counts as holding content; size() and the removal still reach it,
    // through extended paths.
    return MAX_PATH;
}

} // namespace vacantix
