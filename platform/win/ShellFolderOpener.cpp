// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win/ShellFolderOpener.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win/WinPath.h"

namespace vacantix {

bool ShellFolderOpener::open(const std::string& folder)
{
    const auto extended = ExtendedPath(folder);
    if (!extended)
        return false;
    // The shell takes no "\\?\" path: a drive path loses the prefix, a
    // share path gets its two backslashes back.
    std::wstring shown = extended->starts_with(L"\\\\?\\UNC\\") ? L"\\\\" + extended->substr(8) : extended->substr(4);
    if (shown.size() == 2 && shown[1] == L':')
        shown += L'\\';
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", shown.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

} // namespace vacantix
