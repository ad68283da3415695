// SPDX-License-Identifier: GPL-3.0-or-later
// What the main window's two lists do beyond the design: the results
// list's header orders its rows, a double click opens a result's folder
// (but not on its check box), both lists have context menus, and folders
// dropped on the folder list are added. The core decides; this forwards and
// shows.
#include <string>
#include <vector>

#include "app/win/Win32MainWindow.h"
#include "platform/PathRoot.h"
#include "platform/win/WinPath.h"
#include "platform/win/WinPrompter.h"
#include "platform/win/controls/PopupMenu.h"

namespace vacantix {

void Win32MainWindow::onColumnClick()
{
    run([&] { core_.ListView2_ColumnClick(); });
    // A click refused while a run holds the list leaves the arrow as it was.
    binding(ListId::Results).showSortArrow();
}

void Win32MainWindow::onDoubleClick(const NMITEMACTIVATE& click)
{
    const win::ListView& view = list(ListId::Results);
    // A double click on the check box is two clicks on the mark: the first
    // came as NM_CLICK.
    if (view.checkBoxRowAt(click.ptAction) >= 0) {
        toggleCheck(view.checkBoxRowAt(click.ptAction));
        return;
    }
    const int row = view.rowAt(click.ptAction);
    if (row >= 0)
        run([&] { core_.ListView2_DblClick(static_cast<std::size_t>(row)); });
}

bool Win32MainWindow::onContextMenu(HWND under, POINT at)
{
    ListId id = ListId::Folders;
    if (under == list(ListId::Results).handle())
        id = ListId::Results;
    else if (under != list(ListId::Folders).handle())
        return false;
    const win::ListView& view = list(id);
    // The menu key opens it on the current row, a right click on the row
    // under the mouse.
    const bool keyboard = at.x == -1 && at.y == -1;
    int row = -1;
    if (keyboard) {
        row = view.focusedRow() >= 0 ? view.focusedRow() : view.selectedRow();
        const RECT shown = view.rowRect(row);
        at = {shown.left + (shown.bottom - shown.top), shown.bottom};
        ClientToScreen(view.handle(), &at);
    } else {
        POINT inside = at;
        ScreenToClient(view.handle(), &inside);
        row = view.rowAt(inside);
    }
    if (row < 0)
        return true;
    view.selectRow(row);
    const win::PopupMenu menu;
    const std::span<const MenuItemDesign> items = MenuOf(id);
    for (std::size_t i = 0; i < items.size(); ++i)
        menu.add(static_cast<UINT>(i + 1), ControlText(items[i].caption), core_.listCommandEnabled(id, items[i].command));
    const UINT chosen = menu.show(window_.handle(), at);
    if (chosen > 0 && chosen <= items.size())
        run([&] { (void)core_.listCommand(id, items[chosen - 1].command, static_cast<std::size_t>(row)); });
    return true;
}

void Win32MainWindow::onDropFiles(HDROP drop)
{
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(FromNativePath(Utf8OfWide(path)));
    }
    DragFinish(drop);
    run([&] { core_.ListView1_OLEDragDrop(paths); });
}

void Win32MainWindow::showDropsAccepted() const
{
    list(ListId::Folders).acceptFiles(core_.acceptsDrops());
}

} // namespace vacantix
