#include "posix/mounttable.h"
#include "support/runinchild.h"
#include "support/smalltmpfs.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

TEST(MountTable, ParsesDeviceFieldsAndEscapesAndSkipsWhatIsNoMountLine)
{
    const std::vector<MountLine> mounts =
        parseMountTable("22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
                        "not a mount line\n"
                        "97 22 259:3 /sub /media/u/MY\\040STICK rw - vfat /dev/nvme0n1p3 rw\n"
                        "98 22 0:5 / /bad rw - \n"
                        "99 22 x:y / /nodevice rw - tmpfs tmpfs rw");
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[0].major, 8u);
    EXPECT_EQ(mounts[0].minor, 2u);
    EXPECT_EQ(mounts[0].mountPoint, "/");
    EXPECT_EQ(mounts[0].fsType, "ext4");
    EXPECT_EQ(mounts[0].source, "/dev/sda2");
    EXPECT_EQ(mounts[1].major, 259u);
    EXPECT_EQ(mounts[1].root, "/sub");
    EXPECT_EQ(mounts[1].mountPoint, "/media/u/MY STICK");

    EXPECT_EQ(decodeMountField("a\\x20b\\011c"), "a b\tc");
    EXPECT_EQ(decodeMountField("keep\\999\\0"), "keep\\999\\0"); // no escape: kept as it is
}

TEST(MountTable, TheMachinesTableHoldsTheRootWithTheDeviceOfItsFolder)
{
    struct stat root;
    ASSERT_EQ(stat("/", &root), 0);
    bool found = false;
    for (const MountLine &mount : parseMountTable(readMountTable()))
        found = found || (mount.mountPoint == "/" && mount.major == major(root.st_dev) &&
                          mount.minor == minor(root.st_dev));
    EXPECT_TRUE(found);
}

TEST(MountTableChanges, EveryReaderSeesAMountMadeBeforeItAsksAndTheWakeFires)
{
    MountTableChanges &changes = MountTableChanges::shared();
    ASSERT_TRUE(changes.watches());
    const int wake = MountTableChanges::openWakeDescriptor();
    ASSERT_GE(wake, 0);
    const std::uint64_t first = changes.count();
    const std::uint64_t second = changes.count(); // as another reader would ask
    EXPECT_EQ(first, second);
    pollfd quiet{wake, POLLPRI, 0};
    EXPECT_EQ(poll(&quiet, 1, 0), 0);
    {
        SmallTmpfs volume(64);
        if (!volume.mounted()) {
            close(wake);
            GTEST_SKIP() << volume.why();
        }
        // Asked at once after the mount, without waiting for any thread.
        EXPECT_GT(changes.count(), first);
    }
    pollfd woken{wake, POLLPRI, 0};
    EXPECT_EQ(poll(&woken, 1, 1000), 1);
    const std::uint64_t afterUnmount = changes.count();
    EXPECT_GT(afterUnmount, first);
    EXPECT_EQ(changes.count(), afterUnmount); // nothing more until the next change
    close(wake);
}

// A forked child that keeps running (a test's child, a scan in one) asks on a descriptor of its
// own: on the parent's it would take the notice of a change the parent has not counted yet.
TEST(MountTableChanges, AForkedChildThatAsksTakesNoNoticeFromItsParent)
{
    MountTableChanges &changes = MountTableChanges::shared();
    ASSERT_TRUE(changes.watches());
    const std::uint64_t before = changes.count();
    SmallTmpfs volume(64);
    if (!volume.mounted())
        GTEST_SKIP() << volume.why();
    EXPECT_EQ(runInChild([] {
                  MountTableChanges::shared().count();
                  return std::string("asked");
              }),
              "asked");
    EXPECT_GT(changes.count(), before);
}

} // namespace
