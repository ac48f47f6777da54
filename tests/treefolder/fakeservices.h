#pragma once

#include "platform/drives.h"
#include "platform/specialfolders.h"

#include <QCoreApplication>
#include <QMap>
#include <QPointer>
#include <QThread>
#include <functional>

// Drives and special folders a test chooses; both can change between builds.
class FakeDrives final : public DriveProvider {
public:
    QList<Drive> drives() const override
    {
        if (whileListingOffThread && QThread::currentThread() != qApp->thread())
            whileListingOffThread();
        return list;
    }
    std::unique_ptr<MountTableWatch> watchMountTable() const override
    {
        auto made = std::make_unique<MountTableWatch>();
        watches.append(made.get());
        return made;
    }
    // What the kernel tells every watch when something is mounted or unmounted.
    void tableChanged() const
    {
        for (const QPointer<MountTableWatch> &watch : std::as_const(watches)) {
            if (watch)
                emit watch->changed();
        }
    }

    QList<Drive> list;
    // Runs inside a listing made off the GUI thread, so a test can hold the listing there.
    std::function<void()> whileListingOffThread;
    mutable QList<QPointer<MountTableWatch>> watches;
};

class FakeSpecialFolders final : public SpecialFolders {
public:
    QString path(int folderId) const override { return paths.value(folderId); }
    QMap<int, QString> paths;
};

inline Drive fixedDrive(const QString &path, const QString &volumeName = {})
{
    return Drive{path, DriveType::Fixed, volumeName, {}, true};
}
