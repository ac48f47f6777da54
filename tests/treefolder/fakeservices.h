#pragma once

#include "platform/drives.h"
#include "platform/specialfolders.h"

#include <QMap>

// Drives and special folders a test chooses; both can change between builds.
class FakeDrives final : public DriveProvider {
public:
    QList<Drive> drives() const override { return list; }
    QList<Drive> list;
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
