#include "history/historystore.h"
#include "support/temptree.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

constexpr qint64 Hour = 60 * 60 * 1000;
constexpr qint64 Now = 20000 * HistoryBounds::DayMs;

HistoryLook lookOf(const QByteArray &folder, qint64 takenMs,
                   std::initializer_list<std::pair<const char *, qint64>> subfolders)
{
    HistoryLook look;
    look.folder = folder;
    look.takenMs = takenMs;
    look.device = 2049;
    look.inode = 77;
    for (const auto &[name, bytes] : subfolders) {
        look.entries.append({QString::fromUtf8(name), folder + '/' + name, bytes});
        look.total += bytes;
    }
    return look;
}

QString historyFolder(const TempTree &tree)
{
    return tree.pathQ("data/quorvane");
}

} // namespace

TEST(HistoryStore, KeepsEachLookWithItsSubfoldersAndFindsTheNewestBeforeATime)
{
    TempTree tree;
    HistoryStore store(historyFolder(tree));
    ASSERT_EQ(store.open(), HistoryStore::State::Ready);
    EXPECT_TRUE(store.takeMessage().isEmpty());
    // A name that is not UTF-8 comes back as its bytes.
    HistoryLook first = lookOf("/srv", Now - 3 * Hour, {{"a", 10}, {"b", 20}});
    first.entries.append({QStringLiteral("\uFFFD"), QByteArray("/srv/\xff", 6), 5});
    ASSERT_TRUE(store.record(first, Now - 3 * Hour));
    ASSERT_TRUE(store.record(lookOf("/srv", Now - Hour, {{"a", 15}}), Now - Hour));
    HistoryLook disk = lookOf("/srv", Now - 2 * Hour, {{"a", 4096}});
    disk.allocated = true;
    ASSERT_TRUE(store.record(disk, Now - 2 * Hour));
    ASSERT_TRUE(store.record(lookOf("/home", Now - 2 * Hour, {{"x", 1}}), Now - 2 * Hour));

    const std::optional<HistoryLook> older = store.latestBefore("/srv", false, Now - 2 * Hour);
    ASSERT_TRUE(older);
    EXPECT_EQ(older->takenMs, Now - 3 * Hour);
    EXPECT_EQ(older->device, 2049u);
    EXPECT_EQ(older->inode, 77u);
    EXPECT_EQ(older->total, 30);
    ASSERT_EQ(older->entries.size(), 3);
    EXPECT_EQ(older->entries[1].name, QStringLiteral("b"));
    EXPECT_EQ(older->entries[1].path, QByteArray("/srv/b"));
    EXPECT_EQ(older->entries[1].bytes, 20);
    EXPECT_EQ(older->entries[2].path, QByteArray("/srv/\xff", 6));

    EXPECT_EQ(store.latestBefore("/srv", false, Now)->entries[0].bytes, 15);
    EXPECT_EQ(store.latestBefore("/srv", true, Now)->entries[0].bytes, 4096);
    EXPECT_FALSE(store.latestBefore("/srv", false, Now - 4 * Hour));
    EXPECT_FALSE(store.latestBefore("/sr", false, Now));
    EXPECT_EQ(store.looks("/srv", false).size(), 2u);
}

TEST(HistoryStore, ThinsAFoldersLooksAndKeepsTheFileWithinItsBytes)
{
    TempTree tree;
    HistoryBounds bounds;
    bounds.looksPerFolder = 5;
    bounds.maxBytes = 256 * 1024;
    HistoryStore store(historyFolder(tree), bounds);
    ASSERT_EQ(store.open(), HistoryStore::State::Ready);
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(store.record(lookOf("/small", Now + i, {{"a", i}}), Now + i));
    const std::vector<HistoryLookTime> small = store.looks("/small", false);
    ASSERT_EQ(small.size(), 5u);
    EXPECT_EQ(small.front().takenMs, Now + 7);
    EXPECT_EQ(small.back().takenMs, Now + 3);

    // Looks of 2,000 subfolders with long names: some 200 KB each.
    HistoryLook big = lookOf("/big", Now, {});
    for (int i = 0; i < 2000; ++i)
        big.entries.append({QString(80, QChar(u'n')) + QString::number(i),
                            "/big/" + QByteArray(80, 'n') + QByteArray::number(i), i});
    for (int i = 0; i < 4; ++i) {
        big.takenMs = Now + 100 + i;
        ASSERT_TRUE(store.record(big, big.takenMs));
    }
    // The oldest looks of every folder went first; the newest look stays although it alone
    // is near the bound.
    EXPECT_TRUE(store.looks("/small", false).empty());
    const std::vector<HistoryLookTime> bigLooks = store.looks("/big", false);
    ASSERT_FALSE(bigLooks.empty());
    EXPECT_LT(bigLooks.size(), 4u);
    EXPECT_EQ(bigLooks.front().takenMs, Now + 103);
    EXPECT_EQ(store.look(bigLooks.front().id)->entries.size(), 2000);
    // The file itself gives the freed pages back (the write-ahead log aside).
    EXPECT_LE(QFileInfo(store.filePath()).size(), 2 * bounds.maxBytes);
}

TEST(HistoryStore, ADamagedFileIsMovedAsideOnceAndAFreshOneStarted)
{
    TempTree tree;
    const QString folder = historyFolder(tree);
    ASSERT_TRUE(QDir().mkpath(folder));
    QByteArray garbage(8192, 'x');
    {
        QFile file(folder + QStringLiteral("/history.sqlite"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    HistoryStore store(folder);
    const HistoryStore::State state = store.open();
    const QString message = store.takeMessage();
    ASSERT_EQ(state, HistoryStore::State::Ready) << qPrintable(message);
    EXPECT_TRUE(message.startsWith(QStringLiteral("The history of the charts was damaged")))
        << qPrintable(message);
    EXPECT_TRUE(store.takeMessage().isEmpty());
    const QStringList aside =
        QDir(folder).entryList({QStringLiteral("history-damaged-*.sqlite")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(message.contains(aside.front()));
    QFile kept(folder + u'/' + aside.front());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), garbage);
    EXPECT_TRUE(store.record(lookOf("/srv", Now, {{"a", 1}}), Now));
    EXPECT_TRUE(store.latestBefore("/srv", false, Now));
}

TEST(HistoryStore, AFolderThatCannotBeWrittenTurnsItOff)
{
    TempTree tree;
    tree.makeFile("data", 3); // a file where the data folder should be
    HistoryStore store(historyFolder(tree));
    EXPECT_EQ(store.open(), HistoryStore::State::Off);
    const QString message = store.takeMessage();
    EXPECT_TRUE(message.startsWith(QStringLiteral("History is off: ") + historyFolder(tree)))
        << qPrintable(message);
    EXPECT_FALSE(store.record(lookOf("/srv", Now, {{"a", 1}}), Now));
    EXPECT_FALSE(store.latestBefore("/srv", false, Now));
    EXPECT_TRUE(store.takeMessage().isEmpty());
}

// The test program runs this test again as each of the two writers: with
// QUORVANE_TEST_HISTORY_WRITER set to the folder it writes 25 looks of the folder named
// in QUORVANE_TEST_HISTORY_LOOKS and ends.
TEST(HistoryStore, TwoProcessesWriteAtOnceAndLoseNothing)
{
    constexpr int Looks = 25;
    const QString writerFolder = qEnvironmentVariable("QUORVANE_TEST_HISTORY_WRITER");
    if (!writerFolder.isEmpty()) {
        const QByteArray name = qgetenv("QUORVANE_TEST_HISTORY_LOOKS");
        HistoryStore store(writerFolder);
        ASSERT_EQ(store.open(), HistoryStore::State::Ready);
        for (int i = 0; i < Looks; ++i)
            ASSERT_TRUE(store.record(lookOf(name, Now + i, {{"a", i}, {"b", 2 * i}}), Now + i));
        return;
    }
    TempTree tree;
    const QString folder = historyFolder(tree);
    std::vector<std::unique_ptr<QProcess>> writers;
    for (const char *name : {"/one", "/two"}) {
        auto writer = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUORVANE_TEST_HISTORY_WRITER"), folder);
        environment.insert(QStringLiteral("QUORVANE_TEST_HISTORY_LOOKS"),
                           QString::fromLatin1(name));
        writer->setProcessEnvironment(environment);
        writer->start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--gtest_filter=HistoryStore.TwoProcessesWriteAtOnceAndLoseNothing")});
        writers.push_back(std::move(writer));
    }
    for (const auto &writer : writers) {
        ASSERT_TRUE(writer->waitForFinished(60000));
        EXPECT_EQ(writer->exitCode(), 0) << writer->readAll().constData();
    }
    HistoryStore reader(folder);
    ASSERT_EQ(reader.open(), HistoryStore::State::Ready);
    EXPECT_EQ(reader.looks("/one", false).size(), std::size_t(Looks));
    EXPECT_EQ(reader.looks("/two", false).size(), std::size_t(Looks));
    EXPECT_EQ(reader.latestBefore("/two", false, Now + Looks)->entries[1].bytes, 2 * (Looks - 1));
}

TEST(HistoryStore, AWriteThatWaitsTooLongForAnotherWriterIsLostAndTheStoreGoesOn)
{
    TempTree tree;
    HistoryBounds bounds;
    bounds.otherWriterWaitMs = 50;
    HistoryStore store(historyFolder(tree), bounds);
    ASSERT_EQ(store.open(), HistoryStore::State::Ready);
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
        other.setDatabaseName(store.filePath());
        ASSERT_TRUE(other.open());
        QSqlQuery hold(other);
        ASSERT_TRUE(hold.exec(QStringLiteral("BEGIN IMMEDIATE")));
        EXPECT_FALSE(store.record(lookOf("/srv", Now, {{"a", 1}}), Now));
        EXPECT_EQ(store.state(), HistoryStore::State::Ready);
        EXPECT_TRUE(store.takeMessage().isEmpty());
        hold.exec(QStringLiteral("ROLLBACK"));
    }
    QSqlDatabase::removeDatabase("other");
    EXPECT_TRUE(store.record(lookOf("/srv", Now, {{"a", 1}}), Now));
}
