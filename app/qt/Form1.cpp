// SPDX-License-Identifier: GPL-3.0-or-later
// The main window in Qt: the services it binds, what the core asks of it,
// and the events it forwards.
#include "app/qt/Form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>

#include "base/qt/Appearance.h"
#include "platform/PlatformServices.h"
#include "platform/qt/DesktopFolderOpener.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtPrompter.h"
#include "results/qt/ResultsItemModel.h"
#include "roots/qt/FolderItemModel.h"
#include "roots/qt/SampleLocation.h"
#include "settings/qt/Form2.h"

namespace vacantix {

// The desktop's services for the window's commands.
struct Form1::Services {
    std::unique_ptr<Trash> trash = MakeTrash();
    std::unique_ptr<DirectRemover> remover = MakeDirectRemover();
    std::unique_ptr<FileWriter> writer = MakeFileWriter();
    QtClipboard clipboard;
    DesktopFolderOpener opener;
};

Form1::Form1(FileSystem& fs, Settings& settings, Prompter& prompter, std::string programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      services_(std::make_unique<Services>()),
      customPointer_(Qt::PointingHandCursor)
{
    const QString folder = QFile::decodeName(programFolder.c_str());
    core_ = std::make_unique<MainWindow>(MainWindowServices{
        fs, settings, prompter, *services_->trash, *services_->remover, *services_->writer, services_->clipboard,
        services_->opener, std::move(programFolder),
        [folder] { return QFile::encodeName(PrepareSampleRoot(folder)).toStdString(); }});
    core_->attach(*this);
    folderItems_ = std::make_unique<FolderItemModel>(core_->folderList());
    resultItems_ = std::make_unique<ResultsItemModel>(core_->results());
    resultItems_->setCheckHandler([this](std::size_t row, bool checked) {
        return core_->ListView2_ItemCheck(row, checked);
    });

    setObjectName(QStringLiteral("Form1"));
    buildControls();
    applyFonts();
    arrange();
    showBackColor();
    setMouseTracking(true);

    for (QPushButton* pushButton : buttons_)
        pushButton->installEventFilter(this);
    for (QTreeView* view : {listView1_, listView2_}) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        view->viewport()->setMouseTracking(true);
        view->header()->installEventFilter(this);
        view->header()->setMouseTracking(true);
    }
    for (const Button command : kButtons)
        connect(button(command), &QPushButton::clicked, this, [this, command] { core_->click(command); });
    connectLists();
}

Form1::~Form1() = default;

// ------------------------------------------------------ what the core asks

void Form1::centreOnScreen()
{
    fitToScreen();
    if (const QScreen* shown = screen()) {
        const QRect available = shown->availableGeometry();
        const QPoint centred = available.center() - rect().center();
        // The title bar stays on the screen.
        move(std::max(centred.x(), available.left()), std::max(centred.y(), available.top()));
    }
}

void Form1::showBackColor()
{
    if (skinned_) {
        SetBackColor(*this, ButtonFaceColor());
        return;
    }
    const QPalette desktop = QApplication::palette();
    const auto bgr = [](const QColor& colour) {
        return static_cast<std::uint32_t>(colour.red()) | static_cast<std::uint32_t>(colour.green()) << 8 |
               static_cast<std::uint32_t>(colour.blue()) << 16;
    };
    SetBackColor(*this, QtColor(MainWindowBackColor(bgr(desktop.color(QPalette::Window)),
                                                    bgr(desktop.color(QPalette::WindowText)))));
}

void Form1::applySkin(const std::string& skinFile)
{
    skinned_ = true;
    SetBackColor(*this, ButtonFaceColor());
    QFile file(PathText(skinFile));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Failure(file.error() == QFileDevice::PermissionsError ? PermissionDenied : FileNotFound,
                      file.errorString().toStdString());
    setStyleSheet(QString::fromUtf8(file.readAll()));
}

void Form1::loadCustomPointer(const std::string& cursorFile)
{
    customPointer_ = LoadCursorFile(cursorFile);
    if (core_->mousePointer() == CustomPointer)
        setCursor(customPointer_);
}

void Form1::setCaption(std::string_view caption)
{
    setWindowTitle(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
}

void Form1::showProgramIcon()
{
    setWindowIcon(ProgramIcon());
}

void Form1::showColumnHeader(ListId which)
{
    list(which)->header()->show();
}

void Form1::setColumnWidth(ListId which, int width)
{
    list(which)->setColumnWidth(0, twips(width));
}

void Form1::setButtonCaption(Button which, std::string_view caption)
{
    button(which)->setText(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
}

void Form1::setButtonEnabled(Button which, bool enabled)
{
    button(which)->setEnabled(enabled);
}

void Form1::showMousePointer(int value)
{
    ShowMousePointer(*this, value, customPointer_);
}

std::optional<std::size_t> Form1::currentFolder() const
{
    const QModelIndex current = listView1_->currentIndex();
    if (!current.isValid())
        return std::nullopt;
    return static_cast<std::size_t>(current.row()) + 1;
}

void Form1::turnEventLoop()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

std::unique_ptr<SettingsWindowView> Form1::createSettingsWindow(SettingsWindow& window)
{
    return std::make_unique<Form2>(window, scale_, this);
}

// ---------------------------------------------------------------- events

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    // Moves over a control that ignores them reach the window too; only the
    // background itself resets the pointer here.
    if (!childAt(event->position().toPoint()))
        core_->Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

void Form1::resizeEvent(QResizeEvent* event)
{
    placeControls();
    QWidget::resizeEvent(event);
}

void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The window's frame is known once it is shown; a window that does not
    // fit the screen with it is made to.
    QMetaObject::invokeMethod(this, &Form1::fitToScreen, Qt::QueuedConnection);
}

bool Form1::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // The desktop switched between light and dark colours.
    if (event->type() == QEvent::ApplicationPaletteChange)
        showBackColor();
    return handled;
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == listView1_->viewport() && takeDrop(event))
        return true;
    if (watched == listView2_->viewport() && type == QEvent::MouseButtonDblClick)
        doubleClicked(static_cast<QMouseEvent*>(event));
    if (type == QEvent::ContextMenu) {
        for (QTreeView* view : {listView1_, listView2_}) {
            if (watched == view || watched == view->viewport()) {
                showContextMenu(view, static_cast<QContextMenuEvent*>(event));
                return true;
            }
        }
    }
    const auto partOf = [watched](QTreeView* view) {
        return watched == view || watched == view->viewport() || watched == view->header();
    };
    if (type == QEvent::MouseMove || type == QEvent::Enter) {
        if (qobject_cast<QPushButton*>(watched))
            core_->PushButton_MouseMove();
        else if (partOf(listView1_))
            core_->ListView1_MouseMove();
        else if (partOf(listView2_))
            core_->ListView2_MouseMove();
    } else if (type == QEvent::KeyPress && watched == listView1_ &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        core_->ListView1_KeyDown(kDeleteKeyCode);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // A command that lets the event loop run notices this at its next turn
    // and ends without another word; the program ends when it has unwound.
    core_->Form_Unload();
    event->accept();
}

} // namespace vacantix

#include "moc_Form1.cpp"
