#pragma once

#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// A named pipe for tests of code that must never open one as a file. Should the code under
// test still be stuck opening or reading it after `patience`, the pipe's other end is opened
// and closed so that the test goes on and fails instead of hanging; rescued() tells.
class GuardedFifo {
public:
    explicit GuardedFifo(std::string path,
                         std::chrono::milliseconds patience = std::chrono::seconds(3));
    ~GuardedFifo();
    GuardedFifo(const GuardedFifo &) = delete;
    GuardedFifo &operator=(const GuardedFifo &) = delete;

    bool made() const { return m_made; }
    QString pathQ() const { return QString::fromStdString(m_path); }
    bool rescued() const { return m_rescued; }

private:
    void watch(std::chrono::milliseconds patience);

    std::string m_path;
    bool m_made = false;
    std::atomic<bool> m_rescued = false;
    std::mutex m_mutex;
    std::condition_variable m_stop;
    bool m_stopping = false;
    std::thread m_watcher;
};
