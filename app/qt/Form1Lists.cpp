// SPDX-License-Identifier: GPL-3.0-or-later
// What the main window's two lists do beyond the design: the results
// list's header orders its rows, a double click opens a result's folder
// (but not on its check box),
// both lists have context menus, and folders dropped on the folder list are
// added. The core decides; this forwards and shows.
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTreeView>
#include <QUrl>

#include "app/qt/Form1.h"
#include "platform/qt/QtPrompter.h"
#include "results/qt/ResultsItemModel.h"

namespace vacantix {

namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The local paths of what is dragged; nothing when anything dragged is no
// local file or folder (a web address, text).
std::optional<std::vector<std::string>> DraggedPaths(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return std::nullopt;
    std::vector<std::string> paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return std::nullopt;
        paths.push_back(NativePath(url.toLocalFile()));
    }
    return paths;
}

} // namespace

void Form1::connectLists()
{
    QHeaderView* header = listView2_->header();
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this, [this] {
        core_->ListView2_ColumnClick();
        showSortOrder();
    });
    // A new scan or a cleared list puts the order found back.
    connect(resultItems_.get(), &QAbstractItemModel::modelReset, this, &Form1::showSortOrder);
    listView1_->viewport()->setAcceptDrops(true);
}

void Form1::showContextMenu(QTreeView* view, QContextMenuEvent* event)
{
    // The menu key opens it on the current row, a right click on the row
    // under the mouse.
    const bool keyboard = event->reason() == QContextMenuEvent::Keyboard;
    const QModelIndex index = keyboard ? view->currentIndex() : view->indexAt(event->pos());
    if (!index.isValid())
        return;
    view->setCurrentIndex(index);
    const QPoint at = keyboard ? view->visualRect(index).center() : event->pos();
    const std::unique_ptr<QMenu> menu = contextMenu(view == listView1_ ? ListId::Folders : ListId::Results, index.row());
    menu->exec(view->viewport()->mapToGlobal(at));
}

void Form1::showSortOrder()
{
    QHeaderView* header = listView2_->header();
    const RowOrder order = core_->results().rowOrder();
    header->setSortIndicatorShown(order != RowOrder::Found);
    header->setSortIndicator(0, order == RowOrder::PathDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

std::unique_ptr<QMenu> Form1::contextMenu(ListId list, int row)
{
    auto menu = std::make_unique<QMenu>(this);
    for (const MenuItemDesign& item : MenuOf(list)) {
        QAction* action = menu->addAction(Text(item.caption));
        action->setEnabled(core_->listCommandEnabled(list, item.command));
        const ListCommand command = item.command;
        connect(action, &QAction::triggered, this, [this, list, command, row] {
            (void)core_->listCommand(list, command, static_cast<std::size_t>(row));
        });
    }
    return menu;
}

void Form1::doubleClicked(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const QModelIndex index = listView2_->indexAt(at);
    if (!index.isValid())
        return;
    // A double click on the check box is two clicks on the mark.
    QStyleOptionViewItem option;
    option.initFrom(listView2_);
    option.rect = listView2_->visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    if (listView2_->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, listView2_).contains(at))
        return;
    core_->ListView2_DblClick(static_cast<std::size_t>(index.row()));
}

bool Form1::takeDrop(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const std::optional<std::vector<std::string>> paths = DraggedPaths(drop->mimeData());
    if (!paths || !core_->acceptsDrops()) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop)
        core_->ListView1_OLEDragDrop(*paths);
    return true;
}

} // namespace vacantix
