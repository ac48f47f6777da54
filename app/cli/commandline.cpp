#include "app/cli/commandline.h"

#include "app/cli/outputfile.h"
#include "app/cli/scanfileoptions.h"
#include "chart/chartpicture.h"
#include "platform/nativepath.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <optional>

namespace {

// A day: beyond it a folder is as good as gone.
constexpr int MaxTimeoutSeconds = 86400;
// The chart picture grows to this at most, whatever --size asks.
constexpr int MaxPictureSide = ChartPictureMaximumSide;

const QString Description =
    QStringLiteral(
        "Shows where the space of a folder goes: a pie chart of its immediate subfolders, each\n"
        "sized by walking it to the bottom.\n"
        "\n"
        "Without output options the window opens, charting FOLDER (or the desktop folder).\n"
        "With --text, --jpg, --xlsx or --json the program charts FOLDER without a window and\n"
        "without a display (always on Qt's offscreen platform), writes each output and ends.\n"
        "\n"
        "FILE: a regular file is written completely or not at all (a new file beside it,\n"
        "renamed over it when complete). - is standard output, for every format; a picture or\n"
        "workbook is refused when standard output is a terminal. A FIFO, a character device\n"
        "or /dev/stdout, /dev/fd/N is written directly; a FIFO nobody reads is waited for\n"
        "%1 seconds. Every FILE is checked before the scan starts.\n"
        "\n"
        "Folders that cannot be opened or read count 0 and are named on standard error (the\n"
        "first 20, then how many more); --json counts them in \"unreadable\".\n"
        "\n"
        "Exit status: 0 success; 1 an output could not be written, or a folder below FOLDER\n"
        "could not be read (the outputs are still written); 2 bad usage, a FILE refused by\n"
        "the checks before the scan, or a FOLDER that cannot be listed.\n"
        "\n"
        "Environment:\n"
        "  QUORVANE_SCAN_THREADS  threads that walk folders, 1 to 256 (default 16)\n"
        "  QUORVANE_SIZE_MEMORY   0: no folder's size is remembered between scans\n"
        "  QUORVANE_HISTORY       0: the window keeps no history of its charts\n"
        "  DISPLAY, WAYLAND_DISPLAY  where the window opens; the outputs never use them\n"
        "  LC_ALL, LC_NUMERIC, LANG  the decimal separator of the sizes shown")
        .arg(FifoReaderWait.count() / 1000);

// The options the Qt application object takes itself; declared so that they pass.
struct QtOption {
    const char *name;
    bool takesValue;
};
constexpr QtOption QtOwnOptions[] = {
    {"platform", true},      {"platformpluginpath", true},
    {"platformtheme", true}, {"plugin", true},
    {"display", true},       {"style", true},
    {"stylesheet", true},    {"qwindowgeometry", true},
    {"qwindowtitle", true},  {"qwindowicon", true},
    {"session", true},       {"reverse", false},
    {"widgetcount", false},  {"nograb", false},
    {"dograb", false},       {"sync", false},
};

// What --help-all adds to --help: the toolkit's own options, which only the window heeds.
const QString QtOptionsHelp =
    QStringLiteral("\n"
                   "Options of the Qt toolkit, for the window only (the outputs ignore them):\n"
                   "  -platform <name>        the display platform (xcb, wayland, offscreen, ...)\n"
                   "  -platformpluginpath, -platformtheme, -plugin <value>\n"
                   "  -display <name>         the X display\n"
                   "  -style <name>, -stylesheet <file>\n"
                   "  -qwindowgeometry <geometry>, -qwindowtitle <title>, -qwindowicon <file>\n"
                   "  -session <id>, -reverse, -widgetcount, -nograb, -dograb, -sync\n");

struct Options {
    QCommandLineOption text{QStringLiteral("text"),
                            QStringLiteral("Write the side text (one line per subfolder, as "
                                           "\"Save Side Text To Text File\" does) to FILE."),
                            QStringLiteral("FILE")};
    QCommandLineOption jpg{QStringLiteral("jpg"),
                           QStringLiteral("Write the chart picture as a JPEG file, as \"Save "
                                          "Chart As JPG\" does."),
                           QStringLiteral("FILE")};
    QCommandLineOption xlsx{QStringLiteral("xlsx"),
                            QStringLiteral("Write a workbook with the chart picture on its first "
                                           "sheet, as \"Export Chart To Excel\" makes it; no "
                                           "spreadsheet program is started."),
                            QStringLiteral("FILE")};
    QCommandLineOption json{QStringLiteral("json"),
                            QStringLiteral("Write the folder, each subfolder's name, path, "
                                           "size in bytes and unreadable folders, the total, "
                                           "the files beside the subfolders and the unreadable "
                                           "count as JSON. A name byte that is not UTF-8 is "
                                           "written as the escape \\udcXX."),
                            QStringLiteral("FILE")};
    QCommandLineOption size{
        QStringLiteral("size"),
        QStringLiteral("Size of the chart picture in pixels, each side from 1 to %1 (default: "
                       "the window's chart, %2x%3). The picture has exactly this size when the "
                       "legend fits; when it does not, the picture grows until it does, to "
                       "%1 pixels a side at most, and a note on standard error gives the size "
                       "written.")
            .arg(MaxPictureSide)
            .arg(ChartPictureMinimumSize.width())
            .arg(ChartPictureMinimumSize.height()),
        QStringLiteral("WxH")};
    QCommandLineOption diskUsage{
        QStringLiteral("disk-usage"),
        QStringLiteral("Make every size of the outputs the space allocated on disk, as du counts "
                       "it (du -s --block-size=1 SUBFOLDER): folders' own blocks included, a "
                       "file with several names counted once per subfolder, sparse files by "
                       "their blocks. Default: file lengths, as the window charts them.")};
    QCommandLineOption timeout{
        QStringLiteral("timeout"),
        QStringLiteral("Give up a folder whose open or read has not returned after SECONDS (a "
                       "network or FUSE volume that stopped answering): it is named on standard "
                       "error, counts 0, the rest is finished and the exit status is 1. FOLDER "
                       "itself not answering is refused. Default: 30."),
        QStringLiteral("SECONDS")};
    ScanFileOptions scanFile;
};

CommandLine badUsage(const QString &problem)
{
    CommandLine line;
    line.action = CommandLine::Action::BadUsage;
    line.text =
        QStringLiteral("quorvane: %1\nTry 'quorvane --help' for more information.\n").arg(problem);
    return line;
}

// A value of "WxH" with both sides from 1 to MaxPictureSide; an invalid size otherwise.
QSize parseSize(const QString &value)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,6})[xX]([0-9]{1,6})$"));
    const QRegularExpressionMatch match = form.match(value);
    if (!match.hasMatch())
        return {};
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (width < 1 || height < 1 || width > MaxPictureSide || height > MaxPictureSide)
        return {};
    return {width, height};
}

struct StandardOptions {
    QCommandLineOption help;
    QCommandLineOption version;
};

// The program's options, Qt's own (hidden, left for the application object) and FOLDER.
StandardOptions addOptions(QCommandLineParser &parser, const Options &options)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(Description);
    StandardOptions standard{parser.addHelpOption(), parser.addVersionOption()};
    for (const QCommandLineOption &option :
         {options.text, options.jpg, options.xlsx, options.json, options.size, options.diskUsage,
          options.timeout, options.scanFile.saveScan, options.scanFile.openScan,
          options.scanFile.compare})
        parser.addOption(option);
    for (const QtOption &own : QtOwnOptions) {
        QCommandLineOption option(QString::fromLatin1(own.name));
        if (own.takesValue)
            option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(QStringLiteral("FOLDER"),
                                 QStringLiteral("The folder to chart, relative to the current "
                                                "folder."),
                                 QStringLiteral("[FOLDER]"));
    return standard;
}

// --help, --help-all and --version answer alone, whatever else is given.
std::optional<CommandLine> helpOrVersion(const QCommandLineParser &parser,
                                         const StandardOptions &standard)
{
    CommandLine line;
    if (parser.isSet(standard.help) || parser.isSet(QStringLiteral("help-all"))) {
        line.action = CommandLine::Action::ShowHelp;
        // Without an application object the parser does not know the program's name.
        line.text = parser.helpText().replace(QStringLiteral("<executable_name>"),
                                              QStringLiteral("quorvane"));
        if (parser.isSet(QStringLiteral("help-all")))
            line.text += QtOptionsHelp;
        return line;
    }
    if (parser.isSet(standard.version)) {
        line.action = CommandLine::Action::ShowVersion;
        line.text = QStringLiteral("quorvane %1\n").arg(QStringLiteral(QUORVANE_VERSION));
        return line;
    }
    return std::nullopt;
}

// Each read below takes one group of options into line, or says what is wrong with it.

QString readFolder(const QCommandLineParser &parser, CommandLine &line)
{
    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1)
        return QStringLiteral("one FOLDER only, got %1").arg(folders.size());
    if (!folders.isEmpty()) {
        if (folders.first().isEmpty())
            return QStringLiteral("the FOLDER is an empty name");
        line.folder = folders.first();
    }
    return {};
}

QString readOutputs(const QCommandLineParser &parser, const Options &options, CommandLine &line)
{
    struct Output {
        const QCommandLineOption &option;
        QString &file;
    };
    const Output outputs[] = {{options.text, line.textFile},
                              {options.jpg, line.jpgFile},
                              {options.xlsx, line.xlsxFile},
                              {options.json, line.jsonFile}};
    int toStandardOutput = 0;
    for (const Output &output : outputs) {
        const QStringList values = parser.values(output.option);
        const QString name = QStringLiteral("--") + output.option.names().first();
        if (values.isEmpty())
            continue;
        if (values.size() > 1)
            return QStringLiteral("%1 is given more than once").arg(name);
        const QString &file = values.first();
        if (file.isEmpty())
            return QStringLiteral("%1 needs a file name").arg(name);
        // Two outputs naming one file in other ways are found when the files are checked.
        if (file == CommandLine::StandardOutput && ++toStandardOutput > 1)
            return QStringLiteral("only one output can go to standard output");
        output.file = file;
    }
    return {};
}

QString readPictureSize(const QCommandLineParser &parser, const Options &options, CommandLine &line)
{
    if (!parser.isSet(options.size))
        return {};
    if (!line.writesPicture())
        return QStringLiteral("--size applies to --jpg and --xlsx only");
    line.pictureSize = parseSize(parser.value(options.size));
    if (!line.pictureSize.isValid())
        return QStringLiteral("--size wants WIDTHxHEIGHT in pixels, each from 1 to %1, not '%2'")
            .arg(MaxPictureSide)
            .arg(parser.value(options.size));
    return {};
}

// --disk-usage and --timeout: how the outputs' folders are walked.
QString readScanLimits(const QCommandLineParser &parser, const Options &options, CommandLine &line)
{
    line.diskUsage = parser.isSet(options.diskUsage);
    if (line.diskUsage && !line.writesOutput())
        return QStringLiteral("--disk-usage applies to the outputs only");
    if (!parser.isSet(options.timeout))
        return {};
    bool number = false;
    const int seconds = parser.value(options.timeout).toInt(&number);
    if (!number || seconds < 1 || seconds > MaxTimeoutSeconds)
        return QStringLiteral("--timeout wants whole seconds from 1 to %1, not '%2'")
            .arg(MaxTimeoutSeconds)
            .arg(parser.value(options.timeout));
    if (!line.writesOutput())
        return QStringLiteral("--timeout applies to the outputs only");
    line.timeout = std::chrono::seconds(seconds);
    return {};
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const Options options;
    const StandardOptions standard = addOptions(parser, options);
    if (!parser.parse(arguments))
        return badUsage(parser.errorText());
    if (const std::optional<CommandLine> shown = helpOrVersion(parser, standard))
        return *shown;

    CommandLine line;
    QString problem = readFolder(parser, line);
    if (problem.isEmpty())
        problem = readOutputs(parser, options, line);
    if (problem.isEmpty())
        problem = readPictureSize(parser, options, line);
    if (problem.isEmpty())
        problem = readScanLimits(parser, options, line);
    if (problem.isEmpty())
        problem = readScanFileOptions(parser, options.scanFile, line);
    if (problem.isEmpty() && line.action != CommandLine::Action::SaveScan && line.writesOutput()) {
        if (line.folder.isEmpty() && line.openScanFile.isEmpty())
            problem = QStringLiteral("the outputs need a FOLDER to chart");
        line.action = CommandLine::Action::Export;
    }
    return problem.isEmpty() ? line : badUsage(problem);
}

QStringList commandLineArguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(pathFromNative(QByteArray(argv[i]))); // a FOLDER may not be UTF-8
    return arguments;
}
