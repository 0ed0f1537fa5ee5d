#pragma once

#include "Endpoints.h"
#include "FileNameTemplate.h"
#include "JobOutcome.h"
#include "ResolveJob.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QElapsedTimer>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ItemDownloadJob;

/*!
 * \brief The download queue: one row per input, each resolved and then downloaded into the albums
 * by the same jobs the command-line tool runs, at most parallel() rows at a time.
 *
 * A row is waiting, resolving, downloading (bytes, speed, time left), saved, failed (with its
 * reason), stopped (its ".part" kept) or cancelled. pause() stops a row and keeps what it
 * fetched; resume() goes on from there; retry() resolves the item again first, so a row that
 * failed on an expired address gets a fresh one; remove() cancels a running row, dropping its
 * files in progress, and takes it out. Rows added start on their own as places free up.
 */
class DownloadQueue : public QAbstractListModel
{
    Q_OBJECT

public:
    enum class State {
        Waiting,
        Resolving,
        /*! Resolved, but the item was saved before: it waits for resume() to download again. */
        SavedBefore,
        Downloading,
        Saved,
        Failed,
        Stopped,
        Cancelled,
    };
    Q_ENUM(State)

    enum Role {
        InputRole = Qt::UserRole + 1, //!< QString: what was pasted
        StateRole, //!< State
        ReceivedRole, //!< qint64 bytes of the running file
        TotalRole, //!< qint64, -1 while unknown
        SpeedRole, //!< qint64 bytes a second, 0 while unknown
        RemainingRole, //!< qint64 seconds left, -1 while unknown
        StepRole, //!< QString: what runs now ("Picture 2 of 5")
        ReasonRole, //!< QString: why it failed, readable
        TitleRole, //!< QString: the item's title, or the input while unresolved
        VideoIdRole, //!< QString
        FilesRole, //!< QStringList: the files saved
        FolderRole, //!< QString: where the files went
        AddressRole, //!< QString: the play address, or the pictures' addresses one a line
        SavedBeforeRole, //!< QDateTime: when the same item was saved before, else invalid
    };

    /*! Where and how rows download. */
    struct Options
    {
        Endpoints endpoints;
        QString stagingFolder; //!< where files are fetched before they move to their album
        FileNameTemplate nameTemplate;
        int retries = 3;
    };

    explicit DownloadQueue(QObject *parent = nullptr);
    ~DownloadQueue() override;

    void setOptions(const Options &options) { m_options = options; }
    const Options &options() const { return m_options; }

    /*! How many rows run at once; 2 by default. */
    int parallel() const { return m_parallel; }
    void setParallel(int parallel);

    /*! Answers, now or later, when the item of a video ID was saved before (nothing when never). */
    using SavedBeforeLookup = std::function<void(
        const QString &videoId, std::function<void(const std::optional<QDateTime> &)> answer)>;
    /*! Asks \a lookup before downloading a resolved item; one saved before waits for the user. */
    void setSavedBeforeLookup(SavedBeforeLookup lookup) { m_savedBefore = std::move(lookup); }

    /*! Adds a row per input and starts them as places free up; returns the first new row. */
    int add(const QStringList &inputs);
    /*! Adds an item already resolved (the one the screen shows); it starts downloading. */
    int addResolved(const ResolveJob::Result &resolution);

    void pause(int row);
    /*! Goes on with a stopped or cancelled row, or downloads again an item saved before. */
    void resume(int row);
    void retry(int row);
    void remove(int row);

    State state(int row) const;
    /*! The item of \a row once resolved. */
    std::optional<ResolveJob::Result> resolution(int row) const;
    /*! Rows waiting or running. */
    int activeCount() const;

    /*! The row's state as a line of text in the window's language: what a screen reader reads
     *  and the list shows under the title. */
    QString statusText(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    /*! \a row ended with \a outcome (saved, failed, stopped or cancelled). */
    void rowFinished(int row, const JobOutcome &outcome);
    /*! No row is waiting or running any more. */
    void drained();

private:
    struct Row;

    void schedule();
    void startRow(Row &row);
    void resolveRow(Row &row);
    void downloadRow(Row &row);
    void rowResolved(Row &row);
    void savedBeforeKnown(Row &row, const std::optional<QDateTime> &saved);
    bool holds(const Row *row) const;
    void rowDownloaded(Row &row, const JobOutcome &outcome);
    void ended(Row &row, const JobOutcome &outcome);
    void setState(Row &row, State state);
    void changed(const Row &row);
    int rowOf(const Row &row) const;
    bool isActive(const Row &row) const;
    QVariant value(const Row &row, int role) const;
    QString statusText(const Row &row) const;

    Options m_options;
    int m_parallel = 2;
    SavedBeforeLookup m_savedBefore;
    std::vector<std::unique_ptr<Row>> m_rows;
};
