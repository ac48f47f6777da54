#include "export/backgroundlookup.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

struct BackgroundLookup::State {
    std::mutex mutex;
    std::condition_variable answered;
    std::optional<QString> answer;
};

BackgroundLookup::BackgroundLookup(std::function<QString()> lookup)
    : m_state(std::make_shared<State>())
{
    if (!lookup) {
        m_state->answer = QString();
        return;
    }
    std::thread([state = m_state, lookup = std::move(lookup)] {
        QString result = lookup();
        const std::lock_guard lock(state->mutex);
        state->answer = std::move(result);
        state->answered.notify_all();
    }).detach();
}

QString BackgroundLookup::answer(std::chrono::milliseconds bound) const
{
    std::unique_lock lock(m_state->mutex);
    m_state->answered.wait_for(lock, bound, [this] { return m_state->answer.has_value(); });
    return m_state->answer.value_or(QString());
}
