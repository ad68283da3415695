// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>

namespace vacantix {

// What a list control hears from the list model it shows (the folder list,
// the results list). A model tells its changes in batches: rows are what the
// control was last told, 0-based, and each structural change comes as a
// begin/end pair around the moment the rows change, so a toolkit that must
// know the rows before and after (Qt's item models) can follow. A control
// that asks for rows as it paints (a Win32 list in owner-data mode) needs
// only the ends.
class ListObserver {
public:
    virtual ~ListObserver() = default;

    virtual void beginReset() {}
    virtual void endReset() {}
    // Rows first..last (inclusive) are about to appear at the end.
    virtual void beginInsert(std::size_t /*first*/, std::size_t /*last*/) {}
    virtual void endInsert() {}
    // Rows first..last (inclusive) are about to go; the rows after them move up.
    virtual void beginRemove(std::size_t /*first*/, std::size_t /*last*/) {}
    virtual void endRemove() {}
    // The check marks of rows first..last (inclusive) changed.
    virtual void checksChanged(std::size_t /*first*/, std::size_t /*last*/) {}
    // The column header's text changed.
    virtual void headerChanged() {}

    // The model holds changes the control has not heard of and wants its
    // deliverPending() to run from the event loop once `delay` has passed
    // (0: at the next turn). A later call with a shorter delay brings the
    // time forward; the model asks again when it still holds changes.
    virtual void deliveryWanted(std::chrono::milliseconds /*delay*/) {}
};

} // namespace vacantix
