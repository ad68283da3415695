// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/qt/Form2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QWindow>

#include "base/qt/Appearance.h"

namespace vacantix {

namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString FromStored(std::string_view text)
{
    QString shown = Text(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

// The box's text (blocks apart by paragraph separators, non-breaking spaces
// kept) with CR LF between its lines.
std::string ToStored(const QPlainTextEdit& box)
{
    QString text = box.document()->toRawText();
    text.replace(QChar(QChar::ParagraphSeparator), QStringLiteral("\r\n"));
    text.replace(QChar(QChar::LineSeparator), QStringLiteral("\r\n"));
    return text.toStdString();
}

int StoredCheckState(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

} // namespace

Form2::Form2(SettingsWindow& core, double scale, QWidget* owner) : core_(core)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(Text(kSettingsCaption));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    // A child widget would inherit the owner's style sheet; a transient
    // top-level window stays above its owner without it.
    setWindowModality(Qt::ApplicationModal);
    if (owner && owner->window()->windowHandle()) {
        create();
        windowHandle()->setTransientParent(owner->window()->windowHandle());
    }
    setFont(WindowFont());
    buildControls(scale);
    connectControls();
}

Form2::~Form2() = default;

void Form2::buildControls(double scale)
{
    const auto tw = [scale](int twips) { return TwipsToPixels(twips, scale); };
    setFixedSize(tw(kSettingsWindowWidth), tw(kSettingsWindowHeight));
    QWidget* previous = nullptr;
    for (const ControlDesign& design : kSettingsWindowControls) {
        QWidget* parent = this;
        if (design.container == "Frame1")
            parent = frame1_;
        else if (design.container == "Frame2")
            parent = frame2_;
        const QString caption = Text(design.caption);
        QWidget* control = nullptr;
        switch (design.kind) {
        case ControlKind::Frame:
            control = (design.number == 1 ? frame1_ : frame2_) = new QGroupBox(caption, parent);
            break;
        case ControlKind::Label:
            control = label1_ = new QLabel(caption, parent);
            break;
        case ControlKind::ComboBox:
            control = combo1_ = new QComboBox(parent);
            break;
        case ControlKind::CheckBox:
            control = (design.number == 1 ? check1_ : design.number == 2 ? check2_ : check3_) =
                new QCheckBox(caption, parent);
            break;
        case ControlKind::TextBox:
            control = text1_ = new QPlainTextEdit(parent);
            break;
        case ControlKind::PushButton:
        case ControlKind::ListView:
            control = pushButton7_ = new QPushButton(caption, parent);
            break;
        }
        control->setObjectName(Text(design.name));
        const DesignRect& place = design.place;
        control->setGeometry(tw(place.left), tw(place.top), tw(place.width), tw(place.height));
        if (control->focusPolicy() != Qt::NoFocus) {
            if (previous)
                setTabOrder(previous, control);
            previous = control;
        }
    }
    // Named by the label beside it, the text box by its frame, so a screen
    // reader says what each one holds; buttons, check boxes and frames are
    // named by their own captions.
    label1_->setBuddy(combo1_);
    combo1_->setAccessibleName(label1_->text());
    text1_->setAccessibleName(frame2_->title());
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text1_->setTabChangesFocus(true);
    text1_->setPlainText(FromStored(kDesignIgnoreListText));
    pushButton7_->setFont(ButtonFont());
    pushButton7_->setAutoDefault(false);
}

void Form2::connectControls()
{
    // Mouse moves decide the window's pointer, as a property of the window.
    for (QWidget* place : {static_cast<QWidget*>(this), static_cast<QWidget*>(frame1_),
                           static_cast<QWidget*>(frame2_), static_cast<QWidget*>(pushButton7_)}) {
        place->setMouseTracking(true);
        place->installEventFilter(this);
    }
    for (const OptionBox box :
         {OptionBox::ZeroByteFilesCountAsEmpty, OptionBox::SkipSystemFolders, OptionBox::IgnoreHiddenFolders})
        connect(optionBox(box), &QCheckBox::stateChanged, this, [this, box] { optionChanged(box); });
    connect(combo1_, &QComboBox::currentIndexChanged, this, [this](int position) { core_.Combo1_Click(position); });
    connect(text1_, &QPlainTextEdit::textChanged, this, [this] { core_.Text1_Change(ToStored(*text1_)); });
    connect(pushButton7_, &QPushButton::clicked, this, [this] { core_.PushButton7_Click(); });
}

QCheckBox* Form2::optionBox(OptionBox box) const
{
    switch (box) {
    case OptionBox::ZeroByteFilesCountAsEmpty:
        return check1_;
    case OptionBox::SkipSystemFolders:
        return check2_;
    case OptionBox::IgnoreHiddenFolders:
        return check3_;
    }
    return check1_;
}

void Form2::optionChanged(OptionBox box)
{
    QCheckBox* check = optionBox(box);
    // A grayed state only ever comes from the store; once the user has moved
    // the box out of it, clicks toggle between unchecked and checked.
    if (check->checkState() != Qt::PartiallyChecked)
        check->setTristate(false);
    core_.optionClicked(box, StoredCheckState(check));
}

// ------------------------------------------------------ what the core asks

void Form2::setFormBackColors()
{
    SetFormBackColors(*this);
}

void Form2::showProgramIcon()
{
    setWindowIcon(ProgramIcon());
}

void Form2::addDeleteModeItem(std::string_view text)
{
    // Adding the first item must not select it: the combo starts with none.
    const QSignalBlocker quiet(combo1_);
    combo1_->addItem(Text(text));
    combo1_->setCurrentIndex(-1);
}

void Form2::setDeleteMode(int position)
{
    combo1_->setCurrentIndex(position);
}

void Form2::setOption(OptionBox box, int state)
{
    optionBox(box)->setCheckState(state == 0 ? Qt::Unchecked : state == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

void Form2::setIgnoreList(std::string_view text)
{
    QTextDocument shownForm;
    shownForm.setPlainText(FromStored(text));
    if (shownForm.toRawText() != text1_->document()->toRawText())
        text1_->setPlainText(FromStored(text));
}

void Form2::loadCustomPointer(const std::string& cursorFile)
{
    customCursor_ = LoadCursorFile(cursorFile);
}

void Form2::showMousePointer(int value)
{
    ShowMousePointer(*this, value, customCursor_ ? *customCursor_ : QCursor(Qt::PointingHandCursor));
}

void Form2::centreOnScreen()
{
    if (const QScreen* shown = screen())
        move(shown->availableGeometry().center() - rect().center());
}

void Form2::showModal()
{
    exec();
}

void Form2::unload()
{
    close();
}

// ---------------------------------------------------------------- events

bool Form2::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseMove)
        return QDialog::eventFilter(watched, event);
    // A move the button (or another control) ignored travels on to the frame
    // and the window; only a move over their own background counts there.
    if (watched == pushButton7_) {
        core_.PushButton7_MouseMove();
    } else if (auto* place = qobject_cast<QWidget*>(watched);
               place && !place->childAt(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        if (place == frame1_)
            core_.Frame1_MouseMove();
        else if (place == frame2_)
            core_.Frame2_MouseMove();
        else
            core_.Form_MouseMove();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vacantix

// Compiled here, not with the other windows, so that the settings window
// links without them.
#include "moc_Form2.cpp"
