#pragma once

#include <QObject>

class QSocketNotifier;

// Tells the thread that made it, through its event loop, that the mount table changed: a
// volume was mounted or unmounted. Never blocks. A test fakes a change by emitting changed().
class MountTableWatch : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void changed();
};

// The kernel's own signal: an open /proc/self/mountinfo polls as changed (POLLPRI) once per
// change of the table, and each poll that reports it takes note of it. One descriptor and one
// notifier, and nothing is read until something is mounted.
class ProcMountInfoWatch final : public MountTableWatch {
public:
    // When the table cannot be opened, nothing is ever signalled.
    explicit ProcMountInfoWatch(QObject *parent = nullptr);
    ~ProcMountInfoWatch() override;

private:
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};
