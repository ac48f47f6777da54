#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

// Runs work on a thread of its own and waits at most bound for its answer; nothing when it did
// not come in time (a folder on a network or FUSE mount that stopped answering). The thread
// owns all it uses, so the caller may go on, or the process end, while it is still stuck.
template<class T>
std::optional<T> callWithin(std::chrono::milliseconds bound, std::function<T()> work)
{
    struct Answer {
        std::mutex lock;
        std::condition_variable given;
        std::optional<T> value;
    };
    const auto answer = std::make_shared<Answer>();
    try {
        std::thread([answer, work] {
            T value = work();
            const std::lock_guard lock(answer->lock);
            answer->value = std::move(value);
            answer->given.notify_all();
        }).detach();
    } catch (const std::system_error &) {
        return work(); // no thread to be had: asked here, without a bound
    }
    std::unique_lock lock(answer->lock);
    answer->given.wait_for(lock, bound, [&] { return answer->value.has_value(); });
    return answer->value;
}
