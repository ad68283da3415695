// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/qt/Form2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QWindow>
#include <cmath>

#include "app/qt/Appearance.h"
#include "app/qt/Form1.h"
#include "base/ErrorReport.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"

namespace vacantix {

namespace {

constexpr std::string_view kLoadPath = "in Vacantix2021/08/31.Form2.Form_Load ";
constexpr std::string_view kOkPath = "in Vacantix2021/08/31.Form2.PushButton7_Click ";

// What Text1 holds before the load replaces it: the default names, each
// followed by a line end (the stored default has none after the last).
const QString kDesignText1 =
    QStringLiteral("System Volume Information\nRECYCLER\nRecycled\nNtUninstall\n$RECYCLE.BIN\n");

// A control refuses a value outside its range as the run-time does.
Failure InvalidPropertyValue()
{
    return Failure(380, "Invalid property value");
}

QString FromStored(std::string_view text)
{
    QString shown = QString::fromUtf8(text.data(), qsizetype(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

// The box's raw text (blocks apart by paragraph separators, non-breaking
// spaces kept) with CR LF between its lines.
std::string ToStored(const QString& raw)
{
    QString text = raw;
    text.replace(QChar(QChar::ParagraphSeparator), QStringLiteral("\r\n"));
    text.replace(QChar(QChar::LineSeparator), QStringLiteral("\r\n"));
    return text.toStdString();
}

QString RawText(const QPlainTextEdit& box)
{
    return box.document()->toRawText();
}

// Window positions are designed in twips; both windows share one scale
// (DesignScale) so that they keep their designed proportions and width.
class TwipsScale {
public:
    explicit TwipsScale(double factor) : factor_(factor) {}

    [[nodiscard]] int operator()(int twips) const { return TwipsToPixels(twips, factor_); }
    [[nodiscard]] QRect rect(int left, int top, int width, int height) const
    {
        return {(*this)(left), (*this)(top), (*this)(width), (*this)(height)};
    }

private:
    double factor_;
};

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

Form2::Form2(Settings& settings, Prompter& prompter, std::string programFolder, QWidget* owner)
    : settings_(settings), prompter_(prompter), programFolder_(std::move(programFolder))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Settings"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // A child widget would inherit the owner's style sheet; a transient
    // top-level window stays above its owner without it.
    setWindowModality(Qt::ApplicationModal);
    if (owner && owner->window()->windowHandle()) {
        create();
        windowHandle()->setTransientParent(owner->window()->windowHandle());
    }
    setFont(WindowFont());

    buildControls();
    Form_Load();
}

Form2::~Form2() = default;

void Form2::buildControls()
{
    const TwipsScale tw(DesignScale(*this));
    setFixedSize(tw(8040), tw(5085));

    frame1_ = new QGroupBox(QStringLiteral("General Options"), this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setGeometry(tw.rect(120, 120, 7800, 1935));

    label1_ = new QLabel(QStringLiteral("Delete Mode:"), frame1_);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(tw.rect(240, 360, 1095, 225));

    combo1_ = new QComboBox(frame1_);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setGeometry(tw.rect(1440, 300, 6100, 345));
    // Named by the label beside it, the text box by its frame, so a screen
    // reader says what each one holds; buttons, check boxes and frames are
    // named by their own captions.
    label1_->setBuddy(combo1_);
    combo1_->setAccessibleName(label1_->text());

    check1_ = new QCheckBox(QStringLiteral("Directories with files that are 0 KB count as empty"), frame1_);
    check1_->setObjectName(QStringLiteral("Check1"));
    check1_->setGeometry(tw.rect(240, 720, 4695, 255));

    check2_ = new QCheckBox(QStringLiteral("Skip system directories (recommended)"), frame1_);
    check2_->setObjectName(QStringLiteral("Check2"));
    check2_->setGeometry(tw.rect(240, 1080, 4695, 255));

    check3_ = new QCheckBox(QStringLiteral("Ignore hidden folders"), frame1_);
    check3_->setObjectName(QStringLiteral("Check3"));
    check3_->setGeometry(tw.rect(240, 1440, 4695, 255));

    frame2_ = new QGroupBox(QStringLiteral("Ignore these directory names when searching"), this);
    frame2_->setObjectName(QStringLiteral("Frame2"));
    frame2_->setGeometry(tw.rect(120, 2160, 7800, 2295));

    text1_ = new QPlainTextEdit(frame2_);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(tw.rect(240, 360, 7300, 1695));
    text1_->setAccessibleName(frame2_->title());
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text1_->setTabChangesFocus(true);
    text1_->setPlainText(kDesignText1);

    pushButton7_ = new QPushButton(QStringLiteral("OK"), this);
    pushButton7_->setObjectName(QStringLiteral("PushButton7"));
    pushButton7_->setGeometry(tw.rect(120, 4560, 7800, 405));
    pushButton7_->setFont(ButtonFont());
    pushButton7_->setAutoDefault(false);

    setTabOrder(combo1_, check1_);
    setTabOrder(check1_, check2_);
    setTabOrder(check2_, check3_);
    setTabOrder(check3_, text1_);
    setTabOrder(text1_, pushButton7_);

    // Mouse moves decide the window's pointer, as a property of the window.
    for (QWidget* place : {static_cast<QWidget*>(this), static_cast<QWidget*>(frame1_),
                           static_cast<QWidget*>(frame2_), static_cast<QWidget*>(pushButton7_)}) {
        place->setMouseTracking(true);
        place->installEventFilter(this);
    }

    connect(check1_, &QCheckBox::stateChanged, this, &Form2::Check1_Click);
    connect(check2_, &QCheckBox::stateChanged, this, &Form2::Check2_Click);
    connect(check3_, &QCheckBox::stateChanged, this, &Form2::Check3_Click);
    connect(combo1_, &QComboBox::currentIndexChanged, this, &Form2::Combo1_Click);
    connect(text1_, &QPlainTextEdit::textChanged, this, &Form2::Text1_Change);
    connect(pushButton7_, &QPushButton::clicked, this, &Form2::PushButton7_Click);
}

void Form2::Form_Load()
{
    Trap trap(prompter_, kLoadPath);
    trap.step(100, [&] { SetFormBackColors(*this); });
    trap.step(102, [&] { setWindowIcon(ProgramIcon()); });

    // Adding the first item must not select it: the combo starts with none.
    trap.step(104, [&] {
        const QSignalBlocker quiet(combo1_);
        combo1_->addItem(QStringLiteral("Delete to recycle bin"));
        combo1_->setCurrentIndex(-1);
    });
    trap.step(106, [&] {
        const QSignalBlocker quiet(combo1_);
        combo1_->addItem(QStringLiteral("Delete directly"));
        combo1_->setCurrentIndex(-1);
    });
    trap.step(108, [&] {
        const int position = settings_.deleteModePosition();
        if (position < -1 || position >= combo1_->count())
            throw InvalidPropertyValue();
        combo1_->setCurrentIndex(position);
    });
    trap.step(110, [&] { setCheckValue(check1_, settings_.checkBoxState(Option::ZeroByteFilesCountAsEmpty)); });
    trap.step(112, [&] { setCheckValue(check2_, settings_.checkBoxState(Option::SkipSystemFolders)); });
    trap.step(114, [&] { setCheckValue(check3_, settings_.checkBoxState(Option::IgnoreHiddenFolders)); });
    trap.step(116, [&] {
        const std::string stored = settings_.text1();
        QTextDocument shownForm;
        shownForm.setPlainText(FromStored(stored));
        if (shownForm.toRawText() == RawText(*text1_))
            return;
        // The box cannot tell a lone CR or LF from a line end; until the user
        // edits, it stands for the stored text exactly, so the write-back of
        // the load stores the value that was already there.
        loadedText1_ = stored;
        loadedText1Shown_ = shownForm.toRawText();
        text1_->setPlainText(FromStored(stored));
    });
    const std::string cursorFile = ChildPath(programFolder_, "HAND-M.CUR");
    if (trap.test(118, [&] { return QFileInfo::exists(QFile::decodeName(cursorFile.c_str())); }))
        trap.step(120, [&] { customCursor_ = LoadCursorFile(cursorFile); });

    if (const QScreen* shown = screen())
        move(shown->availableGeometry().center() - rect().center());
}

int Form2::CheckStateFromStored(std::int16_t value)
{
    if (value < 0 || value > 2)
        throw InvalidPropertyValue();
    return value;
}

void Form2::setCheckValue(QCheckBox* box, int value)
{
    switch (CheckStateFromStored(static_cast<std::int16_t>(value))) {
    case 0:
        box->setCheckState(Qt::Unchecked);
        break;
    case 1:
        box->setCheckState(Qt::Checked);
        break;
    default:
        box->setCheckState(Qt::PartiallyChecked);
        break;
    }
}

void Form2::storeCheckState(QCheckBox* box, std::string_view key)
{
    // A grayed state only ever comes from the store; once the user has moved
    // the box out of it, clicks toggle between unchecked and checked.
    if (box->checkState() != Qt::PartiallyChecked)
        box->setTristate(false);
    settings_.write(key, std::to_string(StoredCheckState(box)));
}

void Form2::Check1_Click()
{
    storeCheckState(check1_, KeyOf(Option::ZeroByteFilesCountAsEmpty));
}

void Form2::Check2_Click()
{
    storeCheckState(check2_, KeyOf(Option::SkipSystemFolders));
}

void Form2::Check3_Click()
{
    storeCheckState(check3_, KeyOf(Option::IgnoreHiddenFolders));
}

void Form2::Combo1_Click()
{
    settings_.write(kCombo1, std::to_string(combo1_->currentIndex()));
}

void Form2::Text1_Change()
{
    settings_.write(kText1, text1Value());
}

std::string Form2::text1Value() const
{
    const QString raw = RawText(*text1_);
    if (loadedText1Shown_ && raw == *loadedText1Shown_)
        return loadedText1_;
    return ToStored(raw);
}

void Form2::PushButton7_Click()
{
    Trap trap(prompter_, kOkPath);
    trap.step(100, [&] { close(); });
}

void Form2::setMousePointer(int value)
{
    mousePointer_ = value;
    ShowMousePointer(*this, value, customCursor_ ? *customCursor_ : QCursor(Qt::PointingHandCursor));
}

bool Form2::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseMove || mousePointer_ == BusyPointer)
        return QDialog::eventFilter(watched, event);
    // A move the button (or another control) ignored travels on to the frame
    // and the window; only a move over their own background counts there.
    if (watched == pushButton7_) {
        setMousePointer(CustomPointer);
    } else if (auto* place = qobject_cast<QWidget*>(watched)) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (!place->childAt(at))
            setMousePointer(DefaultPointer);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vacantix

// Compiled here, not with the other windows, so that the settings window
// links without them.
#include "moc_Form2.cpp"
