#pragma once

#include "history/historybounds.h"
#include "history/historylook.h"

#include <QSqlError>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QSqlQuery;

// The looks recorded in one SQLite file in folder, through one connection of its own. Every
// call must come from the thread that called open(). Several stores (in this process or
// another) may use the same file at once: writes wait their turn (WAL, a busy timeout).
//
// A file that is not a database, or a damaged one, is moved aside and a new one started; a
// folder that cannot be written turns the store off. Either is told once by message().
class HistoryStore {
public:
    enum class State { Closed, Ready, Off };

    explicit HistoryStore(QString folder, HistoryBounds bounds = {});
    ~HistoryStore();
    HistoryStore(const HistoryStore &) = delete;
    HistoryStore &operator=(const HistoryStore &) = delete;

    // Opens the file, making it and its folder when missing. Ready, or Off.
    State open();
    // Opens the file to read looks only: nothing is made or changed, and a damaged file stays
    // where it is (the store is off and says the history cannot be read). Ready, or Off.
    State openToRead();
    State state() const { return m_state; }
    QString filePath() const;

    // Keeps look (its id is ignored) and thins the folder's older looks as the bounds say,
    // nowMs being the present. False when it was not kept.
    bool record(const HistoryLook &look, qint64 nowMs);
    // The folder's looks in one size mode, newest first.
    std::vector<HistoryLookTime> looks(const QByteArray &folder, bool allocated);
    // The newest look of folder in that mode taken at or before atMostMs, with its subfolders.
    std::optional<HistoryLook> latestBefore(const QByteArray &folder, bool allocated,
                                            qint64 atMostMs);
    std::optional<HistoryLook> look(qint64 id);

    // What the user should be told about the store since the last call; empty when nothing.
    QString takeMessage();

private:
    bool prepare();
    bool openConnection();
    void closeConnection();
    void startAfresh();
    void turnOff(const QString &reason);
    // Runs body's statements on the connection while the store is ready; body returns the
    // error of the statement that failed, or none. After a failure a damaged file is started
    // afresh and anything but another writer's lock turns the store off. False on failure.
    bool run(const std::function<QSqlError(QSqlQuery &)> &body);
    static QSqlError thin(QSqlQuery &query, const HistoryLook &look, qint64 nowMs,
                          const HistoryBounds &bounds);
    static QSqlError keepWithinBytes(QSqlQuery &query, qint64 keptId, qint64 maxBytes);

    const QString m_folder;
    const HistoryBounds m_bounds;
    const QString m_connection;
    State m_state = State::Closed;
    QString m_message;
    bool m_startedAfresh = false;
    bool m_readOnly = false;
};
