#include "app/errorreport.h"
#include "app/form1.h"
#include "app/reentryguard.h"
#include "app/steprunner.h"
#include "chart/piechart.h"
#include "export/deletefilequiet.h"
#include "export/savejpg.h"
#include "export/tempbitmap.h"
#include "platform/savedialog.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>

namespace {
constexpr int BestQuality = 100;
} // namespace

void Form1::PushButton1_Click()
{
    const ReentryGuard guard(m_exportRunning);
    if (!guard.entered())
        return;

    SaveDialog &dialog = CommonDialog1();
    const QString bitmap = tempBitmapPath();
    StepRunner steps(messageBox(), ErrorLocation::PushButton1_Click);
    steps.run(106, [&] { dialog.setFileName(QString()); });
    steps.run(108, [&] {
        dialog.setDialogTitle(tr("Add File(s) - Hold Ctrl to select multiple files"));
    });
    steps.run(110, [&] { dialog.setFilter(tr("JPG Files (*.jpg)|*.jpg|")); });
    steps.run(112, [&] { dialog.showSave(); });
    steps.run(114, [&] {
        if (dialog.fileName().isEmpty())
            steps.end();
    });
    steps.run(116, [&] { m_MSChart1->copyPicture(); });
    steps.run(118, [&] { saveTempBitmap(QApplication::clipboard()->image(), bitmap); });
    steps.run(120, [&] {
        // Emptied first: when the bitmap cannot be read, step 122 must fail rather than save
        // the picture of an earlier export under the new name.
        m_Creator->clear();
        m_Creator->setPixmap(QPixmap::fromImage(loadTempBitmap(bitmap)));
    });
    steps.run(122, [&] { SaveJPG(m_Creator->pixmap().toImage(), dialog.fileName(), BestQuality); });
    steps.run(124, [&] {
        if (!tempBitmapExists(bitmap))
            steps.end();
    });
    steps.run(126, [&] { DeleteFileQuiet(bitmap); });
}
