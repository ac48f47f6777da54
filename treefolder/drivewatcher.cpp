#include "treefolder/drivewatcher.h"

#include "platform/postback.h"

DriveWatcher::DriveWatcher(std::unique_ptr<MountTableWatch> watch,
                           std::function<QList<Drive>()> list, QObject *parent)
    : QObject(parent), m_watch(std::move(watch)), m_list(std::move(list))
{
    if (m_watch)
        connect(m_watch.get(), &MountTableWatch::changed, this, &DriveWatcher::tableChanged);
}

DriveWatcher::~DriveWatcher()
{
    if (m_listing)
        m_listing->wait();
}

void DriveWatcher::forgetListing()
{
    ++m_generation;
}

void DriveWatcher::tableChanged()
{
    if (m_listing)
        m_changedMeanwhile = true;
    else
        startListing();
}

void DriveWatcher::startListing()
{
    m_listingGeneration = m_generation;
    m_listing = runThenPost<QList<Drive>>(
        this, m_list, [this](const QList<Drive> &drives) { listingDone(drives); },
        WithoutThread::RunHere);
}

void DriveWatcher::listingDone(const QList<Drive> &drives)
{
    m_listing.reset();
    const bool current = m_listingGeneration == m_generation;
    if (std::exchange(m_changedMeanwhile, false))
        startListing();
    if (current)
        emit listed(drives);
}
