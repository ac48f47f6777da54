#include "app/form1.h"
#include "app/livechart.h"
#include "chart/piechart.h"
#include "chart/slicetext.h"
#include "platform/drives.h"

#include <QLabel>
#include <QProgressBar>
#include <cmath>

QString chartFolderName(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 || slash == path.size() - 1 ? path : path.mid(slash + 1);
}

namespace {

// A progress bar repaints itself at once whenever its value moves far enough. Between two
// subfolders that paint would hold the GUI thread up; with updates off for the change the
// paint is only scheduled, and the event loop does it with the others.
void setValueLater(QProgressBar &bar, int value)
{
    bar.setUpdatesEnabled(false);
    bar.setValue(value);
    bar.setUpdatesEnabled(true);
}

} // namespace

void Form1::connectGeneration()
{
    connect(&m_generation, &ChartGeneration::listed, this, &Form1::GenerateChart);
    connect(&m_generation, &ChartGeneration::refused, this, &Form1::folderRefused);
    connect(&m_generation, &ChartGeneration::subfolderStarting, this, &Form1::beginSubfolder);
    connect(&m_generation, &ChartGeneration::finished, this, &Form1::finishGeneration);
}

void Form1::TreeFolder1_FolderClick(const QString &path)
{
    m_subfolderToOpen.clear(); // the user went elsewhere
    if (m_ending)
        return;
    // Listing a folder on a volume that stopped answering (a share whose server is gone)
    // would never end: it is refused like a folder that cannot be listed.
    if (!m_environment.drives->answers(path)) {
        refuseFolder();
        return;
    }
    // The folder is still being listed: it will be charted once, as soon as it is.
    if (m_generation.listing() && m_generation.listingFolder() == path)
        return;
    chartFolder(path);
}

// The folder is listed off the GUI thread. Until the listing is back, a generation under way
// shows nothing more: if the new folder has subfolders it replaces that generation, which
// then must not have moved on after the click. The window is busy from the click on: a
// listing on a slow volume may take a while.
void Form1::chartFolder(const QString &path, bool startUp)
{
    m_startUp = startUp;
    m_liveChart->stop();
    setProgressText(tr("Generating Chart...Please Wait"));
    setMousePointer(Hourglass);
    m_generation.start(path, {m_environment.stallBound});
}

// At start-up a folder that cannot be listed is charted as Dir1 shows it.
void Form1::folderRefused()
{
    if (m_startUp)
        GenerateChart(Dir1().path(), 0);
    else
        refuseFolder();
}

// The folder's listing came. A folder without subfolders needs no scan: the chart is hidden
// at once, and a generation under way goes on with its own folder.
void Form1::GenerateChart(const QString &folder, int count)
{
    setProgressText(tr("Generating Chart...Please Wait"));
    if (count == 0) {
        m_MSChart1->setVisible(false);
        m_NoSubfolders->setText(tr("No subfolders in %1").arg(chartFolderName(folder)));
        m_NoSubfolders->show();
        // The pointer was the click's; a generation still running keeps it.
        if (!m_generation.running())
            setMousePointer(Default);
        return;
    }
    m_ChartDone = false;
    compareWithHistory(folder);
    m_NoSubfolders->hide();
    m_MSChart1->setVisible(true);
    show();
}

// The steps before a subfolder's total: the busy pointer and the share of subfolders begun
// (this one included); the generation then labels its slice as being sized.
void Form1::beginSubfolder(int index)
{
    setMousePointer(Hourglass);
    setValueLater(*m_ProgressBar1, int(std::lround(double(index + 1) / m_chart.count() * 100.0)));
}

void Form1::finishGeneration()
{
    m_ProgressBar1->setValue(0);
    setMousePointer(Default);
    m_ChartDone = true;
    setProgressText(tr("Progress Bar"));
    m_liveChart->follow();
    recordLook();
}

std::optional<QStringList> Form1::SideTextLines() const
{
    if (m_chart.generation() == 0)
        return std::nullopt;
    return ::SideTextLines(m_chart);
}

// The chart keeps what it shows. A generation still running owns the busy indicators and
// puts them back itself.
void Form1::refuseFolder()
{
    if (!m_generation.running()) {
        m_ProgressBar1->setValue(0);
        setMousePointer(Default);
        setProgressText(tr("Progress Bar"));
    }
}
