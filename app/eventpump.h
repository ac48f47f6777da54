#pragma once

#include <QElapsedTimer>
#include <chrono>

// The one way long work on the GUI thread yields to the event loop. The chart workflow asks
// for a yield after every subfolder and the scanner as each scan starts and every few
// milliseconds while it runs; over thousands of small subfolders pumping each time would cost
// more than the scans, so events are processed only when the interval has passed since the
// last pump. Clicks and repaints then wait at most about one interval.
class EventPump {
public:
    static constexpr std::chrono::milliseconds DefaultInterval{10};

    // With an interval of 0 every call pumps. Otherwise the clock is read on every
    // ClockStride-th call. Calls come at most a few per subfolder, each far dearer than a
    // clock reading, and a scan's own calls already come milliseconds apart: a stride above 1
    // would hold a pump back by that many of them.
    static constexpr int ClockStride = 1;

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
