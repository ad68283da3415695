// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Thin wrappers over Win32 windows and controls, one small class per kind,
// whose methods are single messages or calls: a window's code reads as what
// it does, not as message numbers. A wrapper holds a handle and owns
// nothing: a control lives as long as the window that holds it.

#include <string>
#include <string_view>

#include <windows.h>

namespace vacantix::win {

// Any window or control.
class Window {
public:
    Window() = default;
    explicit Window(HWND handle) : handle_(handle) {}

    // Creates a child control of `parent` with the identifier `id`; the
    // wrapper is empty (false) when the system refused it.
    static Window CreateChild(HWND parent, int id, const wchar_t* windowClass, std::wstring_view text,
                              DWORD style, DWORD exStyle = 0);

    [[nodiscard]] HWND handle() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return SendMessageW(handle_, message, wParam, lParam);
    }

    void setText(std::wstring_view text) const { SetWindowTextW(handle_, std::wstring(text).c_str()); }
    [[nodiscard]] std::wstring text() const;

    void enable(bool enabled) const { EnableWindow(handle_, enabled ? TRUE : FALSE); }
    void show(int command = SW_SHOW) const { ShowWindow(handle_, command); }

    void setFont(HFONT font) const { send(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
    // Places the window at a rectangle of its parent's client area.
    void move(const RECT& place) const
    {
        MoveWindow(handle_, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
    }
    [[nodiscard]] RECT clientRect() const;
    // Sizes a top-level window so that its client area is `width` by
    // `height` pixels on a screen of `dpi`, and keeps its place.
    void setClientSize(int width, int height, UINT dpi) const;
    // Places a top-level window at the centre of the work area of the
    // monitor it is on.
    void centreOnMonitor() const;
    // The window's rectangle in its parent's client coordinates.
    [[nodiscard]] RECT placeInParent() const;

private:
    HWND handle_ = nullptr;
};

// A font made with CreateFontIndirectW, deleted with its owner.
class Font {
public:
    Font() = default;
    // The face at a size in points, drawn at `scale` (1 on a 96-dpi screen).
    Font(std::wstring_view face, double points, bool bold, double scale);
    ~Font();
    Font(Font&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    Font& operator=(Font&& other) noexcept;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    [[nodiscard]] HFONT handle() const { return handle_; }

private:
    HFONT handle_ = nullptr;
};

} // namespace vacantix::win
