#include "app/form1.h"
#include "chart/piechart.h"
#include "chart/slicetext.h"
#include "platform/drives.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <cmath>
#include <exception>

namespace {

// Totals that arrive together are shown over several turns of the event loop, this long
// each at most, so that input and repaints wait no longer than about half a frame.
constexpr qint64 ApplyBudgetNs = 8'000'000;

// The last component of a folder's path; the root keeps its separator.
QString folderName(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 || slash == path.size() - 1 ? path : path.mid(slash + 1);
}

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
    chartFolder(path);
}

// The folder is listed off the GUI thread. Until the listing is back, a generation under way
// shows nothing more: if the new folder has subfolders it replaces that generation, which
// then must not have moved on after the click.
void Form1::chartFolder(const QString &path, bool startUp)
{
    const quint64 request = ++m_request;
    m_listing = true;
    listFolderLater(path, this, [this, request, startUp](FolderListing listing) {
        folderListed(request, std::move(listing), startUp);
    });
}

void Form1::folderListed(quint64 request, FolderListing listing, bool startUp)
{
    if (request != m_request || m_ending)
        return; // a later folder was chosen meanwhile
    m_listing = false;
    if (!listing.listed && startUp) {
        GenerateChart();
    } else if (!listing.listed) {
        refuseFolder();
    } else {
        m_Dir1 = std::move(listing.list);
        m_listed = std::move(listing.subfolders);
        GenerateChart();
    }
    // A generation that was not replaced goes on.
    if (m_running && !m_applyTimer.isActive())
        m_applyTimer.start();
}

// A folder without subfolders needs no scan: the chart is hidden at once, and a generation
// under way goes on with its own folder.
void Form1::GenerateChart()
{
    setProgressText(QStringLiteral("Generating Chart...Please Wait"));
    const int count = int(m_listed.size());
    if (count == 0) {
        m_MSChart1->setVisible(false);
        m_NoSubfolders->setText(QStringLiteral("No subfolders in ") + folderName(m_Dir1.path()));
        m_NoSubfolders->show();
        return;
    }

    QList<QByteArray> paths;
    paths.reserve(count);
    for (const ChartModel::Subfolder &subfolder : std::as_const(m_listed))
        paths.append(subfolder.path);
    m_chartScan.stop();
    m_applyTimer.stop();
    m_ready.assign(std::size_t(count), std::nullopt);
    m_next = 0;
    m_running = true;
    m_ChartDone = false;
    m_chart.reset(++m_generation, m_Dir1.path(), std::exchange(m_listed, {}));
    m_NoSubfolders->hide();
    m_MSChart1->setVisible(true);
    show();
    m_chartScan.start(paths);
    beginSubfolder(0);
}

// The steps before a subfolder's total: the busy pointer, the share of subfolders begun
// (this one included), and its slice labelled as being sized.
void Form1::beginSubfolder(int index)
{
    setMousePointer(Hourglass);
    setValueLater(*m_ProgressBar1, int(std::lround(double(index + 1) / m_chart.count() * 100.0)));
    m_chart.setSizing(index);
}

void Form1::subfolderSized(int index, qint64 bytes)
{
    if (!m_running || index < 0 || std::size_t(index) >= m_ready.size())
        return;
    m_ready[std::size_t(index)] = bytes;
    if (index == m_next && !m_applyTimer.isActive())
        m_applyTimer.start();
}

// Shows the totals that are there in list order, each followed by the first steps of the
// next subfolder, for as long as the budget allows; the timer brings the rest.
void Form1::applyReadyTotals()
{
    QElapsedTimer budget;
    budget.start();
    // A step may lead to a click or a close (a handler of the model's signals): the loop
    // stops at once then, as after a click between two turns of the event loop.
    while (m_running && !m_listing && !m_ending && m_next < m_chart.count() &&
           m_ready[std::size_t(m_next)]) {
        if (budget.nsecsElapsed() > ApplyBudgetNs) {
            m_applyTimer.start();
            return;
        }
        m_chart.setDone(m_next, *m_ready[std::size_t(m_next)]);
        if (++m_next == m_chart.count()) {
            finishGeneration();
            return;
        }
        beginSubfolder(m_next);
    }
}

void Form1::finishGeneration()
{
    m_running = false;
    m_chartScan.stop();
    m_ProgressBar1->setValue(0);
    setMousePointer(Default);
    m_ChartDone = true;
    setProgressText(QStringLiteral("Progress Bar"));
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
    if (!m_running) {
        m_ProgressBar1->setValue(0);
        setMousePointer(Default);
        setProgressText(QStringLiteral("Progress Bar"));
    }
}
