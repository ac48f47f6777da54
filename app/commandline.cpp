#include "app/commandline.h"

#include "platform/nativepath.h"

#include <QCommandLineParser>
#include <QDir>
#include <QRegularExpression>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Beyond this a picture costs gigabytes of memory before it is encoded.
constexpr int MaxPictureSide = 16384;

const QString Description = QStringLiteral(
    "Shows where the space of a folder goes: a pie chart of its immediate subfolders, each\n"
    "sized by walking it to the bottom.\n"
    "\n"
    "Without output options the window opens, charting FOLDER (or the desktop folder).\n"
    "With --text, --jpg, --xlsx or --json the program charts FOLDER without a window,\n"
    "writes each output and ends. A FILE of - is standard output (--text and --json).\n"
    "An output is written completely or not at all; an existing FILE is replaced only\n"
    "when the new one is complete.\n"
    "\n"
    "Exit status: 0 success, 1 an output could not be written, 2 bad usage or a FOLDER\n"
    "that cannot be listed.");

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
                            QStringLiteral("Write the folder, each subfolder's name, path and "
                                           "size in bytes, and the total as JSON."),
                            QStringLiteral("FILE")};
    QCommandLineOption size{QStringLiteral("size"),
                            QStringLiteral("Size of the chart picture in pixels (default: the "
                                           "window's chart, 634x448)."),
                            QStringLiteral("WxH")};
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

QString absolute(const QString &file)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(file));
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(Description);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    Options options;
    for (const QCommandLineOption &option :
         {options.text, options.jpg, options.xlsx, options.json, options.size})
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

    if (!parser.parse(arguments))
        return badUsage(parser.errorText());

    CommandLine line;
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        line.action = CommandLine::Action::ShowHelp;
        // Without an application object the parser does not know the program's name.
        line.text = parser.helpText().replace(QStringLiteral("<executable_name>"),
                                              QStringLiteral("quorvane"));
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::ShowVersion;
        line.text = QStringLiteral("quorvane %1\n").arg(QStringLiteral(QUORVANE_VERSION));
        return line;
    }

    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1)
        return badUsage(QStringLiteral("one FOLDER only, got %1").arg(folders.size()));
    if (!folders.isEmpty()) {
        if (folders.first().isEmpty())
            return badUsage(QStringLiteral("the FOLDER is an empty name"));
        line.folder = folders.first();
    }

    struct Output {
        const QCommandLineOption &option;
        QString &file;
        bool mayBeStandardOutput;
    };
    const Output outputs[] = {{options.text, line.textFile, true},
                              {options.jpg, line.jpgFile, false},
                              {options.xlsx, line.xlsxFile, false},
                              {options.json, line.jsonFile, true}};
    QStringList written;
    for (const Output &output : outputs) {
        const QStringList values = parser.values(output.option);
        const QString name = QStringLiteral("--") + output.option.names().first();
        if (values.isEmpty())
            continue;
        if (values.size() > 1)
            return badUsage(QStringLiteral("%1 is given more than once").arg(name));
        const QString &file = values.first();
        if (file.isEmpty())
            return badUsage(QStringLiteral("%1 needs a file name").arg(name));
        if (file == CommandLine::StandardOutput && !output.mayBeStandardOutput)
            return badUsage(QStringLiteral("%1 cannot write to standard output; name a file "
                                           "(./- for a file called -)")
                                .arg(name));
        const QString target =
            file == CommandLine::StandardOutput ? CommandLine::StandardOutput : absolute(file);
        if (written.contains(target))
            return badUsage(file == CommandLine::StandardOutput
                                ? QStringLiteral("only one output can go to standard output")
                                : QStringLiteral("two outputs would write %1").arg(file));
        written.append(target);
        output.file = file;
    }

    if (parser.isSet(options.size)) {
        if (!line.writesPicture())
            return badUsage(QStringLiteral("--size applies to --jpg and --xlsx only"));
        line.pictureSize = parseSize(parser.value(options.size));
        if (!line.pictureSize.isValid())
            return badUsage(QStringLiteral("--size wants WIDTHxHEIGHT in pixels, each from 1 "
                                           "to %1, not '%2'")
                                .arg(MaxPictureSide)
                                .arg(parser.value(options.size)));
    }

    if (!written.isEmpty()) {
        if (line.folder.isEmpty())
            return badUsage(QStringLiteral("the outputs need a FOLDER to chart"));
        line.action = CommandLine::Action::Export;
    }
    return line;
}

QStringList commandLineArguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(pathFromNative(QByteArray(argv[i]))); // a FOLDER may not be UTF-8
    return arguments;
}

QString folderProblem(const QString &folder)
{
    const QByteArray path = nativePath(folder);
    struct stat status {};
    if (::stat(path.constData(), &status) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISDIR(status.st_mode))
        return QStringLiteral("not a folder");
    // A folder is opened with O_DIRECTORY, which never blocks the way a FIFO would.
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    DIR *listing = ::fdopendir(fd);
    if (!listing) {
        const int error = errno;
        ::close(fd);
        return QString::fromLocal8Bit(std::strerror(error));
    }
    ::closedir(listing);
    return {};
}

QString windowStartFolder(const QString &folder)
{
    char *resolved = ::realpath(nativePath(folder).constData(), nullptr);
    const QString real = resolved ? pathFromNative(resolved) : QDir::cleanPath(folder);
    std::free(resolved);
    return real.endsWith(u'/') ? real : real + u'/';
}
