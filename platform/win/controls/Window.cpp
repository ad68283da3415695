// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win/controls/Window.h"

#include <algorithm>
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

void Window::setClientSize(int width, int height, UINT dpi) const
{
    RECT frame{0, 0, width, height};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(handle_, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongPtrW(handle_, GWL_EXSTYLE)), dpi);
    SetWindowPos(handle_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::centreOnMonitor() const
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(handle_, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT frame{};
    GetWindowRect(handle_, &frame);
    const RECT& work = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(handle_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Font::Font(std::wstring_view face, double points, bool bold, double scale)
{
    LOGFONTW description{};
    // 72 points make an inch, 96 pixels an inch at scale 1.
    description.lfHeight = -static_cast<LONG>(std::lround(points * 96.0 * scale / 72.0));
    description.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfQuality = CLEARTYPE_QUALITY;
    face.copy(description.lfFaceName, std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
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
