#pragma once

#include "FileNameTemplate.h"
#include "Job.h"
#include "MediaKind.h"
#include "VideoDownloader.h"
#include "VideoInfo.h"

#include <QList>
#include <QSet>
#include <QPointer>
#include <QUrl>

#include <chrono>
#include <optional>

class VideoAlbum;

/*!
 * \brief Saves one resolved item's files, one after the other: its video, or every picture of a
 * gallery in order, then the cover when asked for.
 *
 * Each file is a VideoDownloader of its own, checked for being what it claims, named through
 * one FileNameTemplate (an item without a record, a play address given as it is, keeps the name
 * the server suggests unless the template is not the default). Where asked, a file goes on to its
 * album (VideoAlbum) as the last step of that file: AlbumStep::CopyVideos adds an album copy of
 * the video and keeps the download; AlbumStep::SaveToAlbums treats directory() as a staging folder
 * (the ".part" files stay there, never in an album) and moves every file into its album.
 *
 * The first failure ends the job: failed, with the files saved before it (a partial outcome).
 * cancel() removes every file the job saved, album copies included; stop() keeps them and the
 * running transfer's ".part" for a resume (keptPartialPath()). progress() labels what runs, e.g.
 * "Picture 2 of 5"; the outcome lists the files saved, in order.
 */
class ItemDownloadJob : public Job
{
    Q_OBJECT

public:
    /*! The item, as a resolve gave it. */
    struct Item
    {
        std::optional<VideoInfo> record; //!< absent for a play address given as it is
        QString playAddress; //!< the video's address
        QString videoId;
    };

    enum class AlbumStep {
        None, //!< the files stay in directory()
        CopyVideos, //!< the video is also copied into the video album
        SaveToAlbums, //!< every file is moved into its album; directory() only stages them
    };

    /*! The largest picture accepted, in bytes. */
    static constexpr qint64 maximumPictureBytes = 64 * 1024 * 1024;

    explicit ItemDownloadJob(QObject *parent = nullptr);
    ~ItemDownloadJob() override;

    void setItem(const Item &item) { m_item = item; }
    /*! The folder the files are downloaded to; empty means the caches folder. */
    void setDirectory(const QString &directory) { m_directory = directory; }
    void setNameTemplate(const FileNameTemplate &nameTemplate) { m_nameTemplate = nameTemplate; }
    void setAlbumStep(AlbumStep step) { m_albumStep = step; }
    /*! Whether the cover is saved after the item's files. */
    void setCover(bool cover) { m_cover = cover; }
    void setRetries(int retries) { m_retries = retries; }
    void setContinuePartial(bool resume) { m_continuePartial = resume; }
    void setUserAgent(const QByteArray &userAgent) { m_userAgent = userAgent; }
    void setInactivityTimeout(std::chrono::milliseconds timeout) { m_inactivityTimeout = timeout; }
    /*! The files an earlier run saved, by their SavedFile::key: they are not fetched again. */
    void setLeftOut(const QSet<QString> &keys) { m_leftOut = keys; }

    /*! The files planned for the item (known once started). */
    int fileCount() const { return int(m_plan.size()); }
    /*! The 1-based number of the file whose download failed the last run; 0 when none did. */
    int failedFile() const { return m_failedFile; }
    /*! The ".part" a stop kept for a later resume; empty when none. */
    QString keptPartialPath() const { return m_keptPartialPath; }

Q_SIGNALS:
    /*! File \a number of \a count begins downloading from \a url, under \a name (empty: the
     *  server's). */
    void fileStarted(int number, int count, const QString &name, const QUrl &url);
    /*! \a file is in place (a cancel still removes it). */
    void fileSaved(const SavedFile &file);
    /*! The running transfer failed for \a reason and is tried again after \a delay. */
    void retrying(int attempt, const QString &reason, std::chrono::milliseconds delay);
    /*! A downloaded file is being copied into its album. */
    void copyingToAlbum();

protected:
    void begin() override;
    void abandon() override;
    void pause() override;

private:
    struct PlannedFile
    {
        QUrl url;
        MediaKind kind;
        QString role; //!< SavedFile's role
        QString index; //!< the name's {index}: a picture's number, "cover", or empty
        QString label; //!< what progress() calls it
        QString key; //!< SavedFile's key
    };

    void plan();
    void addPictures(const QStringList &addresses);
    QString fileName(const PlannedFile &file) const;
    void downloadNext();
    void fileFinished(const VideoDownloader::Result &result);
    void fileDownloaded(const QString &path);
    bool goesToAlbum(const PlannedFile &file) const;
    void copyToAlbum(const QString &path);
    void albumSaved(const QString &source, const QString &copy);
    void albumFailed(const QString &source, const QString &error);
    void keep(const SavedFile &file);
    void next();
    void finishCancelled();
    const PlannedFile &current() const { return m_plan.at(m_next); }

    Item m_item;
    QString m_directory;
    FileNameTemplate m_nameTemplate;
    AlbumStep m_albumStep = AlbumStep::None;
    bool m_cover = false;
    int m_retries = 0;
    bool m_continuePartial = true;
    QByteArray m_userAgent;
    std::chrono::milliseconds m_inactivityTimeout = NetworkAccess::defaultInactivityTimeout;
    QSet<QString> m_leftOut;

    QList<PlannedFile> m_plan;
    qsizetype m_next = 0;
    QList<SavedFile> m_saved;
    QPointer<VideoDownloader> m_downloader;
    QPointer<VideoAlbum> m_album;
    bool m_cancelling = false;
    bool m_stopping = false;
    int m_failedFile = 0;
    QString m_keptPartialPath;
};
