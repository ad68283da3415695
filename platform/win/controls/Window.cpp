// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win/controls/Window.h"

#include <cmath>

namespace vacantix::win {

Window Window::CreateChild(HWND parent, int id, const wchar_t* windowClass, std::wstring_view text, DWORD style,
                           DWORD exStyle)
{
    const std::wstring caption(text);
    return Window(CreateWindowExW(exStyle, windowClass, caption.c_str(), style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                  parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleW(nullptr), nullptr));
}

std::wstring Window::text() const
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(handle_)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(handle_, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT Window::clientRect() const
{
    RECT rect{};
    GetClientRect(handle_, &rect);
    return rect;
}

RECT Window::placeInParent() const
{
    RECT rect{};
    GetWindowRect(handle_, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(handle_), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

Font::Font(const wchar_t* face, double points, bool bold, UINT dpi)
{
    LOGFONTW description{};
    description.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0));
    description.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(description.lfFaceName, face, LF_FACESIZE);
    handle_ = CreateFontIndirectW(&description);
}

Font::~Font()
{
    if (handle_)
        DeleteObject(handle_);
}

Font& Font::operator=(Font&& other) noexcept
{
    if (this != &other) {
        if (handle_)
            DeleteObject(handle_);
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

} // namespace vacantix::win
