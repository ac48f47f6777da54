#include "platform/drives.h"
#include "support/goneserver.h"
#include "support/smalltmpfs.h"
#include "support/temptree.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

namespace {

// A desktop machine's mount table, with the kinds of lines a file manager leaves out.
const QByteArray mountInfo = R"(22 28 0:21 / /proc rw,nosuid - proc proc rw
23 28 0:22 / /sys rw,nosuid - sysfs sysfs rw
24 28 0:5 / /dev rw,nosuid - devtmpfs udev rw
25 24 0:23 / /dev/pts rw - devpts devpts rw
26 28 0:24 / /run rw - tmpfs tmpfs rw
28 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw
29 23 0:25 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw
30 28 8:3 / /home rw,relatime shared:2 - ext4 /dev/sda3 rw
31 28 7:0 / /snap/core/123 ro - squashfs /dev/loop0 ro
32 26 0:40 / /run/user/1000 rw - tmpfs tmpfs rw
33 28 8:17 / /media/u/MY\040STICK rw - vfat /dev/sdb1 rw
34 28 11:0 / /media/u/DVD ro - iso9660 /dev/sr0 ro
35 28 0:50 / /mnt/share rw - cifs //server/data rw
36 28 0:51 / /mnt/nfs rw - nfs4 fileserver:/export rw
37 28 8:4 /etc/hosts /etc/hosts rw - ext4 /dev/sda2 rw
38 28 0:60 / /var/lib/docker/overlay2/abc/merged rw - overlay overlay rw
39 28 8:5 / /data rw - xfs /dev/sdc1 rw
40 28 8:6 / /data rw - ext4 /dev/sdd1 rw
41 28 0:70 / /run/user/1000/doc rw - fuse.portal portal rw
42 28 0:71 / /home/u/remote rw - fuse.sshfs u@host:/srv rw
garbage line
)";

MountFacts desktopFacts()
{
    MountFacts facts;
    facts.isRemovableDevice = [](const QString &device) { return device == "/dev/sdb1"; };
    facts.labelOf = [](const QString &device) {
        return device == "/dev/sda3" ? QStringLiteral("HOME") : QString();
    };
    facts.answerOf = [](const QString &path) {
        if (path == "/etc/hosts")
            return MountAnswer::NotFolder;
        return path == "/mnt/nfs" ? MountAnswer::NoAnswer : MountAnswer::Folder;
    };
    return facts;
}

TEST(Drives, ParsesMountInfoFieldsAndDecodesEscapes)
{
    const QList<MountEntry> mounts = parseMountInfo(mountInfo);
    ASSERT_EQ(mounts.size(), 20);
    EXPECT_EQ(mounts[5].mountPoint, "/");
    EXPECT_EQ(mounts[5].fsType, "ext4");
    EXPECT_EQ(mounts[5].source, "/dev/sda2");
    EXPECT_EQ(mounts[10].mountPoint, "/media/u/MY STICK");
    EXPECT_EQ(mounts[14].root, "/etc/hosts");
}

TEST(Drives, KeepsWhatAFileManagerShowsWithTypesNamesAndShares)
{
    const QList<Drive> drives = drivesFromMounts(parseMountInfo(mountInfo), desktopFacts());
    QStringList paths;
    for (const Drive &drive : drives)
        paths << drive.path;
    EXPECT_EQ(paths, QStringList({"/", "/home", "/media/u/MY STICK", "/media/u/DVD", "/mnt/share",
                                  "/mnt/nfs", "/data", "/home/u/remote"}));

    auto find = [&](const QString &path) {
        for (const Drive &drive : drives)
            if (drive.path == path)
                return drive;
        return Drive{};
    };
    EXPECT_EQ(find("/").type, DriveType::Fixed);
    EXPECT_EQ(find("/home").volumeName, "HOME");
    EXPECT_EQ(find("/media/u/MY STICK").type, DriveType::Removable);
    EXPECT_EQ(find("/media/u/DVD").type, DriveType::CdRom);
    EXPECT_EQ(find("/mnt/share").type, DriveType::Network);
    EXPECT_EQ(find("/mnt/share").shareName, "//server/data");
    EXPECT_EQ(find("/mnt/nfs").shareName, "fileserver:/export");
    EXPECT_EQ(find("/home/u/remote").type, DriveType::Network);
    // Mounted twice: the later mount hides the earlier one.
    EXPECT_EQ(drives.size(), QSet<QString>(paths.begin(), paths.end()).size());
    EXPECT_TRUE(find("/data").ready);
    EXPECT_FALSE(find("/mnt/nfs").ready) << "a mount that does not answer is not ready";
}

TEST(Drives, RemovableDeviceOutsideMediaIsRemovable)
{
    const QByteArray line = "50 28 8:33 / /mnt/card rw - exfat /dev/sdb1 rw\n";
    const QList<Drive> drives = drivesFromMounts(parseMountInfo(line), desktopFacts());
    ASSERT_EQ(drives.size(), 1);
    EXPECT_EQ(drives[0].type, DriveType::Removable);
}

TEST(Drives, ContainerRootOnOverlayIsStillTheRootDrive)
{
    const QByteArray line = "600 500 0:99 / / rw - overlay overlay rw,lowerdir=/x\n";
    const QList<Drive> drives = drivesFromMounts(parseMountInfo(line), desktopFacts());
    ASSERT_EQ(drives.size(), 1);
    EXPECT_EQ(drives[0].path, "/");
}

TEST(Drives, TheMachineAlwaysHasItsRootDrive)
{
    const QList<Drive> drives = MountedDrives().drives();
    bool hasRoot = false;
    for (const Drive &drive : drives) {
        hasRoot = hasRoot || drive.path == "/";
        EXPECT_FALSE(drive.path.startsWith("/proc")) << drive.path.toStdString();
        EXPECT_FALSE(drive.path.startsWith("/sys")) << drive.path.toStdString();
    }
    EXPECT_TRUE(hasRoot);
}

} // namespace

namespace {

TEST(Drives, ASilentMountIsListedNotReadyAndNothingWaitsOnItForLong)
{
    TempTree tree;
    tree.makeDir("disk/sub");
    tree.makeDir("share");
    const QByteArray disk = QByteArray::fromStdString(tree.path("disk"));
    const QByteArray share = QByteArray::fromStdString(tree.path("share"));
    const QByteArray table = "28 1 8:2 / / rw - ext4 /dev/sda2 rw\n30 28 8:3 / " + disk +
                             " rw - ext4 /dev/sdz1 rw\n36 28 0:51 / " + share +
                             " rw - nfs4 server:/x rw\n";
    GoneServer server;
    const MountedDrives drives([&] { return table; }, server.checkBlocking(share));

    for (int build = 0; build < 3; ++build) {
        const QList<Drive> list = drives.drives();
        ASSERT_EQ(list.size(), 3);
        EXPECT_TRUE(list[1].ready);
        EXPECT_EQ(list[2].path, QString::fromUtf8(share));
        EXPECT_FALSE(list[2].ready);
    }
    EXPECT_FALSE(drives.answers(QString::fromUtf8(share + "/deeper/folder")));
    EXPECT_TRUE(drives.answers(QString::fromUtf8(disk + "/sub")));
    EXPECT_TRUE(drives.answers(tree.pathQ("elsewhere")));
    EXPECT_FALSE(server.timedOut());

    server.release(); // the server is back: the mount answers again
    bool answered = false;
    for (int i = 0; i < 500 && !answered; ++i) {
        answered = drives.answers(QString::fromUtf8(share));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(answered);
}

TEST(Drives, AnAnswerOnceGoodIsNotTrustedOnceItIsStale)
{
    // The mount answers at first, then its server goes away: once the first answer is older
    // than the probe keeps answers, the mount reads as silent again instead of as a folder.
    TempTree tree;
    tree.makeDir("share");
    const QByteArray share = QByteArray::fromStdString(tree.path("share"));
    GoneServer server;
    std::atomic<bool> gone = false;
    const MountProbe::Check blocking = server.checkBlocking(share);
    const MountProbe probe(
        [&](const QByteArray &asked) {
            return gone ? blocking(asked) : MountProbe::statCheck(asked);
        },
        std::chrono::milliseconds(50), std::chrono::milliseconds(100));
    const QString mountPoint = QString::fromUtf8(share);
    EXPECT_EQ(probe.answer(mountPoint), MountAnswer::Folder);
    gone = true;
    EXPECT_EQ(probe.answer(mountPoint), MountAnswer::Folder); // still fresh
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(probe.answer(mountPoint), MountAnswer::NoAnswer);
    EXPECT_EQ(probe.answer(mountPoint), MountAnswer::NoAnswer); // still asking, still silent
    EXPECT_FALSE(server.timedOut());
}

TEST(Drives, AMountMadeAfterStartUpIsProbedBeforeAnythingBelowItIsTrusted)
{
    TempTree tree;
    tree.makeDir("disk/later");
    const QByteArray disk = QByteArray::fromStdString(tree.path("disk"));
    const QByteArray later = disk + "/later";
    QByteArray table = "30 28 8:3 / " + disk + " rw - ext4 /dev/sdz1 rw\n";
    bool changed = false;
    GoneServer server;
    const MountedDrives drives([&] { return table; }, server.checkBlocking(later),
                               [&] { return std::exchange(changed, false); });
    EXPECT_EQ(drives.drives().size(), 1);
    EXPECT_TRUE(drives.answers(QString::fromUtf8(later + "/x")));

    // A share is mounted on "later" and its server is gone.
    table += "36 30 0:51 / " + later + " rw - nfs4 server:/x rw\n";
    changed = true;
    EXPECT_FALSE(drives.answers(QString::fromUtf8(later + "/x")));
    EXPECT_TRUE(drives.mountPoints().contains(QString::fromUtf8(later)));
    EXPECT_FALSE(server.timedOut());
    EXPECT_TRUE(MountedDrives::watchProcMountInfo()) << "a watch on the machine's own table";
}

TEST(Drives, TheMachinesTableTellsTheEventLoopOfAMountMadeAfterItsWatchOncePerChange)
{
    const std::unique_ptr<MountTableWatch> watch = MountedDrives().watchMountTable();
    int changes = 0;
    QObject::connect(watch.get(), &MountTableWatch::changed, [&] { ++changes; });
    const auto runEventLoop = [](int milliseconds) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < milliseconds)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    runEventLoop(50);
    const int before = changes; // other programs may mount meanwhile
    {
        const SmallTmpfs mounted(64);
        if (!mounted.mounted())
            GTEST_SKIP() << mounted.why();
        runEventLoop(200);
    }
    runEventLoop(200);
    // The mount and the unmount; a notifier that fired for nothing would count thousands.
    EXPECT_GE(changes - before, 2);
    EXPECT_LE(changes - before, 10);
}

// The removable flag is read where the kernel keeps it: a disk whose flag says 0 is a fixed
// one, 1 a removable one.
TEST(Drives, ADeviceIsRemovableAsItsFlagInSysfsSays)
{
    QString device;
    std::string flag;
    for (const QString &name :
         QDir(QStringLiteral("/sys/class/block")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile removable(QStringLiteral("/sys/class/block/") + name + QStringLiteral("/removable"));
        if (QFile::exists(QStringLiteral("/dev/") + name) && removable.open(QIODevice::ReadOnly)) {
            device = QStringLiteral("/dev/") + name;
            flag = removable.readAll().toStdString();
            break;
        }
    }
    if (device.isEmpty())
        GTEST_SKIP() << "no block device with a removable flag on this machine";
    TempTree disk;
    disk.makeDir("m");
    const QString mountPoint = disk.pathQ("m");
    const QByteArray table = "30 28 8:3 / " + QFile::encodeName(mountPoint) + " rw - ext4 " +
                             QFile::encodeName(device) + " rw\n";
    const MountedDrives drives([&] { return table; });
    bool found = false;
    for (const Drive &drive : drives.drives()) {
        if (drive.path != mountPoint)
            continue;
        found = true;
        EXPECT_EQ(drive.type, flag.starts_with('1') ? DriveType::Removable : DriveType::Fixed)
            << device.toStdString() << " says " << flag;
    }
    EXPECT_TRUE(found);
}

} // namespace
