// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "base/ListObserver.h"
#include "platform/win/controls/ListView.h"

namespace vacantix {

// What a list model offers the control that shows it.
struct ListSource {
    std::function<std::size_t()> rowCount;
    std::function<std::string(std::size_t row)> rowText;
    // Empty for a list without check boxes.
    std::function<bool(std::size_t row)> rowChecked;
    std::function<std::string()> headerText;
    std::function<void()> deliverPending;
};

// Shows a list model in an owner-data list view. The view asks for the rows
// it draws (answer), the model tells of its changes in batches (the
// ListObserver calls), and pending changes are delivered from the event loop
// by a timer when the model asks for them. Paths show with "\" as Windows
// writes them.
class ListBinding final : public ListObserver {
public:
    ListBinding(win::ListView view, ListSource source) : view_(view), source_(std::move(source)) {}
    ~ListBinding() override;
    ListBinding(const ListBinding&) = delete;
    ListBinding& operator=(const ListBinding&) = delete;

    [[nodiscard]] const win::ListView& view() const { return view_; }

    // Answers the view's request for a row's text and check box.
    void answer(NMLVDISPINFOW& request) const;

    void endReset() override { showRowCount(); }
    void endInsert() override { showRowCount(); }
    void endRemove() override { showRowCount(); }
    void checksChanged(std::size_t first, std::size_t last) override;
    void headerChanged() override;
    void deliveryWanted(std::chrono::milliseconds delay) override;

private:
    static void CALLBACK Deliver(HWND window, UINT, UINT_PTR binding, DWORD);
    void showRowCount() const;

    win::ListView view_;
    ListSource source_;
    // When the timer is due, while one runs.
    std::chrono::steady_clock::time_point due_;
    bool timerRunning_ = false;
};

} // namespace vacantix
