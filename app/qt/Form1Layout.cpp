// SPDX-License-Identifier: GPL-3.0-or-later
// The arrangement of the main window: its controls in tab order with their
// captions and places in twips, and the fonts.
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>

#include "app/qt/Form1.h"
#include "results/qt/ResultsModel.h"
#include "roots/FolderList.h"
#include "roots/qt/FolderListModel.h"

namespace vacantix {

namespace {

struct Place {
    int number; // PushButton number, or 0 / -1 for ListView1 / ListView2
    const char* caption;
    int left, top, width, height;
};

constexpr int kListView1 = 0;
constexpr int kListView2 = -1;

// In tab order.
constexpr Place kPlaces[] = {
    {kListView1, nullptr, 120, 120, 7800, 1440},
    {6, "Add One Folder", 120, 1650, 3840, 405},
    {1, "Load List Of Folders From File", 4080, 1650, 3840, 405},
    {7, "Clear List", 120, 2160, 3840, 405},
    {kListView2, nullptr, 120, 3675, 7800, 2640},
    {4, kScanCaption, 120, 3180, 7800, 405},
    {2, "Check All", 120, 6405, 3840, 405},
    {3, "Uncheck All", 4080, 6405, 3840, 405},
    {5, "Send Checked To Recycle Bin", 4080, 6930, 3840, 405},
    {8, "Settings", 120, 2670, 7800, 405},
    {9, "Clear List", 120, 6915, 3840, 405},
    {10, "Load Sample/Example Folders", 4080, 2160, 3840, 405},
    {11, "Save As Text File", 120, 7425, 3840, 405},
    {12, "Copy To Clipboard", 4080, 7425, 3840, 405},
};

constexpr int kClientWidth = 8040;
constexpr int kClientHeight = 7935;
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

} // namespace

int Form1::twips(int value) const
{
    return TwipsToPixels(value, scale_);
}

QPushButton* Form1::pushButton(int number) const
{
    if (number < 1 || number > static_cast<int>(buttons_.size()))
        return nullptr;
    return buttons_[static_cast<std::size_t>(number - 1)];
}

void Form1::buildControls()
{
    QWidget* previous = nullptr;
    for (const Place& place : kPlaces) {
        QWidget* control = nullptr;
        if (place.number == kListView1) {
            listView1_ = MakeReportView(this, folderModel_);
            listView1_->setObjectName(QStringLiteral("ListView1"));
            // A screen reader names a list by its column header; the folder
            // list's header shows the scan's progress for a while, the name
            // stays.
            listView1_->setAccessibleName(QString::fromUtf8(kFolderListHeader.data(),
                                                            qsizetype(kFolderListHeader.size())));
            control = listView1_;
        } else if (place.number == kListView2) {
            listView2_ = MakeReportView(this, resultsModel_);
            listView2_->setObjectName(QStringLiteral("ListView2"));
            listView2_->setAccessibleName(QString::fromUtf8(kResultsListHeader.data(),
                                                            qsizetype(kResultsListHeader.size())));
            control = listView2_;
        } else {
            auto* button = new QPushButton(QString::fromLatin1(place.caption), this);
            button->setObjectName(QStringLiteral("PushButton%1").arg(place.number));
            button->setAutoDefault(false);
            button->setMouseTracking(true);
            buttons_[static_cast<std::size_t>(place.number - 1)] = button;
            control = button;
        }
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
    for (QPushButton* button : buttons_)
        button->setFont(buttonFont);

    // One factor for both windows: see DesignScale.
    scale_ = DesignScale(*this);
}

void Form1::arrange()
{
    for (const Place& place : kPlaces) {
        QWidget* control = place.number == kListView1   ? static_cast<QWidget*>(listView1_)
                           : place.number == kListView2 ? static_cast<QWidget*>(listView2_)
                                                        : pushButton(place.number);
        control->setGeometry(twips(place.left), twips(place.top), twips(place.width), twips(place.height));
    }
    setFixedSize(twips(kClientWidth), twips(kClientHeight));
}

} // namespace vacantix
