#include "foldersize/sizescan.h"

#include "foldersize/foldersize.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace {

// Interim: one thread per scan sizing its folders one after another through FolderSize.
class SequentialSizeScan final : public SizeScan,
                                 public std::enable_shared_from_this<SequentialSizeScan> {
public:
    SequentialSizeScan(std::vector<std::string> folders, Report report, Finished finished)
        : m_folders(std::move(folders)), m_report(std::move(report)),
          m_finished(std::move(finished))
    {}

    void run()
    {
        std::thread([self = shared_from_this()] { self->walk(); }).detach();
    }

    void stop() override
    {
        // Taking the lock waits for a callback under way, so none runs after this returns.
        const std::lock_guard lock(m_callbackLock);
        m_stopped = true;
    }

private:
    void walk()
    {
        const auto yield = [this] {
            return m_stopped.load() ? ScanControl::Stop : ScanControl::Continue;
        };
        for (std::size_t i = 0; i < m_folders.size(); ++i) {
            FolderTotal total;
            total.bytes = FolderSize(m_folders[i], yield);
            const std::lock_guard lock(m_callbackLock);
            if (m_stopped)
                return;
            if (m_report)
                m_report(i, total);
        }
        const std::lock_guard lock(m_callbackLock);
        if (!m_stopped && m_finished)
            m_finished();
    }

    const std::vector<std::string> m_folders;
    const Report m_report;
    const Finished m_finished;
    std::mutex m_callbackLock;
    std::atomic<bool> m_stopped{false};
};

} // namespace

std::shared_ptr<SizeScan> SizeScan::start(std::vector<std::string> folders, Report report,
                                          Finished finished)
{
    auto scan = std::make_shared<SequentialSizeScan>(std::move(folders), std::move(report),
                                                     std::move(finished));
    scan->run();
    return scan;
}
