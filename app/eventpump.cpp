#include "app/eventpump.h"

#include <QCoreApplication>

EventPump::EventPump(std::chrono::milliseconds interval) : m_interval(interval)
{
    m_sinceLastPump.start();
}

bool EventPump::yieldIfDue()
{
    if (m_interval.count() > 0) {
        if (++m_callsToClockCheck < ClockStride)
            return false;
        m_callsToClockCheck = 0;
        if (m_sinceLastPump.elapsed() < m_interval.count())
            return false;
    }
    yieldNow();
    return true;
}

void EventPump::yieldNow()
{
    // Restarted before pumping: a nested generation started from inside the pump shares
    // this pump and must not see the time spent in it as overdue.
    m_sinceLastPump.start();
    QCoreApplication::processEvents();
}
