#include "export/chartworkbook.h"

#include "platform/runtimeerror.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <xlsxwriter.h>

namespace {

QString libraryError(lxw_error error)
{
    return QString::fromLatin1(lxw_strerror(error));
}

} // namespace

QByteArray workbookPicture(const QImage &picture)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (picture.isNull() || !QImageWriter(&buffer, QByteArrayLiteral("png")).write(picture))
        throw RuntimeError(RuntimeErrorNumber::InvalidPicture,
                           QStringLiteral("Invalid picture: the chart picture cannot be encoded"));
    return png;
}

void placeChartPicture(lxw_worksheet *worksheet, const QByteArray &png)
{
    const lxw_error error = worksheet_insert_image_buffer(
        worksheet, 0, 0, reinterpret_cast<const unsigned char *>(png.constData()),
        static_cast<size_t>(png.size()));
    if (error != LXW_NO_ERROR)
        throw RuntimeError(RuntimeErrorNumber::SpreadsheetError,
                           QStringLiteral("Cannot place the picture on the worksheet: %1")
                               .arg(libraryError(error)));
    // A large chart would otherwise be cut across several printed pages.
    worksheet_fit_to_pages(worksheet, 1, 1);
}

void writeChartWorkbook(const QImage &picture, const QByteArray &fileName)
{
    const QByteArray png = workbookPicture(picture);
    lxw_workbook *workbook = workbook_new(fileName.constData());
    lxw_worksheet *worksheet = workbook ? workbook_add_worksheet(workbook, nullptr) : nullptr;
    if (!worksheet) {
        lxw_workbook_free(workbook);
        throw RuntimeError(RuntimeErrorNumber::OutOfMemory,
                           QStringLiteral("Out of memory: cannot start a workbook"));
    }
    try {
        placeChartPicture(worksheet, png);
    } catch (...) {
        lxw_workbook_free(workbook);
        throw;
    }
    const lxw_error error = workbook_close(workbook); // writes and frees
    if (error != LXW_NO_ERROR)
        throw RuntimeError(RuntimeErrorNumber::DeviceIoError,
                           QStringLiteral("Device I/O error: cannot write the workbook (%1)")
                               .arg(libraryError(error)));
}
