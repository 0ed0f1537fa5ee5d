#include "HistoryStore.h"

#include <QAtomicInteger>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

// The steps from one schema version to the next: step i brings version i to version i + 1.
// A new database runs them all, so every step stays in use.
const QList<QStringList> migrations {
    // 1: the items and their files
    { u"CREATE TABLE items (id TEXT PRIMARY KEY, kind TEXT NOT NULL, author TEXT NOT NULL, "
      "title TEXT NOT NULL, resolved_at INTEGER NOT NULL)"_s,
      u"CREATE TABLE files (item_id TEXT NOT NULL REFERENCES items(id), path TEXT NOT NULL, "
      "size INTEGER NOT NULL, kind TEXT NOT NULL)"_s },
    // 2: when each file was saved (an older file takes its item's time), one entry per path
    { u"ALTER TABLE files ADD COLUMN saved_at INTEGER NOT NULL DEFAULT 0"_s,
      u"UPDATE files SET saved_at = (SELECT resolved_at FROM items WHERE items.id = files.item_id)"_s,
      u"DELETE FROM files WHERE rowid NOT IN (SELECT max(rowid) FROM files GROUP BY path)"_s,
      u"CREATE UNIQUE INDEX files_path ON files (path)"_s,
      u"CREATE INDEX files_item ON files (item_id)"_s },
};
static_assert(HistoryStore::schemaVersion == 2, "a schema version needs its migration step");

// SQLite's codes for a file that is not a database, and for a damaged one.
const QStringList notADatabaseCodes { u"26"_s, u"11"_s };

QString uniqueConnectionName()
{
    static QAtomicInteger<quint64> count;
    return u"kivora-history-%1"_s.arg(++count);
}

qint64 msecs(const QDateTime &time)
{
    return time.isValid() ? time.toMSecsSinceEpoch() : 0;
}

QDateTime timeFrom(const QVariant &value)
{
    const qint64 ms = value.toLongLong();
    return ms > 0 ? QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC) : QDateTime();
}

// \a text as a LIKE pattern that matches it anywhere, its own % and _ taken literally.
QString containsPattern(QString text)
{
    text.replace(u'\\', u"\\\\"_s).replace(u'%', u"\\%"_s).replace(u'_', u"\\_"_s);
    return u'%' + text + u'%';
}

} // namespace

HistoryStore::HistoryStore(const QString &filePath)
    : m_filePath(filePath), m_connectionName(uniqueConnectionName())
{ }

HistoryStore::~HistoryStore()
{
    closeConnection();
}

QString HistoryStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + u"/Kivora/history.sqlite"_s;
}

QString HistoryStore::filePath() const
{
    return m_filePath;
}

QString HistoryStore::error() const
{
    return m_error;
}

QString HistoryStore::movedAsidePath() const
{
    return m_movedAsidePath;
}

bool HistoryStore::open()
{
    m_movedAsidePath.clear();
    if (!QDir().mkpath(QFileInfo(m_filePath).absolutePath())) {
        m_error = u"Cannot create the folder of %1"_s.arg(m_filePath);
        return false;
    }
    if (!openConnection())
        return false;
    if (isNotADatabase()) {
        closeConnection();
        if (!moveAside() || !openConnection())
            return false;
    }
    // A file of a newer schema is not touched at all, not even switched to WAL.
    return isKnownVersion(userVersion()) && configure() && migrate();
}

bool HistoryStore::openConnection()
{
    QSqlDatabase database = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connectionName);
    database.setDatabaseName(m_filePath);
    database.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=%1"_s.arg(busyTimeoutMs));
    if (database.open())
        return true;
    m_error = database.lastError().text();
    return false;
}

void HistoryStore::closeConnection()
{
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    QSqlDatabase::database(m_connectionName, false).close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

// SQLite reads the file's header only with the first statement.
bool HistoryStore::isNotADatabase()
{
    QSqlQuery probe(QSqlDatabase::database(m_connectionName));
    if (probe.exec(u"SELECT count(*) FROM sqlite_master"_s))
        return false;
    return notADatabaseCodes.contains(probe.lastError().nativeErrorCode());
}

// Renames the file, and the journal files beside it, after the time: the user may want it back.
bool HistoryStore::moveAside()
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd-HHmmss"_s);
    QString aside = u"%1.damaged-%2"_s.arg(m_filePath, stamp);
    for (int n = 1; QFileInfo::exists(aside); ++n)
        aside = u"%1.damaged-%2-%3"_s.arg(m_filePath, stamp).arg(n);
    if (!QFile::rename(m_filePath, aside)) {
        m_error = u"%1 is not a database and cannot be moved aside"_s.arg(m_filePath);
        return false;
    }
    for (const QString &journal : { u"-wal"_s, u"-shm"_s }) {
        if (QFileInfo::exists(m_filePath + journal))
            QFile::rename(m_filePath + journal, aside + journal);
    }
    m_movedAsidePath = aside;
    return true;
}

int HistoryStore::userVersion()
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    return query.exec(u"PRAGMA user_version"_s) && query.next() ? query.value(0).toInt() : 0;
}

bool HistoryStore::isKnownVersion(int version)
{
    if (version <= schemaVersion)
        return true;
    m_error = u"%1 was written by a newer Kivora (schema %2)"_s.arg(m_filePath).arg(version);
    return false;
}

bool HistoryStore::configure()
{
    // WAL: readers never wait for a writer, and a write reaches the file whole or not at all.
    // NORMAL is durable in WAL mode except for the last commits before a power cut.
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    for (const QString &pragma : { u"PRAGMA journal_mode = WAL"_s, u"PRAGMA synchronous = NORMAL"_s,
                                   u"PRAGMA foreign_keys = ON"_s }) {
        if (!query.exec(pragma))
            return fail(query.lastError());
    }
    return true;
}

bool HistoryStore::migrate()
{
    QSqlDatabase database = QSqlDatabase::database(m_connectionName);
    QSqlQuery query(database);
    // The version is read inside the write transaction: two programs opening a new file at once
    // do not both create the tables.
    if (!query.exec(u"BEGIN IMMEDIATE"_s))
        return fail(query.lastError());
    if (!query.exec(u"PRAGMA user_version"_s) || !query.next()) {
        database.rollback();
        return fail(query.lastError());
    }
    int version = query.value(0).toInt();
    query.finish();
    if (!isKnownVersion(version)) {
        database.rollback();
        return false;
    }
    for (; version < schemaVersion; ++version) {
        for (const QString &statement : migrations.at(version)) {
            if (!query.exec(statement)) {
                database.rollback();
                return fail(query.lastError());
            }
        }
    }
    if (!query.exec(u"PRAGMA user_version = %1"_s.arg(schemaVersion))) {
        database.rollback();
        return fail(query.lastError());
    }
    query.finish();
    return database.commit() || fail(database.lastError());
}

// Runs a prepared \a query; on failure keeps its error.
bool HistoryStore::exec(QSqlQuery &query)
{
    return query.exec() || fail(query.lastError());
}

bool HistoryStore::fail(const QSqlError &error)
{
    m_error = error.text();
    return false;
}

// One statement in its own write transaction, taken at once (BEGIN IMMEDIATE): a connection that
// read first and wanted to write later could not wait for another writer.
bool HistoryStore::write(const QString &statement, const QVariantList &values)
{
    QSqlDatabase database = QSqlDatabase::database(m_connectionName);
    QSqlQuery query(database);
    if (!query.exec(u"BEGIN IMMEDIATE"_s))
        return fail(query.lastError());
    query.prepare(statement);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        database.rollback();
        return fail(query.lastError());
    }
    query.finish();
    return database.commit() || fail(database.lastError());
}

bool HistoryStore::recordItem(const HistoryItem &item)
{
    return write(u"INSERT INTO items (id, kind, author, title, resolved_at) VALUES (?, ?, ?, ?, ?) "
                 "ON CONFLICT (id) DO UPDATE SET kind = excluded.kind, author = excluded.author, "
                 "title = excluded.title, resolved_at = excluded.resolved_at"_s,
                 { item.id, item.kind, item.author, item.title, msecs(item.resolvedAt) });
}

bool HistoryStore::recordFile(const HistoryFile &file)
{
    return write(u"INSERT INTO files (item_id, path, size, kind, saved_at) VALUES (?, ?, ?, ?, ?) "
                 "ON CONFLICT (path) DO UPDATE SET item_id = excluded.item_id, "
                 "size = excluded.size, kind = excluded.kind, saved_at = excluded.saved_at"_s,
                 { file.itemId, file.path, file.size, file.kind, msecs(file.savedAt) });
}

HistoryItem HistoryStore::itemFrom(const QSqlQuery &query) const
{
    return { query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
             query.value(3).toString(), timeFrom(query.value(4)),  timeFrom(query.value(5)) };
}

QList<HistoryItem> HistoryStore::search(const QString &text, int limit)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    query.prepare(u"SELECT id, kind, author, title, resolved_at, "
                  "(SELECT max(saved_at) FROM files WHERE files.item_id = items.id) FROM items "
                  "WHERE title LIKE ? ESCAPE '\\' OR author LIKE ? ESCAPE '\\' OR id LIKE ? "
                  "ESCAPE '\\' ORDER BY resolved_at DESC LIMIT ?"_s);
    const QString pattern = containsPattern(text);
    for (const QVariant &value :
         { QVariant(pattern), QVariant(pattern), QVariant(pattern), QVariant(limit) })
        query.addBindValue(value);
    QList<HistoryItem> items;
    if (!exec(query))
        return items;
    while (query.next())
        items.append(itemFrom(query));
    return items;
}

std::optional<QDateTime> HistoryStore::savedAt(const QString &itemId)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    query.prepare(u"SELECT max(saved_at) FROM files WHERE item_id = ?"_s);
    query.addBindValue(itemId);
    if (!exec(query) || !query.next() || query.value(0).isNull())
        return std::nullopt;
    return timeFrom(query.value(0));
}

QList<HistoryFile> HistoryStore::files(const QString &itemId)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    query.prepare(u"SELECT path, size, kind, saved_at FROM files WHERE item_id = ? "
                  "ORDER BY saved_at, rowid"_s);
    query.addBindValue(itemId);
    QList<HistoryFile> files;
    if (!exec(query))
        return files;
    while (query.next()) {
        const QString path = query.value(0).toString();
        files.append({ itemId, path, query.value(1).toLongLong(), query.value(2).toString(),
                       timeFrom(query.value(3)), QFileInfo::exists(path) });
    }
    return files;
}
