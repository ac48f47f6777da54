#pragma once

#include <QElapsedTimer>
#include <chrono>

// The one way long work on the GUI thread yields to the event loop. The scanner asks for a
// yield after every directory entry; pumping each time would cost more than the scan, so
// events are processed only when the interval has passed since the last pump. Clicks and
// repaints then wait at most about one interval.
class EventPump {
public:
    static constexpr std::chrono::milliseconds DefaultInterval{10};

    // With an interval of 0 every call pumps. Otherwise the clock is read only on every
    // ClockStride-th call: a scan calls once per entry, every couple of microseconds, and
    // reading the clock each time would be a measurable share of the scan.
    static constexpr int ClockStride = 32;

    explicit EventPump(std::chrono::milliseconds interval = DefaultInterval);

    // Processes pending events when the interval has passed; returns whether it did.
    bool yieldIfDue();
    // Processes pending events now and restarts the interval.
    void yieldNow();

private:
    std::chrono::milliseconds m_interval = DefaultInterval;
    QElapsedTimer m_sinceLastPump;
    int m_callsToClockCheck = 0;
};
