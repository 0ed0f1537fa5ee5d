#pragma once

#include "FileNameTemplate.h"
#include "ItemDownloadJob.h"
#include "ResolvingItem.h"

#include <QJsonArray>
#include <QPointer>

class DownloadArchive;

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
 * is skipped; one saved whole is added to it. The saved paths go to standard output, one a line,
 * or with --json one JSON line with the record, "id", "status", "files" (path, size, kind) and,
 * on failure, "error". stop() stops the running transfer and keeps its ".part".
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
    void startJob();
    void fileStarted(const QString &name, const QUrl &url);
    void noteRetry(int attempt, const QString &reason, std::chrono::milliseconds delay) const;
    void endTransfer();
    void jobFinished(const ItemDownloadJob &job, const JobOutcome &outcome);
    void fail(const QString &reason);
    void complete(const JobOutcome::Status status);

    DownloadSettings m_settings;
    ResolveJob::Result m_resolution;
    QPointer<ItemDownloadJob> m_job;
    int m_progressKey = 0;
    QString m_shownName; // the running transfer's name in messages
    QJsonArray m_files;
    QString m_error;
};
