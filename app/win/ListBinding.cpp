// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/win/ListBinding.h"

#include <algorithm>

#include "platform/PathRoot.h"
#include "platform/win/WinPrompter.h"

namespace vacantix {

ListBinding::~ListBinding()
{
    if (timerRunning_)
        KillTimer(GetParent(view_.handle()), reinterpret_cast<UINT_PTR>(this));
}

void ListBinding::answer(NMLVDISPINFOW& request) const
{
    const auto row = static_cast<std::size_t>(request.item.iItem);
    if (request.item.iItem < 0 || row >= source_.rowCount())
        return;
    const std::wstring text = (request.item.mask & LVIF_TEXT) ? ControlText(ToNativePath(source_.rowText(row)))
                                                               : std::wstring();
    const bool checked = source_.rowChecked && source_.rowChecked(row);
    win::ListView::AnswerDisplayInfo(request, text, checked);
}

void ListBinding::showRowCount() const
{
    view_.setRowCount(source_.rowCount());
}

void ListBinding::checksChanged(std::size_t first, std::size_t last)
{
    // Only the rows in view are drawn anew: a mark set on every row of a
    // million is one change, and drawing is what costs.
    const int top = std::max(view_.topRow(), 0);
    const int bottom = top + view_.rowsPerPage() + 1;
    const int from = std::max(top, static_cast<int>(std::min<std::size_t>(first, INT_MAX)));
    const int to = std::min(bottom, static_cast<int>(std::min<std::size_t>(last, INT_MAX)));
    if (from <= to)
        view_.redrawRows(from, to);
}

void ListBinding::headerChanged()
{
    // A scan shows "Searching " and a path here.
    view_.setColumnHeader(ControlText(ToNativePath(source_.headerText())));
}

void ListBinding::deliveryWanted(std::chrono::milliseconds delay)
{
    const auto due = std::chrono::steady_clock::now() + delay;
    if (timerRunning_ && due >= due_)
        return;
    due_ = due;
    timerRunning_ = true;
    const auto wait = static_cast<UINT>(std::clamp<std::chrono::milliseconds::rep>(delay.count(), USER_TIMER_MINIMUM,
                                                                                    USER_TIMER_MAXIMUM));
    SetTimer(GetParent(view_.handle()), reinterpret_cast<UINT_PTR>(this), wait, &ListBinding::Deliver);
}

void CALLBACK ListBinding::Deliver(HWND window, UINT, UINT_PTR binding, DWORD)
{
    KillTimer(window, binding);
    auto* self = reinterpret_cast<ListBinding*>(binding);
    self->timerRunning_ = false;
    self->source_.deliverPending();
}

} // namespace vacantix
