#include "app/form1.h"
#include "app/piechart.h"
#include "app/slicetext.h"
#include "foldersize/foldersize.h"

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

} // namespace

void Form1::GenerateChart()
{
    setProgressText(QStringLiteral("Generating Chart...Please Wait"));
    const int count = std::min(m_Dir1.listCount(), MaxSubfolders);
    if (count == 0) {
        m_MSChart1->setVisible(false);
        return;
    }

    // The folder and its list are taken now: a nested click changes Dir1, and this run must
    // go on naming and sizing its own subfolders until it notices it was replaced.
    const quint64 generation = ++m_generation;
    const RunningGuard running(m_runningGenerations);
    const QString folder = m_Dir1.path();
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries.append(m_Dir1.list(i));

    m_ChartDone = false;
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
        m_ProgressBar1->setValue(int(std::lround(double(i + 1) / count * 100.0)));
        m_MSChart1->setColumn(i + 1);
        m_MSChart1->setColumnLabel(QStringLiteral("Getting folder size..."));
        const SizeAmount size = FolderSize(entries.at(i).toLocal8Bit().toStdString(), yield);
        if (superseded(generation))
            return;
        const QString name = SliceName(entries.at(i), folder);
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
        m_Dir1.setPath(path);
        GenerateChart();
    } catch (const std::exception &) {
        // The chart keeps what it shows. A generation still running underneath owns the busy
        // indicators and puts them back itself.
        if (m_runningGenerations == 0) {
            m_ProgressBar1->setValue(0);
            setMousePointer(Default);
            setProgressText(QStringLiteral("Progress Bar"));
        }
    }
}
