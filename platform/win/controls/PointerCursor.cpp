// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win/controls/PointerCursor.h"

#include "platform/Failure.h"
#include "platform/win/WinPath.h"

namespace vacantix::win {

PointerCursor::~PointerCursor()
{
    if (custom_)
        DestroyCursor(custom_);
}

void PointerCursor::loadFile(const std::wstring& path)
{
    auto* loaded = static_cast<HCURSOR>(
        LoadImageW(nullptr, path.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
    if (!loaded) {
        const FsFailure failure = LastFailure();
        throw Failure(ErrorNumberOf(failure.error), "The cursor file could not be loaded: " + failure.detail);
    }
    if (custom_)
        DestroyCursor(custom_);
    custom_ = loaded;
}

HCURSOR PointerCursor::cursor() const
{
    switch (shape_) {
    case Shape::Arrow: return LoadCursorW(nullptr, IDC_ARROW);
    case Shape::Busy: return LoadCursorW(nullptr, IDC_WAIT);
    case Shape::Custom: return custom_ ? custom_ : LoadCursorW(nullptr, IDC_HAND);
    case Shape::PlaceDefault: return nullptr;
    }
    return nullptr;
}

void PointerCursor::show(HWND window, Shape shape)
{
    shape_ = shape;
    POINT mouse{};
    GetCursorPos(&mouse);
    const HWND under = WindowFromPoint(mouse);
    if (under == window || IsChild(window, under)) {
        const HCURSOR now = cursor();
        SetCursor(now ? now : LoadCursorW(nullptr, IDC_ARROW));
    }
}

bool PointerCursor::apply() const
{
    const HCURSOR now = cursor();
    if (!now)
        return false;
    SetCursor(now);
    return true;
}

} // namespace vacantix::win
