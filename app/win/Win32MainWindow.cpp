// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls, their places and fonts, and what the core
// sets on them. Its messages are handled in Win32MainWindowEvents.cpp.
#include "app/win/Win32MainWindow.h"

#include <filesystem>
#include <fstream>

#include "platform/Failure.h"
#include "platform/win/WinPath.h"
#include "platform/win/WinPrompter.h"
#include "settings/SettingsWindowDesign.h"
#include "settings/win/Win32SettingsWindow.h"

namespace vacantix {

namespace {

std::wstring faceOf(const FontDesign& font)
{
    return ControlText(font.face);
}

// The factor from twips to pixels for a monitor of `dpi`: the DPI's own,
// enlarged where a caption of either window would not fit in the face that
// stands in for Arial.
double scaleFor(UINT dpi)
{
    const double dpiScale = dpi / static_cast<double>(USER_DEFAULT_SCREEN_DPI);
    const win::Font windowFont(faceOf(kWindowFont), kWindowFont.points, kWindowFont.bold, dpiScale);
    const win::Font buttonFont(faceOf(kButtonFont), kButtonFont.points, kButtonFont.bold, dpiScale);
    HDC screen = GetDC(nullptr);
    HDC measure = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    const auto width = [&](std::string_view caption, bool inButtonFont) {
        SelectObject(measure, inButtonFont ? buttonFont.handle() : windowFont.handle());
        const std::wstring text = ControlText(caption);
        SIZE size{};
        GetTextExtentPoint32W(measure, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<double>(size.cx);
    };
    SelectObject(measure, buttonFont.handle());
    TEXTMETRICW metrics{};
    GetTextMetricsW(measure, &metrics);
    const CaptionMetrics captions{width, static_cast<double>(metrics.tmHeight)};
    const double scale = DesignScale(dpiScale, captions, {kMainWindowControls, kSettingsWindowControls});
    DeleteDC(measure);
    return scale;
}

win::ListView::SortArrow SortArrowOf(RowOrder order)
{
    switch (order) {
    case RowOrder::Found: return win::ListView::SortArrow::None;
    case RowOrder::PathAscending: return win::ListView::SortArrow::Up;
    case RowOrder::PathDescending: return win::ListView::SortArrow::Down;
    }
    return win::ListView::SortArrow::None;
}

// Windows' dark scheme for apps, which the system's window colours do not
// tell: the user's choice in the Personalize settings, and its colours.
constexpr COLORREF kDarkWindow = RGB(32, 32, 32);
constexpr COLORREF kDarkWindowText = RGB(255, 255, 255);

bool AppsUseDarkScheme()
{
    DWORD light = 1;
    DWORD size = sizeof(light);
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                        L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &light, &size) == ERROR_SUCCESS &&
           light == 0;
}

void registerClass()
{
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kMainWindowClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
}

} // namespace

Win32MainWindow::Win32MainWindow(MainWindow& core) : core_(core)
{
    registerClass();
    constexpr DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    HWND handle = CreateWindowExW(WS_EX_CONTROLPARENT, kMainWindowClass, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  100, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!handle)
        throw Failure(OtherError, "The main window could not be made: " + LastFailure().detail);
    window_ = win::Window(handle);
    buildControls();
    showBackColor();
    showDropsAccepted();
    // The window hears its messages once its controls are all there.
    SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32MainWindow::WindowProc));
    onDpiChanged(GetDpiForWindow(handle), {});
    core_.attach(*this);
}

Win32MainWindow::~Win32MainWindow()
{
    core_.folderList().setObserver(nullptr);
    core_.results().setObserver(nullptr);
    folders_.reset();
    results_.reset();
    if (window_.handle())
        DestroyWindow(window_.handle());
    if (background_)
        DeleteObject(background_);
}

void Win32MainWindow::buildControls()
{
    const HWND parent = window_.handle();
    FolderListModel& folders = core_.folderList();
    ResultsModel& results = core_.results();
    // Created in tab order, which is the order of the design's table.
    for (const ControlDesign& control : kMainWindowControls) {
        if (control.kind == ControlKind::PushButton) {
            const auto button = static_cast<Button>(control.number);
            buttons_[static_cast<std::size_t>(control.number - 1)] =
                win::Button::Create(parent, ControlId(button), ControlText(control.caption));
        } else if (control.number == static_cast<int>(ListId::Folders)) {
            folders_ = std::make_unique<ListBinding>(
                win::ListView::Create(parent, ControlId(ListId::Folders), false, false),
                ListSource{[&folders] { return folders.rowCount(); },
                           [&folders](std::size_t row) { return folders.rowText(row); }, nullptr,
                           [&folders] { return folders.headerText(); }, [&folders] { folders.deliverPending(); },
                           nullptr});
            folders.setObserver(folders_.get());
        } else {
            results_ = std::make_unique<ListBinding>(
                win::ListView::Create(parent, ControlId(ListId::Results), true, true),
                ListSource{[&results] { return results.rowCount(); },
                           [&results](std::size_t row) { return results.rowText(row); },
                           [&results](std::size_t row) { return results.rowChecked(row); },
                           [&results] { return results.headerText(); }, [&results] { results.deliverPending(); },
                           [&results] { return SortArrowOf(results.rowOrder()); }});
            results.setObserver(results_.get());
        }
    }
}

void Win32MainWindow::applyFonts()
{
    for (const ControlDesign& control : kMainWindowControls) {
        if (control.kind == ControlKind::PushButton)
            button(static_cast<Button>(control.number)).setFont(buttonFont_.handle());
        else
            list(static_cast<ListId>(control.number)).setFont(windowFont_.handle());
    }
    window_.setFont(windowFont_.handle());
}

void Win32MainWindow::fitToMonitor()
{
    const RECT work = window_.workArea();
    const SIZE frame = window_.frameSize(dpi_);
    fit_.emplace(scale_, PixelSize{work.right - work.left - frame.cx, work.bottom - work.top - frame.cy});
}

void Win32MainWindow::placeControls()
{
    const RECT client = window_.clientRect();
    if (!fit_ || client.right <= 0 || client.bottom <= 0)
        return; // minimised
    const PixelSize shown{client.right, client.bottom};
    for (const ControlDesign& control : kMainWindowControls) {
        const PixelRect place = fit_->place(control, shown);
        const RECT rect{place.left, place.top, place.left + place.width, place.top + place.height};
        if (control.kind == ControlKind::PushButton)
            button(static_cast<Button>(control.number)).move(rect);
        else
            list(static_cast<ListId>(control.number)).move(rect);
    }
    for (const ListId id : {ListId::Folders, ListId::Results})
        list(id).fillWidth();
}

void Win32MainWindow::onDpiChanged(UINT dpi, const RECT& suggested)
{
    dpi_ = dpi;
    scale_ = scaleFor(dpi);
    windowFont_ = win::Font(faceOf(kWindowFont), kWindowFont.points, kWindowFont.bold, scale_);
    buttonFont_ = win::Font(faceOf(kButtonFont), kButtonFont.points, kButtonFont.bold, scale_);
    applyFonts();
    fitToMonitor();
    if (suggested.right > suggested.left) {
        SetWindowPos(window_.handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        window_.setClientSize(fit_->first().width, fit_->first().height, dpi_);
    }
    placeControls();
    if (iconShown_)
        icon_.showIn(window_.handle());
}

void Win32MainWindow::onMinMaxInfo(MINMAXINFO& info) const
{
    if (!fit_)
        return;
    const SIZE frame = window_.frameSize(dpi_);
    info.ptMinTrackSize = {fit_->least().width + frame.cx, fit_->least().height + frame.cy};
}

const win::ListView& Win32MainWindow::list(ListId list) const
{
    return binding(list).view();
}

ListBinding& Win32MainWindow::binding(ListId list) const
{
    return list == ListId::Folders ? *folders_ : *results_;
}

const win::Button& Win32MainWindow::button(Button button) const
{
    return buttons_[static_cast<std::size_t>(button) - 1];
}

void Win32MainWindow::centreOnScreen()
{
    fitToMonitor();
    if (!IsWindowVisible(window_.handle()))
        window_.setClientSize(fit_->first().width, fit_->first().height, dpi_);
    window_.centreOnMonitor();
}

void Win32MainWindow::applySkin(const std::string& skinFile)
{
    // A skin's look is a style sheet for the Qt window; the Win32 window
    // takes from it only what the design asks of every skin: the
    // button-face background. The file must still be readable.
    const auto path = ExtendedPath(skinFile);
    if (!path || !std::ifstream(std::filesystem::path(*path), std::ios::binary))
        throw MakeFailure(FileNotFound);
    skinned_ = true;
    showBackColor();
}

void Win32MainWindow::showBackColor()
{
    COLORREF back = GetSysColor(COLOR_BTNFACE);
    bool dark = false;
    if (!skinned_) {
        dark = AppsUseDarkScheme();
        const COLORREF window = dark ? kDarkWindow : GetSysColor(COLOR_WINDOW);
        const COLORREF windowText = dark ? kDarkWindowText : GetSysColor(COLOR_WINDOWTEXT);
        back = MainWindowBackColor(window, windowText);
        // The lists go dark with the window; under the light look they keep
        // the system's colours.
        const bool darkLook = back != kDesignedBackColor;
        for (const ListId id : {ListId::Folders, ListId::Results})
            list(id).setColors(darkLook ? window : GetSysColor(COLOR_WINDOW),
                               darkLook ? windowText : GetSysColor(COLOR_WINDOWTEXT));
    }
    if (background_)
        DeleteObject(background_);
    background_ = CreateSolidBrush(back);
    window_.useDarkFrame(dark);
    RedrawWindow(window_.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Win32MainWindow::loadCustomPointer(const std::string& cursorFile)
{
    const auto path = ExtendedPath(cursorFile);
    if (!path)
        throw MakeFailure(BadFileName);
    pointer_.loadFile(*path);
}

void Win32MainWindow::setCaption(std::string_view caption)
{
    window_.setText(ControlText(caption));
}

void Win32MainWindow::showProgramIcon()
{
    iconShown_ = true;
    icon_.showIn(window_.handle());
}

void Win32MainWindow::showColumnHeader(ListId id)
{
    const win::ListView& view = list(id);
    const std::wstring header = ControlText(id == ListId::Folders ? core_.folderList().headerText()
                                                                  : core_.results().headerText());
    if (!view.hasColumn())
        view.addColumn(header, 0);
    else
        view.setColumnHeader(header);
}

void Win32MainWindow::setColumnWidth(ListId id, int)
{
    // The column spans its list at any size, wider than designed.
    list(id).fillWidth();
}

void Win32MainWindow::setButtonCaption(Button which, std::string_view caption)
{
    button(which).setText(ControlText(caption));
}

void Win32MainWindow::setButtonEnabled(Button which, bool enabled)
{
    button(which).enable(enabled);
    showDropsAccepted();
}

void Win32MainWindow::showMousePointer(int value)
{
    using Shape = win::PointerCursor::Shape;
    const Shape shape = value == ArrowPointer    ? Shape::Arrow
                        : value == BusyPointer   ? Shape::Busy
                        : value == CustomPointer ? Shape::Custom
                                                 : Shape::PlaceDefault;
    pointer_.show(window_.handle(), shape);
    showDropsAccepted();
}

std::optional<std::size_t> Win32MainWindow::currentFolder() const
{
    const win::ListView& view = list(ListId::Folders);
    int row = view.selectedRow();
    if (row < 0)
        row = view.focusedRow();
    if (row < 0)
        return std::nullopt;
    return static_cast<std::size_t>(row) + 1;
}

std::unique_ptr<SettingsWindowView> Win32MainWindow::createSettingsWindow(SettingsWindow& window)
{
    return std::make_unique<Win32SettingsWindow>(window_.handle(), window, scale_);
}

} // namespace vacantix
