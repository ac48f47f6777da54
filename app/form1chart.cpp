#include "app/form1.h"
#include "app/piechart.h"
#include "app/slicetext.h"
#include "foldersize/foldersize.h"
#include "platform/drives.h"
#include "platform/nativepath.h"

#include <QLabel>
#include <QProgressBar>
#include <cmath>
#include <exception>

namespace {

// The subfolder count is a 16-bit quantity; a larger folder shows its first 32767.
constexpr int MaxSubfolders = 32767;

// Counts the generations under way, also when one leaves by an exception.
class RunningGuard {
public:
    explicit RunningGuard(int &count) : m_count(count) { ++m_count; }
    ~RunningGuard() { --m_count; }
    RunningGuard(const RunningGuard &) = delete;
    RunningGuard &operator=(const RunningGuard &) = delete;

private:
    int &m_count;
};

// The last component of a folder's path; the root keeps its separator.
QString folderName(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 || slash == path.size() - 1 ? path : path.mid(slash + 1);
}

// A progress bar repaints itself at once whenever its value moves far enough. Between two
// subfolders that paint would hold the walk up (a few milliseconds each time, about a
// twentieth of a chart of twenty large subfolders); with updates off for the change the
// paint is only scheduled, and the next pump does it while the next subfolder is walked.
void setValueLater(QProgressBar &bar, int value)
{
    bar.setUpdatesEnabled(false);
    bar.setValue(value);
    bar.setUpdatesEnabled(true);
}

} // namespace

// A folder chosen while a generation runs (from inside one of its yields) replaces it at
// once, but is charted only after the replaced generation has unwound, by the outermost one:
// a held arrow key thus never piles up generations, each with its stack and open folders.
// A folder without subfolders needs no scan and is shown at once.
void Form1::GenerateChart()
{
    if (m_runningGenerations > 0) {
        if (std::min(m_Dir1.listCount(), MaxSubfolders) == 0) {
            chartDir1();
            return;
        }
        ++m_generation;
        m_generationPending = true;
        return;
    }
    do {
        m_generationPending = false;
        chartDir1();
    } while (m_generationPending && !m_ending);
}

void Form1::chartDir1()
{
    setProgressText(QStringLiteral("Generating Chart...Please Wait"));
    const int count = std::min(m_Dir1.listCount(), MaxSubfolders);
    if (count == 0) {
        m_MSChart1->setVisible(false);
        m_NoSubfolders->setText(QStringLiteral("No subfolders in ") + folderName(m_Dir1.path()));
        m_NoSubfolders->show();
        return;
    }

    // The folder and its list are taken now: a later click changes Dir1, and this run must
    // go on naming and sizing its own subfolders until it notices it was replaced.
    const quint64 generation = ++m_generation;
    const RunningGuard running(m_runningGenerations);
    const QString folder = m_Dir1.path();
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries.append(m_Dir1.list(i));

    m_ChartDone = false;
    m_NoSubfolders->hide();
    m_MSChart1->setVisible(true);
    m_MSChart1->setRowCount(1);
    show();
    m_SideTextLines = QStringList();
    const auto yield = [this, generation] {
        m_pump.yieldIfDue();
        return superseded(generation) ? ScanControl::Stop : ScanControl::Continue;
    };
    for (int i = 0; i < count; ++i) {
        m_MSChart1->setColumnCount(i + 1);
        setMousePointer(Hourglass);
        setValueLater(*m_ProgressBar1, int(std::lround(double(i + 1) / count * 100.0)));
        m_MSChart1->setColumn(i + 1);
        m_MSChart1->setColumnLabel(QStringLiteral("Getting folder size..."));
        const QString name = displayPath(SliceName(entries.at(i), folder));
        m_MSChart1->setColumnFolder(name, entries.at(i));
        const SizeAmount size = FolderSize(nativePath(entries.at(i)).toStdString(), yield);
        if (superseded(generation))
            return;
        const QString sizeText = SliceSizeText(size);
        m_MSChart1->setData(SliceValue(size));
        m_MSChart1->setColumnLabelCount(i + 1);
        m_MSChart1->setColumnLabel(SliceLabel(name, sizeText));
        m_SideTextLines->append(SideTextLine(name, sizeText));
        m_pump.yieldIfDue();
        if (superseded(generation))
            return;
    }
    finishGeneration();
}

void Form1::finishGeneration()
{
    m_ProgressBar1->setValue(0);
    setMousePointer(Default);
    m_ChartDone = true;
    setProgressText(QStringLiteral("Progress Bar"));
}

void Form1::TreeFolder1_FolderClick(const QString &path)
{
    try {
        // Listing a folder on a volume that stopped answering (a share whose server is gone)
        // would hold the window for ever: it is refused like a folder that cannot be listed.
        if (!m_environment.drives->answers(path)) {
            refuseFolder();
            return;
        }
        m_Dir1.setPath(path);
        GenerateChart();
    } catch (const std::exception &) {
        refuseFolder();
    }
}

// The chart keeps what it shows. A generation still running underneath owns the busy
// indicators and puts them back itself.
void Form1::refuseFolder()
{
    if (m_runningGenerations == 0) {
        m_ProgressBar1->setValue(0);
        setMousePointer(Default);
        setProgressText(QStringLiteral("Progress Bar"));
    }
}
