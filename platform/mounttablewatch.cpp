#include "platform/mounttablewatch.h"

#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>

ProcMountInfoWatch::ProcMountInfoWatch(QObject *parent) : MountTableWatch(parent)
{
    m_fd = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
    // The event loop's own poll takes note of the change, so the notifier fires once per change.
    connect(m_notifier, &QSocketNotifier::activated, this, &MountTableWatch::changed);
}

ProcMountInfoWatch::~ProcMountInfoWatch()
{
    delete m_notifier; // before its descriptor goes
    if (m_fd >= 0)
        close(m_fd);
}
