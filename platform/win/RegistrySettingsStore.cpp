// SPDX-License-Identifier: GPL-3.0-or-later
// Values are kept the way QSettings keeps a text in the registry, so that
// the window (through QSettings) and the command line read each other's
// writes: REG_SZ, with a text that starts with "@" stored with one more "@"
// in front (QSettings keeps "@..." for its own typed values), and REG_BINARY
// holding the UTF-16 text when it contains a NUL. Reading takes what
// QSettings or an edit by hand may leave: REG_EXPAND_SZ unexpanded, a
// REG_MULTI_SZ list joined with ", ", a number as its decimal text.
#include "platform/win/RegistrySettingsStore.h"

#include <cstring>
#include <vector>

#include <windows.h>

#include "platform/win/WinPath.h"

namespace vacantix {

namespace {

// UTF-8 as UTF-16; a byte sequence that is not UTF-8 becomes U+FFFD, as
// QString::fromUtf8 makes it.
std::wstring wideOf(std::string_view text)
{
    if (auto wide = WideOfUtf8(text))
        return std::move(*wide);
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// The text of a value QSettings wrote: "@@x" is "@x"; "@String(x)" and
// "@ByteArray(x)" are x; "@Invalid()" is no value.
std::optional<std::wstring> unescaped(std::wstring text)
{
    if (text.starts_with(L"@@"))
        return text.substr(1);
    if (text == L"@Invalid()")
        return std::nullopt;
    for (const std::wstring_view prefix : {std::wstring_view(L"@String("), std::wstring_view(L"@ByteArray(")})
        if (text.starts_with(prefix) && text.ends_with(L')'))
            return text.substr(prefix.size(), text.size() - prefix.size() - 1);
    return text;
}

// UTF-16 text of `bytes` code units, without the terminating NULs the registry may keep.
std::wstring textOf(const std::vector<BYTE>& data, DWORD bytes)
{
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

} // namespace

std::optional<std::string> RegistrySettingsStore::get(std::string_view key) const
{
    const std::wstring path = wideOf(keyPath_);
    const std::wstring name = wideOf(key);
    DWORD type = 0;
    DWORD bytes = 0;
    LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                                  nullptr, &bytes);
    std::vector<BYTE> data;
    // The value may grow between the two calls: ask again until it fits.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        data.assign(bytes + 2 * sizeof(wchar_t), 0);
        bytes = static_cast<DWORD>(data.size());
        status = RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                              data.data(), &bytes);
        if (status == ERROR_SUCCESS)
            break;
    }
    if (status != ERROR_SUCCESS)
        return std::nullopt;

    std::optional<std::wstring> text;
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_BINARY: text = unescaped(textOf(data, bytes)); break;
    case REG_MULTI_SZ: {
        // Items separated by NUL, ending with an empty one.
        std::wstring joined;
        const std::wstring all(reinterpret_cast<const wchar_t*>(data.data()), bytes / sizeof(wchar_t));
        std::size_t at = 0;
        bool first = true;
        while (at < all.size() && all[at] != L'\0') {
            const std::size_t end = all.find(L'\0', at);
            const std::size_t stop = end == std::wstring::npos ? all.size() : end;
            if (!first)
                joined += L", ";
            joined += all.substr(at, stop - at);
            first = false;
            at = stop + 1;
        }
        text = std::move(joined);
        break;
    }
    case REG_DWORD: {
        DWORD number = 0;
        std::memcpy(&number, data.data(), sizeof(number));
        return std::to_string(static_cast<std::int32_t>(number));
    }
    case REG_QWORD: {
        std::int64_t number = 0;
        std::memcpy(&number, data.data(), sizeof(number));
        return std::to_string(number);
    }
    default: return std::nullopt;
    }
    if (!text)
        return std::nullopt;
    return Utf8OfWide(*text);
}

void RegistrySettingsStore::set(std::string_view key, std::string_view value)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, wideOf(keyPath_).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return;
    std::wstring text = wideOf(value);
    if (text.starts_with(L'@'))
        text.insert(text.begin(), L'@');
    const bool hasNul = text.find(L'\0') != std::wstring::npos;
    // REG_SZ keeps its terminating NUL; REG_BINARY keeps the characters alone.
    const DWORD bytes = static_cast<DWORD>((text.size() + (hasNul ? 0 : 1)) * sizeof(wchar_t));
    if (RegSetValueExW(handle, wideOf(key).c_str(), 0, hasNul ? REG_BINARY : REG_SZ,
                       reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS)
        RegFlushKey(handle);
    RegCloseKey(handle);
}

} // namespace vacantix
