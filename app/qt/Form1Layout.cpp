// SPDX-License-Identifier: GPL-3.0-or-later
// The arrangement of the main window: its controls in tab order with their
// captions and places from the design, and the fonts.
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>

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
    view->header()->setStretchLastSection(false);
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
    for (const ControlDesign& design : kMainWindowControls) {
        QWidget* control = design.kind == ControlKind::ListView
                               ? static_cast<QWidget*>(list(static_cast<ListId>(design.number)))
                               : button(static_cast<Button>(design.number));
        const DesignRect& place = design.place;
        control->setGeometry(twips(place.left), twips(place.top), twips(place.width), twips(place.height));
    }
    setFixedSize(twips(kMainWindowWidth), twips(kMainWindowHeight));
}

} // namespace vacantix
