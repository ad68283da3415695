// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win/controls/WindowIcon.h"

namespace vacantix::win {

namespace {

HICON loadIcon(int width, int height)
{
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

} // namespace

WindowIcon::~WindowIcon()
{
    release();
}

void WindowIcon::release()
{
    if (large_)
        DestroyIcon(large_);
    if (little_)
        DestroyIcon(little_);
    large_ = little_ = nullptr;
}

bool WindowIcon::showIn(HWND window)
{
    const UINT dpi = GetDpiForWindow(window);
    HICON large = loadIcon(GetSystemMetricsForDpi(SM_CXICON, dpi), GetSystemMetricsForDpi(SM_CYICON, dpi));
    HICON little = loadIcon(GetSystemMetricsForDpi(SM_CXSMICON, dpi), GetSystemMetricsForDpi(SM_CYSMICON, dpi));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));
    release();
    large_ = large;
    little_ = little;
    return large_ && little_;
}

} // namespace vacantix::win
