#pragma once

#include "platform/mountprobe.h"

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

// The server of a network mount that has gone away: a check of its mount point blocks until
// release(). A watchdog releases it after ten seconds, so that code which waits on it makes
// its test fail (timedOut) instead of hanging.
class GoneServer {
public:
    GoneServer()
        : m_back(m_promise.get_future().share()), m_watchdog([this] {
              if (m_back.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
                  m_timedOut = true;
                  release();
              }
          })
    {}
    ~GoneServer()
    {
        release();
        m_watchdog.join();
    }
    GoneServer(const GoneServer &) = delete;
    GoneServer &operator=(const GoneServer &) = delete;

    void release()
    {
        std::call_once(m_released, [this] { m_promise.set_value(); });
    }
    bool timedOut() const { return m_timedOut; }

    // A check that blocks on mountPoint until release() and stats every other mount point.
    MountProbe::Check checkBlocking(const QByteArray &mountPoint) const
    {
        return [back = m_back, mountPoint](const QByteArray &asked) {
            if (asked == mountPoint)
                back.wait();
            return MountProbe::statCheck(asked);
        };
    }

private:
    std::promise<void> m_promise;
    std::shared_future<void> m_back;
    std::once_flag m_released;
    std::atomic<bool> m_timedOut = false;
    std::thread m_watchdog;
};
