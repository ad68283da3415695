// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PathRoot.h"

#include <algorithm>

namespace vacantix {

namespace {

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "C:/" or "C:" at the start of `path`; 0 otherwise.
std::size_t DriveRootLength(std::string_view path)
{
    if (path.size() < 2 || !IsDriveLetter(path[0]) || path[1] != ':')
        return 0;
    if (path.size() == 2)
        return 2;
    return path[2] == '/' ? 3 : 0;
}

// The end of the next component of `path` from `at`, with the separator after
// it when there is one.
std::size_t PastComponent(std::string_view path, std::size_t at)
{
    const std::size_t slash = path.find('/', at);
    return slash == std::string_view::npos ? path.size() : slash + 1;
}

// "server/share/" at the start of `rest` (after "//" or "//?/UNC/").
std::size_t ShareRootLength(std::string_view rest)
{
    return PastComponent(rest, PastComponent(rest, 0));
}

std::size_t WindowsRootLength(std::string_view path)
{
    if (const std::size_t drive = DriveRootLength(path))
        return drive;
    if (!path.starts_with('/'))
        return 0;
    if (!path.starts_with("//") || path.starts_with("///"))
        return 1; // the current drive's root
    if (path.starts_with("//?/") || path.starts_with("//./")) {
        const std::string_view rest = path.substr(4);
        if (const std::size_t drive = DriveRootLength(rest))
            return 4 + drive;
        if (rest.size() >= 4 && (rest.starts_with("UNC/") || rest.starts_with("unc/")))
            return 8 + ShareRootLength(rest.substr(4));
        return 4 + PastComponent(rest, 0); // a device or volume name
    }
    return 2 + ShareRootLength(path.substr(2));
}

} // namespace

std::size_t RootLength(std::string_view path, PathSyntax syntax)
{
    if (syntax == PathSyntax::Windows)
        return WindowsRootLength(path);
    return path.starts_with('/') ? 1 : 0;
}

bool IsAbsolutePath(std::string_view path, PathSyntax syntax)
{
    return RootLength(path, syntax) > 0;
}

bool IsRootPath(std::string_view path, PathSyntax syntax)
{
    const std::size_t root = RootLength(path, syntax);
    return root > 0 && path.find_first_not_of('/', root) == std::string_view::npos;
}

std::string ParentPath(std::string_view path, PathSyntax syntax)
{
    const std::size_t root = RootLength(path, syntax);
    while (path.size() > root && path.back() == '/')
        path.remove_suffix(1);
    if (path.size() <= root)
        return std::string(path);
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || slash < root)
        return std::string(path.substr(0, root));
    std::size_t end = slash;
    while (end > root && path[end - 1] == '/')
        --end;
    return std::string(path.substr(0, std::max(end, root)));
}

std::string ToNativePath(std::string_view path, PathSyntax syntax)
{
    std::string native(path);
    if (syntax == PathSyntax::Windows)
        std::replace(native.begin(), native.end(), '/', '\\');
    return native;
}

std::string FromNativePath(std::string_view path, PathSyntax syntax)
{
    std::string engine(path);
    if (syntax != PathSyntax::Windows)
        return engine;
    std::replace(engine.begin(), engine.end(), '\\', '/');
    if (engine.starts_with("//?/")) {
        const std::string_view rest = std::string_view(engine).substr(4);
        if (DriveRootLength(rest) > 0)
            return std::string(rest);
        if (rest.starts_with("UNC/") || rest.starts_with("unc/"))
            return "/" + std::string(rest.substr(3));
    }
    return engine;
}

} // namespace vacantix
