#include "chart/chartscan.h"

#include "foldersize/sizescan.h"

#include <QMetaObject>

ChartScan::~ChartScan()
{
    stop();
}

// The callbacks reach this object only while its scan runs: stop() returns once none can
// run any more, and calls already queued for it are dropped by their run number, or by Qt
// when the object is gone.
void ChartScan::start(const QList<QByteArray> &paths)
{
    stop();
    const quint64 run = ++m_run;
    std::vector<std::string> folders;
    folders.reserve(std::size_t(paths.size()));
    for (const QByteArray &path : paths)
        folders.push_back(path.toStdString());
    m_scan = SizeScan::start(
        std::move(folders),
        [this, run](std::size_t index, const FolderTotal &total) {
            const qint64 bytes = total.bytes.bytes();
            QMetaObject::invokeMethod(
                this,
                [this, run, index, bytes] {
                    if (run == m_run)
                        emit sized(int(index), bytes);
                },
                Qt::QueuedConnection);
        },
        [this, run] {
            QMetaObject::invokeMethod(
                this,
                [this, run] {
                    if (run != m_run)
                        return;
                    m_scan.reset();
                    emit finished();
                },
                Qt::QueuedConnection);
        });
}

void ChartScan::stop()
{
    ++m_run;
    if (m_scan) {
        m_scan->stop();
        m_scan.reset();
    }
}
