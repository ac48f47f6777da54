#include "platform/mounttablewatch.h"

#include "posix/mounttable.h"

#include <QSocketNotifier>
#include <unistd.h>

ProcMountInfoWatch::ProcMountInfoWatch(QObject *parent) : MountTableWatch(parent)
{
    m_fd = MountTableChanges::openWakeDescriptor();
    if (m_fd < 0)
        return;
    m_seen = MountTableChanges::shared().count();
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
    // The event loop's own poll takes note of the change, so the notifier fires once per change.
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        const std::uint64_t now = MountTableChanges::shared().count();
        if (std::exchange(m_seen, now) != now)
            emit changed();
    });
}

ProcMountInfoWatch::~ProcMountInfoWatch()
{
    delete m_notifier; // before its descriptor goes
    if (m_fd >= 0)
        close(m_fd);
}
