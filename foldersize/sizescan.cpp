#include "foldersize/sizescan.h"

#include "foldersize/walk.h"

#include <condition_variable>
#include <mutex>

namespace {

// The caller's handle: the walk lives on while workers are inside it.
class SizeScanHandle final : public SizeScan {
public:
    explicit SizeScanHandle(std::shared_ptr<Walk> walk) : m_walk(std::move(walk)) {}
    ~SizeScanHandle() override { m_walk->stop(); }
    void stop() override { m_walk->stop(); }

private:
    const std::shared_ptr<Walk> m_walk;
};

} // namespace

std::shared_ptr<SizeScan> SizeScan::start(std::vector<std::string> folders, Report report,
                                          Finished finished, SizeScanOptions options)
{
    Walk::Callbacks callbacks{std::move(report), std::move(finished), std::move(options.stalled)};
    return std::make_shared<SizeScanHandle>(
        Walk::start(folders, std::move(options.system), std::move(callbacks), options.stallBound,
                    options.allocated, std::move(options.memory)));
}

std::vector<FolderTotal> SizeScanTotals(std::vector<std::string> folders, SizeScanOptions options)
{
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    std::vector<FolderTotal> totals(folders.size());
    // The handle stops the scan as it goes, so no callback outlives what they capture.
    const auto scan = SizeScan::start(
        std::move(folders),
        [&](std::size_t index, const FolderTotal &total) {
            const std::lock_guard guard(lock);
            totals[index] = total;
        },
        [&] {
            const std::lock_guard guard(lock);
            finished = true;
            done.notify_all();
        },
        std::move(options));
    std::unique_lock wait(lock);
    done.wait(wait, [&] { return finished; });
    return totals;
}
