#include "export/safesave.h"
#include "support/guardedfifo.h"
#include "support/smalltmpfs.h"
#include "support/temptree.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

mode_t permissions(const QString &path)
{
    struct stat status {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// Writes as a plain writer would: an existing file keeps its mode unless one is given.
void writeFile(const QString &path, const QByteArray &bytes, mode_t mode = 0)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    if (mode != 0)
        ::chmod(QFile::encodeName(path).constData(), mode);
}

} // namespace

TEST(SafeSave, ReplacesTheFileKeepingItsPermissionsAndLeavesNothingElse)
{
    TempTree tree;
    const QString path = tree.pathQ("out.txt");
    writeFile(path, QByteArray(5000, 'o'), 0640);

    ASSERT_TRUE(safeSave(path, QByteArray("new")).ok());
    EXPECT_EQ(contents(path), QByteArray("new"));
    EXPECT_EQ(permissions(path), mode_t(0640));
    EXPECT_EQ(entries(tree.rootQ()), QStringList{QStringLiteral("out.txt")});

    const mode_t old = ::umask(022);
    ASSERT_TRUE(safeSave(tree.pathQ("fresh.txt"), QByteArray("a")).ok());
    ASSERT_TRUE(safeSave(tree.pathQ("private.txt"), QByteArray("b"), 0600).ok());
    ::umask(old);
    EXPECT_EQ(permissions(tree.pathQ("fresh.txt")), mode_t(0644));
    EXPECT_EQ(permissions(tree.pathQ("private.txt")), mode_t(0600));
}

TEST(SafeSave, WritesThroughALinkAndKeepsIt)
{
    TempTree tree;
    writeFile(tree.pathQ("real.txt"), "old", 0644);
    tree.makeSymlink("link.txt", "real.txt");

    ASSERT_TRUE(safeSave(tree.pathQ("link.txt"), QByteArray("new")).ok());
    EXPECT_EQ(QFile::symLinkTarget(tree.pathQ("link.txt")), tree.pathQ("real.txt"));
    EXPECT_EQ(contents(tree.pathQ("real.txt")), QByteArray("new"));

    // In a shared folder a link someone else planted is not followed.
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a link to another user needs root";
    tree.makeDir("shared");
    ::chmod(tree.path("shared").c_str(), 01777);
    tree.makeSymlink("shared/planted.txt", tree.path("real.txt"));
    ASSERT_EQ(::lchown(tree.path("shared/planted.txt").c_str(), 4321, 4321), 0);
    EXPECT_EQ(safeSave(tree.pathQ("shared/planted.txt"), QByteArray("evil")).error, EACCES);
    EXPECT_EQ(contents(tree.pathQ("real.txt")), QByteArray("new"));
}

TEST(SafeSave, RefusesFoldersFifosAndDevicesWithoutOpeningThem)
{
    TempTree tree;
    tree.makeDir("folder");
    GuardedFifo fifo(tree.path("pipe"));
    ASSERT_TRUE(fifo.made());

    const SaveResult folder = safeSave(tree.pathQ("folder"), QByteArray("x"));
    EXPECT_TRUE(folder.notRegularFile);
    EXPECT_EQ(folder.error, EISDIR);
    // Opening a FIFO nobody reads would block here.
    const SaveResult pipe = safeSave(fifo.pathQ(), QByteArray("x"));
    EXPECT_FALSE(fifo.rescued());
    EXPECT_TRUE(pipe.notRegularFile);
    EXPECT_EQ(pipe.error, EINVAL);
    EXPECT_EQ(safeSave(QStringLiteral("/dev/null"), QByteArray("x")).error, EINVAL);
    EXPECT_EQ(entries(tree.rootQ()),
              (QStringList{QStringLiteral("folder"), QStringLiteral("pipe")}));

    EXPECT_EQ(safeSave(tree.pathQ("missing/out.txt"), QByteArray("x")).error, ENOENT);
    EXPECT_EQ(safeSave(QString(), QByteArray("x")).error, ENOENT);
}

TEST(SafeSave, AFullDiskLeavesTheOldFileWholeAndNoNewFile)
{
    SmallTmpfs disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << disk.why();
    const QString path = disk.pathQ("out.txt");
    writeFile(path, QByteArray(8000, 'o'), 0644);
    disk.fill("filler");

    const SaveResult result = safeSave(path, QByteArray(20000, 'n'));
    EXPECT_EQ(result.error, ENOSPC);
    EXPECT_EQ(contents(path), QByteArray(8000, 'o'));
    EXPECT_EQ(entries(disk.pathQ(".")),
              (QStringList{QStringLiteral("filler"), QStringLiteral("out.txt")}));
}

TEST(PendingSave, AWriterByNameCommitsOrLeavesNoTrace)
{
    TempTree tree;
    const QString path = tree.pathQ("book.xlsx");
    writeFile(path, "old", 0644);
    {
        PendingSave save(path);
        ASSERT_TRUE(save.status().ok());
        writeFile(QFile::decodeName(save.newFileName()), "by name");
        EXPECT_EQ(contents(path), QByteArray("old"));
        ASSERT_TRUE(save.commit().ok());
    }
    EXPECT_EQ(contents(path), QByteArray("by name"));
    EXPECT_EQ(permissions(path), mode_t(0644));
    {
        PendingSave abandoned(path);
        ASSERT_TRUE(abandoned.write("half").ok());
    }
    EXPECT_EQ(contents(path), QByteArray("by name"));
    EXPECT_EQ(entries(tree.rootQ()), QStringList{QStringLiteral("book.xlsx")});
}
