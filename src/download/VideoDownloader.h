#pragma once

#include "Mp4BoxStructure.h"
#include "NetworkAccess.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>
#include <memory>

class ContentDecoder;
class QNetworkReply;
class VerifiedSaveFile;

/*!
 * \brief Downloads one video into a directory (by default the user's caches directory).
 *
 * The request asks for the bytes as they are (Accept-Encoding: identity); a server that sends
 * them gzip- or deflate-encoded anyway is decoded here, within the same size cap. A transfer is
 * complete only when its length is known and met: the Content-Length, or else a chunked body
 * that ended cleanly; a compressed body must also end its compressed stream. Qt 6.4 now and then
 * takes a chunked body cut between two chunks for a whole one, so the end of a chunked body that
 * is not compressed is confirmed by the video itself: its MP4 boxes must end with the last byte.
 * A body with neither length nor chunks never counts. Redirects are
 * followed here (at most maximumRedirects), never from https to plain http.
 *
 * The first bytes decide the file's name: the name the response suggests (SuggestedFileName),
 * with the extension of the sniffed type. The name is claimed with an empty file once those bytes
 * have arrived, made unique so that no earlier file is ever replaced: a second download of the
 * same address becomes "name (1).mp4". The body streams into a VerifiedSaveFile beside it, which
 * takes the claimed name only when a complete transfer (status 2xx) of a non-empty video has
 * been written and checked on disk; anything else ends with an error result (the system's reason
 * for a failed write, such as "No space left on device") and leaves no file behind. A transfer
 * that receives nothing for the inactivity time-out fails.
 *
 * The final step (the checked commit) runs on a worker thread: on ext4, replacing the claimed
 * file writes the whole video out at once.
 *
 * One download per object: finished() is emitted exactly once per start(), never from inside
 * start() itself. Destroying the object cancels a running download without a signal.
 */
class VideoDownloader : public QObject
{
    Q_OBJECT
public:
    /*! The outcome of one download. */
    struct Result
    {
        bool ok = false;
        QString filePath; //!< the saved file, when ok
        QString errorString; //!< a short reason, when not ok
        QUrl url; //!< the address start() was given
    };

    explicit VideoDownloader(QObject *parent = nullptr);
    ~VideoDownloader() override;

    /*! The directory files go to; empty means QStandardPaths::CacheLocation. */
    QString directory() const;
    void setDirectory(const QString &dir);

    std::chrono::milliseconds inactivityTimeout() const;
    void setInactivityTimeout(std::chrono::milliseconds timeout);

    /*! The largest video accepted, in bytes, as sent and as decoded; 4 GiB by default. */
    qint64 maximumSize() const;
    void setMaximumSize(qint64 bytes);

    static constexpr int maximumRedirects = 20;

    /*! Starts downloading \a url (http or https); fails if a download is already running. */
    void start(const QUrl &url);
    /*! Cancels the running download; finished() reports it as cancelled. */
    void abort();
    bool isRunning() const;

Q_SIGNALS:
    void progress(qint64 received, qint64 total);
    void finished(const VideoDownloader::Result &result);

private:
    QString targetDirectory() const;
    void failLater(const QUrl &url, const QString &reason);
    void request(const QUrl &url);
    void onReadyRead();
    bool hasSuccessStatus() const;
    bool startBody();
    qint64 contentLength() const;
    qint64 expectedLength() const;
    bool receive(const char *data, qint64 size);
    bool openTarget();
    void onFinished();
    bool followRedirect();
    void fail(const QString &reason);
    QString transferFailure() const;
    QString lengthFailure() const;
    QString redirectFailure(int status) const;
    void commitInBackground();
    void finishCommit(const QString &failure);
    void discardFile();
    void complete(const Result &result);

    QString m_directory;
    std::chrono::milliseconds m_inactivityTimeout = NetworkAccess::defaultInactivityTimeout;
    qint64 m_maximumSize = qint64(4) << 30;
    bool m_running = false;
    QUrl m_url;
    QPointer<QNetworkReply> m_reply;
    int m_redirects = 0;
    bool m_bodyStarted = false;
    std::unique_ptr<ContentDecoder> m_decoder;
    std::unique_ptr<VerifiedSaveFile> m_file;
    QString m_filePath;
    QByteArray m_head; // the first bytes, held until they tell what the download is
    Mp4BoxStructure m_boxes; // tells a whole chunked body from a cut one
    qint64 m_received = 0; // body bytes as sent
    qint64 m_written = 0; // body bytes as decoded and saved
    QString m_failure;
    bool m_aborted = false;
    QFutureWatcher<QString> m_commitWatcher;
};

Q_DECLARE_METATYPE(VideoDownloader::Result)
