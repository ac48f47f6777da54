#include "export/savetesting.h"

#include <QProcess>
#include <filesystem>

using namespace savetesting;

namespace {

struct Ran {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program in `folder` without a display, `input` on its standard input.
Ran run(const std::string &folder, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(QFile::decodeName(folder.c_str()));
    program.start(QStringLiteral(QUORVANE_EXECUTABLE), arguments);
    program.write(input);
    program.closeWriteChannel();
    EXPECT_TRUE(program.waitForFinished(60000));
    Ran done;
    done.status = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    done.out = program.readAllStandardOutput();
    done.err = program.readAllStandardError();
    return done;
}

void fill(const TempTree &tree)
{
    tree.makeFile("Data/Alpha/a", 3000);
    tree.makeFile("Data/Alpha/deeper/b", 2000);
    tree.makeFile("Data/beta/c", 7);
    tree.makeFile("Data/Gamma/d", 1);
    tree.makeFile("Data/top", 5);
    tree.makeSymlink("Data/beta/link", "../Alpha");
}

bool haveNcdu()
{
    return QProcess::execute(QStringLiteral("sh"), {"-c", "command -v ncdu >/dev/null"}) == 0;
}

} // namespace

// The scan's chart is the live chart of the tree it was made of, in both size modes, also
// once the tree is gone.
TEST(CommandLineOpenScan, ChartsOfAScanAreThoseOfTheTreeItWasMadeOf)
{
    TempTree tree;
    fill(tree);
    ASSERT_EQ(run(tree.root(), {"--save-scan", "scan.json", "Data"}).status, 0);
    const QByteArray live = run(tree.root(), {"--json", "-", "Data"}).out;
    const QByteArray liveDisk = run(tree.root(), {"--disk-usage", "--json", "-", "Data"}).out;
    const QByteArray liveInside = run(tree.root(), {"--json", "-", "Data/Alpha"}).out;
    ASSERT_TRUE(live.contains("\"Alpha\"")) << live.constData();
    std::filesystem::remove_all(tree.path("Data"));

    const Ran scanned = run(tree.root(), {"--open-scan", "scan.json", "--json", "-"});
    EXPECT_EQ(scanned.status, 0) << scanned.err.constData();
    EXPECT_EQ(scanned.out, live);
    EXPECT_EQ(run(tree.root(), {"--open-scan", "scan.json", "--disk-usage", "--json", "-"}).out,
              liveDisk);
    EXPECT_EQ(run(tree.root(), {"--open-scan", "scan.json", "--json", "-", "Alpha"}).out,
              liveInside);
    EXPECT_EQ(run(tree.root(), {"--open-scan", "scan.json", "--json", "-",
                                QString::fromStdString(tree.path("Data/Alpha/"))})
                  .out,
              liveInside);
    const Ran missing = run(tree.root(), {"--open-scan", "scan.json", "--json", "-", "Nope"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.contains("holds no such folder")) << missing.err.constData();
}

TEST(CommandLineOpenScan, AScanPipedFromNcduIsChartedAsTheDiskIs)
{
    if (!haveNcdu())
        GTEST_SKIP() << "ncdu is not installed (scripts/install-deps.sh installs it)";
    TempTree tree;
    fill(tree);
    QProcess ncdu;
    ncdu.start(QStringLiteral("ncdu"),
               {"-0", "-o", "-", QString::fromStdString(tree.path("Data"))});
    ASSERT_TRUE(ncdu.waitForFinished(60000));
    const QByteArray scan = ncdu.readAllStandardOutput();
    for (const QStringList &mode : {QStringList{}, QStringList{"--disk-usage"}})
        EXPECT_EQ(run(tree.root(), mode + QStringList{"--open-scan", "-", "--json", "-"}, scan).out,
                  run(tree.root(), mode + QStringList{"--json", "-", "Data"}).out);
}

TEST(CommandLineOpenScan, ABrokenScanIsRefusedNamingTheByte)
{
    TempTree tree;
    const Ran broken = run(tree.root(), {"--open-scan", "-", "--json", "-"},
                           "[1,2,{},[{\"name\":\"/srv\"},{\"name\":\"x\",\"asize\":-5}]]");
    EXPECT_EQ(broken.status, 2);
    EXPECT_TRUE(broken.err.contains("a negative number at byte 47")) << broken.err.constData();
    EXPECT_TRUE(broken.out.isEmpty());
}
