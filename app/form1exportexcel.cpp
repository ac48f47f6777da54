#include "app/errorreport.h"
#include "app/form1.h"
#include "app/reentryguard.h"
#include "app/steprunner.h"
#include "chart/piechart.h"
#include "export/deletefilequiet.h"
#include "export/spreadsheet.h"
#include "export/tempbitmap.h"

#include <QApplication>
#include <QClipboard>

void Form1::PushButton3_Click()
{
    const ReentryGuard guard(m_exportRunning);
    if (!guard.entered())
        return;

    // A new application object on every press, so every press opens a new workbook; one
    // that was never shown is discarded with its file when the handler ends.
    Spreadsheet sheet(*m_environment.spreadsheetLocator, launcher(), m_environment.workbookFolder);
    const QString bitmap = tempBitmapPath();
    StepRunner steps(messageBox(), ErrorLocation::PushButton3_Click);
    steps.run(106, [&] { sheet.createApplication(); });
    steps.run(108, [&] { sheet.addWorkbook(); });
    steps.run(110, [&] { sheet.selectFirstWorksheet(); });
    steps.run(112, [&] { m_MSChart1->copyPicture(); });
    steps.run(114, [&] { saveTempBitmap(QApplication::clipboard()->image(), bitmap); });
    steps.run(116, [&] { sheet.insertPicture(bitmap); });
    steps.run(118, [&] { sheet.makeVisible(); });
    steps.run(120, [&] {
        if (!tempBitmapExists(bitmap))
            steps.end();
    });
    steps.run(122, [&] { DeleteFileQuiet(bitmap); });
}
