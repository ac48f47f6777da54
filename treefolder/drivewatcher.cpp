#include "treefolder/drivewatcher.h"

#include <system_error>

DriveWatcher::DriveWatcher(std::unique_ptr<MountTableWatch> watch,
                           std::function<QList<Drive>()> list, QObject *parent)
    : QObject(parent), m_watch(std::move(watch)), m_list(std::move(list))
{
    if (m_watch)
        connect(m_watch.get(), &MountTableWatch::changed, this, &DriveWatcher::tableChanged);
}

DriveWatcher::~DriveWatcher()
{
    if (m_thread.joinable())
        m_thread.join();
}

void DriveWatcher::forgetListing()
{
    ++m_generation;
}

void DriveWatcher::tableChanged()
{
    if (m_thread.joinable())
        m_changedMeanwhile = true;
    else
        startListing();
}

void DriveWatcher::startListing()
{
    m_listingGeneration = m_generation;
    try {
        m_thread = std::thread([this] {
            m_result = m_list();
            QMetaObject::invokeMethod(this, &DriveWatcher::listingDone, Qt::QueuedConnection);
        });
    } catch (const std::system_error &) {
        // No thread to list with: the next change tries again.
    }
}

void DriveWatcher::listingDone()
{
    m_thread.join();
    const QList<Drive> drives = std::exchange(m_result, {});
    const bool current = m_listingGeneration == m_generation;
    if (std::exchange(m_changedMeanwhile, false))
        startListing();
    if (current)
        emit listed(drives);
}
