#include "history/historyrecorder.h"

#include "history/historystore.h"
#include "posix/offthread.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QStandardPaths>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <sys/stat.h>
#include <system_error>

struct HistoryRecorder::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::function<void(HistoryStore &)>> work;
    bool stopping = false;
    bool busy = false;
    bool ended = false;
    // Cleared under the mutex before the recorder goes: answers are posted to it only while
    // it is set.
    HistoryRecorder *recorder = nullptr;

    // Runs deliver on the recorder's thread, if the recorder is still there.
    void answer(std::function<void()> deliver)
    {
        const std::lock_guard lock(mutex);
        if (recorder)
            QMetaObject::invokeMethod(recorder, std::move(deliver), Qt::QueuedConnection);
    }
};

namespace {

void runWork(const std::shared_ptr<HistoryRecorder::Shared> &shared, QString folder,
             HistoryBounds bounds);

} // namespace

HistoryRecorder::HistoryRecorder(QString folder, HistoryBounds bounds, QObject *parent)
    : QObject(parent), m_shared(std::make_shared<Shared>())
{
    m_shared->recorder = this;
    try {
        startThread([shared = m_shared, folder = std::move(folder), bounds] {
            runWork(shared, folder, bounds);
        }).detach();
    } catch (const std::system_error &) {
        // Without its thread the history stays off: work is dropped as it comes.
        m_shared->ended = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                emit problem(QCoreApplication::translate(
                    "History", "History is off: the system could not start a thread for it."));
            },
            Qt::QueuedConnection);
    }
}

HistoryRecorder::~HistoryRecorder()
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->recorder = nullptr;
    m_shared->stopping = true;
    m_shared->changed.notify_all();
    m_shared->changed.wait_for(lock, std::chrono::seconds(5), [this] { return m_shared->ended; });
}

void HistoryRecorder::post(std::function<void(HistoryStore &)> work)
{
    const std::lock_guard lock(m_shared->mutex);
    if (m_shared->ended)
        return;
    m_shared->work.push_back(std::move(work));
    m_shared->changed.notify_all();
}

void HistoryRecorder::waitForWork()
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->changed.wait(lock, [this] { return m_shared->work.empty() && !m_shared->busy; });
}

void HistoryRecorder::record(HistoryLook look)
{
    post([look = std::move(look)](HistoryStore &store) mutable {
        struct stat status {};
        if (look.device == 0 && look.inode == 0 && ::stat(look.folder.constData(), &status) == 0) {
            look.device = status.st_dev;
            look.inode = status.st_ino;
        }
        store.record(look, QDateTime::currentMSecsSinceEpoch());
    });
}

template<class T>
void HistoryRecorder::ask(std::function<T(HistoryStore &)> question, QObject *context,
                          std::function<void(T)> done)
{
    post([shared = std::weak_ptr<Shared>(m_shared), question = std::move(question),
          context = QPointer<QObject>(context), done = std::move(done)](HistoryStore &store) {
        auto answer = std::make_shared<T>(question(store));
        if (const auto alive = shared.lock())
            alive->answer([context, done, answer] {
                if (context)
                    done(std::move(*answer));
            });
    });
}

void HistoryRecorder::latestBefore(QByteArray folder, bool allocated, qint64 atMostMs,
                                   QObject *context,
                                   std::function<void(std::optional<HistoryLook>)> done)
{
    ask<std::optional<HistoryLook>>(
        [folder = std::move(folder), allocated, atMostMs](HistoryStore &store) {
            return store.latestBefore(folder, allocated, atMostMs);
        },
        context, std::move(done));
}

void HistoryRecorder::looks(QByteArray folder, bool allocated, QObject *context,
                            std::function<void(std::vector<HistoryLookTime>)> done)
{
    ask<std::vector<HistoryLookTime>>(
        [folder = std::move(folder), allocated](HistoryStore &store) {
            return store.looks(folder, allocated);
        },
        context, std::move(done));
}

void HistoryRecorder::look(qint64 id, QObject *context,
                           std::function<void(std::optional<HistoryLook>)> done)
{
    ask<std::optional<HistoryLook>>([id](HistoryStore &store) { return store.look(id); }, context,
                                    std::move(done));
}

namespace {

void runWork(const std::shared_ptr<HistoryRecorder::Shared> &shared, QString folder,
             HistoryBounds bounds)
{
    {
        HistoryStore store(std::move(folder), bounds);
        bool told = false;
        std::unique_lock lock(shared->mutex);
        for (;;) {
            shared->changed.wait(lock, [&] { return shared->stopping || !shared->work.empty(); });
            if (shared->work.empty())
                break;
            auto work = std::move(shared->work.front());
            shared->work.pop_front();
            shared->busy = true;
            lock.unlock();
            if (store.state() == HistoryStore::State::Closed)
                store.open();
            work(store);
            // Off is said once; a damage started afresh each time it happens.
            const QString message = store.takeMessage();
            const bool off = store.state() == HistoryStore::State::Off;
            if (!message.isEmpty() && !(off && told)) {
                told = told || off;
                shared->answer([shared, message] {
                    if (shared->recorder)
                        emit shared->recorder->problem(message);
                });
            }
            lock.lock();
            shared->busy = false;
            shared->changed.notify_all();
        }
    } // the store's connection is closed on the thread that opened it
    const std::lock_guard lock(shared->mutex);
    shared->ended = true;
    shared->changed.notify_all();
}

} // namespace

QString defaultHistoryFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/quorvane");
}

bool historyWanted()
{
    return qgetenv("QUORVANE_HISTORY") != "0";
}
