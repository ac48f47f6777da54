#include "export/desktopspreadsheetlocator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

namespace {

const QString xlsxMimeType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

QStringList pathFolders()
{
    return QFile::decodeName(qgetenv("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

// The default application's entry id, as xdg-utils knows it. A missing or hanging xdg-mime
// is no default at all.
QString queryXdgMime()
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return {};
    QProcess process;
    process.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), xlsxMimeType});
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput())
        .section(QLatin1Char('\n'), 0, 0)
        .trimmed();
}

// The Exec value of the [Desktop Entry] group; empty when the entry is hidden or has none.
QString desktopEntryExec(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    bool inMainGroup = false;
    QString exec;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Hidden") && value == QLatin1String("true"))
            return {};
        if (key == QLatin1String("Exec"))
            exec = value;
    }
    return exec;
}

} // namespace

DesktopSpreadsheetLocator::Desktop DesktopSpreadsheetLocator::systemDesktop()
{
    Desktop desktop;
    desktop.defaultEntryId = queryXdgMime;
    for (const QString &data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        desktop.applicationFolders.append(data + QStringLiteral("/applications"));
    desktop.searchPath = pathFolders();
    return desktop;
}

std::optional<SpreadsheetProgram> DesktopSpreadsheetLocator::find()
{
    if (auto program = fromDefaultEntry())
        return program;

    struct Candidate {
        QString name;
        QStringList arguments;
    };
    const Candidate candidates[] = {
        {QStringLiteral("localc"), {}},
        {QStringLiteral("libreoffice"), {QStringLiteral("--calc")}},
        {QStringLiteral("gnumeric"), {}},
    };
    for (const Candidate &candidate : candidates) {
        const QString found = executable(candidate.name);
        if (!found.isEmpty())
            return SpreadsheetProgram{found, candidate.arguments, -1};
    }
    return std::nullopt;
}

std::optional<SpreadsheetProgram> DesktopSpreadsheetLocator::fromDefaultEntry() const
{
    const QString id = m_desktop.defaultEntryId ? m_desktop.defaultEntryId() : QString();
    if (id.isEmpty() || id.contains(QLatin1String("..")))
        return std::nullopt;

    // An id "vendor-app.desktop" may also live at vendor/app.desktop.
    QStringList relativeNames{id};
    if (id.contains(QLatin1Char('-')))
        relativeNames.append(QString(id).replace(QLatin1Char('-'), QLatin1Char('/')));
    for (const QString &folder : m_desktop.applicationFolders) {
        for (const QString &relative : relativeNames) {
            const QString entry = folder + QLatin1Char('/') + relative;
            if (!QFileInfo(entry).isFile())
                continue;
            // The first entry found for an id wins, even when it is unusable, as the
            // desktop itself would treat it.
            auto program = parseDesktopExec(desktopEntryExec(entry));
            if (!program)
                return std::nullopt;
            program->program = executable(program->program);
            if (program->program.isEmpty())
                return std::nullopt;
            return program;
        }
    }
    return std::nullopt;
}

QString DesktopSpreadsheetLocator::executable(const QString &program) const
{
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.isAbsolute() && info.isFile() && info.isExecutable() ? program : QString();
    }
    // findExecutable() treats an empty list as "use PATH"; an empty search path finds nothing.
    if (m_desktop.searchPath.isEmpty())
        return {};
    return QStandardPaths::findExecutable(program, m_desktop.searchPath);
}
