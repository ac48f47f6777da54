#include "history/historystore.h"
#include "support/temptree.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program in the tree without a display, its history in the tree's "data" folder.
Outcome run(const TempTree &tree, const QStringList &arguments)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QUORVANE_HISTORY"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), tree.pathQ("data"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(tree.rootQ());
    program.start(QStringLiteral(QUORVANE_EXECUTABLE), arguments);
    EXPECT_TRUE(program.waitForFinished(60000));
    Outcome result;
    result.status = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    result.out = program.readAllStandardOutput();
    result.err = program.readAllStandardError();
    return result;
}

} // namespace

TEST(CommandLineCompare, AScanFileGivesEachSubfolderItsSizeBeforeAndTheGoneOnes)
{
    TempTree tree;
    tree.makeFile("Data/A/f", 1000);
    tree.makeFile("Data/B/f", 300);
    ASSERT_EQ(run(tree, {"--save-scan", "old.json", "Data"}).status, 0);
    tree.makeFile("Data/A/g", 5000);
    tree.makeFile("Data/C/x", 10);
    ASSERT_TRUE(QFile::remove(tree.pathQ("Data/B/f")) && QDir().rmdir(tree.pathQ("Data/B")));

    const Outcome compared = run(tree, {"--compare", "old.json", "--json", "-", "Data"});
    EXPECT_EQ(compared.status, 0) << compared.err.constData();
    const QByteArray data = QByteArray::fromStdString(tree.path("Data"));
    EXPECT_TRUE(compared.out.contains("\"path\": \"" + data +
                                      "/A\", \"size\": 6000, \"unreadable\": 0, \"before\": "
                                      "1000, \"change\": 5000}"))
        << compared.out.constData();
    EXPECT_TRUE(compared.out.contains("\"size\": 10, \"unreadable\": 0, \"before\": null, "
                                      "\"change\": 10}"));
    EXPECT_TRUE(compared.out.contains("  \"gone\": [\n    {\"name\": \"B\", \"path\": \"" + data +
                                      "/B\", \"before\": 300}\n  ]\n}\n"));
    EXPECT_TRUE(compared.out.contains("\"compared\": \"20"));
    EXPECT_TRUE(compared.err.contains(": 5.87 KB, +4.60 KB\n  +4.88 KB  A\n  +10 Bytes  C (new)\n"))
        << compared.err.constData();

    // Without --compare not a byte differs from before.
    const Outcome plain = run(tree, {"--json", "-", "Data"});
    EXPECT_FALSE(plain.out.contains("before"));
    EXPECT_TRUE(plain.out.endsWith("\"unreadable\": 0\n}\n"));
    EXPECT_TRUE(plain.err.isEmpty());
}

TEST(CommandLineCompare, HistoryMeansTheNewestLookTheWindowRecorded)
{
    TempTree tree;
    tree.makeFile("Data/A/f", 1000);
    const Outcome none = run(tree, {"--compare", "history", "--json", "out.json", "Data"});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.err.startsWith("quorvane: cannot compare with history: there is no history"))
        << none.err.constData();
    EXPECT_FALSE(QFile::exists(tree.pathQ("out.json")));
    EXPECT_FALSE(QFile::exists(tree.pathQ("data/quorvane"))) << "a read makes no history";

    const QByteArray data = QByteArray::fromStdString(tree.path("Data"));
    {
        HistoryStore store(tree.pathQ("data/quorvane"));
        ASSERT_EQ(store.open(), HistoryStore::State::Ready);
        HistoryLook look;
        look.folder = data;
        look.entries = {{QStringLiteral("A"), data + "/A", 400}};
        look.takenMs = QDateTime::currentMSecsSinceEpoch() - 1000;
        ASSERT_TRUE(store.record(look, look.takenMs));
    }
    const Outcome compared = run(tree, {"--compare", "history", "--json", "-", "Data"});
    EXPECT_EQ(compared.status, 0) << compared.err.constData();
    EXPECT_TRUE(compared.out.contains("\"size\": 1000, \"unreadable\": 0, \"before\": 400, "
                                      "\"change\": 600}"));
    // The history keeps apparent sizes apart from disk usage.
    EXPECT_EQ(run(tree, {"--compare", "history", "--disk-usage", "--json", "-", "Data"}).status, 1);
}

TEST(CommandLineCompare, ADamagedHistoryIsOnlyReadSoItStaysWhereItIs)
{
    TempTree tree;
    tree.makeFile("Data/A/f", 1000);
    const QByteArray garbage(8192, 'x');
    ASSERT_TRUE(QDir().mkpath(tree.pathQ("data/quorvane")));
    {
        QFile file(tree.pathQ("data/quorvane/history.sqlite"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(garbage) == garbage.size());
    }
    const Outcome compared = run(tree, {"--compare", "history", "--json", "-", "Data"});
    EXPECT_EQ(compared.status, 1);
    EXPECT_TRUE(compared.err.contains("history.sqlite cannot be read")) << compared.err.constData();
    EXPECT_TRUE(compared.out.isEmpty());
    QFile kept(tree.pathQ("data/quorvane/history.sqlite"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), garbage);
    EXPECT_TRUE(QDir(tree.pathQ("data/quorvane"))
                    .entryList({QStringLiteral("history-damaged*")}, QDir::Files)
                    .isEmpty());
}

TEST(CommandLineCompare, NeedsAnOutputAndAReadableScan)
{
    TempTree tree;
    tree.makeFile("Data/A/f", 1);
    EXPECT_EQ(run(tree, {"--compare", "history", "Data"}).status, 2);
    EXPECT_EQ(run(tree, {"--compare", "", "--json", "-", "Data"}).status, 2);
    QFile broken(tree.pathQ("broken.json"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("[1,0,{},[{\"name\":\"/x\"}");
    broken.close();
    const Outcome refused = run(tree, {"--compare", "broken.json", "--json", "-", "Data"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("cannot compare with broken.json: "));
    EXPECT_TRUE(refused.out.isEmpty());
}
