#pragma once

#include <QObject>
#include <cstdint>

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

// The process's one count of mount table changes (MountTableChanges), woken by a descriptor of
// the table's own that the event loop polls; changed() comes once the count has moved. Nothing
// is read until something is mounted.
class ProcMountInfoWatch final : public MountTableWatch {
public:
    // When the table cannot be opened, nothing is ever signalled.
    explicit ProcMountInfoWatch(QObject *parent = nullptr);
    ~ProcMountInfoWatch() override;

private:
    int m_fd = -1;
    std::uint64_t m_seen = 0;
    QSocketNotifier *m_notifier = nullptr;
};
