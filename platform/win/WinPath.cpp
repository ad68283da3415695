// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win/WinPath.h"

#include <cctype>

#include <windows.h>

namespace vacantix {

std::string Utf8OfWide(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = static_cast<char16_t>(text[i]);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
            const char32_t low = static_cast<char16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

std::optional<std::wstring> WideOfUtf8(std::string_view text)
{
    std::wstring out;
    out.reserve(text.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = bytes[i];
        std::size_t length = 0;
        char32_t code = 0;
        char32_t least = 0;
        if (lead < 0x80)
            length = 1, code = lead;
        else if (lead >= 0xC2 && lead <= 0xDF)
            length = 2, code = lead & 0x1F, least = 0x80;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3, code = lead & 0x0F, least = 0x800;
        else if (lead >= 0xF0 && lead <= 0xF4)
            length = 4, code = lead & 0x07, least = 0x10000;
        else
            return std::nullopt;
        if (i + length > text.size())
            return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return std::nullopt;
            code = (code << 6) | (bytes[i + k] & 0x3F);
        }
        if (code < least || code > 0x10FFFF)
            return std::nullopt;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<wchar_t>(code));
        }
        i += length;
    }
    return out;
}

namespace {

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool isDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Splits an absolute engine path into its root, in extended form
// ("\\?\C:\", "\\?\UNC\server\share\") and the rest; false when it has no
// root the extended form can name.
bool splitRoot(std::string_view path, std::string& root, std::string_view& rest)
{
    if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':') {
        if (path.size() > 2 && !isSeparator(path[2]))
            return false; // "C:x" is relative to the drive's current folder
        root = std::string("\\\\?\\") + path[0] + ":\\";
        rest = path.substr(2);
        return true;
    }
    if (path.size() < 3 || !isSeparator(path[0]) || !isSeparator(path[1]))
        return false;
    const std::string_view tail = path.substr(2);
    const std::size_t serverEnd = tail.find_first_of("/\\");
    if (serverEnd == 0 || serverEnd == std::string_view::npos)
        return false;
    std::string_view afterServer = tail.substr(serverEnd + 1);
    while (!afterServer.empty() && isSeparator(afterServer.front()))
        afterServer.remove_prefix(1);
    const std::size_t shareEnd = afterServer.find_first_of("/\\");
    const std::string_view share = afterServer.substr(0, shareEnd);
    if (share.empty() || share == "." || share == "..")
        return false;
    root = "\\\\?\\UNC\\" + std::string(tail.substr(0, serverEnd)) + "\\" + std::string(share) + "\\";
    // `rest` must point into the caller's text: find the share's end there.
    const std::size_t offset = static_cast<std::size_t>(afterServer.data() - path.data());
    rest = shareEnd == std::string_view::npos ? std::string_view{} : path.substr(offset + shareEnd);
    return true;
}

} // namespace

std::optional<std::wstring> ExtendedPath(std::string_view path)
{
    std::string root;
    std::string_view rest;
    // An extended or device path ("//?/C:/x", "//?/UNC/server/share/x")
    // is taken as the path it names.
    std::string owned;
    if (path.size() >= 4 && isSeparator(path[0]) && isSeparator(path[1]) && (path[2] == '?' || path[2] == '.') &&
        isSeparator(path[3])) {
        std::string_view tail = path.substr(4);
        if (tail.size() >= 4 && std::tolower(static_cast<unsigned char>(tail[0])) == 'u' &&
            std::tolower(static_cast<unsigned char>(tail[1])) == 'n' &&
            std::tolower(static_cast<unsigned char>(tail[2])) == 'c' && isSeparator(tail[3]))
            owned = "//" + std::string(tail.substr(4));
        else
            owned = std::string(tail);
        path = owned;
    }
    if (!splitRoot(path, root, rest))
        return std::nullopt;
    std::string native = root;
    while (!rest.empty()) {
        while (!rest.empty() && isSeparator(rest.front()))
            rest.remove_prefix(1);
        if (rest.empty())
            break;
        std::size_t end = 0;
        while (end < rest.size() && !isSeparator(rest[end]))
            ++end;
        const std::string_view name = rest.substr(0, end);
        rest.remove_prefix(end);
        // "." and ".." go by name, as Win32 takes them in a path that is
        // not extended; ".." stops at the root.
        if (name == ".")
            continue;
        if (name == "..") {
            if (native.size() > root.size()) {
                native.resize(native.rfind('\\'));
                if (native.size() < root.size())
                    native = root;
            }
            continue;
        }
        // A colon would name a stream of the file, not the file.
        if (name.find(':') != std::string_view::npos)
            return std::nullopt;
        if (native.back() != '\\')
            native.push_back('\\');
        native.append(name);
    }
    return WideOfUtf8(native);
}

std::string EnginePath(std::wstring_view native)
{
    std::string path = Utf8OfWide(native);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    auto startsWithNoCase = [&](std::string_view prefix) {
        if (path.size() < prefix.size())
            return false;
        for (std::size_t i = 0; i < prefix.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(path[i])) != prefix[i])
                return false;
        return true;
    };
    if (startsWithNoCase("//?/unc/"))
        path = "//" + path.substr(8);
    else if (startsWithNoCase("//?/") || startsWithNoCase("//./"))
        path = path.substr(4);
    while (path.size() > 1 && path.back() == '/' && !IsDriveOrShareRoot(path))
        path.pop_back();
    if (path.size() == 2 && isDriveLetter(path[0]) && path[1] == ':')
        path.push_back('/');
    return path;
}

std::string RootOf(std::string_view path)
{
    if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':')
        return std::string(path.substr(0, 2)) + "/";
    if (path.size() < 3 || !isSeparator(path[0]) || !isSeparator(path[1]) || isSeparator(path[2]))
        return {};
    const std::size_t serverEnd = path.find_first_of("/\\", 2);
    if (serverEnd == std::string_view::npos || serverEnd + 1 >= path.size())
        return {};
    const std::size_t shareEnd = path.find_first_of("/\\", serverEnd + 1);
    if (shareEnd == serverEnd + 1)
        return {};
    std::string root = "//" + std::string(path.substr(2, serverEnd - 2)) + "/" +
                       std::string(path.substr(serverEnd + 1, shareEnd - serverEnd - 1)) + "/";
    return root;
}

bool IsDriveOrShareRoot(std::string_view path)
{
    const std::string root = RootOf(path);
    if (root.empty())
        return false;
    std::string_view trimmed = path;
    while (trimmed.size() > 2 && isSeparator(trimmed.back()))
        trimmed.remove_suffix(1);
    std::string_view rootTrimmed = root;
    rootTrimmed.remove_suffix(1);
    return trimmed.size() == rootTrimmed.size();
}

bool IsPlainWin32Name(std::string_view name)
{
    if (name.empty() || name.back() == '.' || name.back() == ' ')
        return false;
    if (name.find_first_of("*?\"<>|:/\\") != std::string_view::npos)
        return false;
    // The device names, alone or with an extension, in any case.
    std::string stem(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (char& c : stem)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (stem == device)
            return false;
    if (stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '0' && stem[3] <= '9')
        return false;
    return true;
}

EntryKind KindOfAttributes(std::uint32_t attributes)
{
    if (attributes & win32::kReparsePoint)
        return EntryKind::Symlink;
    if (attributes & win32::kDirectory)
        return EntryKind::Folder;
    return EntryKind::RegularFile;
}

int FolderAttributesOf(std::uint32_t attributes)
{
    constexpr std::uint32_t kKept = win32::kReadOnly | win32::kHidden | win32::kSystem | win32::kDirectory |
                                    win32::kArchive | win32::kReparsePoint | win32::kCompressed;
    return static_cast<int>(attributes & kKept);
}

FsError FsErrorOfWin32(std::uint32_t error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD: return FsError::PermissionDenied;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DELETE_PENDING: return FsError::PathNotFound;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return FsError::BadFileName;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW: return FsError::TooLong;
    default: return FsError::Other;
    }
}

FsFailure FailureOfWin32(std::uint32_t error)
{
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string detail;
    if (length > 0 && text) {
        detail = Utf8OfWide(std::wstring_view(text, length));
        while (!detail.empty() && (detail.back() == '\n' || detail.back() == '\r' || detail.back() == ' ' ||
                                   detail.back() == '.'))
            detail.pop_back();
    }
    if (text)
        LocalFree(text);
    if (detail.empty())
        detail = "system error " + std::to_string(error);
    return FsFailure{FsErrorOfWin32(error), detail};
}

FsFailure LastFailure()
{
    return FailureOfWin32(GetLastError());
}

} // namespace vacantix
