#pragma once

#include "chart/chartsource.h"
#include "platform/directorylist.h"

#include <QString>
#include <functional>
#include <memory>

class ScanSystem;
class SizeMemory;

// The live disk as a chart's source: a folder is listed on a thread of its own, its
// subfolders sized by one SizeScan on the scan pool.
class DiskChartSource final : public ChartSource {
public:
    // memory: where totals of folders walked before are remembered; null for none. system:
    // what the scan asks of the system; null for the real one (tests hand in readers that
    // stall). beforeListing runs on the listing's thread before a folder is listed (tests
    // hold a listing back with it).
    explicit DiskChartSource(std::shared_ptr<SizeMemory> memory = nullptr,
                             std::shared_ptr<ScanSystem> system = nullptr,
                             std::function<void(const QString &folder)> beforeListing = {});

    void list(const QString &folder, QObject *context,
              std::function<void(ChartListing)> done) override;
    std::shared_ptr<ChartSizing> size(const QList<QByteArray> &paths, const ChartOptions &options,
                                      SizingCallbacks callbacks) override;

    // The directory list of the folder listed last that could be listed, among those asked
    // for before it (what Dir1 shows).
    const DirectoryList &lastList() const { return m_lastList; }

private:
    const std::shared_ptr<SizeMemory> m_memory;
    const std::shared_ptr<ScanSystem> m_system;
    const std::function<void(const QString &)> m_beforeListing;
    std::shared_ptr<quint64> m_newestRequest = std::make_shared<quint64>(0);
    DirectoryList m_lastList;
};
