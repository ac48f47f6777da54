#include "history/historystore.h"

#include "history/historythinning.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// SQLite's primary result codes that say the file itself is no sound database.
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;

const char *const Schema[] = {
    // Freed pages can be given back to the file system after a thinning.
    "PRAGMA auto_vacuum = INCREMENTAL",
    // Readers never wait for a writer, and a crash in the middle of a write loses only it.
    "PRAGMA journal_mode = WAL",
    "CREATE TABLE IF NOT EXISTS look (id INTEGER PRIMARY KEY, folder BLOB NOT NULL, "
    "device INTEGER NOT NULL, inode INTEGER NOT NULL, taken INTEGER NOT NULL, "
    "allocated INTEGER NOT NULL, total INTEGER NOT NULL)",
    "CREATE INDEX IF NOT EXISTS look_by_folder ON look (folder, allocated, taken)",
    "CREATE TABLE IF NOT EXISTS entry (look INTEGER NOT NULL, name TEXT NOT NULL, "
    "path BLOB NOT NULL, bytes INTEGER NOT NULL)",
    "CREATE INDEX IF NOT EXISTS entry_by_look ON entry (look)",
};

QString connectionName()
{
    static QAtomicInteger<quint64> made;
    return QStringLiteral("quorvane-history-%1").arg(made.fetchAndAddRelaxed(1));
}

int primaryCode(const QSqlError &error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

bool isDamage(const QSqlError &error)
{
    const int code = primaryCode(error);
    return code == SqliteCorrupt || code == SqliteNotADatabase;
}

// Another writer held the file longer than the busy timeout: this write is lost, the store
// goes on.
bool isContention(const QSqlError &error)
{
    const int code = primaryCode(error);
    return code == SqliteBusy || code == SqliteLocked;
}

QString asideName(const QString &folder)
{
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString name = folder + QStringLiteral("/history-damaged-%1.sqlite").arg(stamp);
    for (int n = 2; QFile::exists(name); ++n)
        name = folder + QStringLiteral("/history-damaged-%1-%2.sqlite").arg(stamp).arg(n);
    return name;
}

} // namespace

HistoryStore::HistoryStore(QString folder, HistoryBounds bounds)
    : m_folder(std::move(folder)), m_bounds(bounds), m_connection(connectionName())
{}

HistoryStore::~HistoryStore()
{
    closeConnection();
}

QString HistoryStore::filePath() const
{
    return m_folder + QStringLiteral("/history.sqlite");
}

QString HistoryStore::takeMessage()
{
    return std::exchange(m_message, QString());
}

bool HistoryStore::openConnection()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(filePath());
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_bounds.otherWriterWaitMs);
    if (m_readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    return db.open();
}

void HistoryStore::closeConnection()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

bool HistoryStore::run(const std::function<QSqlError(QSqlQuery &)> &body)
{
    if (m_state != State::Ready)
        return false;
    QSqlError error;
    {
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        error = body(query);
    }
    if (!error.isValid())
        return true;
    // Every query on the connection is gone by now, so it can be closed.
    // A reader leaves a damaged file to the writers, who move it aside.
    if (isDamage(error) && !m_readOnly)
        startAfresh();
    else if (!isContention(error))
        turnOff(error.text());
    return false;
}

// Makes the tables and checks the file.
bool HistoryStore::prepare()
{
    if (!openConnection()) {
        turnOff(QSqlDatabase::database(m_connection, false).lastError().text());
        return false;
    }
    m_state = State::Ready;
    bool sound = true;
    QSqlError failure;
    const bool readOnly = m_readOnly;
    const bool ran = run([&sound, &failure, readOnly](QSqlQuery &query) {
        for (const char *statement : Schema)
            if (!readOnly && !query.exec(QString::fromLatin1(statement)))
                return failure = query.lastError();
        if (!query.exec(QStringLiteral("PRAGMA quick_check")))
            return failure = query.lastError();
        sound = query.next() && query.value(0).toString() == QStringLiteral("ok");
        return QSqlError();
    });
    if (ran && !sound && m_readOnly) {
        turnOff(QCoreApplication::translate("History", "it is damaged"));
        return false;
    }
    if (ran && !sound) {
        startAfresh();
        return m_state == State::Ready;
    }
    // Another writer held the file through the whole busy timeout: tables may be missing.
    if (!ran && isContention(failure))
        turnOff(QCoreApplication::translate("History", "another program holds it"));
    return ran;
}

HistoryStore::State HistoryStore::open()
{
    if (m_state != State::Closed)
        return m_state;
    if (!QDir().mkpath(m_folder)) {
        turnOff(QCoreApplication::translate("History", "the folder cannot be made"));
        return m_state;
    }
    prepare();
    return m_state;
}

HistoryStore::State HistoryStore::openToRead()
{
    if (m_state != State::Closed)
        return m_state;
    m_readOnly = true;
    prepare();
    return m_state;
}

// Once only: a file that is damaged again right after it was made turns the store off.
void HistoryStore::startAfresh()
{
    closeConnection();
    m_state = State::Closed;
    if (m_startedAfresh) {
        turnOff(QCoreApplication::translate("History", "a new database is damaged at once"));
        return;
    }
    m_startedAfresh = true;
    const QString aside = asideName(m_folder);
    if (!QFile::rename(filePath(), aside)) {
        turnOff(QCoreApplication::translate("History", "a damaged database cannot be moved aside"));
        return;
    }
    QFile::rename(filePath() + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
    QFile::remove(filePath() + QStringLiteral("-shm"));
    if (!prepare())
        return;
    m_message = QCoreApplication::translate("History", "The history of the charts was damaged: it "
                                                       "was moved to %1 and a new one started.")
                    .arg(QDir::toNativeSeparators(aside));
}

void HistoryStore::turnOff(const QString &reason)
{
    closeConnection();
    m_state = State::Off;
    m_message =
        m_readOnly
            ? QCoreApplication::translate("History", "The history %1 cannot be read (%2).")
                  .arg(QDir::toNativeSeparators(filePath()), reason)
            : QCoreApplication::translate("History", "History is off: %1 cannot be written (%2).")
                  .arg(QDir::toNativeSeparators(filePath()), reason);
}
