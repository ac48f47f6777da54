#include "history/historystore.h"
#include "history/historythinning.h"

#include <QSqlQuery>
#include <QVariant>

namespace {

QSqlError deleteLook(QSqlQuery &query, qint64 id)
{
    for (const QString &statement : {QStringLiteral("DELETE FROM entry WHERE look = ?"),
                                     QStringLiteral("DELETE FROM look WHERE id = ?")}) {
        query.prepare(statement);
        query.addBindValue(id);
        if (!query.exec())
            return query.lastError();
    }
    return {};
}

QSqlError pragmaNumber(QSqlQuery &query, const char *pragma, qint64 &number)
{
    if (!query.exec(QStringLiteral("PRAGMA ") + QLatin1String(pragma)))
        return query.lastError();
    number = query.next() ? query.value(0).toLongLong() : 0;
    return {};
}

QSqlError commitOrUndo(QSqlQuery &query, QSqlError error)
{
    if (!error.isValid() && query.exec(QStringLiteral("COMMIT")))
        return {};
    if (!error.isValid())
        error = query.lastError();
    query.exec(QStringLiteral("ROLLBACK"));
    return error;
}

} // namespace

QSqlError HistoryStore::thin(QSqlQuery &query, const HistoryLook &look, qint64 nowMs,
                             const HistoryBounds &bounds)
{
    query.prepare(QStringLiteral("SELECT id, taken, total FROM look WHERE folder = ? AND "
                                 "allocated = ? ORDER BY taken DESC, id DESC"));
    query.addBindValue(look.folder);
    query.addBindValue(look.allocated);
    if (!query.exec())
        return query.lastError();
    std::vector<HistoryLookTime> looks;
    while (query.next())
        looks.push_back({query.value(0).toLongLong(), query.value(1).toLongLong(),
                         query.value(2).toLongLong()});
    for (const qint64 id : looksToThin(looks, nowMs, bounds))
        if (QSqlError error = deleteLook(query, id); error.isValid())
            return error;
    return {};
}

// The pages in use, not the file's length: freed pages stay in the file until the vacuum
// after the write.
QSqlError HistoryStore::keepWithinBytes(QSqlQuery &query, qint64 keptId, qint64 maxBytes)
{
    qint64 pageSize = 0;
    if (QSqlError error = pragmaNumber(query, "page_size", pageSize); error.isValid())
        return error;
    for (;;) {
        qint64 pages = 0;
        qint64 free = 0;
        if (QSqlError error = pragmaNumber(query, "page_count", pages); error.isValid())
            return error;
        if (QSqlError error = pragmaNumber(query, "freelist_count", free); error.isValid())
            return error;
        if ((pages - free) * pageSize <= maxBytes)
            return {};
        query.prepare(QStringLiteral("SELECT id FROM look WHERE id != ? ORDER BY taken, id "
                                     "LIMIT 1"));
        query.addBindValue(keptId);
        if (!query.exec())
            return query.lastError();
        if (!query.next())
            return {}; // the newest look alone is larger: it is kept
        if (QSqlError error = deleteLook(query, query.value(0).toLongLong()); error.isValid())
            return error;
    }
}

bool HistoryStore::record(const HistoryLook &look, qint64 nowMs)
{
    return run([&look, nowMs, bounds = m_bounds](QSqlQuery &query) {
        // The write lock from the start: two writers never both wait to upgrade a read.
        if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
            return query.lastError();
        query.prepare(QStringLiteral("INSERT INTO look (folder, device, inode, taken, allocated, "
                                     "total) VALUES (?, ?, ?, ?, ?, ?)"));
        query.addBindValue(look.folder);
        query.addBindValue(qint64(look.device));
        query.addBindValue(qint64(look.inode));
        query.addBindValue(look.takenMs);
        query.addBindValue(look.allocated);
        query.addBindValue(look.total);
        if (!query.exec())
            return commitOrUndo(query, query.lastError());
        const qint64 id = query.lastInsertId().toLongLong();
        query.prepare(
            QStringLiteral("INSERT INTO entry (look, name, path, bytes) VALUES (?, ?, ?, ?)"));
        for (const HistoryEntry &entry : look.entries) {
            query.bindValue(0, id);
            query.bindValue(1, entry.name);
            query.bindValue(2, entry.path);
            query.bindValue(3, entry.bytes);
            if (!query.exec())
                return commitOrUndo(query, query.lastError());
        }
        QSqlError error = thin(query, look, nowMs, bounds);
        if (!error.isValid())
            error = keepWithinBytes(query, id, bounds.maxBytes);
        error = commitOrUndo(query, error);
        if (!error.isValid())
            query.exec(QStringLiteral("PRAGMA incremental_vacuum"));
        return error;
    });
}

std::vector<HistoryLookTime> HistoryStore::looks(const QByteArray &folder, bool allocated)
{
    std::vector<HistoryLookTime> looks;
    run([&](QSqlQuery &query) {
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("SELECT id, taken, total FROM look WHERE folder = ? AND "
                                     "allocated = ? ORDER BY taken DESC, id DESC"));
        query.addBindValue(folder);
        query.addBindValue(allocated);
        if (!query.exec())
            return query.lastError();
        while (query.next())
            looks.push_back({query.value(0).toLongLong(), query.value(1).toLongLong(),
                             query.value(2).toLongLong()});
        return QSqlError();
    });
    return looks;
}

std::optional<HistoryLook> HistoryStore::latestBefore(const QByteArray &folder, bool allocated,
                                                      qint64 atMostMs)
{
    qint64 id = 0;
    run([&](QSqlQuery &query) {
        query.prepare(QStringLiteral("SELECT id FROM look WHERE folder = ? AND allocated = ? AND "
                                     "taken <= ? ORDER BY taken DESC, id DESC LIMIT 1"));
        query.addBindValue(folder);
        query.addBindValue(allocated);
        query.addBindValue(atMostMs);
        if (!query.exec())
            return query.lastError();
        if (query.next())
            id = query.value(0).toLongLong();
        return QSqlError();
    });
    if (id == 0)
        return std::nullopt;
    return look(id);
}

std::optional<HistoryLook> HistoryStore::look(qint64 id)
{
    std::optional<HistoryLook> found;
    run([&](QSqlQuery &query) {
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("SELECT folder, device, inode, taken, allocated, total FROM "
                                     "look WHERE id = ?"));
        query.addBindValue(id);
        if (!query.exec())
            return query.lastError();
        if (!query.next())
            return QSqlError();
        HistoryLook look;
        look.id = id;
        look.folder = query.value(0).toByteArray();
        look.device = quint64(query.value(1).toLongLong());
        look.inode = quint64(query.value(2).toLongLong());
        look.takenMs = query.value(3).toLongLong();
        look.allocated = query.value(4).toBool();
        look.total = query.value(5).toLongLong();
        query.prepare(
            QStringLiteral("SELECT name, path, bytes FROM entry WHERE look = ? ORDER BY rowid"));
        query.addBindValue(id);
        if (!query.exec())
            return query.lastError();
        while (query.next())
            look.entries.append({query.value(0).toString(), query.value(1).toByteArray(),
                                 query.value(2).toLongLong()});
        found = std::move(look);
        return QSqlError();
    });
    return found;
}
