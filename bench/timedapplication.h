#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <ctime>

// The application object, timing every event it delivers from the event loop itself (not
// those sent from inside another event's handling): each is a stretch the GUI thread spends
// away from its event loop.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (m_depth > 0 || !m_measuring)
            return nestedNotify(receiver, event);
        QElapsedTimer clock;
        clock.start();
        const qint64 cpuStart = threadCpuNs();
        const QEvent::Type type = event->type();
        const char *receiverClass = receiver->metaObject()->className();
        const bool handled = nestedNotify(receiver, event);
        const qint64 cpu = threadCpuNs() - cpuStart;
        m_longestWallNs = std::max(m_longestWallNs, clock.nsecsElapsed());
        if (cpu > m_longestNs) {
            m_longestNs = cpu;
            m_longestWhat = QStringLiteral("event %1 to %2")
                                .arg(int(type))
                                .arg(QString::fromLatin1(receiverClass));
        }
        return handled;
    }

    void setMeasuring(bool on) { m_measuring = on; }
    // Of the GUI thread's own processor time: on two cores shared with the scan's workers and
    // other programs, wall time also counts the stretches the thread waited for a core.
    double longestMs() const { return double(m_longestNs) / 1e6; }
    double longestWallMs() const { return double(m_longestWallNs) / 1e6; }
    QString longestWhat() const { return m_longestWhat; }
    void restart() { m_longestNs = m_longestWallNs = 0; }

private:
    static qint64 threadCpuNs()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    }

    bool nestedNotify(QObject *receiver, QEvent *event)
    {
        ++m_depth;
        const bool handled = QApplication::notify(receiver, event);
        --m_depth;
        return handled;
    }

    int m_depth = 0;
    bool m_measuring = false;
    qint64 m_longestNs = 0;
    qint64 m_longestWallNs = 0;
    QString m_longestWhat;
};
