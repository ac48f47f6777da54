#include "app/trashrefusal.h"
#include "support/smalltmpfs.h"
#include "support/temptree.h"

#include <QFile>
#include <gtest/gtest.h>

// Each refusal, and the first one that applies when several do.
TEST(TrashRefusal, RefusesEachFolderItMustNotMoveWithItsReason)
{
    const TrashFolderFacts fine;
    const TrashRequest base{"/home/ann/Videos", "/home/ann", "/home/ann", "/home/ann"};
    struct Case {
        const char *what;
        TrashRequest request;
        TrashFolderFacts facts;
        QString reason;
    };
    auto with = [&](auto change) {
        TrashRequest request = base;
        change(request);
        return request;
    };
    auto facts = [&](auto change) {
        TrashFolderFacts changed = fine;
        change(changed);
        return changed;
    };
    const Case cases[] = {
        {"a subfolder of the chart", base, fine, QString()},
        {"the root", with([](TrashRequest &r) {
             r.folder = "/";
             r.charted = "/home";
         }),
         fine, "The root of the file system"},
        {"home", with([](TrashRequest &r) {
             r.folder = "/home/ann";
             r.charted = "/";
         }),
         fine, "Your home folder"},
        {"above home", with([](TrashRequest &r) {
             r.folder = "/home";
             r.charted = "/";
         }),
         fine, "Holds your home folder"},
        {"a name that only starts like home", with([](TrashRequest &r) {
             r.folder = "/home/an";
             r.charted = "/home";
         }),
         fine, QString()},
        {"the charted folder", with([](TrashRequest &r) { r.charted = "/home/ann/Videos"; }), fine,
         "The folder the chart shows"},
        {"above the charted folder",
         with([](TrashRequest &r) { r.charted = "/home/ann/Videos/2024"; }), fine,
         "Holds the folder the chart shows"},
        {"beside the charted folder", with([](TrashRequest &r) { r.charted = "/home/ann/Video"; }),
         fine, QString()},
        {"being measured", with([](TrashRequest &r) { r.measuring = true; }), fine,
         "Its size is still being measured"},
        {"holding the tree's selection",
         with([](TrashRequest &r) { r.selected = "/home/ann/Videos/2024"; }), fine,
         "Holds the folder selected in the tree"},
        {"another move under way", with([](TrashRequest &r) { r.moving = true; }), fine,
         "Another folder is being moved"},
        {"an opened scan", with([](TrashRequest &r) { r.openedScan = true; }), fine,
         "An opened scan is read-only"},
        {"a name not UTF-8", with([](TrashRequest &r) { r.folder = "/home/ann/\xff"; }), fine,
         "Its name is not UTF-8 text"},
        {"a silent volume", base, facts([](TrashFolderFacts &f) { f.answered = false; }),
         "Its volume is not responding"},
        {"gone", base, facts([](TrashFolderFacts &f) { f.exists = false; }),
         "It is no longer there"},
        {"a mount point", base, facts([](TrashFolderFacts &f) { f.mountPoint = true; }),
         "A volume is mounted on it"},
        {"parent not writable", base, facts([](TrashFolderFacts &f) { f.parentWritable = false; }),
         "You may not remove folders from its parent folder"},
        {"sticky parent of another", base,
         facts([](TrashFolderFacts &f) { f.stickyOtherOwner = true; }),
         "Its parent folder lets only the owner remove it"},
        {"home before a mount point", with([](TrashRequest &r) {
             r.folder = "/home/ann";
             r.charted = "/";
         }),
         facts([](TrashFolderFacts &f) { f.mountPoint = true; }), "Your home folder"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(trashRefusal(c.request, c.facts), c.reason) << c.what;
}

TEST(TrashRefusal, ReadsAFolderAMountPointAndAGoneFolderFromTheDisk)
{
    TempTree tree;
    tree.makeDir("Data/Videos");
    const QByteArray videos = QFile::encodeName(tree.pathQ("Data/Videos"));
    const TrashFolderFacts facts = readTrashFolderFacts(videos, {});
    EXPECT_TRUE(facts.exists);
    EXPECT_FALSE(facts.mountPoint);
    EXPECT_TRUE(facts.parentWritable);
    EXPECT_NE(facts.identity.inode, ino_t(0));
    EXPECT_TRUE(readTrashFolderFacts(videos, {videos}).mountPoint); // a bind mount
    EXPECT_FALSE(readTrashFolderFacts(videos + "/gone", {}).exists);
    tree.makeSymlink("Data/Link", tree.path("Data/Videos"));
    EXPECT_FALSE(readTrashFolderFacts(QFile::encodeName(tree.pathQ("Data/Link")), {}).exists);

    SmallTmpfs volume(64);
    if (!volume.mounted())
        GTEST_SKIP() << volume.why();
    const QByteArray root = QFile::encodeName(volume.pathQ("")).chopped(1);
    EXPECT_TRUE(readTrashFolderFacts(root, {}).mountPoint);
}
