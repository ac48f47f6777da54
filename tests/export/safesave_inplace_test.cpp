#include "export/safesave.h"
#include "export/savejournal.h"
#include "savetesting.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string_view>
#include <sys/wait.h>

using namespace savetesting;

namespace {

bool hardLinked(int fd)
{
    struct stat status {};
    return ::fstat(fd, &status) == 0 && status.st_nlink > 1;
}

// The overwrite of a hard-linked file gets half its bytes in, then the disk is full; the
// writes that put the old contents back succeed.
int linkedWrites = 0;
ssize_t fullHalfWayThroughTheLinkedFile(int fd, const void *data, size_t size)
{
    if (!hardLinked(fd))
        return ::write(fd, data, size);
    switch (linkedWrites++) {
    case 0:
        return ::write(fd, data, size / 2);
    case 1:
        errno = ENOSPC;
        return -1;
    default:
        return ::write(fd, data, size);
    }
}

// As above, but the disk stays full, so the old contents cannot be put back either.
ssize_t fullForGoodHalfWayThroughTheLinkedFile(int fd, const void *data, size_t size)
{
    if (!hardLinked(fd))
        return ::write(fd, data, size);
    if (linkedWrites++ == 0)
        return ::write(fd, data, size / 2);
    errno = ENOSPC;
    return -1;
}

// Whether fd is the backup of an overwrite in place, ".a.txt.<random>~".
bool backup(int fd)
{
    char name[4096];
    const ssize_t length =
        ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), name, sizeof name);
    return length > 0 && std::string_view(name, size_t(length)).ends_with("~");
}

ssize_t fullForTheBackup(int fd, const void *data, size_t size)
{
    if (!backup(fd))
        return ::write(fd, data, size);
    errno = ENOSPC;
    return -1;
}

int linkedFlushes = 0;
int firstFlushOfTheLinkedFileFails(int fd)
{
    if (hardLinked(fd) && linkedFlushes++ == 0) {
        errno = EIO;
        return -1;
    }
    return ::fsync(fd);
}

// A stop arrives half-way through the overwrite of a hard-linked file.
ssize_t stoppedHalfWayThroughTheLinkedFile(int fd, const void *data, size_t size)
{
    if (!hardLinked(fd) || linkedWrites++ > 0)
        return ::write(fd, data, size);
    const ssize_t written = ::write(fd, data, size / 2);
    ::raise(SIGTERM);
    return written;
}

// The overwrite of a hard-linked file gets its first half in, then the process is killed
// (SIGKILL: nothing of ours runs).
ssize_t killedHalfWayThroughTheLinkedFile(int fd, const void *data, size_t size)
{
    if (!hardLinked(fd) || backup(fd))
        return ::write(fd, data, size);
    const ssize_t written = ::write(fd, data, size / 2);
    ::fsync(fd);
    ::raise(SIGKILL);
    return written;
}

// The disk is full once half of the new contents ('n') are in the hard-linked file; putting
// the old contents back works.
ssize_t fullHalfWayThroughTheNewContents(int fd, const void *data, size_t size)
{
    if (!hardLinked(fd) || size == 0 || static_cast<const char *>(data)[0] != 'n')
        return ::write(fd, data, size);
    return fullHalfWayThroughTheLinkedFile(fd, data, size);
}

// Writes to a hard-linked file a few bytes at a time, slowly, so that two saves overlap; a
// save that starts later but writes faster overtakes the first.
useconds_t linkedWritePause = 0;
ssize_t slowlyToTheLinkedFile(int fd, const void *data, size_t size)
{
    if (!hardLinked(fd))
        return ::write(fd, data, size);
    ::usleep(linkedWritePause);
    return ::write(fd, data, std::min<size_t>(size, 4096));
}

struct LinkedPair {
    TempTree tree;
    QByteArray old = QByteArray(100000, 'o');
    std::string a = tree.path("a.txt"), b = tree.path("b.txt");

    LinkedPair()
    {
        writeFile(a, old, 0644);
        EXPECT_EQ(::link(a.c_str(), b.c_str()), 0);
    }
    // Both names show `bytes`, and nothing else is in the folder.
    void expectBoth(const QByteArray &bytes) const
    {
        EXPECT_EQ(contents(a), bytes);
        EXPECT_EQ(contents(b), bytes);
        EXPECT_EQ(entries(tree.root()),
                  (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    }
};

// Forks a child that runs `work` and returns how it ended: "signal N" or "exit N".
std::string endOfChild(const std::function<void()> &work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        work();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? "signal " + std::to_string(WTERMSIG(status))
                               : "exit " + std::to_string(WEXITSTATUS(status));
}

} // namespace

// A backup that cannot be written stops the save before the file is touched; a failed
// overwrite or flush puts the old contents back, or leaves the backup where it cannot.
TEST(SafeSaveInPlace, AFailedBackupOverwriteOrFlushKeepsTheOldContents)
{
    const SwappedSaveCalls restore;
    LinkedPair pair;
    linkedWrites = 0;
    saveCalls().write = fullHalfWayThroughTheLinkedFile;
    EXPECT_EQ(safeSave(QFile::decodeName(pair.b.c_str()), QByteArray(200000, 'n')).error, ENOSPC);
    pair.expectBoth(pair.old);

    saveCalls().write = fullForTheBackup;
    EXPECT_EQ(safeSave(QFile::decodeName(pair.b.c_str()), QByteArray("short")).error, ENOSPC);
    pair.expectBoth(pair.old);

    saveCalls().write = ::write;
    saveCalls().fsync = firstFlushOfTheLinkedFileFails;
    EXPECT_EQ(safeSave(QFile::decodeName(pair.b.c_str()), QByteArray("short")).error, EIO);
    pair.expectBoth(pair.old);

    // Where they cannot be put back, the backup beside the file keeps them.
    linkedWrites = 0;
    saveCalls().fsync = ::fsync;
    saveCalls().write = fullForGoodHalfWayThroughTheLinkedFile;
    EXPECT_EQ(safeSave(QFile::decodeName(pair.b.c_str()), QByteArray(200000, 'n')).error, ENOSPC);
    const QStringList left = entries(pair.tree.root());
    ASSERT_EQ(left.size(), 3);
    EXPECT_TRUE(left.front().startsWith(QStringLiteral(".b.txt.")));
    EXPECT_EQ(contents(pair.tree.path(left.front().toStdString())), pair.old);
}

// A stop by signal removes the new file a save has named, and waits for an overwrite in
// place to finish, so that neither a stray file nor a half-written one is left.
TEST(SafeSaveInPlace, AStopRemovesTheNewFileOrWaitsForTheOverwrite)
{
    TempTree tree;
    const std::string path = tree.path("out.txt");
    writeFile(path, "old", 0644);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const std::string end = endOfChild([&] {
            saveCalls().nameless = false; // the fallback where the new file has a name at once
            PendingSave save(QFile::decodeName(path.c_str()));
            if (!save.write("half").ok() || entries(tree.root()).size() != 2)
                ::_exit(3);
            ::raise(signal);
        });
        EXPECT_EQ(end, "signal " + std::to_string(signal));
        EXPECT_EQ(contents(path), QByteArray("old"));
        EXPECT_EQ(entries(tree.root()), QStringList{QStringLiteral("out.txt")});
    }

    LinkedPair pair;
    const QByteArray fresh(200000, 'n');
    EXPECT_EQ(endOfChild([&] {
                  linkedWrites = 0;
                  saveCalls().write = stoppedHalfWayThroughTheLinkedFile;
                  safeSave(QFile::decodeName(pair.b.c_str()), fresh);
              }),
              "signal " + std::to_string(SIGTERM));
    pair.expectBoth(fresh);
}

// A save killed half-way through its overwrite leaves the file mixed and its backup beside
// it; the next save of the file puts the backup back first, so a failure of that save too
// still ends with the old contents, and leaves nothing behind.
TEST(SafeSaveInPlace, ABackupLeftByAKilledSaveIsPutBackAtTheNextSave)
{
    LinkedPair pair;
    EXPECT_EQ(endOfChild([&] {
                  saveCalls().write = killedHalfWayThroughTheLinkedFile;
                  safeSave(QFile::decodeName(pair.b.c_str()), QByteArray(200000, 'k'));
              }),
              "signal " + std::to_string(SIGKILL));
    ASSERT_NE(contents(pair.a), pair.old) << "the kill came after the overwrite began";
    ASSERT_EQ(entries(pair.tree.root()).size(), 3) << "the backup is left beside the file";

    const SwappedSaveCalls restore;
    linkedWrites = 0;
    saveCalls().write = fullHalfWayThroughTheNewContents;
    EXPECT_EQ(safeSave(QFile::decodeName(pair.b.c_str()), QByteArray(200000, 'n')).error, ENOSPC);
    pair.expectBoth(pair.old);

    saveCalls().write = ::write;
    const QByteArray fresh(150000, 'f');
    EXPECT_TRUE(safeSave(QFile::decodeName(pair.a.c_str()), fresh).ok());
    pair.expectBoth(fresh);
}

// The note of a killed save lets the next start put the backup back, though the file is never
// saved again; a save under way (its lock held) is left alone, and a backup that cannot be put
// back is told, its note kept for the next start.
TEST(SafeSaveInPlace, ASaveKilledHalfWayIsPutBackAtTheNextStart)
{
    TempTree data;
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.root()));
    const auto notes = [] { return entries(saveNotesFolder().toStdString()); };
    const auto killedSave = [](const LinkedPair &pair) {
        EXPECT_EQ(endOfChild([&] {
                      saveCalls().write = killedHalfWayThroughTheLinkedFile;
                      safeSave(QFile::decodeName(pair.b.c_str()), QByteArray(200000, 'k'));
                  }),
                  "signal " + std::to_string(SIGKILL));
        EXPECT_NE(contents(pair.a), pair.old);
    };
    LinkedPair pair;
    killedSave(pair);
    ASSERT_EQ(notes().size(), 1);
    {
        const int held = ::open(pair.a.c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        ASSERT_EQ(::fcntl(held, F_OFD_SETLK, &lock), 0);
        EXPECT_EQ(restoreStoppedSaves(), QStringList());
        EXPECT_NE(contents(pair.a), pair.old);
        ::close(held);
    }
    EXPECT_EQ(restoreStoppedSaves(), QStringList());
    pair.expectBoth(pair.old);
    EXPECT_EQ(notes(), QStringList());

    // Another file under the name now: its backup is told while it is there, then forgotten.
    LinkedPair replaced;
    killedSave(replaced);
    writeFile(replaced.b + ".new", "another file", 0644);
    ASSERT_EQ(::rename((replaced.b + ".new").c_str(), replaced.b.c_str()), 0);
    EXPECT_EQ(restoreStoppedSaves().size(), 1);
    for (const QString &name : entries(replaced.tree.root()).filter(QStringLiteral(".backup~")))
        ::unlink((replaced.tree.root() + '/' + name.toStdString()).c_str());
    EXPECT_EQ(restoreStoppedSaves(), QStringList());
    EXPECT_EQ(notes(), QStringList());

    killedSave(pair);
    const QStringList left = entries(pair.tree.root()).filter(QStringLiteral(".backup~"));
    ASSERT_EQ(left.size(), 1);
    const std::string backup = pair.tree.root() + '/' + left.first().toStdString();
    ASSERT_EQ(::link(backup.c_str(), data.path("second name").c_str()), 0); // not ours alone
    const QStringList told = restoreStoppedSaves();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.first().contains(QString::fromStdString(backup)))
        << told.first().toStdString();
    EXPECT_EQ(notes().size(), 1);
    qputenv("XDG_DATA_HOME", dataHome);
}

// Two saves of one hard-linked file at once, through its two names: each ends, and the file
// is one of them whole, never the head of one on the tail of the other.
TEST(SafeSaveInPlace, TwoSavesAtOnceEachWriteTheWholeFile)
{
    LinkedPair pair;
    const QByteArray first(120000, 'x'), second(90000, 'y');
    const auto saveSlowly = [](const std::string &name, const QByteArray &bytes, useconds_t pause) {
        const pid_t child = ::fork();
        if (child == 0) {
            linkedWritePause = pause;
            saveCalls().write = slowlyToTheLinkedFile;
            ::_exit(safeSave(QFile::decodeName(name.c_str()), bytes).ok() ? 0 : 1);
        }
        return child;
    };
    // Three rounds: the overtaking depends on timing, the outcome must not.
    for (int round = 0; round < 3; ++round) {
        const pid_t one = saveSlowly(pair.a, first, 5000);
        ::usleep(10000);
        const pid_t two = saveSlowly(pair.b, second, 100);
        for (const pid_t child : {one, two}) {
            int status = -1;
            ::waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        const QByteArray left = contents(pair.a);
        EXPECT_TRUE(left == first || left == second)
            << left.left(4).constData() << "..." << left.right(4).constData();
    }
    const QByteArray left = contents(pair.a);
    pair.expectBoth(left);
}
