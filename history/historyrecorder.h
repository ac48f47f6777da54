#pragma once

#include "history/historybounds.h"
#include "history/historylook.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class HistoryStore;

// The history of the charts, kept off the GUI thread: one thread of its own owns the store
// (history/historystore.h) and does every read and write in the order asked. A call here only
// queues the work and returns; answers come back on the recorder's thread.
class HistoryRecorder : public QObject {
    Q_OBJECT

public:
    // The store's file lies in folder, opened with the first work.
    explicit HistoryRecorder(QString folder, HistoryBounds bounds = {}, QObject *parent = nullptr);
    // Lets the work queued finish for up to a few seconds; a thread held longer (a store on a
    // volume that stopped answering) is left to end by itself.
    ~HistoryRecorder() override;

    // Keeps look. A look without a device and inode is given those of its folder.
    void record(HistoryLook look);
    // The newest look of folder in one size mode taken at or before atMostMs, with its
    // subfolders; none when there is none or the history is off. done runs on this object's
    // thread, unless context is gone by then.
    void latestBefore(QByteArray folder, bool allocated, qint64 atMostMs, QObject *context,
                      std::function<void(std::optional<HistoryLook>)> done);
    // The folder's looks in one size mode, newest first; none when the history is off.
    void looks(QByteArray folder, bool allocated, QObject *context,
               std::function<void(std::vector<HistoryLookTime>)> done);
    // The look numbered id with its subfolders; none when it is gone or the history is off.
    void look(qint64 id, QObject *context, std::function<void(std::optional<HistoryLook>)> done);
    // Blocks until the work queued so far is done; for tests and benchmarks.
    void waitForWork();

    // What the recorder and its thread share; the thread keeps it while it runs.
    struct Shared;

signals:
    // The history was damaged and started afresh, or turned off; said once for each.
    void problem(const QString &message);

private:
    void post(std::function<void(HistoryStore &)> work);
    // Asks question of the store on its thread and hands the answer to done here.
    template<class T>
    void ask(std::function<T(HistoryStore &)> question, QObject *context,
             std::function<void(T)> done);
    std::shared_ptr<Shared> m_shared;
};

// $XDG_DATA_HOME/quorvane (~/.local/share/quorvane when it is unset).
QString defaultHistoryFolder();
// False when QUORVANE_HISTORY=0.
bool historyWanted();
