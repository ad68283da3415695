// SPDX-License-Identifier: GPL-3.0-or-later
// The arrangement of the main window: its controls in tab order with their
// captions and places from the design, the fonts, and the window's size on
// its screen.
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeView>
#include <algorithm>

#include "app/qt/Form1.h"
#include "base/qt/Appearance.h"
#include "results/qt/ResultsItemModel.h"
#include "roots/qt/FolderItemModel.h"
#include "settings/SettingsWindowDesign.h"

namespace vacantix {

namespace {

QTreeView* MakeReportView(QWidget* parent, QAbstractItemModel* model)
{
    auto* view = new QTreeView(parent);
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Paths alike at their start and different at their end stay told apart.
    view->setTextElideMode(Qt::ElideMiddle);
    // The one column spans the list, however wide the window is made.
    view->header()->setStretchLastSection(true);
    view->header()->setSectionsMovable(false);
    view->header()->hide(); // shown by the start-up, which sets up the columns
    view->setMouseTracking(true);
    return view;
}

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

int Form1::twips(int value) const
{
    return TwipsToPixels(value, scale_);
}

QPushButton* Form1::button(Button which) const
{
    return buttons_[static_cast<std::size_t>(which) - 1];
}

QTreeView* Form1::list(ListId which) const
{
    return which == ListId::Folders ? listView1_ : listView2_;
}

void Form1::buildControls()
{
    QWidget* previous = nullptr;
    for (const ControlDesign& design : kMainWindowControls) {
        QWidget* control = nullptr;
        if (design.kind == ControlKind::ListView) {
            const bool folders = design.number == static_cast<int>(ListId::Folders);
            auto* view = MakeReportView(this, folders ? static_cast<QAbstractItemModel*>(folderItems_.get())
                                                      : static_cast<QAbstractItemModel*>(resultItems_.get()));
            (folders ? listView1_ : listView2_) = view;
            // A screen reader names a list by its column header; the folder
            // list's header shows the scan's progress for a while, the name
            // stays.
            view->setAccessibleName(Text(design.caption));
            control = view;
        } else {
            auto* pushButton = new QPushButton(Text(design.caption), this);
            pushButton->setAutoDefault(false);
            pushButton->setMouseTracking(true);
            buttons_[static_cast<std::size_t>(design.number) - 1] = pushButton;
            control = pushButton;
        }
        control->setObjectName(Text(design.name));
        control->setFocusPolicy(Qt::StrongFocus);
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }
}

void Form1::applyFonts()
{
    setFont(WindowFont());
    listView1_->setFont(WindowFont());
    listView2_->setFont(WindowFont());
    const QFont buttonFont = ButtonFont();
    for (QPushButton* pushButton : buttons_)
        pushButton->setFont(buttonFont);

    // One factor for both windows, which are designed to the same width.
    scale_ = DesignScale(DpiScale(*this), QtCaptionMetrics(*this), {kMainWindowControls, kSettingsWindowControls});
}

void Form1::arrange()
{
    fitToScreen();
    placeControls();
}

namespace {

// The frame a window manager puts around the window: as shown, or, before
// the window was shown, what the style gives a title bar and a border.
QMargins FrameOf(const QWidget& window)
{
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    if (window.isVisible() && outer != inner)
        return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                outer.bottom() - inner.bottom()};
    const QStyle* style = window.style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    return {border, style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window) + border, border, border};
}

} // namespace

void Form1::fitToScreen()
{
    const QScreen* shown = screen();
    const QRect available = shown ? shown->availableGeometry() : QRect(QPoint(), QSize(1 << 14, 1 << 14));
    const QMargins frame = FrameOf(*this);
    const QSize room = available.size().shrunkBy(frame);
    fit_.emplace(scale_, PixelSize{room.width(), room.height()});
    const QSize least(fit_->least().width, fit_->least().height);
    if (minimumSize() != least)
        setMinimumSize(least);
    if (!isVisible()) {
        resize(fit_->first().width, fit_->first().height);
        return;
    }
    if (isMaximized() || isFullScreen() || available.contains(frameGeometry()))
        return;
    resize(size().boundedTo(room).expandedTo(least));
    const QRect outer = frameGeometry();
    move(std::clamp(outer.left(), available.left(), std::max(available.left(), available.right() - outer.width() + 1)),
         std::clamp(outer.top(), available.top(), std::max(available.top(), available.bottom() - outer.height() + 1)));
}

void Form1::placeControls()
{
    if (!fit_)
        return;
    const PixelSize shown{width(), height()};
    for (const ControlDesign& design : kMainWindowControls) {
        QWidget* control = design.kind == ControlKind::ListView
                               ? static_cast<QWidget*>(list(static_cast<ListId>(design.number)))
                               : button(static_cast<Button>(design.number));
        const PixelRect place = fit_->place(design, shown);
        control->setGeometry(place.left, place.top, place.width, place.height);
    }
}

} // namespace vacantix
