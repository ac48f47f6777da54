#pragma once

#include "platform/mountprobe.h"
#include "platform/mounttablewatch.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// A "drive" on Linux is a mounted volume the user would recognise: the root, file systems
// on block devices, network shares and removable or optical media.

// Numbers as the tree's drive labels expect them.
enum class DriveType { Unknown = 0, Removable = 1, Fixed = 2, Network = 3, CdRom = 4, RamDisk = 5 };

struct Drive {
    QString path; // the mount point: "/" keeps its separator, every other has none
    DriveType type = DriveType::Unknown;
    QString volumeName; // the file system's label, empty when it has none
    QString shareName;  // the remote source of a network share ("//server/data", "host:/x")
    bool ready = true;  // false for a drive without medium or one that does not answer
};

// The machine's drives in the order the system lists them. Fakes in tests.
class DriveProvider {
public:
    virtual ~DriveProvider() = default;
    // Read from the mount table alone: never waits on a medium.
    virtual QList<Drive> drives() const = 0;
    // Whether the volume that holds path answers, so that path can be opened without
    // blocking; waits at most a short bound. A volume that does not answer reads as false.
    virtual bool answers(const QString &path) const
    {
        Q_UNUSED(path);
        return true;
    }
    // Every mount point of the last table read, the drives' own and every other: a folder
    // listed off the GUI thread leaves these alone. Safe to call from any thread.
    virtual QSet<QString> mountPoints() const { return {}; }
    // Asks path's volume again without waiting: whether it answers, or nullopt while the
    // question is still under way. A volume that did not answer in time is asked this way
    // later, so that one that was only slow becomes usable.
    virtual std::optional<bool> askAgain(const QString &path) const { return answers(path); }
    // A watch that tells the calling thread's event loop when the drives may have changed;
    // nullptr when this provider cannot tell. The caller owns it.
    virtual std::unique_ptr<MountTableWatch> watchMountTable() const { return nullptr; }
};

// One line of /proc/self/mountinfo, with the octal escapes (\040 ...) decoded. Paths keep
// the bytes of names that are not UTF-8 (nativepath.h).
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
    // What the mount point answered; NoAnswer keeps the drive, as not ready.
    std::function<MountAnswer(const QString &mountPoint)> answerOf;
};

// The drives among the mounts: pseudo and memory file systems, snap images, overlay layers
// other than the root and bind mounts of single files are left out; a mount point mounted
// twice counts once, as the later mount hides the earlier one.
QList<Drive> drivesFromMounts(const QList<MountEntry> &mounts, const MountFacts &facts);

// The real drives, read from the mount table each time they are asked for. Every mount point
// is asked off the calling thread (MountProbe), all at once, so a list costs at most the
// probe's short bound however many mounts are silent, and only once while they stay silent.
class MountedDrives final : public DriveProvider {
public:
    // The text of /proc/self/mountinfo; a test hands in its own table and probe.
    using TableReader = std::function<QByteArray()>;
    // Whether the table changed since last asked; never waits.
    using ChangeWatch = std::function<bool()>;
    explicit MountedDrives(TableReader readTable = procMountInfo,
                           MountProbe::Check check = MountProbe::statCheck,
                           ChangeWatch tableChanged = watchProcMountInfo());

    QList<Drive> drives() const override;
    bool answers(const QString &path) const override;
    QSet<QString> mountPoints() const override;
    std::optional<bool> askAgain(const QString &path) const override;
    // Watches the machine's own table, whatever table this object reads.
    std::unique_ptr<MountTableWatch> watchMountTable() const override;

    static QByteArray procMountInfo();
    // The kernel's own signal: /proc/self/mountinfo polls as changed once per change of the
    // table, so a mount made after start-up is read (and its volume probed) before anything
    // below it is opened.
    static ChangeWatch watchProcMountInfo();

private:
    // The mount point whose volume holds path, from the last table read.
    QString mountPointOf(const QString &path) const;

    TableReader m_readTable;
    MountProbe m_probe;
    ChangeWatch m_tableChanged;
    mutable std::mutex m_mutex;
    mutable QSet<QString> m_mountPoints;
};
