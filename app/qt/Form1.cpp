// SPDX-License-Identifier: GPL-3.0-or-later
// The main window in Qt: the services it binds, what the core asks of it,
// and the events it forwards.
#include "app/qt/Form1.h"

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
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
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
    SetBackColor(*this, QtColor(kDesignedBackColor));
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
}

Form1::~Form1() = default;

// ------------------------------------------------------ what the core asks

void Form1::centreOnScreen()
{
    if (const QScreen* shown = screen())
        move(shown->availableGeometry().center() - rect().center());
}

void Form1::applySkin(const std::string& skinFile)
{
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

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
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
