#include "app/trashmove.h"
#include "privatetrash.h"
#include "support/smalltmpfs.h"
#include "support/temptree.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QUrl>
#include <gtest/gtest.h>
#include <sys/mount.h>

namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

FolderIdentity identityOf(const QByteArray &folder)
{
    return readTrashFolderFacts(folder, {}).identity;
}

// Every file below folder by its relative path, with its bytes; folders as "<dir>".
QMap<QString, QByteArray> contents(const QString &folder)
{
    QMap<QString, QByteArray> found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        const QString relative = QDir(folder).relativeFilePath(path);
        if (it.fileInfo().isDir())
            found.insert(relative, "<dir>");
        else if (file.open(QIODevice::ReadOnly))
            found.insert(relative, file.readAll());
    }
    return found;
}

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class TrashMoveTest : public ::testing::Test {
protected:
    TrashMoveTest()
    {
        write(tree.pathQ("Data/Videos/a.mkv"), QByteArray(5000, 'a'));
        write(tree.pathQ("Data/Videos/Old/b.mkv"), "second file\n");
        write(tree.pathQ("Data/Videos/.hidden"), "");
        videos = native(tree.pathQ("Data/Videos"));
        before = contents(tree.pathQ("Data/Videos"));
    }

    PrivateTrash trash;
    TempTree tree;
    QByteArray videos;
    QMap<QString, QByteArray> before;
};

} // namespace

TEST_F(TrashMoveTest, LandsInTheTrashWithItsPathAndDate)
{
    const QDateTime asked = QDateTime::currentDateTime().addSecs(-1);
    const TrashMove move = moveFolderToTrash(videos, identityOf(videos));
    ASSERT_TRUE(move.moved) << move.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(tree.pathQ("Data/Videos")));
    EXPECT_EQ(QFile::decodeName(move.inTrash), trash.trash() + "/files/Videos");
    EXPECT_EQ(contents(trash.trash() + "/files/Videos"), before);

    QFile info(trash.trash() + "/info/Videos.trashinfo");
    EXPECT_EQ(QFile::decodeName(move.info), info.fileName());
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = info.readAll().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "[Trash Info]");
    ASSERT_TRUE(lines[1].startsWith("Path="));
    EXPECT_EQ(QByteArray::fromPercentEncoding(lines[1].mid(5)), videos);
    ASSERT_TRUE(lines[2].startsWith("DeletionDate="));
    const QDateTime date =
        QDateTime::fromString(QString::fromLatin1(lines[2].mid(13)), Qt::ISODate);
    ASSERT_TRUE(date.isValid()) << lines[2].toStdString();
    EXPECT_GE(date, asked);
    EXPECT_LE(date, QDateTime::currentDateTime().addSecs(1));
}

TEST_F(TrashMoveTest, UndoPutsItBackByteForByteAndDropsItsRecord)
{
    const TrashMove move = moveFolderToTrash(videos, identityOf(videos));
    ASSERT_TRUE(move.moved) << move.error.toStdString();
    const TrashRestore restore = restoreFromTrash(move);
    ASSERT_TRUE(restore.restored) << restore.error.toStdString();
    EXPECT_EQ(contents(tree.pathQ("Data/Videos")), before);
    EXPECT_FALSE(QFileInfo::exists(trash.trash() + "/files/Videos"));
    EXPECT_FALSE(QFileInfo::exists(trash.trash() + "/info/Videos.trashinfo"));
}

// An empty folder of the same name would be replaced by a plain rename.
TEST_F(TrashMoveTest, UndoAfterTheNameWasTakenIsRefusedAndLosesNothing)
{
    const TrashMove move = moveFolderToTrash(videos, identityOf(videos));
    ASSERT_TRUE(move.moved) << move.error.toStdString();
    for (const bool empty : {true, false}) {
        ASSERT_TRUE(QDir().mkpath(tree.pathQ("Data/Videos")));
        if (!empty)
            write(tree.pathQ("Data/Videos/new.txt"), "new");
        const TrashRestore restore = restoreFromTrash(move);
        EXPECT_FALSE(restore.restored) << "empty " << empty;
        EXPECT_EQ(restore.error, "Its name has been taken since; it stays in the Trash");
        EXPECT_EQ(contents(trash.trash() + "/files/Videos"), before);
        EXPECT_TRUE(QFileInfo::exists(trash.trash() + "/info/Videos.trashinfo"));
        EXPECT_EQ(contents(tree.pathQ("Data/Videos")).size(), empty ? 0 : 1);
        ASSERT_TRUE(QDir(tree.pathQ("Data/Videos")).removeRecursively());
    }
    ASSERT_TRUE(QDir(tree.pathQ("Data")).removeRecursively());
    EXPECT_EQ(restoreFromTrash(move).error, "Its folder is gone; it stays in the Trash");
    ASSERT_TRUE(QDir(trash.trash() + "/files/Videos").removeRecursively());
    EXPECT_EQ(restoreFromTrash(move).error, "It is no longer in the Trash");
}

TEST_F(TrashMoveTest, AFolderPutInItsPlaceIsNotMoved)
{
    const FolderIdentity offered = identityOf(videos);
    ASSERT_TRUE(QDir().rename(tree.pathQ("Data/Videos"), tree.pathQ("Data/Kept")));
    ASSERT_TRUE(QDir().mkpath(tree.pathQ("Data/Videos")));
    const TrashMove move = moveFolderToTrash(videos, offered);
    EXPECT_FALSE(move.moved);
    EXPECT_EQ(move.error, "Another folder has taken its place");
    EXPECT_TRUE(QFileInfo::exists(tree.pathQ("Data/Videos")));
    EXPECT_FALSE(QFileInfo::exists(trash.trash() + "/files/Videos"));
}

TEST_F(TrashMoveTest, AReadOnlyVolumeMovesNothingAndSaysSo)
{
    SmallTmpfs volume(256);
    if (!volume.mounted())
        GTEST_SKIP() << volume.why();
    write(volume.pathQ("Videos/a.mkv"), "on a read-only volume");
    const QByteArray root = native(volume.pathQ("")).chopped(1);
    ASSERT_EQ(::mount("tmpfs", root.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0);
    const QByteArray folder = native(volume.pathQ("Videos"));
    const TrashMove move = moveFolderToTrash(folder, identityOf(folder));
    EXPECT_FALSE(move.moved);
    EXPECT_TRUE(move.error.startsWith("The Trash cannot take it here")) << move.error.toStdString();
    EXPECT_EQ(contents(volume.pathQ("Videos")).value("a.mkv"), "on a read-only volume");
    EXPECT_TRUE(contents(trash.trash() + "/files").isEmpty());
    EXPECT_TRUE(contents(trash.trash() + "/info").isEmpty());
}

// Qt moves the folder into ./files of the working directory when it cannot make the home
// trash, and says it succeeded.
TEST_F(TrashMoveTest, AHomeTrashThatCannotBeMadeMovesNothing)
{
    write(trash.home() + "/plain", "a file where the data folder would go");
    qputenv("XDG_DATA_HOME", QFile::encodeName(trash.home() + "/plain/data"));
    const QString working = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(tree.pathQ("")));
    const TrashMove move = moveFolderToTrash(videos, identityOf(videos));
    QDir::setCurrent(working);
    EXPECT_FALSE(move.moved);
    EXPECT_EQ(contents(tree.pathQ("Data/Videos")), before);
    EXPECT_FALSE(QFileInfo::exists(tree.pathQ("files")));
}
