// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: construction and start-up, the mouse pointer, the folder
// list commands (load list files, clear, the Delete key), the scan button,
// and the event-loop turns that long commands take.
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

#include "app/qt/Appearance.h"
#include "platform/ApplicationTitle.h"
#include "platform/qt/QtPrompter.h"
#include "results/qt/ResultsModel.h"
#include "roots/ListFile.h"
#include "roots/qt/FolderListModel.h"
#include "scan/ScanRun.h"

namespace vacantix {

namespace {
// Within a burst of yields (calls closer together than the burst gap), the
// event loop turns at most once per turn gap.
constexpr qint64 kBurstGapNs = 1'000'000;
constexpr qint64 kTurnGapInBurstNs = 10'000'000;
// A turn this long (a view laying out a long list anew) is followed by one
// more.
constexpr qint64 kLongTurnNs = 20'000'000;
}

class Form1::WindowHooks final : public ScanHooks {
public:
    explicit WindowHooks(Form1& form) : form_(form) {}

    void yield() override { form_.yieldToEventLoop(); }
    bool stopRequested() override { return form_.stopFlag_; }
    void setStatusText(std::string_view text) override { form_.folderModel_->setHeaderText(std::string(text)); }

private:
    Form1& form_;
};

Form1::Form1(FileSystem& fs, Settings& settings, Prompter& prompter, std::string programFolder,
             QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      fs_(fs),
      settings_(settings),
      prompter_(prompter),
      programFolder_(std::move(programFolder)),
      customPointer_(Qt::PointingHandCursor),
      hooks_(std::make_unique<WindowHooks>(*this))
{
    setObjectName(QStringLiteral("Form1"));
    folderModel_ = new FolderListModel(this);
    resultsModel_ = new ResultsModel(this);
    buildControls();
    applyFonts();
    arrange();
    SetBackColor(*this, Qt::white);
    setMouseTracking(true);

    for (QPushButton* button : buttons_)
        button->installEventFilter(this);
    for (QTreeView* view : {listView1_, listView2_}) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        view->viewport()->setMouseTracking(true);
        view->header()->installEventFilter(this);
        view->header()->setMouseTracking(true);
    }

    const std::array<void (Form1::*)(), 12> handlers = {
        &Form1::PushButton1_Click, &Form1::PushButton2_Click,  &Form1::PushButton3_Click,
        &Form1::PushButton4_Click, &Form1::PushButton5_Click,  &Form1::PushButton6_Click,
        &Form1::PushButton7_Click, &Form1::PushButton8_Click,  &Form1::PushButton9_Click,
        &Form1::PushButton10_Click, &Form1::PushButton11_Click, &Form1::PushButton12_Click,
    };
    for (std::size_t i = 0; i < handlers.size(); ++i)
        connect(buttons_[i], &QPushButton::clicked, this, handlers[i]);

    sinceYield_.start();
    sinceYieldCall_.start();
}

Form1::~Form1() = default;

FolderList& Form1::roots() const
{
    return *folderModel_;
}

ResultsList& Form1::results() const
{
    return *resultsModel_;
}

ScanHooks& Form1::hooks() const
{
    return *hooks_;
}

void Form1::Form_Load()
{
    // The window takes its place at the centre of the screen before the
    // first step, so an error report of the start-up is centred over the
    // place where the window then appears.
    if (const QScreen* shown = screen())
        move(shown->availableGeometry().center() - rect().center());
    Trap trap(prompter_, "in Vacantix2021/08/31.Form1.Form_Load ");
    trap.step(100, [&] { ApplySkin(); });
    const std::string cursorFile = ChildPath(programFolder_, "HAND-M.CUR");
    if (trap.test(104, [&] { return fs_.fileExists(cursorFile); }))
        trap.step(106, [&] { loadCursorFile(cursorFile); });
    trap.step(126, [&] {
        setWindowTitle(QString::fromUtf8(kProductName.data(), static_cast<qsizetype>(kProductName.size())));
        setWindowIcon(ProgramIcon());
        SetApplicationTitle();
    });
    // Each list's one column and its header text come with its model; these
    // steps show the headers and size the columns.
    trap.step(128, [&] {
        folderModel_->setHeaderText(std::string(kFolderListHeader));
        listView1_->header()->show();
    });
    trap.step(130, [&] { listView1_->setColumnWidth(0, twips(7000)); });
    trap.step(132, [&] { listView2_->header()->show(); });
    trap.step(134, [&] { listView2_->setColumnWidth(0, twips(7000)); });
    ensureSampleFolders(trap);
}

void Form1::ApplySkin()
{
    const std::string skinFile = ChildPath(programFolder_, "x/o.cjs");
    if (!fs_.fileExists(skinFile) || fs_.isDirectory(skinFile))
        return;
    SetBackColor(*this, ButtonFaceColor());
    QFile file(PathText(skinFile));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Failure(file.error() == QFileDevice::PermissionsError ? PermissionDenied : FileNotFound,
                      file.errorString().toStdString());
    setStyleSheet(QString::fromUtf8(file.readAll()));
}

void Form1::loadCursorFile(const std::string& path)
{
    customPointer_ = LoadCursorFile(path);
    customPointerLoaded_ = true;
    if (mousePointer_ == CustomPointer)
        setCursor(customPointer_);
}

// ---------------------------------------------------------------- pointer

void Form1::setMousePointer(int value)
{
    mousePointer_ = value;
    ShowMousePointer(*this, value, customPointer_);
}

void Form1::setPointerUnlessBusy(int value)
{
    if (mousePointer_ != BusyPointer && mousePointer_ != value)
        setMousePointer(value);
}

void Form1::Form_MouseMove()
{
    setPointerUnlessBusy(DefaultPointer);
}

void Form1::ListView1_MouseMove()
{
    setPointerUnlessBusy(DefaultPointer);
}

void Form1::PushButton_MouseMove()
{
    setPointerUnlessBusy(CustomPointer);
}

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    // Moves over a control that ignores them reach the window too; only the
    // background itself resets the pointer here.
    if (!childAt(event->position().toPoint()))
        Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseMove || type == QEvent::Enter) {
        if (qobject_cast<QPushButton*>(watched)) {
            PushButton_MouseMove();
        } else if (watched == listView1_ || watched == listView1_->viewport() || watched == listView1_->header()) {
            ListView1_MouseMove();
        } else if (watched == listView2_ || watched == listView2_->viewport() || watched == listView2_->header()) {
            ListView2_MouseMove();
        }
    } else if (type == QEvent::KeyPress && watched == listView1_) {
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
            ListView1_KeyDown(46);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ------------------------------------------------------------ event loop

void Form1::yieldToEventLoop()
{
    // Some commands yield once per line or entry, thousands of times a
    // second; a turn of the event loop costs more than such a step, so in a
    // burst the loop turns every few milliseconds, which no click or repaint
    // can tell apart from always. A yield after a pause always turns it.
    const qint64 sinceTurnNs = sinceYield_.nsecsElapsed();
    const bool inBurst = sinceYieldCall_.nsecsElapsed() < kBurstGapNs;
    sinceYieldCall_.restart();
    if (inBurst && sinceTurnNs < kTurnGapInBurstNs && !closing_)
        return;
    longestGapMs_ = std::max(longestGapMs_, static_cast<double>(sinceTurnNs) / 1e6);
    resultsModel_->refresh();
    QElapsedTimer turn;
    turn.start();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // Events that came during a long turn wait for the next one; they are
    // served now rather than after another slice of the command's work.
    if (turn.nsecsElapsed() >= kLongTurnNs && !closing_)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    sinceYield_.restart();
    sinceYieldCall_.restart();
    if (closing_)
        throw WindowClosed{};
}

void Form1::resetYieldGap()
{
    longestGapMs_ = 0;
    sinceYield_.restart();
}

void Form1::closeEvent(QCloseEvent* event)
{
    // A command that lets the event loop run notices this at its next turn
    // and ends without another word; the program ends when it has unwound.
    closing_ = true;
    stopFlag_ = true;
    event->accept();
}

// ----------------------------------------------------------- folder list

void Form1::PushButton1_Click()
{
    if (scanActive_)
        return;
    Trap trap(prompter_, "in Vacantix2021/08/31.Form1.PushButton1_Click ");
    try {
        trap.step(100, [&] { prompter_.message("File should look like:\r/test/\r/test2/\retc."); });
        // The dialog's name, flags, title and filter (102 to 108) are
        // arguments of the prompter's open dialog.
        std::vector<std::string> chosen;
        trap.step(110, [&] {
            chosen = prompter_.openFiles("Load List(s) - Hold Ctrl to select multiple list files",
                                         "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
        });
        trap.step(114, [&] { setMousePointer(BusyPointer); });
        if (chosen.size() == 1) {
            std::string path;
            trap.step(118, [&] { path = chosen.front(); });
            trap.step(120, [&] { LoadListFile(*folderModel_, path, fs_, prompter_, *hooks_); });
        } else if (chosen.size() > 1) {
            for (std::size_t i = 0; i < chosen.size(); ++i) {
                std::string path;
                trap.step(130, [&] { path = chosen[i]; });
                trap.step(132, [&] { path = CollapseDoubleBackslashes(path); });
                trap.step(134, [&] { LoadListFile(*folderModel_, path, fs_, prompter_, *hooks_); });
            }
        }
        trap.step(138, [&] { setMousePointer(DefaultPointer); });
    } catch (const WindowClosed&) {
    }
}

void Form1::PushButton7_Click()
{
    Trap trap(prompter_, "in Vacantix2021/08/31.Form1.PushButton7_Click ");
    trap.step(100, [&] {
        if (mousePointer_ != BusyPointer && !scanActive_)
            folderModel_->clear();
    });
}

void Form1::ListView1_KeyDown(int keyCode)
{
    if (keyCode != 46 || mousePointer_ == BusyPointer || scanActive_ || folderModel_->count() == 0)
        return;
    const QModelIndex current = listView1_->currentIndex();
    if (current.isValid())
        folderModel_->remove(static_cast<std::size_t>(current.row()) + 1);
}

// ----------------------------------------------------------- scan button

void Form1::setChangingCommandsEnabled(bool enabled)
{
    for (int number : {1, 5, 6, 7, 9, 10})
        pushButton(number)->setEnabled(enabled);
}

void Form1::PushButton4_Click()
{
    Trap trap(prompter_, "in Vacantix2021/08/31.Form1.PushButton4_Click ");
    QPushButton* button = pushButton(4);
    const QString stop = QString::fromLatin1(kStopCaption);
    if (trap.test(100, [&] { return button->text() != stop; })) {
        if (scanActive_)
            return; // a run is finishing after a stop: no second run inside it
        trap.step(102, [&] { savedScanCaption_ = button->text(); });
        trap.step(104, [&] { button->setText(stop); });
        trap.step(106, [&] { stopFlag_ = false; });
        if (trap.test(108, [&] { return folderModel_->count() >= 1; })) {
            try {
                runScan(trap);
            } catch (const WindowClosed&) {
                return;
            }
            trap.step(138, [&] { button->setText(savedScanCaption_); });
            trap.step(140, [&] { stopFlag_ = true; });
        } else {
            trap.step(142, [&] { prompter_.message("No folders added."); });
            trap.step(144, [&] { button->setText(savedScanCaption_); });
            trap.step(146, [&] { stopFlag_ = true; });
        }
    } else {
        trap.step(148, [&] { button->setText(savedScanCaption_); });
        trap.step(150, [&] { stopFlag_ = true; });
        // The run still finishes its final pass; until then the button
        // cannot start another run inside it.
        if (scanActive_)
            button->setEnabled(false);
    }
}

void Form1::runScan(Trap& trap)
{
    struct ActiveRun {
        Form1& form;
        explicit ActiveRun(Form1& f) : form(f)
        {
            form.scanActive_ = true;
            form.setChangingCommandsEnabled(false);
        }
        ~ActiveRun()
        {
            form.scanActive_ = false;
            if (!form.closing_) {
                form.setChangingCommandsEnabled(true);
                form.pushButton(4)->setEnabled(true);
            }
        }
    } active(*this);

    ScanEnvironment env{fs_, settings_, *folderModel_, *resultsModel_, *hooks_, prompter_};
    resetYieldGap();
    (void)RunScan(env, trap);
    resultsModel_->flush();
    folderModel_->flush();
}

} // namespace vacantix

#include "moc_Form1.cpp"
