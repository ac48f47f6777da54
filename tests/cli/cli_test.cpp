#include "app/cli/commandline.h"
#include "app/cli/outputfile.h"
#include "app/cli/terminalprogress.h"
#include "app/exportfixture.h"
#include "support/runtimefolder.h"
#include "support/smalltmpfs.h"
#include "support/stoppedvolume.h"
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
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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
    static QProcessEnvironment programEnvironment(const QStringList &extra)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANGUAGE"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        for (const QString &setting : extra)
            environment.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        return environment;
    }

    // extra: NAME=value settings added to the environment.
    Outcome run(const QStringList &arguments, const QStringList &extra = {})
    {
        QProcess program;
        program.setProcessEnvironment(programEnvironment(extra));
        program.setWorkingDirectory(tree.rootQ());
        program.start(QStringLiteral(QUORVANE_EXECUTABLE), arguments);
        EXPECT_TRUE(program.waitForFinished(60000)) << arguments.join(u' ').toStdString();
        return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
                program.readAllStandardOutput(),
                QString::fromLocal8Bit(program.readAllStandardError())};
    }

    // How spawn() starts the program where QProcess cannot.
    struct Child {
        int out = -1; // standard output: this descriptor of the test's
        bool asNobody = false;
        QByteArray folder{};       // the current folder, as bytes; the tree's root when empty
        bool removeFolder = false; // removed once the program stands in it
    };

    // Runs the program as child says, standard error caught; status -1 when a signal ended it.
    Outcome spawn(const QStringList &arguments, const Child &child)
    {
        std::vector<QByteArray> strings{QByteArrayLiteral(QUORVANE_EXECUTABLE)};
        for (const QString &argument : arguments)
            strings.push_back(argument.toUtf8());
        std::vector<char *> argv;
        for (QByteArray &text : strings)
            argv.push_back(text.data());
        argv.push_back(nullptr);
        std::vector<QByteArray> settings;
        const QStringList extra{"XDG_RUNTIME_DIR=" + userRuntimeFolder(tree.root(), 65534)};
        for (const QString &setting :
             programEnvironment(child.asNobody ? extra : QStringList{}).toStringList())
            settings.push_back(setting.toUtf8());
        std::vector<char *> envp;
        for (QByteArray &text : settings)
            envp.push_back(text.data());
        envp.push_back(nullptr);
        const QByteArray folder =
            child.folder.isEmpty() ? QFile::encodeName(tree.rootQ()) : child.folder;
        FILE *errors = std::tmpfile();
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(folder.constData()) != 0 ||
                (child.removeFolder && ::rmdir(folder.constData()) != 0))
                ::_exit(126);
            if (child.out >= 0)
                ::dup2(child.out, STDOUT_FILENO);
            ::dup2(::fileno(errors), STDERR_FILENO);
            if (child.asNobody &&
                (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(125);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        QByteArray err;
        std::rewind(errors);
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, errors)) > 0;)
            err.append(buffer, qsizetype(got));
        std::fclose(errors);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, {}, QString::fromLocal8Bit(err)};
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

// No name can hide a folder's size or pass for another line of a report: a byte order mark
// is part of a name like any other character, and control characters show as themselves.
TEST_F(CommandLineTest, ANameCannotHideAFolderOrForgeALine)
{
    tree.makeFile("hide/stash\xef\xbb\xbf/big", 10000);
    tree.makeFile("hide/x\xef\xbb\xbf/big", 3000);
    tree.makeFile("hide/x/small", 5);
    tree.makeFile("hide/\xef\xbb\xbfy/f", 7);
    tree.makeFile("hide/a - 1 Bytes\r\nbackups - 812.40 GB\r\nz/f", 1);

    const Outcome json = run({"--json", "-", "hide"});
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    QStringList sizes;
    for (const QJsonValue subfolder : QJsonDocument::fromJson(json.out)["subfolders"].toArray())
        // By the path's last name: Qt's JSON reader drops a byte order mark that starts a
        // string, as QString::fromUtf8 does (the bytes written keep it).
        sizes << subfolder["path"].toString().section(u'/', -1) + u'=' +
                     QString::number(subfolder["size"].toInteger());
    EXPECT_EQ(sizes, (QStringList{QStringLiteral("a - 1 Bytes\r\nbackups - 812.40 GB\r\nz=1"),
                                  QStringLiteral("stash\ufeff=10000"), QStringLiteral("x=5"),
                                  QStringLiteral("x\ufeff=3000"), QStringLiteral("\ufeffy=7")}));

    const Outcome text = run({"--text", "-", "hide"});
    ASSERT_EQ(text.status, 0) << text.err.toStdString();
    EXPECT_EQ(
        QString::fromUtf8(text.out).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts),
        (QStringList{QStringLiteral("a - 1 Bytes\u240d\u240a"
                                    "backups - 812.40 GB\u240d\u240az - 1 Bytes"),
                     QStringLiteral("stash\ufeff - 9.77 KB"), QStringLiteral("x - 5 Bytes"),
                     QStringLiteral("x\ufeff - 2.93 KB"), QStringLiteral("\ufeffy - 7 Bytes")}));
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
    // Too small for the legend: the picture grows, and says so.
    const Outcome tiny = run({"--size", "5x5", "--jpg", "tiny.jpg", "Data"});
    EXPECT_EQ(tiny.status, 0);
    const QSize grown = decode(readAll(tree.pathQ("tiny.jpg")), "jpeg").size();
    EXPECT_TRUE(grown.width() > 5 && grown.height() > 5);
    EXPECT_EQ(tiny.err, QStringLiteral("quorvane: the legend does not fit in 5x5; the picture is "
                                       "%1x%2\n")
                            .arg(grown.width())
                            .arg(grown.height()));
}

TEST_F(CommandLineTest, BadUsageExitsTwoWithAMessageAndWritesNothing)
{
    makeDataFolder();
    tree.makeFile("plain.txt", 10);
    tree.makeSymlink("alias.txt", "plain.txt");
    tree.makeSymlink("intoNowhere.txt", "Nowhere/x.txt");
    tree.makeSymlink("alink.txt", "a.txt");
    tree.makeDir("Taken");
    // A folder's access time moves when it is read (relatime, as the access time is older
    // than its change): it tells whether a scan started.
    const std::string scanned = tree.path("Data/Alpha");
    const timespec longAgo[2] = {{86400, 0}, {0, UTIME_OMIT}};
    ASSERT_EQ(::utimensat(AT_FDCWD, scanned.c_str(), longAgo, 0), 0);
    const auto accessed = [&scanned] {
        struct stat status {};
        ::stat(scanned.c_str(), &status);
        return status.st_atim.tv_sec;
    };
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
        {{"--text", "out.txt", "--json", "intoNowhere.txt", "Data"},
         "cannot write intoNowhere.txt: No such file or directory"},
        {{"--text", "a.txt", "--json", "alink.txt", "Data"},
         "two outputs would write one file: a.txt and alink.txt"},
        {{"--text", "out.txt", "--json", "plain.txt/out.json", "Data"},
         "cannot write plain.txt/out.json: Not a directory"},
        {{"--xlsx", "out.txt", "--json", "Taken", "Data"}, "cannot write Taken: it is a folder"},
        {{"--text", "out.txt", "--json", "/dev/fd/9", "Data"},
         "cannot write /dev/fd/9: descriptor 9 is not open"},
        {{"--size", "0x10", "--jpg", "out.txt", "Data"}, "--size wants WIDTHxHEIGHT"},
        {{"--size", "4097x10", "--jpg", "out.txt", "Data"}, "each from 1 to 4096"},
        {{"--size", "10x10", "--text", "out.txt", "Data"}, "--size applies to --jpg and --xlsx"},
        {{"--disk-usage", "Data"}, "--disk-usage applies to the outputs only"},
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
        EXPECT_EQ(accessed(), 86400) << bad.message << ": refused only after a scan";
    }
    ASSERT_EQ(run({"--text", "out.txt", "Data"}).status, 0);
    EXPECT_NE(accessed(), 86400) << "the scan of a good command line reads the folder";
}

// Without a controlling terminal /dev/tty answers no writer (ENXIO): that is known at once,
// not after the scan and a wait meant for a FIFO's reader.
TEST_F(CommandLineTest, ADeviceThatIsNotThereIsRefusedAtOnce)
{
    makeDataFolder();
    QProcess program;
    program.setProcessEnvironment(programEnvironment({}));
    program.setWorkingDirectory(tree.rootQ());
    program.setChildProcessModifier([] { ::setsid(); });
    program.setStandardInputFile(QProcess::nullDevice());
    const auto started = std::chrono::steady_clock::now();
    program.start(QStringLiteral(QUORVANE_EXECUTABLE), {"--text", "/dev/tty", "Data"});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_EQ(QString::fromLocal8Bit(program.readAllStandardError()),
              "quorvane: cannot write /dev/tty: no device answers at that name (No such device "
              "or address)\n");
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

// A FIFO, a device or a descriptor named on the command line is written directly; every
// write is checked, a reader that goes away is an error, not a silent death by SIGPIPE.
TEST_F(CommandLineTest, StreamsAreWrittenDirectlyWithEveryWriteChecked)
{
    makeDataFolder();
    const QByteArray json = run({"--json", "-", "Data"}).out;
    ASSERT_TRUE(json.startsWith("{"));

    const QByteArray fifo = QFile::encodeName(tree.pathQ("fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    // Held open for reading and writing, the FIFO takes the output whole (it is small) without
    // a reader thread, and a test of a program that never opens it cannot hang.
    const int held = ::open(fifo.constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(held, 0);
    const Outcome throughFifo = run({"--json", "fifo", "--text", "/dev/null", "Data"});
    QByteArray read(65536, 0);
    read.truncate(std::max<ssize_t>(0, ::read(held, read.data(), size_t(read.size()))));
    ::close(held);
    EXPECT_EQ(throughFifo.status, 0) << throughFifo.err.toStdString();
    EXPECT_EQ(read, json);
    struct stat status {};
    EXPECT_TRUE(::stat(fifo.constData(), &status) == 0 && S_ISFIFO(status.st_mode))
        << "the FIFO is written, not replaced";

    // A FIFO nobody opens is given up after the wait, not waited on for ever.
    OutputTarget nobodyReads;
    nobodyReads.file = tree.pathQ("fifo");
    nobodyReads.kind = OutputTarget::Kind::Stream;
    nobodyReads.path = fifo;
    EXPECT_FALSE(writeOutput(
        nobodyReads, [] { return QByteArray("x"); }, std::chrono::milliseconds(100)));

    // /dev/stdout is the descriptor the program was given: ">>" appends.
    const QString log = tree.pathQ("log");
    QFile existing(log);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly) && existing.write("before\n") == 7);
    existing.close();
    const int append = ::open(QFile::encodeName(log).constData(), O_WRONLY | O_APPEND);
    const Outcome appended = spawn({"--json", "/dev/stdout", "Data"}, {.out = append});
    ::close(append);
    EXPECT_EQ(appended.status, 0) << appended.err.toStdString();
    EXPECT_EQ(readAll(log), "before\n" + json);

    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const Outcome closed = spawn({"--json", "-", "Data"}, {.out = ends[1]});
    ::close(ends[1]);
    EXPECT_EQ(closed.status, 1);
    EXPECT_EQ(closed.err, "quorvane: cannot write -: the reader closed it before the end "
                          "(Broken pipe)\n");

    const int full = ::open("/dev/full", O_WRONLY);
    const Outcome noRoom = spawn({"--text", "-", "Data"}, {.out = full});
    ::close(full);
    EXPECT_EQ(noRoom.status, 1);
    EXPECT_EQ(noRoom.err, "quorvane: cannot write -: No space left on device\n");
}

// "-" takes every format when standard output is a file or a pipe; a picture or workbook is
// refused, before the scan, when it is a terminal.
TEST_F(CommandLineTest, StandardOutputTakesEveryFormatButNoPictureOnATerminal)
{
    makeDataFolder();
    for (const char *option : {"--text", "--json", "--jpg", "--xlsx"}) {
        const QString format = QString::fromLatin1(option + 2);
        const QString file = tree.pathQ("file." + format.toStdString());
        ASSERT_EQ(run({option, file, "Data"}).status, 0) << option;
        const Outcome piped = run({option, "-", "Data"});
        EXPECT_EQ(piped.status, 0) << option << piped.err.toStdString();
        if (format == "xlsx") // the workbook's zip records its own time; compare what it holds
            EXPECT_EQ(zipEntry(tree.pathQ("file.xlsx"), "xl/media/image1.png"), [&] {
                QFile copy(tree.pathQ("piped.xlsx"));
                EXPECT_TRUE(copy.open(QIODevice::WriteOnly) &&
                            copy.write(piped.out) == piped.out.size());
                copy.close();
                return zipEntry(copy.fileName(), "xl/media/image1.png");
            }()) << option;
        else
            EXPECT_EQ(piped.out, readAll(file)) << option;

        int terminal = -1;
        int user = -1;
        ASSERT_EQ(::openpty(&terminal, &user, nullptr, nullptr, nullptr), 0);
        // Drained while the program runs, so that one writing a picture cannot fill the
        // terminal and hang.
        qsizetype got = 0;
        std::thread drain([terminal, &got] {
            char buffer[4096];
            for (ssize_t part; (part = ::read(terminal, buffer, sizeof buffer)) > 0;)
                got += part;
        });
        const Outcome shown = spawn({option, "-", "Data"}, {.out = user});
        ::close(user); // the drain then reads the end (EIO)
        drain.join();
        ::close(terminal);
        if (format == "jpg" || format == "xlsx") {
            EXPECT_EQ(shown.status, 2) << option;
            EXPECT_EQ(shown.err, "quorvane: cannot write -: it is a terminal; redirect standard "
                                 "output to a file or a pipe\n");
            EXPECT_EQ(got, 0) << option;
        } else {
            EXPECT_EQ(shown.status, 0) << option << shown.err.toStdString();
            EXPECT_GT(got, 0) << option;
        }
    }
}

// Stale DISPLAY, Qt options, a runtime folder Qt complains about: the outputs neither need
// a display nor pass Qt's notes on. A removed current folder is refused, never replaced by
// another, and one whose name is not UTF-8 is taken by its bytes.
TEST_F(CommandLineTest, OutputsWorkInAnyEnvironmentAndFromAnyCurrentFolder)
{
    makeDataFolder();
    // Qt then makes a runtime folder of its own in the temporary folder: the tree's, so that it
    // goes with the test.
    const Outcome stale =
        run({"-platform", "xcb", "--text", "-", "Data"},
            {"DISPLAY=:99", "XDG_RUNTIME_DIR=" + tree.pathQ("Data"), "TMPDIR=" + tree.rootQ()});
    EXPECT_EQ(stale.status, 0);
    EXPECT_EQ(stale.err, "");
    EXPECT_TRUE(stale.out.startsWith("Alpha - 2.93 KB\r\n"));

    tree.makeDir("Gone");
    const Outcome gone =
        spawn({"--json", "out.json", "."},
              {.folder = QFile::encodeName(tree.pathQ("Gone")), .removeFolder = true});
    EXPECT_EQ(gone.status, 2);
    EXPECT_EQ(gone.err, "quorvane: cannot chart .: the current folder no longer exists\n");

    tree.makeFile("Odd \xff/Inner/f", 9);
    const QString json = tree.pathQ("odd.json");
    const Outcome odd = spawn({"--json", json, "Inner/.."},
                              {.folder = QFile::encodeName(tree.rootQ()) + "/Odd \xff"});
    EXPECT_EQ(odd.status, 0) << odd.err.toStdString();
    EXPECT_TRUE(readAll(json).contains("\"path\": \"" + tree.rootQ().toUtf8() +
                                       "/Odd \\udcff/Inner\", \"size\": 9"))
        << readAll(json).toStdString();
}

// Run as a user who cannot read everything (root reads all): each folder that could not be
// read is named on standard error and counted in the JSON, and the exit status is 1.
TEST_F(CommandLineTest, FoldersThatCannotBeReadAreNamedCountedAndExitOne)
{
    makeDataFolder();
    tree.makeFile("Data/Beta/Locked/secret", 100);
    tree.makeDir("Data/Gamma/Deeper/Locked");
    ASSERT_EQ(::chmod(QFile::encodeName(tree.rootQ()).constData(), 0755), 0);
    std::vector<std::string> locked{"Data/Beta/Locked", "Data/Gamma/Deeper/Locked"};
    for (int i = 0; i < 21; ++i) // 23 in all: 20 named, then how many more
        locked.push_back("Data/Many/" + std::to_string(i));
    for (const std::string &folder : locked) {
        tree.makeDir(folder);
        ASSERT_EQ(::chmod(tree.path(folder).c_str(), 0), 0);
    }
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const Outcome result = spawn({"--json", "-", "Data"}, {.out = ends[1], .asNobody = true});
    ::close(ends[1]);
    QFile out;
    ASSERT_TRUE(out.open(ends[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    const QByteArray json = out.readAll();
    if (result.status == 125)
        GTEST_SKIP() << "cannot run as the user nobody here";

    EXPECT_EQ(result.status, 1);
    const QStringList told = result.err.split(u'\n');
    ASSERT_EQ(told.size(), 22) << result.err.toStdString();
    EXPECT_EQ(told[0],
              "quorvane: cannot read " + tree.pathQ("Data/Beta/Locked") + ": Permission denied");
    EXPECT_EQ(told[1], "quorvane: cannot read " + tree.pathQ("Data/Gamma/Deeper/Locked") +
                           ": Permission denied");
    EXPECT_TRUE(told[19].startsWith("quorvane: cannot read " + tree.pathQ("Data/Many/")));
    EXPECT_EQ(told[20], "quorvane: 3 more folder(s) could not be read");
    const QJsonDocument parsed = QJsonDocument::fromJson(json);
    const QJsonArray subfolders = parsed[QStringLiteral("subfolders")].toArray();
    ASSERT_EQ(subfolders.size(), 4) << json.toStdString();
    EXPECT_EQ(subfolders[0][QStringLiteral("unreadable")].toInteger(), 0);
    EXPECT_EQ(subfolders[1][QStringLiteral("unreadable")].toInteger(), 1);
    EXPECT_EQ(subfolders[1][QStringLiteral("size")].toInteger(), 2000);
    EXPECT_EQ(subfolders[2][QStringLiteral("unreadable")].toInteger(), 1);
    EXPECT_EQ(subfolders[3][QStringLiteral("unreadable")].toInteger(), 21);
    EXPECT_EQ(parsed[QStringLiteral("unreadable")].toInteger(), 23);
}

// A FUSE volume whose process is stopped (SIGSTOP), as a network volume whose server went
// away: every open below its mount point waits until the process goes on.
TEST_F(CommandLineTest, AFolderThatStopsAnsweringIsGivenUpAfterTheTimeout)
{
    makeDataFolder();
    tree.makeDir("Data/Beta/Mount");
    tree.makeFile("Source/inside/f", 10);
    const StoppedVolume volume(tree.pathQ("Source"), tree.pathQ("Data/Beta/Mount"));
    if (!volume.why().empty())
        GTEST_SKIP() << volume.why();

    const Outcome below = run({"--json", "-", "--timeout", "1", "Data"});
    EXPECT_EQ(below.status, 1);
    EXPECT_EQ(below.err, "quorvane: cannot read " + tree.pathQ("Data/Beta/Mount") +
                             ": Connection timed out\n");
    const QJsonArray subfolders = QJsonDocument::fromJson(below.out)["subfolders"].toArray();
    ASSERT_EQ(subfolders.size(), 3) << below.out.toStdString();
    EXPECT_EQ(subfolders[0]["size"].toInteger(), 3000);
    EXPECT_EQ(subfolders[1]["size"].toInteger(), 2000);
    EXPECT_EQ(subfolders[1]["unreadable"].toInteger(), 1);

    // Counted as space on disk, only the mount point is given up, not the folder holding it.
    const Outcome allocated = run({"--disk-usage", "--json", "-", "--timeout", "1", "Data"});
    EXPECT_EQ(allocated.status, 1);
    EXPECT_EQ(allocated.err, below.err);
    const QJsonArray onDisk = QJsonDocument::fromJson(allocated.out)["subfolders"].toArray();
    ASSERT_EQ(onDisk.size(), 3) << allocated.out.toStdString();
    const auto blocks = [this](const char *name) {
        struct stat status {};
        ::lstat(tree.path(name).c_str(), &status);
        return qint64(status.st_blocks) * 512;
    };
    EXPECT_EQ(onDisk[0]["size"].toInteger(), blocks("Data/Alpha") + blocks("Data/Alpha/a.bin"));
    EXPECT_EQ(onDisk[1]["size"].toInteger(), blocks("Data/Beta") + blocks("Data/Beta/b.bin"));
    EXPECT_EQ(onDisk[1]["unreadable"].toInteger(), 1);

    const Outcome itself = run({"--text", "-", "--timeout", "1", "Data/Beta/Mount"});
    EXPECT_EQ(itself.status, 2);
    EXPECT_EQ(itself.err, "quorvane: cannot chart Data/Beta/Mount: it did not answer within 1 s\n");

    // An output on it is refused before the scan, within the same bound, as a cron job
    // writing to a hung share must end.
    for (const QString &output :
         {QStringLiteral("Data/Beta/Mount/out.json"),
          QStringLiteral("Data/Beta/Mount/inside/o.json"), QStringLiteral("Data/Beta/Mount")}) {
        const auto started = std::chrono::steady_clock::now();
        const Outcome refused = run({"--json", output, "--timeout", "1", "Data/Alpha"});
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
        EXPECT_EQ(refused.status, 2);
        EXPECT_EQ(refused.err,
                  "quorvane: cannot write " + output + ": it did not answer within 1 s\n");
    }
}

// What du -s --block-size=1 prints for folder, run as the user nobody when asked.
qint64 duSize(const QString &folder, bool asNobody)
{
    QProcess du;
    QStringList arguments{"-s", "--block-size=1", folder};
    if (asNobody)
        du.start("setpriv",
                 QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", "du"} + arguments);
    else
        du.start("du", arguments);
    du.waitForFinished();
    return du.readAllStandardOutput().split('\t').first().toLongLong();
}

// --disk-usage makes each subfolder's size what du -s --block-size=1 prints for it alone:
// sparse files by their blocks, links once within a subfolder but in each subfolder that has
// one, folders' own blocks, and whatever the user may read.
TEST_F(CommandLineTest, DiskUsageIsWhatDuCountsForEachSubfolder)
{
    tree.makeFile("Data/Links/f", 100000);
    tree.makeDir("Data/Links/sub");
    ASSERT_EQ(::link(tree.path("Data/Links/f").c_str(), tree.path("Data/Links/sub/second").c_str()),
              0);
    tree.makeDir("Data/Cross");
    ASSERT_EQ(::link(tree.path("Data/Links/f").c_str(), tree.path("Data/Cross/third").c_str()), 0);
    tree.makeSparseFile("Data/Sparse/big", 50 << 20);
    tree.makeSymlink("Data/Sparse/link", "big");
    tree.makeFile("Data/Locked/inner/deny/hidden", 40000);
    tree.makeFile("Data/beside", 3000);
    ASSERT_EQ(::chmod(QFile::encodeName(tree.rootQ()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(tree.path("Data/Locked/inner/deny").c_str(), 0), 0);
    const QStringList names{"Cross", "Links", "Locked", "Sparse"};

    for (const bool asNobody : {false, true}) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        const Outcome result =
            spawn({"--disk-usage", "--json", "-", "Data"}, {.out = ends[1], .asNobody = asNobody});
        ::close(ends[1]);
        QFile out;
        ASSERT_TRUE(out.open(ends[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
        const QJsonDocument parsed = QJsonDocument::fromJson(out.readAll());
        if (asNobody && result.status == 125)
            GTEST_SKIP() << "cannot run as the user nobody here";
        EXPECT_EQ(result.status, asNobody ? 1 : 0) << result.err.toStdString();
        const QJsonArray subfolders = parsed[QStringLiteral("subfolders")].toArray();
        ASSERT_EQ(subfolders.size(), names.size());
        for (int i = 0; i < names.size(); ++i)
            EXPECT_EQ(subfolders[i][QStringLiteral("size")].toInteger(),
                      duSize(tree.pathQ("Data/" + names[i].toStdString()), asNobody))
                << names[i].toStdString() << (asNobody ? " as nobody" : "");
        EXPECT_EQ(subfolders[2][QStringLiteral("unreadable")].toInteger(), asNobody ? 1 : 0);
        struct stat own {};
        ::stat(tree.path("Data").c_str(), &own);
        EXPECT_EQ(parsed[QStringLiteral("total")].toInteger() +
                      parsed[QStringLiteral("files")].toInteger() + qint64(own.st_blocks) * 512,
                  duSize(tree.pathQ("Data"), asNobody) +
                      duSize(tree.pathQ("Data/Links/f"), asNobody))
            << "the whole folder as du counts it, but the link across subfolders twice";
    }
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
    for (const char *more : {"QUORVANE_SCAN_THREADS", "QUORVANE_SIZE_MEMORY", "QUORVANE_HISTORY",
                             "Exit status", "exactly", "4096", "--disk-usage"})
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
