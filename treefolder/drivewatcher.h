#pragma once

#include "platform/drives.h"
#include "posix/offthread.h"

#include <QList>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>

// Lists the drives again each time the mount table changes. The listing runs off the calling
// thread (it waits up to the probe's bound for volumes that do not answer) and its result comes
// back through the event loop. One listing at a time: changes that come while one is under way
// are listed once more when it ends.
class DriveWatcher : public QObject {
    Q_OBJECT
public:
    // list runs on a thread of its own (here when none can be had: it waits at most the
    // probe's bound); watch may be null, and nothing is then listed.
    DriveWatcher(std::unique_ptr<MountTableWatch> watch, std::function<QList<Drive>()> list,
                 QObject *parent = nullptr);
    // Waits for a listing under way, which uses what list uses: at most the probe's bound.
    ~DriveWatcher() override;

    // The drives were read anew since a listing under way began (a rebuilt or emptied tree):
    // that listing's result is not delivered.
    void forgetListing();

signals:
    // The drives in the service's order, after a change of the mount table.
    void listed(const QList<Drive> &drives);

private:
    void tableChanged();
    void startListing();
    void listingDone(const QList<Drive> &drives);

    std::unique_ptr<MountTableWatch> m_watch;
    std::function<QList<Drive>()> m_list;
    std::optional<PendingAnswer<bool>> m_listing; // the listing under way
    quint64 m_generation = 0;
    quint64 m_listingGeneration = 0;
    bool m_changedMeanwhile = false;
};
