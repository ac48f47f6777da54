#include "app/diskchartsource.h"

#include "app/folderlisting.h"
#include "foldersize/sizescan.h"

#include <string>
#include <vector>

namespace {

class DiskSizing final : public ChartSizing {
public:
    explicit DiskSizing(std::shared_ptr<SizeScan> scan) : m_scan(std::move(scan)) {}
    void stop() override { m_scan->stop(); }

private:
    const std::shared_ptr<SizeScan> m_scan;
};

} // namespace

DiskChartSource::DiskChartSource(std::shared_ptr<SizeMemory> memory,
                                 std::shared_ptr<ScanSystem> system,
                                 std::function<void(const QString &)> beforeListing)
    : m_memory(std::move(memory)), m_system(std::move(system)),
      m_beforeListing(std::move(beforeListing))
{}

// Only the newest listing becomes Dir1's: an older one that comes back later was replaced.
void DiskChartSource::list(const QString &folder, QObject *context,
                           std::function<void(ChartListing)> done)
{
    const quint64 request = ++*m_newestRequest;
    listFolderLater(
        folder, context,
        [this, request, newest = std::weak_ptr<quint64>(m_newestRequest),
         done = std::move(done)](FolderListing listing) {
            ChartListing chart{listing.listed, listing.list.path(), std::move(listing.subfolders)};
            const std::shared_ptr<quint64> alive = newest.lock();
            if (alive && *alive == request && listing.listed)
                m_lastList = std::move(listing.list);
            done(std::move(chart));
        },
        m_beforeListing);
}

std::shared_ptr<ChartSizing> DiskChartSource::size(const QList<QByteArray> &paths,
                                                   const ChartOptions &options,
                                                   SizingCallbacks callbacks)
{
    std::vector<std::string> folders;
    folders.reserve(std::size_t(paths.size()));
    for (const QByteArray &path : paths)
        folders.push_back(path.toStdString());
    SizeScanOptions scanOptions;
    scanOptions.stallBound = options.stallBound;
    scanOptions.allocated = options.allocated;
    scanOptions.system = m_system;
    scanOptions.memory = m_memory;
    if (callbacks.stalled)
        scanOptions.stalled = [stalled = callbacks.stalled](const std::string &path) {
            stalled(QByteArray::fromStdString(path));
        };
    auto scan = SizeScan::start(
        std::move(folders),
        [sized = std::move(callbacks.sized)](std::size_t index, const FolderTotal &total) {
            sized(int(index), SubfolderTotal{total.bytes.bytes(), total.unreadable});
        },
        {}, std::move(scanOptions));
    return std::make_shared<DiskSizing>(std::move(scan));
}
