#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// A "drive" on Linux is a mounted volume the user would recognise: the root, file systems
// on block devices, network shares and removable or optical media.

// Numbers as the tree's drive labels expect them.
enum class DriveType { Unknown = 0, Removable = 1, Fixed = 2, Network = 3, CdRom = 4, RamDisk = 5 };

struct Drive {
    QString path; // the mount point: "/" keeps its separator, every other has none
    DriveType type = DriveType::Unknown;
    QString volumeName; // the file system's label, empty when it has none
    QString shareName;  // the remote source of a network share ("//server/data", "host:/x")
    bool ready = true;  // false for a drive without medium
};

// The machine's drives in the order the system lists them. Fakes in tests.
class DriveProvider {
public:
    virtual ~DriveProvider() = default;
    virtual QList<Drive> drives() const = 0;
};

// One line of /proc/self/mountinfo, with the octal escapes (\040 ...) decoded.
struct MountEntry {
    QString root; // the part of the source file system that is mounted ("/" unless a bind)
    QString mountPoint;
    QString fsType;
    QString source;
};

QList<MountEntry> parseMountInfo(const QByteArray &text);

// What the classification needs to know about the machine beyond the mount table.
struct MountFacts {
    std::function<bool(const QString &device)> isRemovableDevice;
    std::function<QString(const QString &device)> labelOf;
    std::function<bool(const QString &mountPoint)> isDirectory;
};

// The drives among the mounts: pseudo and memory file systems, snap images, overlay layers
// other than the root and bind mounts of single files are left out; a mount point mounted
// twice counts once, as the later mount hides the earlier one.
QList<Drive> drivesFromMounts(const QList<MountEntry> &mounts, const MountFacts &facts);

// The real drives, read from /proc/self/mountinfo each time they are asked for.
class MountedDrives final : public DriveProvider {
public:
    QList<Drive> drives() const override;
};
