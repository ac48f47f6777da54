#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <memory>

class SizeScan;

// Sizes a generation's subfolders with one SizeScan and hands each total to the thread that
// owns this object through a queued call, in the order the scan completes them. Starting
// again or stopping drops the scan under way at once: none of its totals arrive afterwards,
// also not those already on their way.
class ChartScan : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~ChartScan() override;

    // paths are in the file system's bytes; sized() reports index into them.
    void start(const QList<QByteArray> &paths);
    void stop();
    bool running() const { return m_scan != nullptr; }

signals:
    void sized(int index, qint64 bytes);
    // After the last sized() of the scan.
    void finished();

private:
    std::shared_ptr<SizeScan> m_scan;
    quint64 m_run = 0; // the scan whose totals are still wanted
};
