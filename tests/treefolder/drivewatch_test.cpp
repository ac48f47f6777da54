// Real mouse presses, so that the application knows a button is held.
#define QTEST_QPA_MOUSE_HANDLING

#include "fakeservices.h"
#include "recordinghost.h"
#include "support/temptree.h"
#include "treefolder/nodekeys.h"
#include "treeprobe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <semaphore>
#include <thread>

namespace {

// Runs the event loop until done() holds or the time is up; whether it holds.
bool waitFor(const std::function<bool()> &done, int milliseconds = 3000)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() >= milliseconds)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void runEventLoopFor(int milliseconds)
{
    waitFor([] { return false; }, milliseconds);
}

bool shownNotResponding(const TreeNode &node)
{
    return !node.isNull() && node.item()->toolTip(0) == "Not responding" &&
           node.item()->font(0).italic();
}

// Drive paths need not exist: the tree reads no drive until it is opened.
class DriveWatch : public ::testing::Test {
protected:
    DriveWatch()
    {
        drives.list = {fixedDrive("/"), fixedDrive("/home", "HOME")};
        special.paths = {{SpecialFolderId::Favorites, "/home/u/Favorites"},
                         {SpecialFolderId::MyDocuments, "/home/u/Documents"}};
    }
    static TreeNode node(const TreeFolder &tree, const QString &key)
    {
        return tree.FolderNodes().find(key);
    }
    void mountTableIs(const QList<Drive> &list)
    {
        drives.list = list;
        drives.tableChanged();
    }

    FakeDrives drives;
    FakeSpecialFolders special;
    const Drive usb{"/media/usb", DriveType::Removable, "STICK", {}, true};
};

TEST_F(DriveWatch, AVolumeMountedLaterComesAtItsPlaceAsTheBuildShowsItAndRaisesNothing)
{
    TreeFolder tree(&drives, &special);
    RecordingHost host(tree);
    const Drive silentShare{"/mnt/share", DriveType::Network, {}, "//server/data", false};
    mountTableIs({fixedDrive("/"), usb, fixedDrive("/home", "HOME"), silentShare});
    ASSERT_TRUE(waitFor([&] { return !node(tree, "/mnt/share/").isNull(); }));

    EXPECT_EQ(childKeys(node(tree, MyComputerKey)),
              QStringList({"/", "/media/usb/", "/home/", "/mnt/share/", "/home/u/Favorites",
                           "/home/u/Documents"}));
    const TreeFolder built(&drives, &special);
    for (const QString key : {"/media/usb/", "/mnt/share/"}) {
        const TreeNode added = node(tree, key);
        const TreeNode expected = node(built, key);
        EXPECT_EQ(added.text(), expected.text());
        EXPECT_EQ(tree.imageList().key(added.image()), built.imageList().key(expected.image()));
        EXPECT_EQ(added.tag(), std::optional<int>(0));
        EXPECT_EQ(childKeys(added), QStringList({key + "_empty_child"}));
    }
    EXPECT_FALSE(shownNotResponding(node(tree, "/media/usb/")));
    EXPECT_TRUE(shownNotResponding(node(tree, "/mnt/share/")));
    EXPECT_EQ(host.events, QStringList());

    // Gone while selected, it stays marked: asking it again would find the folder below it.
    tree.treeView()->setCurrentItem(node(tree, "/mnt/share/").item());
    mountTableIs(drives.list.mid(0, 3));
    runEventLoopFor(1300);
    EXPECT_TRUE(shownNotResponding(node(tree, "/mnt/share/")));
}

TEST_F(DriveWatch, AnUnmountedVolumeGoesAtOnceOrWhenTheSelectionLeavesItAndRaisesNothing)
{
    // A drive with enough entries to be loaded in the background, still loading when it goes.
    TempTree disk;
    for (int i = 0; i < 2001; ++i)
        disk.makeDir("big/d" + std::to_string(i));
    const QString big = disk.pathQ("big");
    drives.list = {fixedDrive("/"), fixedDrive(big), usb};
    TreeFolder tree(&drives, &special);
    RecordingHost host(tree);
    tree.treeView()->setCurrentItem(node(tree, "/media/usb/").item());
    node(tree, big + '/').setExpanded(true);
    QStringList raisedOnceGone;
    host.during = [&](const QString &event) {
        if (node(tree, big + '/').isNull())
            raisedOnceGone << event;
    };

    mountTableIs({fixedDrive("/")});
    ASSERT_TRUE(waitFor([&] { return node(tree, big + '/').isNull(); }));
    runEventLoopFor(300);
    EXPECT_EQ(raisedOnceGone, QStringList()) << "nor from the folder that was loading";
    host.clear();
    EXPECT_EQ(tree.selectedFolder(), "/media/usb/");
    EXPECT_TRUE(shownNotResponding(node(tree, "/media/usb/")));

    mountTableIs({fixedDrive("/"), usb});
    EXPECT_TRUE(waitFor([&] { return !shownNotResponding(node(tree, "/media/usb/")); }))
        << "mounted again";
    mountTableIs({fixedDrive("/")});
    ASSERT_TRUE(waitFor([&] { return shownNotResponding(node(tree, "/media/usb/")); }));

    // The user clicks another drive; its row stays under the pointer until the button is up.
    tree.show();
    QWidget *rows = tree.treeView()->viewport();
    QTest::mousePress(rows, Qt::LeftButton, {}, User::centreOf(tree, node(tree, "/")));
    runEventLoopFor(200);
    EXPECT_FALSE(node(tree, "/media/usb/").isNull());
    QTest::mouseRelease(rows, Qt::LeftButton, {}, User::centreOf(tree, node(tree, "/")));
    EXPECT_TRUE(waitFor([&] { return node(tree, "/media/usb/").isNull(); }));
    EXPECT_EQ(childKeys(node(tree, MyComputerKey)),
              QStringList({"/", "/home/u/Favorites", "/home/u/Documents"}));
    EXPECT_EQ(host.own(), QStringList({"DriveClick /", "FolderClick /", "Change"}));
}

TEST_F(DriveWatch, AListingUnderWayWhenTheTreeIsEmptiedRebuiltOrDestroyedTouchesNothingGone)
{
    std::counting_semaphore<> entered(0), gate(0);
    drives.whileListingOffThread = [&] {
        entered.release();
        gate.acquire();
    };
    auto tree = std::make_unique<TreeFolder>(&drives, &special);
    const QList<Drive> mounted = {fixedDrive("/"), fixedDrive("/home"), fixedDrive("/mnt/new")};
    const auto listWhile = [&](const std::function<void()> &meanwhile) {
        drives.tableChanged();
        entered.acquire(); // the listing is under way
        meanwhile();
        gate.release();
        runEventLoopFor(200);
    };

    // Changes while a listing is under way are listed once more, once, when it ends.
    drives.tableChanged();
    entered.acquire();
    drives.tableChanged();
    drives.tableChanged();
    gate.release();
    ASSERT_TRUE(waitFor([&] { return entered.try_acquire(); }));
    drives.list = mounted;
    gate.release();
    EXPECT_TRUE(waitFor([&] { return !node(*tree, "/mnt/new/").isNull(); }));
    EXPECT_FALSE(entered.try_acquire());

    listWhile([&] { tree->Clear(); });
    EXPECT_EQ(tree->FolderNodes().count(), 0);

    // The rebuild reads the table itself; the older listing is not laid over it.
    drives.list = mounted;
    listWhile([&] {
        tree->setHideNetwork(true);
        drives.list = {fixedDrive("/")};
    });
    EXPECT_EQ(childKeys(node(*tree, MyComputerKey)),
              QStringList({"/", "/home/", "/mnt/new/", "/home/u/Favorites", "/home/u/Documents"}));

    // A drive kept for the selection, then shown anew by a rebuild: the new node stays.
    tree->treeView()->setCurrentItem(node(*tree, "/mnt/new/").item());
    listWhile([] {});
    ASSERT_TRUE(shownNotResponding(node(*tree, "/mnt/new/")));
    drives.list = mounted;
    tree->setHideFavorites(true);
    tree->treeView()->setCurrentItem(node(*tree, "/").item());
    runEventLoopFor(100);
    EXPECT_FALSE(node(*tree, "/mnt/new/").isNull());

    int left = 0; // a host may remove My Computer itself
    listWhile([&] {
        tree->FolderNodes().remove(node(*tree, MyComputerKey));
        left = tree->FolderNodes().count();
    });
    EXPECT_EQ(tree->FolderNodes().count(), left);

    drives.tableChanged();
    entered.acquire();
    std::thread opener([&] {
        QThread::msleep(50);
        gate.release();
    });
    tree.reset(); // waits for the listing, which reads the drives the tree was given
    opener.join();
    runEventLoopFor(50);
    EXPECT_TRUE(drives.watches.first().isNull()) << "the watch went with the tree";
}

} // namespace
