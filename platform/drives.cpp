#include "platform/drives.h"

#include "platform/nativepath.h"
#include "posix/mounttable.h"
#include "posix/smallfile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <atomic>
#include <cstdint>
#include <memory>

namespace {

QString fromNative(const std::string &bytes)
{
    return pathFromNative(QByteArray::fromStdString(bytes));
}

const QSet<QString> &networkTypes()
{
    static const QSet<QString> types = {
        "nfs",  "nfs4",       "cifs",  "smb3",        "smbfs",         "ncpfs",
        "afs",  "fuse.sshfs", "sshfs", "fuse.rclone", "fuse.davfs2",   "davfs",
        "ceph", "glusterfs",  "9p",    "fuse.s3fs",   "fuse.gvfsd-smb"};
    return types;
}

bool isOpticalType(const QString &type)
{
    return type == QLatin1String("iso9660") || type == QLatin1String("udf");
}

bool isUnderMedia(const QString &mountPoint)
{
    return mountPoint.startsWith(QLatin1String("/media/")) ||
           mountPoint.startsWith(QLatin1String("/run/media/"));
}

bool isCandidate(const MountEntry &mount)
{
    if (mount.mountPoint == QLatin1String("/"))
        return true; // the root is always a drive, also an overlay root in a container
    if (mount.fsType == QLatin1String("squashfs") || mount.fsType == QLatin1String("overlay") ||
        mount.mountPoint.startsWith(QLatin1String("/snap/")))
        return false;
    if (networkTypes().contains(mount.fsType) || isOpticalType(mount.fsType))
        return true;
    return mount.source.startsWith(QLatin1String("/dev/"));
}

DriveType typeOf(const MountEntry &mount, const MountFacts &facts)
{
    if (networkTypes().contains(mount.fsType))
        return DriveType::Network;
    if (isOpticalType(mount.fsType))
        return DriveType::CdRom;
    if (isUnderMedia(mount.mountPoint) ||
        (facts.isRemovableDevice && facts.isRemovableDevice(mount.source)))
        return DriveType::Removable;
    return DriveType::Fixed;
}

// Block device name of a source ("/dev/sdb1" -> "sdb1"), following /dev/disk/by-* links.
QString blockName(const QString &device)
{
    return QFileInfo(QFileInfo(device).canonicalFilePath()).fileName();
}

bool sysfsRemovable(const QString &device)
{
    if (!device.startsWith(QLatin1String("/dev/")))
        return false; // "overlay", "tmpfs": a relative name would be looked up in the cwd
    const QString name = blockName(device);
    if (name.isEmpty())
        return false;
    // A partition has no removable flag of its own; its disk is the parent folder in sysfs.
    const QString classLink =
        QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    for (const QString &dir : {classLink, QFileInfo(classLink).path()}) {
        const std::string flag =
            readSmallFile(nativePath(dir + QStringLiteral("/removable")).constData());
        if (!flag.empty())
            return flag == "1\n" || flag == "1";
    }
    return false;
}

QString labelFromDevLinks(const QString &device)
{
    if (!device.startsWith(QLatin1String("/dev/")))
        return {};
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return {};
    const QDir labels(QStringLiteral("/dev/disk/by-label"));
    const QStringList names = labels.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (QFileInfo(labels.filePath(name)).canonicalFilePath() == target)
            return fromNative(decodeMountField(name.toLocal8Bit().toStdString())); // \x20: blank
    }
    return {};
}

} // namespace

QList<MountEntry> parseMountInfo(const QByteArray &text)
{
    QList<MountEntry> mounts;
    for (const MountLine &line : parseMountTable(std::string_view(text.constData(), text.size())))
        mounts.append({fromNative(line.root), fromNative(line.mountPoint), fromNative(line.fsType),
                       fromNative(line.source)});
    return mounts;
}

QList<Drive> drivesFromMounts(const QList<MountEntry> &mounts, const MountFacts &facts)
{
    QList<Drive> drives;
    QHash<QString, qsizetype> byPath;
    for (const MountEntry &mount : mounts) {
        if (!isCandidate(mount))
            continue;
        const MountAnswer answer =
            facts.answerOf ? facts.answerOf(mount.mountPoint) : MountAnswer::Folder;
        if (answer == MountAnswer::NotFolder)
            continue; // a single file bound over another
        Drive drive;
        drive.ready = answer == MountAnswer::Folder;
        drive.path = mount.mountPoint;
        drive.type = typeOf(mount, facts);
        if (drive.type == DriveType::Network)
            drive.shareName = mount.source;
        else if (facts.labelOf)
            drive.volumeName = facts.labelOf(mount.source);
        const auto known = byPath.constFind(drive.path);
        if (known != byPath.constEnd()) {
            drives[*known] = drive;
        } else {
            byPath.insert(drive.path, drives.size());
            drives.append(drive);
        }
    }
    return drives;
}

MountedDrives::MountedDrives(TableReader readTable, MountProbe::Check check,
                             ChangeWatch tableChanged)
    : m_readTable(std::move(readTable)), m_probe(std::move(check)),
      m_tableChanged(std::move(tableChanged))
{}

MountedDrives::ChangeWatch MountedDrives::watchProcMountInfo()
{
    MountTableChanges &changes = MountTableChanges::shared();
    if (!changes.watches())
        return [] { return true; }; // nothing to watch with: read the table each time
    const auto seen = std::make_shared<std::atomic<std::uint64_t>>(changes.count());
    return [&changes, seen] {
        const std::uint64_t now = changes.count();
        return seen->exchange(now) != now;
    };
}

QByteArray MountedDrives::procMountInfo()
{
    return QByteArray::fromStdString(readMountTable());
}

QList<Drive> MountedDrives::drives() const
{
    const QList<MountEntry> mounts = parseMountInfo(m_readTable());
    if (mounts.isEmpty())
        return {Drive{QStringLiteral("/"), DriveType::Fixed, {}, {}, true}};
    {
        const std::lock_guard lock(m_mutex);
        m_mountPoints.clear();
        for (const MountEntry &mount : mounts)
            m_mountPoints.insert(mount.mountPoint);
    }
    // All questions first, so that silent mounts share one wait.
    for (const MountEntry &mount : mounts) {
        if (isCandidate(mount))
            m_probe.start(mount.mountPoint);
    }
    MountFacts facts;
    facts.isRemovableDevice = sysfsRemovable;
    facts.labelOf = labelFromDevLinks;
    facts.answerOf = [this](const QString &mountPoint) { return m_probe.answer(mountPoint); };
    return drivesFromMounts(mounts, facts);
}

QString MountedDrives::mountPointOf(const QString &path) const
{
    const std::lock_guard lock(m_mutex);
    QString folder = path;
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    while (!folder.isEmpty()) {
        if (m_mountPoints.contains(folder))
            return folder;
        const qsizetype slash = folder.lastIndexOf(u'/');
        if (slash < 0 || folder == QLatin1String("/"))
            break;
        folder = slash == 0 ? QStringLiteral("/") : folder.left(slash);
    }
    return {};
}

bool MountedDrives::answers(const QString &path) const
{
    bool known = false;
    {
        const std::lock_guard lock(m_mutex);
        known = !m_mountPoints.isEmpty();
    }
    if (!known || (m_tableChanged && m_tableChanged()))
        drives(); // the table as it is now, and a question to each mount in it
    const QString mountPoint = mountPointOf(path);
    return mountPoint.isEmpty() || m_probe.answer(mountPoint) == MountAnswer::Folder;
}

QSet<QString> MountedDrives::mountPoints() const
{
    const std::lock_guard lock(m_mutex);
    return m_mountPoints;
}

std::optional<bool> MountedDrives::askAgain(const QString &path) const
{
    const QString mountPoint = mountPointOf(path);
    if (mountPoint.isEmpty())
        return true;
    const std::optional<MountAnswer> answer = m_probe.poll(mountPoint);
    if (!answer)
        return std::nullopt;
    return *answer == MountAnswer::Folder;
}

std::unique_ptr<MountTableWatch> MountedDrives::watchMountTable() const
{
    return std::make_unique<ProcMountInfoWatch>();
}
