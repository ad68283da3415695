// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/win/Win32SettingsWindow.h"

#include "platform/Failure.h"
#include "platform/win/WinPath.h"
#include "platform/win/WinPrompter.h"

namespace vacantix {

namespace {

// The height of the delete mode's list when it is open, beyond the box.
constexpr int kDropDownTwips = 1500;

void registerClass()
{
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kSettingsWindowClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
}

win::Font fontOf(const FontDesign& font, double scale)
{
    return win::Font(ControlText(font.face), font.points, font.bold, scale);
}

const ControlDesign& designOf(std::string_view name)
{
    for (const ControlDesign& control : kSettingsWindowControls)
        if (control.name == name)
            return control;
    throw Failure(OtherError, "no control " + std::string(name) + " in the settings window's design");
}

} // namespace

Win32SettingsWindow::Win32SettingsWindow(HWND owner, SettingsWindow& core, double scale)
    : core_(core), owner_(owner), scale_(scale)
{
    registerClass();
    // Not WS_CLIPCHILDREN: the frames are drawn over the window's background.
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    HWND handle = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kSettingsWindowClass,
                                  ControlText(kSettingsCaption).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, 100,
                                  100, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!handle)
        throw Failure(OtherError, "The settings window could not be made: " + LastFailure().detail);
    window_ = win::Window(handle);
    SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32SettingsWindow::WindowProc));
    // White as designed, until the load gives it the button face.
    background_ = CreateSolidBrush(kDesignedBackColor);
    windowFont_ = fontOf(kWindowFont, scale);
    buttonFont_ = fontOf(kButtonFont, scale);
    buildControls();
    window_.setClientSize(TwipsToPixels(kSettingsWindowWidth, scale), TwipsToPixels(kSettingsWindowHeight, scale),
                          GetDpiForWindow(handle));
    core_.attach(*this);
}

Win32SettingsWindow::~Win32SettingsWindow()
{
    if (window_.handle())
        DestroyWindow(window_.handle());
    DeleteObject(background_);
}

RECT Win32SettingsWindow::placeOf(const ControlDesign& control) const
{
    DesignRect place = control.place;
    if (!control.container.empty()) {
        place.left += designOf(control.container).place.left;
        place.top += designOf(control.container).place.top;
    }
    if (control.captionRoom > 0)
        place.width = control.captionRoom;
    return {TwipsToPixels(place.left, scale_), TwipsToPixels(place.top, scale_),
            TwipsToPixels(place.left + place.width, scale_), TwipsToPixels(place.top + place.height, scale_)};
}

void Win32SettingsWindow::buildControls()
{
    const HWND parent = window_.handle();
    // Created in tab order, which is the order of the design's table.
    for (const ControlDesign& control : kSettingsWindowControls) {
        const int id = SettingsControlId(control.kind, control.number);
        const std::wstring caption = ControlText(control.caption);
        win::Window made;
        RECT place = placeOf(control);
        switch (control.kind) {
        case ControlKind::Frame:
            made = frames_[static_cast<std::size_t>(control.number - 1)] =
                win::Window::CreateChild(parent, id, L"BUTTON", caption, BS_GROUPBOX | WS_GROUP);
            break;
        case ControlKind::Label:
            made = label_ = win::Window::CreateChild(parent, id, L"STATIC", caption, SS_LEFT | SS_NOPREFIX);
            break;
        case ControlKind::ComboBox:
            made = deleteMode_ = win::ComboBox::Create(parent, id);
            place.bottom += TwipsToPixels(kDropDownTwips, scale_);
            break;
        case ControlKind::CheckBox:
            made = options_[static_cast<std::size_t>(control.number - 1)] = win::CheckBox::Create(parent, id, caption);
            break;
        case ControlKind::TextBox:
            made = ignoreList_ = win::Edit::CreateMultiLine(parent, id);
            settingIgnoreList_ = true;
            ignoreList_.setText(ControlText(kDesignIgnoreListText));
            settingIgnoreList_ = false;
            break;
        case ControlKind::PushButton:
            made = ok_ = win::Button::Create(parent, id, caption);
            break;
        case ControlKind::ListView:
            break;
        }
        made.setFont(control.kind == ControlKind::PushButton ? buttonFont_.handle() : windowFont_.handle());
        made.move(place);
    }
}

const win::CheckBox& Win32SettingsWindow::option(OptionBox box) const
{
    return options_[static_cast<std::size_t>(box) - 1];
}

void Win32SettingsWindow::setFormBackColors()
{
    DeleteObject(background_);
    background_ = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    InvalidateRect(window_.handle(), nullptr, TRUE);
}

void Win32SettingsWindow::showProgramIcon()
{
    icon_.showIn(window_.handle());
}

void Win32SettingsWindow::addDeleteModeItem(std::string_view text)
{
    deleteMode_.addItem(ControlText(text));
}

void Win32SettingsWindow::setDeleteMode(int position)
{
    if (deleteMode_.selection() == position)
        return;
    deleteMode_.select(position);
    core_.Combo1_Click(deleteMode_.selection());
}

void Win32SettingsWindow::setOption(OptionBox box, int state)
{
    if (option(box).state() == state)
        return;
    option(box).setState(state);
    core_.optionClicked(box, option(box).state());
}

void Win32SettingsWindow::setIgnoreList(std::string_view text)
{
    const std::wstring shown = ControlText(text);
    if (ignoreList_.text() == shown)
        return;
    settingIgnoreList_ = true;
    ignoreList_.setText(shown);
    settingIgnoreList_ = false;
    core_.Text1_Change(Utf8OfWide(ignoreList_.text()));
}

void Win32SettingsWindow::loadCustomPointer(const std::string& cursorFile)
{
    const auto path = ExtendedPath(cursorFile);
    if (!path)
        throw MakeFailure(BadFileName);
    pointer_.loadFile(*path);
}

void Win32SettingsWindow::showMousePointer(int value)
{
    using Shape = win::PointerCursor::Shape;
    const Shape shape = value == ArrowPointer    ? Shape::Arrow
                        : value == BusyPointer   ? Shape::Busy
                        : value == CustomPointer ? Shape::Custom
                                                 : Shape::PlaceDefault;
    pointer_.show(window_.handle(), shape);
}

void Win32SettingsWindow::centreOnScreen()
{
    window_.centreOnMonitor();
}

void Win32SettingsWindow::showModal()
{
    closed_ = false;
    if (owner_)
        EnableWindow(owner_, FALSE);
    window_.show(SW_SHOW);
    SetForegroundWindow(window_.handle());
    MSG message;
    while (!closed_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!IsDialogMessageW(window_.handle(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // The owner takes the input back before this window goes, so the
    // system does not hand the focus to another program.
    if (owner_) {
        EnableWindow(owner_, TRUE);
        SetActiveWindow(owner_);
    }
    window_.show(SW_HIDE);
}

void Win32SettingsWindow::unload()
{
    closed_ = true;
    PostMessageW(window_.handle(), WM_NULL, 0, 0);
}

LRESULT CALLBACK Win32SettingsWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<Win32SettingsWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->onMessage(message, wParam, lParam);
}

LRESULT Win32SettingsWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND handle = window_.handle();
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_SETCURSOR:
        if (onSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam)))
            return TRUE;
        break;
    case WM_ERASEBKGND: {
        RECT area = window_.clientRect();
        FillRect(reinterpret_cast<HDC>(wParam), &area, background_);
        return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        LOGBRUSH brush{};
        GetObjectW(background_, sizeof(brush), &brush);
        SetBkColor(reinterpret_cast<HDC>(wParam), brush.lbColor);
        return reinterpret_cast<LRESULT>(background_);
    }
    case WM_CLOSE:
        unload();
        return 0;
    case WM_NCDESTROY:
        window_ = win::Window();
        break;
    default:
        break;
    }
    return DefWindowProcW(handle, message, wParam, lParam);
}

void Win32SettingsWindow::onCommand(int id, int code)
{
    if (id == SettingsControlId(ControlKind::PushButton, 7) && code == BN_CLICKED) {
        core_.PushButton7_Click();
    } else if (id == SettingsControlId(ControlKind::ComboBox, 1) && code == CBN_SELCHANGE) {
        core_.Combo1_Click(deleteMode_.selection());
    } else if (id == SettingsControlId(ControlKind::TextBox, 1) && code == EN_CHANGE) {
        if (!settingIgnoreList_)
            core_.Text1_Change(Utf8OfWide(ignoreList_.text()));
    } else if (code == BN_CLICKED) {
        for (const OptionBox box : {OptionBox::ZeroByteFilesCountAsEmpty, OptionBox::SkipSystemFolders,
                                    OptionBox::IgnoreHiddenFolders}) {
            if (id != SettingsControlId(ControlKind::CheckBox, static_cast<int>(box)))
                continue;
            // A click checks an unchecked or grayed box and unchecks a checked one.
            option(box).setState(option(box).state() == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
            core_.optionClicked(box, option(box).state());
        }
    }
}

bool Win32SettingsWindow::onSetCursor(HWND under, WORD hitTest)
{
    if (hitTest != HTCLIENT)
        return false;
    if (under == ok_.handle()) {
        core_.PushButton7_MouseMove();
    } else if (under == window_.handle()) {
        POINT mouse{};
        GetCursorPos(&mouse);
        ScreenToClient(window_.handle(), &mouse);
        const RECT frame1 = frames_[0].placeInParent();
        const RECT frame2 = frames_[1].placeInParent();
        if (PtInRect(&frame1, mouse))
            core_.Frame1_MouseMove();
        else if (PtInRect(&frame2, mouse))
            core_.Frame2_MouseMove();
        else
            core_.Form_MouseMove();
    }
    return pointer_.apply();
}

} // namespace vacantix
