// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's messages, each handed to the core's handler for it, and
// the event loop: the thread's own and the turns a long command takes.
#include <chrono>

#include "app/win/Win32MainWindow.h"

namespace vacantix {

namespace {

// The longest a turn of the event loop handles messages before it lets the
// command that asked for it go on.
constexpr auto kLongestTurn = std::chrono::milliseconds(30);

} // namespace

LRESULT CALLBACK Win32MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->onMessage(message, wParam, lParam);
}

template <typename Command>
void Win32MainWindow::run(Command&& command)
{
    ++runningCommands_;
    try {
        command();
    } catch (const WindowClosed&) {
        // The window was closed while the command let the loop run: it ends here.
    }
    --runningCommands_;
    if (runningCommands_ == 0 && core_.closing() && window_.handle())
        DestroyWindow(window_.handle());
}

LRESULT Win32MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND handle = window_.handle();
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            const int id = LOWORD(wParam);
            if (IsButtonId(id))
                run([&] { core_.click(static_cast<Button>(id - kButtonIdBase)); });
        }
        return 0;
    case WM_NOTIFY:
        return onNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_SETCURSOR:
        if (onSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam)))
            return TRUE;
        break;
    case WM_ERASEBKGND: {
        RECT area = window_.clientRect();
        FillRect(reinterpret_cast<HDC>(wParam), &area, background_);
        return 1;
    }
    case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(background_);
    case WM_DPICHANGED:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CLOSE:
        onClose();
        return 0;
    case WM_NCDESTROY:
        window_ = win::Window();
        break;
    default:
        break;
    }
    return DefWindowProcW(handle, message, wParam, lParam);
}

LRESULT Win32MainWindow::onNotify(const NMHDR& notice)
{
    const bool folders = notice.idFrom == static_cast<UINT_PTR>(ControlId(ListId::Folders));
    const bool results = notice.idFrom == static_cast<UINT_PTR>(ControlId(ListId::Results));
    if (!folders && !results)
        return 0;
    switch (notice.code) {
    case LVN_GETDISPINFOW:
        binding(folders ? ListId::Folders : ListId::Results)
            .answer(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&notice)));
        return 0;
    case LVN_ODFINDITEMW:
        return -1;
    case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(notice).wVKey;
        if (folders)
            run([&] { core_.ListView1_KeyDown(key); });
        else if (key == VK_SPACE)
            toggleCheck(list(ListId::Results).focusedRow());
        return 0;
    }
    case NM_CLICK:
        if (results) {
            const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(notice);
            toggleCheck(list(ListId::Results).checkBoxRowAt(click.ptAction));
        }
        return 0;
    default:
        return 0;
    }
}

void Win32MainWindow::toggleCheck(int row)
{
    if (row < 0)
        return;
    const auto index = static_cast<std::size_t>(row);
    ResultsModel& results = core_.results();
    if (index < results.rowCount())
        run([&] { core_.ListView2_ItemCheck(index, !results.rowChecked(index)); });
}

bool Win32MainWindow::onSetCursor(HWND under, WORD hitTest)
{
    const HWND handle = window_.handle();
    if (hitTest != HTCLIENT)
        return false;
    if (under == handle) {
        core_.Form_MouseMove();
    } else if (under == list(ListId::Folders).handle()) {
        core_.ListView1_MouseMove();
    } else if (under == list(ListId::Results).handle()) {
        core_.ListView2_MouseMove();
    } else if (GetParent(under) == handle && IsButtonId(GetDlgCtrlID(under))) {
        core_.PushButton_MouseMove();
    }
    return pointer_.apply();
}

void Win32MainWindow::onClose()
{
    core_.Form_Unload();
    if (runningCommands_ > 0) {
        // The command ends at its next yield; the window goes with it.
        window_.show(SW_HIDE);
        return;
    }
    DestroyWindow(window_.handle());
}

void Win32MainWindow::dispatch(MSG& message)
{
    if (window_.handle() && IsDialogMessageW(window_.handle(), &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Win32MainWindow::turnEventLoop()
{
    const auto start = std::chrono::steady_clock::now();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Not ours to take: the loop that waits for it gets it again.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        dispatch(message);
        if (std::chrono::steady_clock::now() - start > kLongestTurn)
            return;
    }
}

void Win32MainWindow::runMessageLoop()
{
    MSG message;
    while (window_.handle() && GetMessageW(&message, nullptr, 0, 0) > 0)
        dispatch(message);
}

} // namespace vacantix
