#pragma once

#include "DownloadArchive.h"
#include "FileNameTemplate.h"
#include "MediaKind.h"
#include "ResolvingItem.h"
#include "VideoDownloader.h"

#include <QJsonArray>
#include <QPointer>
#include <QUrl>

#include <deque>
#include <optional>

/*! \brief How "download" saves: names, folder, what else is saved, and the transfer settings. */
struct DownloadSettings
{
    FileNameTemplate nameTemplate;
    bool customTemplate = false; //!< --output was given
    QString directory;
    bool album = false;
    bool cover = false;
    DownloadArchive *archive = nullptr;
    bool continuePartial = true;
    int retries = 3;
    QByteArray userAgent;
};

/*!
 * \brief "download" for one input: resolves it, then saves its video, or every picture of a
 * gallery in order, and with --cover the cover too, each checked for being what it claims.
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
    void useResolution(const ShareTextResolver::Result &result) override;
    void stopWork() override;

private:
    struct PlannedFile
    {
        QUrl url;
        MediaKind kind;
        QString index; //!< a picture's number, "cover", or empty for the video
    };

    void startPlan(const DownloadArchive::Record &archived);
    bool plan(const ShareTextResolver::Result &result);
    void leaveOut(const QSet<QString> &archivedFiles);
    static QString archiveKey(const PlannedFile &file);
    QString fileName(const PlannedFile &file) const;
    void downloadNext();
    void fileFinished(const PlannedFile &file, const VideoDownloader::Result &result);
    void fileSaved(const PlannedFile &file, const QString &path);
    void copyToAlbum(const QString &path);
    void fail(const QString &reason);
    void failBookkeeping(const QString &reason);
    void complete();
    Outcome outcome() const;
    void report();

    DownloadSettings m_settings;
    ShareTextResolver::Result m_resolution;
    std::deque<PlannedFile> m_plan;
    QPointer<VideoDownloader> m_downloader;
    int m_progressKey = 0;
    QJsonArray m_files;
    QString m_error;
    bool m_recordsFiles = false; //!< the archive gets an entry per file
    bool m_bookkeepingFailed = false;
    bool m_completing = false;
};
