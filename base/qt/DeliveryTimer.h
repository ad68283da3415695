// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <chrono>
#include <functional>

namespace vacantix {

// Runs a list model's deliveries from the event loop, as its observer's
// deliveryWanted() asks: once `delay` has passed, or sooner when an earlier
// request already stands.
class DeliveryTimer {
public:
    explicit DeliveryTimer(std::function<void()> deliver)
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [deliver = std::move(deliver)] { deliver(); });
    }

    void schedule(std::chrono::milliseconds delay)
    {
        const int ms = static_cast<int>(delay.count());
        if (timer_.isActive() && timer_.remainingTime() <= ms)
            return;
        timer_.start(ms);
    }

private:
    QTimer timer_;
};

} // namespace vacantix
