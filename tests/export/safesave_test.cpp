#include "export/safesave.h"
#include "savetesting.h"
#include "support/guardedfifo.h"
#include "support/smalltmpfs.h"

#include <cerrno>

using namespace savetesting;

namespace {

mode_t permissions(const std::string &path)
{
    return status(path).st_mode & 07777;
}

} // namespace

TEST(SafeSave, ReplacesTheFileKeepingItsPermissionsAndLeavesNothingElse)
{
    TempTree tree;
    writeFile(tree.path("out.txt"), QByteArray(5000, 'o'), 0640);

    ASSERT_TRUE(safeSave(tree.pathQ("out.txt"), QByteArray("new")).ok());
    EXPECT_EQ(contents(tree.path("out.txt")), QByteArray("new"));
    EXPECT_EQ(permissions(tree.path("out.txt")), mode_t(0640));
    EXPECT_EQ(entries(tree.root()), QStringList{QStringLiteral("out.txt")});

    const mode_t old = ::umask(022);
    ASSERT_TRUE(safeSave(tree.pathQ("fresh.txt"), QByteArray("a")).ok());
    ASSERT_TRUE(safeSave(tree.pathQ("private.txt"), QByteArray("b"), 0600).ok());
    ::umask(old);
    EXPECT_EQ(permissions(tree.path("fresh.txt")), mode_t(0644));
    EXPECT_EQ(permissions(tree.path("private.txt")), mode_t(0600));
}

// Links are treated as opening the name for output treats them.
TEST(SafeSave, WritesThroughALinkAndKeepsItAlsoADanglingOne)
{
    TempTree tree;
    writeFile(tree.path("real.txt"), "old", 0644);
    tree.makeSymlink("link.txt", "real.txt");
    ASSERT_TRUE(safeSave(tree.pathQ("link.txt"), QByteArray("new")).ok());
    EXPECT_EQ(QFile::symLinkTarget(tree.pathQ("link.txt")), tree.pathQ("real.txt"));
    EXPECT_EQ(contents(tree.path("real.txt")), QByteArray("new"));

    tree.makeDir("d");
    tree.makeDir("other");
    tree.makeSymlink("d/dangling.txt", "../other/missing.txt");
    ASSERT_TRUE(safeSave(tree.pathQ("d/dangling.txt"), QByteArray("made")).ok());
    EXPECT_TRUE(S_ISLNK(status(tree.path("d/dangling.txt")).st_mode));
    EXPECT_EQ(contents(tree.path("other/missing.txt")), QByteArray("made"));
    EXPECT_EQ(entries(tree.path("other")), QStringList{QStringLiteral("missing.txt")});
    tree.makeSymlink("loop.txt", "loop.txt");
    EXPECT_EQ(safeSave(tree.pathQ("loop.txt"), QByteArray("x")).error, ELOOP);

    // In a shared folder a link someone else planted is not followed, dangling or not.
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a link to another user needs root";
    tree.makeDir("shared");
    ::chmod(tree.path("shared").c_str(), 01777);
    tree.makeSymlink("shared/planted.txt", tree.path("real.txt"));
    tree.makeSymlink("shared/planted-dangling.txt", tree.path("other/planted.txt"));
    for (const char *planted : {"shared/planted.txt", "shared/planted-dangling.txt"}) {
        ASSERT_EQ(::lchown(tree.path(planted).c_str(), 4321, 4321), 0);
        EXPECT_EQ(safeSave(tree.pathQ(planted), QByteArray("evil")).error, EACCES) << planted;
    }
    EXPECT_EQ(contents(tree.path("real.txt")), QByteArray("new"));
    EXPECT_EQ(entries(tree.path("other")), QStringList{QStringLiteral("missing.txt")});
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
    EXPECT_EQ(entries(tree.root()),
              (QStringList{QStringLiteral("folder"), QStringLiteral("pipe")}));

    EXPECT_EQ(safeSave(tree.pathQ("missing/out.txt"), QByteArray("x")).error, ENOENT);
    EXPECT_EQ(safeSave(QString(), QByteArray("x")).error, ENOENT);
}

namespace {

ssize_t fullAfterFourKilobytes(int fd, const void *data, size_t size)
{
    struct stat status {};
    ::fstat(fd, &status);
    if (status.st_size + off_t(size) <= 4096)
        return ::write(fd, data, size);
    errno = ENOSPC;
    return -1;
}

int failingFsync(int)
{
    errno = EIO;
    return -1;
}

int failingRename(const char *, const char *)
{
    errno = EXDEV;
    return -1;
}

} // namespace

// A full disk, a flush or a rename that fails: the error is reported, the old file stays
// whole and nothing new is left, with or without a name for the new file.
TEST(SafeSave, AFailedWriteFlushOrRenameKeepsTheOldFileAndLeavesNothing)
{
    TempTree tree;
    const std::string path = tree.path("out.txt");
    writeFile(path, QByteArray(8000, 'o'), 0644);
    const SwappedSaveCalls restore;
    for (const bool nameless : {true, false}) {
        saveCalls().nameless = nameless;
        saveCalls().write = fullAfterFourKilobytes;
        EXPECT_EQ(safeSave(tree.pathQ("out.txt"), QByteArray(20000, 'n')).error, ENOSPC);
        saveCalls().write = ::write;
        saveCalls().fsync = failingFsync;
        EXPECT_EQ(safeSave(tree.pathQ("out.txt"), QByteArray("n")).error, EIO);
        saveCalls().fsync = ::fsync;
        saveCalls().rename = failingRename;
        EXPECT_EQ(safeSave(tree.pathQ("out.txt"), QByteArray("n")).error, EXDEV);
        saveCalls().rename = ::rename;
        EXPECT_EQ(contents(path), QByteArray(8000, 'o'));
        EXPECT_EQ(entries(tree.root()), QStringList{QStringLiteral("out.txt")});
    }

    SmallTmpfs disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << disk.why();
    const QString onDisk = disk.pathQ("out.txt");
    writeFile(QFile::encodeName(onDisk).toStdString(), QByteArray(8000, 'o'), 0644);
    disk.fill("filler");
    EXPECT_EQ(safeSave(onDisk, QByteArray(20000, 'n')).error, ENOSPC);
    EXPECT_EQ(contents(QFile::encodeName(onDisk).toStdString()), QByteArray(8000, 'o'));
    EXPECT_EQ(entries(QFile::encodeName(disk.pathQ(".")).toStdString()),
              (QStringList{QStringLiteral("filler"), QStringLiteral("out.txt")}));
}

TEST(PendingSave, AWriterByNameCommitsOrLeavesNoTrace)
{
    TempTree tree;
    const std::string path = tree.path("book.xlsx");
    writeFile(path, "old", 0644);
    {
        PendingSave save(tree.pathQ("book.xlsx"));
        ASSERT_TRUE(save.status().ok());
        writeFile(save.newFileName().toStdString(), "by name", 0);
        EXPECT_EQ(contents(path), QByteArray("old"));
        ASSERT_TRUE(save.commit().ok());
    }
    EXPECT_EQ(contents(path), QByteArray("by name"));
    EXPECT_EQ(permissions(path), mode_t(0644));
    {
        PendingSave abandoned(tree.pathQ("book.xlsx"));
        ASSERT_TRUE(abandoned.write("half").ok());
    }
    EXPECT_EQ(contents(path), QByteArray("by name"));
    EXPECT_EQ(entries(tree.root()), QStringList{QStringLiteral("book.xlsx")});
}
