#include "platform/mountprobe.h"

#include "platform/nativepath.h"
#include "posix/offthread.h"

#include <QHash>
#include <condition_variable>
#include <mutex>
#include <sys/stat.h>

using Clock = std::chrono::steady_clock;

namespace {

struct Question {
    bool running = false;
    bool answered = false;
    MountAnswer answer = MountAnswer::NoAnswer;
    Clock::time_point askedAt;
    Clock::time_point answeredAt;
};

} // namespace

struct MountProbe::State {
    Check check;
    std::chrono::milliseconds bound;
    std::chrono::milliseconds freshFor;
    std::mutex mutex;
    std::condition_variable answered;
    QHash<QString, Question> questions;

    // With mutex held.
    Question &ask(const QString &mountPoint, const std::shared_ptr<State> &self)
    {
        Question &question = questions[mountPoint];
        const Clock::time_point now = Clock::now();
        if (question.running || (question.answered && now - question.answeredAt < freshFor))
            return question;
        question.running = true;
        question.askedAt = now;
        // Without a thread there is no answer this time: a stat here could hang the caller.
        if (!runDetached(
                [self, mountPoint, native = nativePath(mountPoint)] {
                    const MountAnswer answer = self->check(native);
                    const std::lock_guard lock(self->mutex);
                    Question &done = self->questions[mountPoint];
                    done.running = false;
                    done.answered = true;
                    done.answer = answer;
                    done.answeredAt = Clock::now();
                    self->answered.notify_all();
                },
                WithoutThread::Skip))
            question.running = false;
        return question;
    }
};

MountProbe::MountProbe(Check check, std::chrono::milliseconds bound,
                       std::chrono::milliseconds freshFor)
    : m_state(std::make_shared<State>())
{
    m_state->check = std::move(check);
    m_state->bound = bound;
    m_state->freshFor = freshFor;
}

MountProbe::~MountProbe() = default;

void MountProbe::start(const QString &mountPoint) const
{
    const std::lock_guard lock(m_state->mutex);
    m_state->ask(mountPoint, m_state);
}

std::optional<MountAnswer> MountProbe::poll(const QString &mountPoint) const
{
    const std::lock_guard lock(m_state->mutex);
    const Question &question = m_state->ask(mountPoint, m_state);
    if (question.running)
        return std::nullopt;
    return question.answer;
}

MountAnswer MountProbe::answer(const QString &mountPoint) const
{
    std::unique_lock lock(m_state->mutex);
    const Clock::time_point deadline = m_state->ask(mountPoint, m_state).askedAt + m_state->bound;
    // The hash may grow while the lock is released: look the question up again each time.
    m_state->answered.wait_until(lock, deadline,
                                 [&] { return !m_state->questions[mountPoint].running; });
    const Question &question = m_state->questions[mountPoint];
    return question.running ? MountAnswer::NoAnswer : question.answer;
}

MountAnswer MountProbe::statCheck(const QByteArray &mountPoint)
{
    struct stat st;
    if (stat(mountPoint.constData(), &st) != 0)
        return MountAnswer::NoAnswer; // gone or refused: nothing to list there either
    return S_ISDIR(st.st_mode) ? MountAnswer::Folder : MountAnswer::NotFolder;
}
