#pragma once

#include "HistoryFile.h"
#include "HistoryItem.h"

#include <QList>
#include <QString>

#include <optional>

class QSqlError;
class QSqlQuery;

/*!
 * \brief The history in an SQLite file: every resolved item and every saved file, searchable.
 *
 * One connection, used from the thread that opened it (HistoryService keeps it off the window's
 * thread). The file is in WAL mode and every write is one transaction, so a crash mid-write
 * loses at most that write; other connections and processes may write at the same time (they
 * wait for each other up to busyTimeoutMs). The schema carries its version (PRAGMA user_version)
 * and is brought up to date step by step on open. A file that is not a database is moved aside,
 * renamed with the time, never deleted; one made by a newer schema is left alone and refused.
 */
class HistoryStore
{
public:
    static constexpr int schemaVersion = 2;
    static constexpr int busyTimeoutMs = 5000;

    explicit HistoryStore(const QString &filePath = defaultPath());
    ~HistoryStore();
    HistoryStore(const HistoryStore &) = delete;
    HistoryStore &operator=(const HistoryStore &) = delete;

    /*! ~/.local/share/Kivora/history.sqlite (the XDG data folder). */
    static QString defaultPath();

    /*! Opens the file, creating or bringing its schema up to date; false with error() else. */
    bool open();
    QString filePath() const;
    /*! Why the last call failed. */
    QString error() const;
    /*! Where a file that was no database went on open, else empty. */
    QString movedAsidePath() const;

    /*! Adds \a item or updates its entry (one per ID). */
    bool recordItem(const HistoryItem &item);
    /*! Adds \a file or updates its entry (one per path); its item must be recorded. */
    bool recordFile(const HistoryFile &file);

    /*! The items whose title, author or ID holds \a text (all for an empty text), the most
     *  recently resolved first, at most \a limit. */
    QList<HistoryItem> search(const QString &text, int limit = 1000);
    /*! When a file of \a itemId was saved last; nothing when none was. */
    std::optional<QDateTime> savedAt(const QString &itemId);
    /*! The files saved for \a itemId, each with whether it is still there. */
    QList<HistoryFile> files(const QString &itemId);

private:
    bool openConnection();
    void closeConnection();
    bool isNotADatabase();
    bool moveAside();
    int userVersion();
    bool isKnownVersion(int version);
    bool configure();
    bool migrate();
    bool exec(QSqlQuery &query);
    bool fail(const QSqlError &error);
    bool write(const QString &statement, const QVariantList &values);
    HistoryItem itemFrom(const QSqlQuery &query) const;

    QString m_filePath;
    QString m_connectionName;
    QString m_error;
    QString m_movedAsidePath;
};
