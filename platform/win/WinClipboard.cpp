// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win/WinClipboard.h"

#include <cstring>
#include <string>

#include "platform/win/WinPath.h"

namespace vacantix {

namespace {

// The clipboard, open for as long as the object lives.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenClipboardScope()
    {
        if (open_)
            CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

std::wstring wideText(std::string_view text)
{
    if (auto wide = WideOfUtf8(text))
        return std::move(*wide);
    std::wstring replaced;
    for (const char c : text)
        replaced.push_back(static_cast<unsigned char>(c) < 0x80 ? static_cast<wchar_t>(c) : L'\uFFFD');
    return replaced;
}

} // namespace

bool WinClipboard::clear()
{
    const OpenClipboardScope clipboard(owner_);
    return clipboard && EmptyClipboard();
}

bool WinClipboard::setText(std::string_view text)
{
    const std::wstring wide = wideText(text);
    const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory)
        return false;
    if (void* target = GlobalLock(memory)) {
        std::memcpy(target, wide.c_str(), bytes);
        GlobalUnlock(memory);
    }
    const OpenClipboardScope clipboard(owner_);
    // Once SetClipboardData has taken the memory, the clipboard owns it.
    if (clipboard && EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory))
        return true;
    GlobalFree(memory);
    return false;
}

} // namespace vacantix
