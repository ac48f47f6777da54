#include "foldersize/sizescan.h"

#include "foldersize/walk.h"

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
