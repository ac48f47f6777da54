#include "export/spreadsheet.h"

#include "export/chartworkbook.h"
#include "export/fileerror.h"
#include "export/tempbitmap.h"
#include "platform/launcher.h"
#include "platform/runtimeerror.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <cstring>
#include <unistd.h>
#include <xlsxwriter.h>

namespace {

[[noreturn]] void raiseNotSet(const QString &missing)
{
    throw RuntimeError(RuntimeErrorNumber::ObjectNotSet,
                       QStringLiteral("Object variable not set: %1").arg(missing));
}

QString libraryError(lxw_error error)
{
    return QString::fromLatin1(lxw_strerror(error));
}

} // namespace

Spreadsheet::Spreadsheet(SpreadsheetLocator &locator, Launcher &launcher, QString workbookFolder)
    : m_locator(locator), m_launcher(launcher), m_workbookFolder(std::move(workbookFolder))
{}

Spreadsheet::~Spreadsheet()
{
    discardWorkbook();
}

void Spreadsheet::createApplication()
{
    m_program = m_locator.find();
    if (!m_program)
        throw RuntimeError(RuntimeErrorNumber::CannotCreateObject,
                           QStringLiteral("Cannot create the spreadsheet application: no "
                                          "spreadsheet program found (install LibreOffice "
                                          "Calc or Gnumeric)"));
}

void Spreadsheet::addWorkbook()
{
    if (!m_program)
        raiseNotSet(QStringLiteral("no spreadsheet application"));
    discardWorkbook();

    const mode_t mode = workbookFileMode(m_workbookFolder);
    const QString path = reserveWorkbookFile(m_workbookFolder, mode);
    // The library writes the whole file only when the workbook is closed, to a name it is
    // given; that is a new file beside the reserved name, which replaces it once complete.
    m_workbookPath = path;
    m_save = std::make_unique<PendingSave>(path, mode);
    if (const SaveResult made = m_save->status(); !made.ok()) {
        discardWorkbook();
        throw saveError(made, path);
    }
    m_workbook = workbook_new(m_save->newFileName().constData());
    if (m_workbook)
        m_firstSheet = workbook_add_worksheet(m_workbook, nullptr);
    if (!m_firstSheet) {
        discardWorkbook();
        throw RuntimeError(RuntimeErrorNumber::OutOfMemory,
                           QStringLiteral("Out of memory: cannot start a workbook"));
    }
}

void Spreadsheet::selectFirstWorksheet()
{
    if (!m_workbook)
        raiseNotSet(QStringLiteral("no workbook"));
    m_worksheet = m_firstSheet;
}

void Spreadsheet::insertPicture(const QString &bitmapPath)
{
    if (!m_worksheet)
        raiseNotSet(QStringLiteral("no worksheet"));

    m_pictures.append(workbookPicture(loadTempBitmap(bitmapPath)));
    placeChartPicture(m_worksheet, m_pictures.last());
}

void Spreadsheet::makeVisible()
{
    if (!m_program)
        raiseNotSet(QStringLiteral("no spreadsheet application"));

    QStringList arguments = m_program->arguments;
    if (m_workbook) {
        lxw_workbook *workbook = std::exchange(m_workbook, nullptr);
        m_firstSheet = m_worksheet = nullptr;
        const lxw_error error = workbook_close(workbook); // writes and frees
        m_pictures.clear();
        QString failure;
        if (error != LXW_NO_ERROR)
            failure = libraryError(error);
        else if (const SaveResult saved = m_save->commit(); !saved.ok())
            failure = QString::fromLocal8Bit(std::strerror(saved.error));
        if (!failure.isEmpty()) {
            const QString path = m_workbookPath;
            discardWorkbook();
            throw RuntimeError(RuntimeErrorNumber::DeviceIoError,
                               QStringLiteral("Device I/O error: cannot write the workbook %1 (%2)")
                                   .arg(path, failure));
        }
        m_save.reset();
        arguments = m_program->argumentsFor(m_workbookPath);
    } else if (m_program->fileArgument >= 0) {
        arguments.removeAt(m_program->fileArgument);
    }

    if (!m_launcher.startProgram(m_program->program, arguments))
        throw RuntimeError(
            RuntimeErrorNumber::CannotCreateObject,
            QStringLiteral("Cannot start the spreadsheet program %1").arg(m_program->program));
}

void Spreadsheet::discardWorkbook()
{
    if (m_workbook)
        lxw_workbook_free(m_workbook);
    m_workbook = nullptr;
    m_firstSheet = m_worksheet = nullptr;
    m_pictures.clear();
    if (!m_save)
        return;
    m_save.reset();
    // Only the empty file reserved for it exists; nothing of the user's is lost.
    ::unlink(QFile::encodeName(m_workbookPath).constData());
    m_workbookPath.clear();
}
