#include "app/commandline.h"
#include "app/exportfixture.h"
#include "app/terminalprogress.h"
#include "support/smalltmpfs.h"
#include "support/zipreader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Outcome {
    int status = -1;
    QByteArray out;
    QString err;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QImage decode(const QByteArray &bytes, const QByteArray &format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    EXPECT_EQ(reader.format(), format);
    return reader.read();
}

// Drives the real program, in the tree's root folder, with no display of any kind and a
// locale whose size texts match the window's under test (C numbers).
class CommandLineTest : public ExportTest {
protected:
    Outcome run(const QStringList &arguments)
    {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANGUAGE"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(tree.rootQ());
        program.start(QStringLiteral(QUORVANE_EXECUTABLE), arguments);
        EXPECT_TRUE(program.waitForFinished(60000)) << arguments.join(u' ').toStdString();
        return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
                program.readAllStandardOutput(),
                QString::fromLocal8Bit(program.readAllStandardError())};
    }

    // The window's own export of Data, through its button and the scripted save dialog.
    QByteArray windowExport(void (Form1::*button)(), const QString &name, QSize chartSize = {})
    {
        Form1 form(exportEnvironment());
        chart(form, tree.pathQ("Data"));
        if (chartSize.isValid())
            form.MSChart1()->resize(chartSize);
        dialog->answer = tree.pathQ(name.toStdString());
        (form.*button)();
        EXPECT_TRUE(box->boxes.empty());
        return readAll(tree.pathQ(name.toStdString()));
    }
};

} // namespace

TEST_F(CommandLineTest, TextIsTheWindowsSideTextInAFileOrOnStandardOutput)
{
    makeDataFolder();
    const QByteArray window = windowExport(&Form1::PushButton2_Click, QStringLiteral("window.txt"));
    ASSERT_EQ(window, "Alpha - 2.93 KB\r\nBeta - 1.95 KB\r\nGamma - 1000 Bytes\r\n");

    const Outcome toFile = run({"--text", "cli.txt", "Data"});
    EXPECT_EQ(toFile.status, 0);
    EXPECT_EQ(toFile.err, "") << "no progress when standard error is not a terminal";
    EXPECT_EQ(readAll(tree.pathQ("cli.txt")), window);

    const Outcome toOut = run({"--text", "-", tree.pathQ("Data") + u'/'});
    EXPECT_EQ(toOut.status, 0);
    EXPECT_EQ(toOut.out, window);
}

TEST_F(CommandLineTest, JsonListsEverySubfolderInChartOrderWithTheTotal)
{
    makeDataFolder();
    tree.makeDir("Data/Empty \"quoted\"");
    tree.makeDir("Data/Back\\slash");
    tree.makeFile("Data/beside.bin", 700); // "files", outside "total"
    tree.makeSymlink("Data/link.bin", "beside.bin");
    tree.makeFile("Data/Not UTF-8 \xff/f", 5); // the byte travels as the escape \udcff
    const QByteArray expected = QString::fromUtf8(R"({
  "folder": "DATA",
  "subfolders": [
    {"name": "Alpha", "path": "DATA/Alpha", "size": 3000, "unreadable": 0},
    {"name": "Back\\slash", "path": "DATA/Back\\slash", "size": 0, "unreadable": 0},
    {"name": "Beta", "path": "DATA/Beta", "size": 2000, "unreadable": 0},
    {"name": "Empty \"quoted\"", "path": "DATA/Empty \"quoted\"", "size": 0, "unreadable": 0},
    {"name": "Gamma", "path": "DATA/Gamma", "size": 1000, "unreadable": 0},
    {"name": "Not UTF-8 \udcff", "path": "DATA/Not UTF-8 \udcff", "size": 5, "unreadable": 0}
  ],
  "total": 6005,
  "files": 700,
  "unreadable": 0
}
)")
                                    .replace(QStringLiteral("DATA"), tree.pathQ("Data"))
                                    .toUtf8();

    const Outcome toOut = run({"--json", "-", "Data"});
    EXPECT_EQ(toOut.status, 0);
    EXPECT_EQ(toOut.out, expected);
    // A JSON reader gets the names back as they are.
    QJsonParseError error;
    const QJsonDocument parsed = QJsonDocument::fromJson(toOut.out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonArray subfolders = parsed[QStringLiteral("subfolders")].toArray();
    ASSERT_EQ(subfolders.size(), 6);
    EXPECT_EQ(subfolders[1][QStringLiteral("name")].toString(), "Back\\slash");
    EXPECT_EQ(subfolders[3][QStringLiteral("path")].toString(),
              tree.pathQ("Data") + "/Empty \"quoted\"");
    EXPECT_EQ(parsed[QStringLiteral("files")].toInteger(), 700);

    tree.makeDir("Lonely");
    const Outcome empty = run({"--json", "lonely.json", "Lonely"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(readAll(tree.pathQ("lonely.json")),
              "{\n  \"folder\": \"" + tree.pathQ("Lonely").toUtf8() +
                  "\",\n  \"subfolders\": [],\n  \"total\": 0,\n  \"files\": 0,\n  "
                  "\"unreadable\": 0\n}\n");
}

TEST_F(CommandLineTest, PicturesAreTheWindowsJpegAndAWorkbookHoldingThem)
{
    makeDataFolder();
    const QSize stored(634, 448);
    const QByteArray window =
        windowExport(&Form1::PushButton1_Click, QStringLiteral("window.jpg"), stored);

    const Outcome pictures = run({"--jpg", "cli.jpg", "--xlsx", "cli.xlsx", "Data"});
    ASSERT_EQ(pictures.status, 0) << pictures.err.toStdString();
    const QByteArray jpeg = readAll(tree.pathQ("cli.jpg"));
    EXPECT_EQ(decode(jpeg, "jpeg").size(), stored);
    EXPECT_TRUE(jpeg == window) << "the window's JPEG export of the same chart differs";

    const QString workbook = tree.pathQ("cli.xlsx");
    ASSERT_TRUE(zipEntries(workbook).contains(QStringLiteral("xl/media/image1.png")))
        << zipEntries(workbook).join(u' ').toStdString();
    expectSamePicture(decode(zipEntry(workbook, QStringLiteral("xl/media/image1.png")), "png"),
                      decode(jpeg, "jpeg"), 12);
    EXPECT_TRUE(launcher->programs.isEmpty());

    ASSERT_EQ(run({"--size", "800x300", "--jpg", "wide.jpg", "Data"}).status, 0);
    EXPECT_EQ(decode(readAll(tree.pathQ("wide.jpg")), "jpeg").size(), QSize(800, 300));
}

TEST_F(CommandLineTest, BadUsageExitsTwoWithAMessageAndWritesNothing)
{
    makeDataFolder();
    tree.makeFile("plain.txt", 10);
    tree.makeSymlink("alias.txt", "plain.txt");
    tree.makeDir("Taken");
    const struct {
        QStringList arguments;
        const char *message;
    } cases[] = {
        {{"--bogus", "Data"}, "Unknown option 'bogus'"},
        {{"--text"}, "Missing value after '--text'"},
        {{"--text", "out.txt"}, "need a FOLDER"},
        {{"--text", "out.txt", "Data", "Data"}, "one FOLDER only"},
        {{"--text", "-", "--json", "-", "Data"}, "only one output can go to standard output"},
        {{"--text", "out.txt", "--json", "./out.txt", "Data"},
         "two outputs would write one file: out.txt and ./out.txt"},
        {{"--text", "plain.txt", "--jpg", "alias.txt", "Data"},
         "two outputs would write one file: plain.txt and alias.txt"},
        {{"--text", "-", "--json", "/dev/stdout", "Data"}, "two outputs would write one file"},
        {{"--text", "out.txt", "--json", "Nowhere/out.json", "Data"},
         "cannot write Nowhere/out.json: No such file or directory"},
        {{"--text", "out.txt", "--json", "plain.txt/out.json", "Data"},
         "cannot write plain.txt/out.json: Not a directory"},
        {{"--xlsx", "out.txt", "--json", "Taken", "Data"}, "cannot write Taken: it is a folder"},
        {{"--text", "out.txt", "--json", "/dev/fd/9", "Data"},
         "cannot write /dev/fd/9: descriptor 9 is not open"},
        {{"--size", "0x10", "--jpg", "out.txt", "Data"}, "--size wants WIDTHxHEIGHT"},
        {{"--size", "4097x10", "--jpg", "out.txt", "Data"}, "each from 1 to 4096"},
        {{"--size", "10x10", "--text", "out.txt", "Data"}, "--size applies to --jpg and --xlsx"},
        {{"--text", "out.txt", "Missing"}, "cannot chart Missing: No such file or directory"},
        {{"--text", "out.txt", "plain.txt"}, "cannot chart plain.txt: not a folder"},
        {{"Missing"}, "cannot chart Missing: No such file or directory"},
    };
    for (const auto &bad : cases) {
        const Outcome result = run(bad.arguments);
        EXPECT_EQ(result.status, 2) << bad.message;
        EXPECT_TRUE(result.err.startsWith(QStringLiteral("quorvane: ")) &&
                    result.err.contains(QString::fromUtf8(bad.message)))
            << result.err.toStdString();
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(QFile::exists(tree.pathQ("out.txt")));
    }
}

TEST_F(CommandLineTest, AnOutputThatCannotBeWrittenExitsOneAndTheOthersAreStillWritten)
{
    makeDataFolder();
    const Outcome result = run({"--text", "/dev/full", "--xlsx", "out.xlsx", "Data"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "quorvane: cannot write /dev/full: No space left on device\n");
    EXPECT_TRUE(zipEntries(tree.pathQ("out.xlsx")).contains(QStringLiteral("xl/media/image1.png")));
    EXPECT_EQ(QDir(tree.rootQ()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("out.xlsx")})
        << "no new file is left behind";
}

// On a full file system every output fails and the file that was there stays as it was.
TEST_F(CommandLineTest, AFailedWriteLeavesTheExistingFileUnchanged)
{
    makeDataFolder();
    const SmallTmpfs full(64);
    if (!full.mounted())
        GTEST_SKIP() << full.why();
    const QString report = full.pathQ("report");
    const QByteArray old = "the report of yesterday\n";
    {
        QFile file(report);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
    }
    full.fill("filler");

    for (const char *option : {"--text", "--json", "--jpg", "--xlsx"}) {
        const Outcome result = run({QString::fromLatin1(option), report, "Data"});
        EXPECT_EQ(result.status, 1) << option;
        // The workbook library does not pass on why its file could not be written.
        const QString reason = QString::fromLatin1(option) == "--xlsx"
                                   ? QStringLiteral("Device I/O error")
                                   : QStringLiteral("No space left on device");
        EXPECT_TRUE(result.err.startsWith("quorvane: cannot write " + report + ": " + reason))
            << option << ": " << result.err.toStdString();
        EXPECT_EQ(readAll(report), old) << option;
        EXPECT_EQ(QDir(full.pathQ("")).entryList(QDir::Files | QDir::Hidden),
                  (QStringList{"filler", "report"}))
            << option;
    }
}

TEST_F(CommandLineTest, HelpAndVersionNeedNoDisplayAndTheWindowSaysItNeedsOne)
{
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char *option :
         {"Usage: quorvane [options] [FOLDER]", "--text <FILE>", "--jpg <FILE>", "--xlsx <FILE>",
          "--json <FILE>", "--size <WxH>", "--version"})
        EXPECT_TRUE(help.out.contains(option)) << option;
    for (const char *more : {"QUORVANE_SCAN_THREADS", "QUORVANE_SIZE_MEMORY", "Exit status",
                             "exactly", "4096"})
        EXPECT_TRUE(help.out.contains(more)) << more;
    EXPECT_FALSE(help.out.contains("-platform")) << "Qt's own options stay out of the help";
    const Outcome helpAll = run({"--help-all"});
    EXPECT_EQ(helpAll.status, 0);
    EXPECT_TRUE(helpAll.out.startsWith(help.out) && helpAll.out.contains("-platform <name>"));

    const Outcome version = run({"-v"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "quorvane " QUORVANE_VERSION "\n");

    tree.makeDir("Data");
    const Outcome window = run({"Data"});
    EXPECT_EQ(window.status, 1);
    EXPECT_TRUE(window.err.contains(QStringLiteral("no display to open the window on")));
}

TEST_F(CommandLineTest, TheWindowStartsAtARelativeOrLinkedFolderAndChartsIt)
{
    makeDataFolder();
    tree.makeSymlink("Link", "Data");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(tree.rootQ()));
    const QString start = windowStartFolder(QStringLiteral("Link"));
    QDir::setCurrent(before);
    EXPECT_EQ(start, tree.pathQ("Data") + u'/');
    EXPECT_EQ(windowStartFolder(QStringLiteral("/")), "/");

    Form1Environment env = environment();
    env.desktopFolder = [start] { return start; };
    Form1 form(std::move(env));
    form.Form_Load();
    ASSERT_TRUE(settle(form));
    EXPECT_EQ(form.Dir1().path(), tree.pathQ("Data"));
    EXPECT_EQ(form.MSChart1()->columnLabels(),
              (QStringList{"Alpha - 2.93 KB", "Beta - 1.95 KB", "Gamma - 1000 Bytes"}));
}

TEST_F(CommandLineTest, ProgressLineKeepsTheCountAndTheEndOfALongPath)
{
    const TerminalProgress::State state{3, 12, QStringLiteral("/srv/a/very/long/path/Music")};
    EXPECT_EQ(TerminalProgress::line(state, 80),
              "3 of 12 subfolders measured, now /srv/a/very/long/path/Music");
    EXPECT_EQ(TerminalProgress::line(state, 45), "3 of 12 subfolders measured, now ...th/Music");
    EXPECT_EQ(TerminalProgress::line(state, 20), "3 of 12 subfolders ");
}
