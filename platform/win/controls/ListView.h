// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

#include <windows.h>
#include <commctrl.h>

#include "platform/win/controls/Window.h"

namespace vacantix::win {

// A report view of one column in owner-data mode (LVS_OWNERDATA): it holds
// no rows and asks its parent for the text of each row it draws
// (LVN_GETDISPINFOW, answered with AnswerDisplayInfo), so a million rows
// cost it nothing. With check boxes, the box of each row is drawn from the
// parent's answer as well: the parent keeps the marks and flips them on a
// click (NM_CLICK at checkBoxRowAt) or on Space (LVN_KEYDOWN).
//
// One row at a time is selected. The arrow, Page, Home, End and Space keys
// are handled here rather than by the control: Wine's owner-data list does
// work for every row on each change of selection, which takes seconds per
// key at a million rows. The parent still hears of each key as LVN_KEYDOWN
// first, as it would from the control. Typed letters do not search the rows.
class ListView : public Window {
public:
    ListView() = default;
    explicit ListView(HWND handle) : Window(handle) {}

    static ListView Create(HWND parent, int id, bool checkBoxes);

    void addColumn(std::wstring_view header, int width) const;
    void setColumnHeader(std::wstring_view header) const;
    [[nodiscard]] std::wstring columnHeader() const;
    void setColumnWidth(int width) const { ListView_SetColumnWidth(handle(), 0, width); }
    [[nodiscard]] bool hasColumn() const { return Header_GetItemCount(ListView_GetHeader(handle())) > 0; }

    // Tells the list how many rows the parent has; the rows in view, the
    // scroll position and the selection stay where they are as far as the
    // new count allows.
    void setRowCount(std::size_t rows) const;
    [[nodiscard]] std::size_t rowCount() const { return static_cast<std::size_t>(ListView_GetItemCount(handle())); }
    // Draws the rows `first` to `last` (0-based, inclusive) anew.
    void redrawRows(int first, int last) const;
    void redrawAll() const { InvalidateRect(handle(), nullptr, FALSE); }

    [[nodiscard]] int focusedRow() const { return ListView_GetNextItem(handle(), -1, LVNI_FOCUSED); }
    [[nodiscard]] int selectedRow() const { return ListView_GetNextItem(handle(), -1, LVNI_SELECTED); }
    [[nodiscard]] int topRow() const { return ListView_GetTopIndex(handle()); }
    [[nodiscard]] int rowsPerPage() const { return ListView_GetCountPerPage(handle()); }
    // Selects and focuses `row` alone and scrolls it into view; only the
    // row that had the focus is told to let go of it.
    void selectRow(int row) const;
    // The row whose check box lies at a point of the client area, or -1.
    [[nodiscard]] int checkBoxRowAt(POINT point) const;

    // Answers a display-info request of a row: its text, and with check
    // boxes the state of its box.
    static void AnswerDisplayInfo(NMLVDISPINFOW& request, std::wstring_view text, bool checked);

private:
    static LRESULT CALLBACK KeySubclass(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR);
};

} // namespace vacantix::win
