#include "export/savetesting.h"
#include "scanfile/scanfileread.h"

#include <QProcess>

using namespace savetesting;

namespace {

// Runs the program in `folder` without a display; its standard output is returned.
QByteArray run(const std::string &folder, const QStringList &arguments, int *status)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(QFile::decodeName(folder.c_str()));
    program.start(QStringLiteral(QUORVANE_EXECUTABLE), arguments);
    EXPECT_TRUE(program.waitForFinished(60000));
    *status = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    return program.readAllStandardOutput();
}

} // namespace

TEST(CommandLineSaveScan, WritesTheWholeTreeToAFileOrStandardOutput)
{
    TempTree tree;
    tree.makeFile("Data/Alpha/a", 3000);
    tree.makeFile("Data/Alpha/deeper/b", 2000);
    tree.makeFile("Data/c", 7);
    int status = -1;
    run(tree.root(), {"--save-scan", "scan.json", "Data"}, &status);
    EXPECT_EQ(status, 0);
    const ScanTree saved = readScanPath(tree.path("scan.json"));
    EXPECT_EQ(saved.name(ScanTree::Root), tree.path("Data"));
    EXPECT_EQ(saved.apparent(ScanTree::Root), 5007);
    EXPECT_EQ(saved.apparent(saved.find("Alpha/deeper")), 2000);

    const QByteArray piped = run(tree.root(), {"--save-scan", "-", "Data"}, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readScanText(piped.toStdString()).size(), saved.size());
}

TEST(CommandLineSaveScan, AFolderThatCannotBeScannedLeavesTheFileAsItWas)
{
    TempTree tree;
    writeFile(tree.path("scan.json"), "old", 0644);
    int status = -1;
    run(tree.root(), {"--save-scan", "scan.json", "Missing"}, &status);
    EXPECT_EQ(status, 2);
    run(tree.root(), {"--save-scan", "scan.json", "--json", "-", "."}, &status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(contents(tree.path("scan.json")), QByteArray("old"));
}
