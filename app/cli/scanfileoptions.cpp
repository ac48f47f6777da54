#include "app/cli/scanfileoptions.h"

namespace {

QString readSaveScan(const QCommandLineParser &parser, const ScanFileOptions &options,
                     CommandLine &line)
{
    if (!parser.isSet(options.saveScan))
        return {};
    const QStringList values = parser.values(options.saveScan);
    if (values.size() > 1)
        return QStringLiteral("--save-scan is given more than once");
    if (values.first().isEmpty())
        return QStringLiteral("--save-scan needs a file name");
    if (line.writesOutput())
        return QStringLiteral("--save-scan writes no other output");
    if (line.folder.isEmpty())
        return QStringLiteral("--save-scan needs a FOLDER to scan");
    line.saveScanFile = values.first();
    line.action = CommandLine::Action::SaveScan;
    return {};
}

QString readOpenScan(const QCommandLineParser &parser, const ScanFileOptions &options,
                     CommandLine &line)
{
    if (!parser.isSet(options.openScan))
        return {};
    const QStringList values = parser.values(options.openScan);
    if (values.size() > 1)
        return QStringLiteral("--open-scan is given more than once");
    if (values.first().isEmpty())
        return QStringLiteral("--open-scan needs a file name");
    if (line.action == CommandLine::Action::SaveScan)
        return QStringLiteral("--save-scan writes no other output");
    line.openScanFile = values.first();
    return {};
}

QString readCompare(const QCommandLineParser &parser, const ScanFileOptions &options,
                    CommandLine &line)
{
    if (!parser.isSet(options.compare))
        return {};
    const QStringList values = parser.values(options.compare);
    if (values.size() > 1)
        return QStringLiteral("--compare is given more than once");
    if (values.first().isEmpty())
        return QStringLiteral("--compare needs a scan file or \"history\"");
    if (!line.writesOutput() || line.action == CommandLine::Action::SaveScan)
        return QStringLiteral("--compare applies to --json, --text, --jpg and --xlsx");
    line.compareWith = values.first();
    return {};
}

} // namespace

QString readScanFileOptions(const QCommandLineParser &parser, const ScanFileOptions &options,
                            CommandLine &line)
{
    QString problem = readSaveScan(parser, options, line);
    if (problem.isEmpty())
        problem = readOpenScan(parser, options, line);
    if (problem.isEmpty())
        problem = readCompare(parser, options, line);
    return problem;
}
