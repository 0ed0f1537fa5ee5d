#pragma once

#include "DownloadArchive.h"
#include "FileNameTemplate.h"
#include "ItemDownloadJob.h"
#include "ResolvingItem.h"

#include <QJsonArray>
#include <QPointer>

/*! \brief How "download" saves: names, folder, what else is saved, and the transfer settings. */
struct DownloadSettings
{
    FileNameTemplate nameTemplate;
    QString directory;
    bool album = false;
    bool cover = false;
    DownloadArchive *archive = nullptr;
    bool continuePartial = true;
    int retries = 3;
    QByteArray userAgent;
};

/*!
 * \brief "download" for one input: resolves it, then saves its files with an ItemDownloadJob
 * (the video, or every picture of a gallery in order, and with --cover the cover too).
 *
 * A failed parse (the record's "msg") never downloads. An item whose ID is in the download archive
 * is skipped; one saved whole is added to it, and each file of an item of several as it is saved,
 * so that a rerun of a partial item fetches only the files it lacks. A failed write of the
 * archive fails the item. The saved paths go to standard output, one a line, or with --json one
 * JSON line with the record, "id", "status" ("saved", "partial" when some files are saved,
 * "stopped", "failed"), "files" (path, size, kind) and, on failure, "error". stop() stops the
 * running transfer and keeps its ".part".
 */
class DownloadItem : public ResolvingItem
{
    Q_OBJECT

public:
    DownloadItem(const QString &input, const RunContext &context, const DownloadSettings &settings,
                 QObject *parent);
    ~DownloadItem() override;

protected:
    void useResolution(const ResolveJob::Result &result) override;
    void stopWork() override;

private:
    void startJob(const DownloadArchive::Record &archived);
    void fileStarted(const QString &name, const QUrl &url);
    void noteRetry(int attempt, const QString &reason, std::chrono::milliseconds delay) const;
    void endTransfer();
    void fileSaved(const SavedFile &file);
    void jobFinished(const ItemDownloadJob &job, const JobOutcome &outcome);
    void fail(const QString &reason);
    void failBookkeeping(const QString &reason);
    void complete();
    void reportWhenWritten();
    Outcome outcome() const;
    void report();

    DownloadSettings m_settings;
    ResolveJob::Result m_resolution;
    QPointer<ItemDownloadJob> m_job;
    int m_progressKey = 0;
    QString m_shownName; // the running transfer's name in messages
    QJsonArray m_files;
    QString m_error;
    std::optional<JobOutcome::Status> m_status; // the job's, once it ended
    bool m_recordsFiles = false; //!< the archive gets an entry per file
    int m_pendingWrites = 0; //!< archive lines asked for and not yet written
    bool m_bookkeepingFailed = false;
    bool m_reported = false;
};
