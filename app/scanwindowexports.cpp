#include "app/scanwindow.h"
#include "chart/chartpicture.h"
#include "chart/slicetext.h"
#include "export/chartworkbook.h"
#include "export/savejpg.h"
#include "export/sidetext.h"
#include "export/textfile.h"
#include "export/workbookfile.h"
#include "platform/messagebox.h"
#include "platform/nativepath.h"
#include "platform/runtimeerror.h"
#include "platform/savedialog.h"

#include <QCoreApplication>
#include <QStatusBar>
#include <new>

namespace {

constexpr int BestQuality = 100;

QString form1Text(const char *text)
{
    return QCoreApplication::translate("Form1", text);
}

} // namespace

bool ScanWindow::reported(const std::function<void()> &step)
{
    try {
        step();
        return true;
    } catch (const RuntimeError &error) {
        m_box->show(error.description(), windowTitle(), MessageBox::Icon::Critical);
    } catch (const std::bad_alloc &) {
        m_box->show(QCoreApplication::translate("RuntimeError", "Out of memory"), windowTitle(),
                    MessageBox::Icon::Critical);
    }
    return false;
}

void ScanWindow::saveChartAsJpg()
{
    m_saveDialog->setFileName(QString());
    m_saveDialog->setDialogTitle(form1Text("Save Chart As JPG"));
    m_saveDialog->setFilter(form1Text("JPG Files (*.jpg)|*.jpg|"));
    m_saveDialog->showSave();
    const QString file = m_saveDialog->fileName();
    if (file.isEmpty())
        return;
    reported(
        [&] { SaveJPG(ChartPicture(m_model, FolderSizesTitle(), palette()), file, BestQuality); });
}

void ScanWindow::saveSideText()
{
    m_saveDialog->setFileName(QString());
    m_saveDialog->setDialogTitle(form1Text("Save"));
    m_saveDialog->setFilter(form1Text("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
    m_saveDialog->showSave();
    const QString file = m_saveDialog->fileName();
    if (file.isEmpty())
        return;
    reported([&] { WriteTextFile(sideTextFileText(SideTextLines(m_model)), file); });
}

// A new workbook never replaces one: it takes the next free "Folder Sizes N.xlsx".
void ScanWindow::exportWorkbook()
{
    QString file;
    const bool written = reported([&] {
        const QImage picture = ChartPicture(m_model, FolderSizesTitle(), palette());
        const QString folder = defaultWorkbookFolder();
        file = reserveWorkbookFile(folder, workbookFileMode(folder));
        writeChartWorkbook(picture, nativePath(file));
    });
    if (written)
        statusBar()->showMessage(tr("Workbook written to %1").arg(displayPath(file)), 15000);
}
