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
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    HWND handle = CreateWindowExW(WS_EX_CONTROLPARENT, kMainWindowClass, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  100, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!handle)
        throw Failure(OtherError, "The main window could not be made: " + LastFailure().detail);
    window_ = win::Window(handle);
    background_ = CreateSolidBrush(kDesignedBackColor);
    buildControls();
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
                win::ListView::Create(parent, ControlId(ListId::Folders), false),
                ListSource{[&folders] { return folders.rowCount(); },
                           [&folders](std::size_t row) { return folders.rowText(row); }, nullptr,
                           [&folders] { return folders.headerText(); }, [&folders] { folders.deliverPending(); }});
            folders.setObserver(folders_.get());
        } else {
            results_ = std::make_unique<ListBinding>(
                win::ListView::Create(parent, ControlId(ListId::Results), true),
                ListSource{[&results] { return results.rowCount(); },
                           [&results](std::size_t row) { return results.rowText(row); },
                           [&results](std::size_t row) { return results.rowChecked(row); },
                           [&results] { return results.headerText(); }, [&results] { results.deliverPending(); }});
            results.setObserver(results_.get());
        }
    }
}

int Win32MainWindow::pixels(int twips) const
{
    return TwipsToPixels(twips, scale_);
}

void Win32MainWindow::arrange()
{
    for (const ControlDesign& control : kMainWindowControls) {
        const RECT place{pixels(control.place.left), pixels(control.place.top),
                         pixels(control.place.left + control.place.width),
                         pixels(control.place.top + control.place.height)};
        const bool isButton = control.kind == ControlKind::PushButton;
        const win::Window& shown = isButton ? static_cast<const win::Window&>(button(static_cast<Button>(control.number)))
                                            : list(static_cast<ListId>(control.number));
        shown.setFont(isButton ? buttonFont_.handle() : windowFont_.handle());
        shown.move(place);
    }
    for (const ListId id : {ListId::Folders, ListId::Results}) {
        const int twips = columnTwips_[static_cast<std::size_t>(id) - 1];
        if (twips > 0)
            list(id).setColumnWidth(pixels(twips));
    }
    window_.setFont(windowFont_.handle());
    window_.setClientSize(pixels(kMainWindowWidth), pixels(kMainWindowHeight), dpi_);
}

void Win32MainWindow::onDpiChanged(UINT dpi, const RECT& suggested)
{
    dpi_ = dpi;
    scale_ = scaleFor(dpi);
    windowFont_ = win::Font(faceOf(kWindowFont), kWindowFont.points, kWindowFont.bold, scale_);
    buttonFont_ = win::Font(faceOf(kButtonFont), kButtonFont.points, kButtonFont.bold, scale_);
    if (suggested.right > suggested.left)
        SetWindowPos(window_.handle(), nullptr, suggested.left, suggested.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    arrange();
    if (iconShown_)
        icon_.showIn(window_.handle());
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
    DeleteObject(background_);
    background_ = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    skinned_ = true;
    InvalidateRect(window_.handle(), nullptr, TRUE);
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

void Win32MainWindow::setColumnWidth(ListId id, int twips)
{
    columnTwips_[static_cast<std::size_t>(id) - 1] = twips;
    list(id).setColumnWidth(pixels(twips));
}

void Win32MainWindow::setButtonCaption(Button which, std::string_view caption)
{
    button(which).setText(ControlText(caption));
}

void Win32MainWindow::setButtonEnabled(Button which, bool enabled)
{
    button(which).enable(enabled);
}

void Win32MainWindow::showMousePointer(int value)
{
    using Shape = win::PointerCursor::Shape;
    const Shape shape = value == ArrowPointer    ? Shape::Arrow
                        : value == BusyPointer   ? Shape::Busy
                        : value == CustomPointer ? Shape::Custom
                                                 : Shape::PlaceDefault;
    pointer_.show(window_.handle(), shape);
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
