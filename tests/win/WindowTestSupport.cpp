// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/win/WindowTestSupport.h"

#include <chrono>
#include <cwchar>
#include <map>
#include <memory>
#include <vector>

#include <objidl.h>
// After objidl.h, which a lean windows.h leaves out.
#include <gdiplus.h>
#include <gtest/gtest.h>

namespace vacantix::wintest {

namespace {

std::map<UINT_PTR, std::function<void()>>& actions()
{
    static std::map<UINT_PTR, std::function<void()>> running;
    return running;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    const auto found = actions().find(id);
    if (found == actions().end())
        return;
    // The action may open a modal window whose loop runs this timer again.
    const std::function<void()> act = found->second;
    act();
}

} // namespace

UINT_PTR Repeat(UINT milliseconds, std::function<void()> act)
{
    const UINT_PTR id = SetTimer(nullptr, 0, milliseconds, OnTimer);
    actions()[id] = std::move(act);
    return id;
}

void StopRepeating(UINT_PTR id)
{
    KillTimer(nullptr, id);
    actions().erase(id);
}

void WhenWindowAppears(const wchar_t* windowClass, const wchar_t* title, std::function<void(HWND)> act)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    auto id = std::make_shared<UINT_PTR>(0);
    *id = Repeat(20, [=] {
        const HWND found = FindWindowW(windowClass, title);
        const bool late = std::chrono::steady_clock::now() > deadline;
        if ((!found || !IsWindowVisible(found)) && !late)
            return;
        StopRepeating(*id);
        if (found)
            act(found);
        else
            ADD_FAILURE() << "no window of class " << (windowClass ? windowClass : L"(any)") << " appeared";
    });
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool RunLoopUntil(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

void ClickAt(HWND window, POINT point)
{
    const LPARAM where = MAKELPARAM(point.x, point.y);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageW(window, WM_LBUTTONUP, 0, where);
    PumpMessages();
}

std::wstring ItemText(HWND window, int id)
{
    wchar_t text[4096] = {};
    GetDlgItemTextW(window, id, text, static_cast<int>(std::size(text)));
    return text;
}

RECT PlaceInParent(HWND control)
{
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

void SaveScreenshot(HWND window, const std::wstring& name)
{
    const wchar_t* folder = _wgetenv(L"VACANTIX_SCREENSHOTS");
    if (!folder || !*folder)
        return;
    PumpMessages();
    // The client area: a window manager, where there is one, draws the frame.
    RECT frame{};
    GetClientRect(window, &frame);
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&frame), 2);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC copy = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(copy, picture);
    BitBlt(copy, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(copy, old);
    ReleaseDC(nullptr, screen);
    DeleteDC(copy);

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    {
        Gdiplus::Bitmap bitmap(picture, nullptr);
        UINT count = 0;
        UINT bytes = 0;
        Gdiplus::GetImageEncodersSize(&count, &bytes);
        std::vector<BYTE> buffer(bytes);
        auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
        Gdiplus::GetImageEncoders(count, bytes, encoders);
        for (UINT i = 0; i < count; ++i) {
            if (std::wcscmp(encoders[i].MimeType, L"image/png") == 0) {
                EXPECT_EQ(bitmap.Save((std::wstring(folder) + L"\\" + name).c_str(), &encoders[i].Clsid, nullptr),
                          Gdiplus::Ok);
            }
        }
    }
    Gdiplus::GdiplusShutdown(token);
    DeleteObject(picture);
}

} // namespace vacantix::wintest
