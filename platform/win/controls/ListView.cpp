// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win/controls/ListView.h"

#include <algorithm>
#include <string>

namespace vacantix::win {

namespace {

constexpr UINT_PTR kKeySubclassId = 1;

bool isNavigationKey(WPARAM key)
{
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
        return true;
    default:
        return false;
    }
}

// The row a navigation key moves the focus to from `from` (-1: none yet).
int rowAfterKey(WPARAM key, int from, int rows, int page)
{
    const int current = std::max(from, 0);
    page = std::max(page, 1);
    int target = current;
    switch (key) {
    case VK_UP: target = from < 0 ? 0 : current - 1; break;
    case VK_DOWN: target = from < 0 ? 0 : current + 1; break;
    case VK_PRIOR: target = current - page; break;
    case VK_NEXT: target = current + page; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = rows - 1; break;
    default: break;
    }
    return std::clamp(target, 0, rows - 1);
}

// Tells the parent of a key, as the control itself does before acting on one.
void notifyKeyDown(HWND list, WPARAM key)
{
    NMLVKEYDOWN notice{};
    notice.hdr.hwndFrom = list;
    notice.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
    notice.hdr.code = LVN_KEYDOWN;
    notice.wVKey = static_cast<WORD>(key);
    SendMessageW(GetParent(list), WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
}

} // namespace

ListView ListView::Create(HWND parent, int id, bool checkBoxes)
{
    const ListView list(CreateChild(parent, id, WC_LISTVIEWW, L"",
                                    WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                                        LVS_NOSORTHEADER,
                                    WS_EX_CLIENTEDGE)
                            .handle());
    if (!list)
        return list;
    DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    if (checkBoxes)
        extended |= LVS_EX_CHECKBOXES;
    ListView_SetExtendedListViewStyleEx(list.handle(), extended, extended);
    if (checkBoxes)
        ListView_SetCallbackMask(list.handle(), LVIS_STATEIMAGEMASK);
    SetWindowSubclass(list.handle(), KeySubclass, kKeySubclassId, 0);
    return list;
}

void ListView::addColumn(std::wstring_view header, int width) const
{
    std::wstring text(header);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text.data();
    column.cx = width;
    ListView_InsertColumn(handle(), 0, &column);
}

void ListView::setColumnHeader(std::wstring_view header) const
{
    std::wstring text(header);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = text.data();
    ListView_SetColumn(handle(), 0, &column);
}

std::wstring ListView::columnHeader() const
{
    wchar_t buffer[1024] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = buffer;
    column.cchTextMax = static_cast<int>(std::size(buffer));
    if (!ListView_GetColumn(handle(), 0, &column))
        return {};
    return buffer;
}

void ListView::setRowCount(std::size_t rows) const
{
    ListView_SetItemCountEx(handle(), static_cast<int>(std::min<std::size_t>(rows, INT_MAX)),
                            LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    redrawAll();
}

void ListView::redrawRows(int first, int last) const
{
    ListView_RedrawItems(handle(), first, last);
}

void ListView::selectRow(int row) const
{
    const int previous = focusedRow();
    if (previous >= 0 && previous != row) {
        ListView_SetItemState(handle(), previous, 0, LVIS_SELECTED | LVIS_FOCUSED);
    }
    ListView_SetItemState(handle(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(handle(), row, FALSE);
}

int ListView::checkBoxRowAt(POINT point) const
{
    LVHITTESTINFO hit{};
    hit.pt = point;
    if (ListView_SubItemHitTest(handle(), &hit) < 0 || hit.iSubItem != 0)
        return -1;
    return (hit.flags & LVHT_ONITEMSTATEICON) ? hit.iItem : -1;
}

void ListView::AnswerDisplayInfo(NMLVDISPINFOW& request, std::wstring_view text, bool checked)
{
    LVITEMW& item = request.item;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::size_t length = std::min<std::size_t>(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
        text.copy(item.pszText, length);
        item.pszText[length] = L'\0';
    }
    if ((item.mask & LVIF_STATE) && item.iSubItem == 0) {
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
        item.stateMask |= LVIS_STATEIMAGEMASK;
    }
}

LRESULT CALLBACK ListView::KeySubclass(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_KEYDOWN) {
        const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
        const ListView view(list);
        const int rows = static_cast<int>(view.rowCount());
        if (isNavigationKey(wParam) || wParam == VK_SPACE || (control && wParam == 'A')) {
            notifyKeyDown(list, wParam);
            if (isNavigationKey(wParam) && rows > 0)
                view.selectRow(rowAfterKey(wParam, view.focusedRow(), rows, view.rowsPerPage()));
            return 0;
        }
    } else if (message == WM_CHAR) {
        // No search by typed letters: the rows are the parent's to search,
        // and the control would ask it (LVN_ODFINDITEMW) for every key.
        return 0;
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(list, KeySubclass, kKeySubclassId);
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

} // namespace vacantix::win
