#include "foldersize/foldersize.h"

#include "foldersize/walk.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// Often enough that a yield that pumps the event loop when 10 ms have passed never waits
// longer than that.
constexpr auto YieldInterval = std::chrono::milliseconds(5);

// A yield that throws is skipped like any other failing step: the scan goes on.
ScanControl askYield(const FolderSizeYield &yield)
{
    try {
        return yield();
    } catch (...) {
        return ScanControl::Continue;
    }
}

// What the walk hands back; shared with it, as its workers may outlive the call.
struct Outcome {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    SizeAmount total;
};

} // namespace

SizeAmount FolderSize(const std::string &path, const FolderSizeYield &yield)
{
    return FolderSizeUsing(path, yield, nullptr);
}

SizeAmount FolderSizeUsing(const std::string &path, const FolderSizeYield &yield,
                           std::shared_ptr<ScanSystem> system, std::shared_ptr<SizeMemory> memory)
{
    using Clock = std::chrono::steady_clock;
    try {
        const auto outcome = std::make_shared<Outcome>();
        Walk::Callbacks callbacks;
        callbacks.report = [outcome](std::size_t, const FolderTotal &total) {
            const std::lock_guard lock(outcome->lock);
            outcome->total = total.bytes;
        };
        callbacks.finished = [outcome] {
            const std::lock_guard lock(outcome->lock);
            outcome->finished = true;
            outcome->done.notify_all();
        };
        const auto walk = Walk::start({path}, std::move(system), std::move(callbacks),
                                      std::chrono::milliseconds(0), false, std::move(memory));
        if (yield && askYield(yield) == ScanControl::Stop) {
            walk->stop();
            return {};
        }
        std::unique_lock lock(outcome->lock);
        Clock::time_point nextYield = Clock::now() + YieldInterval;
        while (!outcome->finished) {
            if (!yield) {
                outcome->done.wait(lock);
                continue;
            }
            if (outcome->done.wait_until(lock, nextYield) == std::cv_status::no_timeout ||
                Clock::now() < nextYield)
                continue;
            lock.unlock();
            const ScanControl control = askYield(yield);
            lock.lock();
            if (control == ScanControl::Stop) {
                lock.unlock();
                walk->stop();
                return {};
            }
            nextYield = Clock::now() + YieldInterval;
        }
        return outcome->total;
    } catch (...) {
        return {}; // out of memory: nothing leaves the scanner
    }
}

std::string AddBackslash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    return path;
}

std::string TrimAtNul(std::string_view text)
{
    return std::string(text.substr(0, text.find('\0')));
}
