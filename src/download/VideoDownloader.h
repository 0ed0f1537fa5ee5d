#pragma once

#include "FailureReason.h"
#include "JobOutcome.h"
#include "MediaKind.h"
#include "MediaStructure.h"
#include "NetworkAccess.h"
#include "RedirectRule.h"
#include "ResumeValidators.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

class ContentDecoder;
class PartFile;
class QNetworkReply;

/*!
 * \brief Downloads one video, or one picture of a gallery, into a directory (by default the user's
 * caches directory).
 *
 * The request asks for the bytes as they are (Accept-Encoding: identity); a server that sends
 * them gzip- or deflate-encoded anyway is decoded here, within the same size cap. A transfer is
 * complete only when its length is known and met: the Content-Length (or the total of a
 * Content-Range); a compressed body must also end its compressed stream. A body without a
 * length, chunked or ended by the server's close, is judged by the file itself (MediaStructure:
 * MP4 boxes, the JPEG end-of-image marker, PNG's IEND chunk, WebP's RIFF size): Qt 6.4 now and
 * then takes a chunked body cut between two chunks for a whole one, and a close cannot tell a
 * whole body from a cut one. Redirects are followed here as RedirectRule allows (at most
 * maximumRedirects, never from https to plain http).
 *
 * The first bytes must be of the expected kind (setExpectedKind(): a video by default; an image
 * is JPEG, PNG or WebP) and decide the file's extension. The name is the one given with
 * setFileName(), else the one the response suggests (SuggestedFileName); its extension becomes
 * the one of the sniffed type. The bytes go into "NAME.part" (PartFile), which takes the final
 * name only when a complete transfer (status 2xx) of the expected kind has been written and its
 * size checked on disk, and never replaces a file: a second download of the same address becomes
 * "name (1).mp4". Anything else ends with a failed result and its FailureReason (the system's
 * reason for a failed write, such as "No space left on device") and leaves no file behind.
 *
 * With setRetries() a transfer that fails on the way (a network error, a cut or stalled body, or
 * the status 429 or 5xx) is tried again after 1×, 2×, 4×, … retryDelay(); bytes already on disk
 * are kept and the rest is asked for with a Range request when the body is sent as it is and its
 * total is known, else the transfer starts over. With a name given, a ".part" of that name left
 * by an earlier download is resumed the same way (setContinuePartial()). A transfer that
 * receives nothing for the inactivity time-out fails (and may be retried).
 *
 * A resume never joins two versions of a file. The first answer's validators (ETag,
 * Last-Modified, total size; ResumeValidators) are kept beside the ".part" and sent back with
 * If-Range; a 206 answer is taken only when its validators and its Content-Range agree with
 * them. Without validators, the last kilobytes on disk are asked for again and must come back
 * the same. Otherwise, and after a 416 answer, the ".part" is emptied and the whole file asked
 * for at once.
 *
 * stop() ends a download and keeps its ".part" for a later resume; so does a named download with
 * setContinuePartial() on that broke on the way after its retries (see keptPartialPath()).
 * abort(), destroying the object and any other failure drop it. The final step (the checked
 * rename) runs on a worker thread.
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
        JobOutcome::Status status = JobOutcome::Status::Failed;
        QString filePath; //!< the saved file, when done
        std::optional<FailureReason> failure; //!< why, when failed or cancelled
        QUrl url; //!< the address start() was given

        bool ok() const { return status == JobOutcome::Status::Done; }
        /*! The failure's readable sentence; empty when there is none. */
        QString errorString() const { return failure ? failure->description() : QString(); }
    };

    explicit VideoDownloader(QObject *parent = nullptr);
    ~VideoDownloader() override;

    /*! The directory files go to; empty means QStandardPaths::CacheLocation. */
    QString directory() const;
    void setDirectory(const QString &dir);

    /*! The file name to save under, its extension replaced by the content's; empty (the default)
     *  means the name the response suggests. */
    QString fileName() const { return m_fileName; }
    void setFileName(const QString &name) { m_fileName = name; }

    /*! What the download must be; a video by default. */
    MediaKind expectedKind() const { return m_expectedKind; }
    void setExpectedKind(MediaKind kind) { m_expectedKind = kind; }

    std::chrono::milliseconds inactivityTimeout() const;
    void setInactivityTimeout(std::chrono::milliseconds timeout);

    /*! The largest download accepted, in bytes, as sent and as decoded; 4 GiB by default. */
    qint64 maximumSize() const;
    void setMaximumSize(qint64 bytes);

    /*! How often a failed transfer is tried again; 0 (the default) means never. */
    int retries() const { return m_retries; }
    void setRetries(int retries) { m_retries = retries; }
    /*! The wait before the first retry; each further retry waits twice as long. 1 s by default. */
    std::chrono::milliseconds retryDelay() const { return m_retryDelay; }
    void setRetryDelay(std::chrono::milliseconds delay) { m_retryDelay = delay; }

    /*! Whether a ".part" of fileName() left by an earlier download is resumed (the default) or
     *  started over. */
    bool continuePartial() const { return m_continuePartial; }
    void setContinuePartial(bool resume) { m_continuePartial = resume; }

    /*! The User-Agent sent; empty (the default) leaves Qt's. */
    QByteArray userAgent() const { return m_userAgent; }
    void setUserAgent(const QByteArray &userAgent) { m_userAgent = userAgent; }

    static constexpr int maximumRedirects = RedirectRule::defaultMaximum;

    /*! Starts downloading \a url (http or https); fails if a download is already running. */
    void start(const QUrl &url);
    /*! Cancels the running download and drops its bytes; finished() reports it as cancelled. */
    void abort();
    /*! Ends the running download and keeps its ".part" for a later resume (see
     *  keptPartialPath()); finished() reports it as stopped. A download whose bytes are
     *  complete and being checked finishes as usual. */
    void stop();
    bool isRunning() const;
    /*! The ".part" the last download kept for a later resume (after stop(), or after a broken
     *  transfer ran out of retries); empty when none. */
    QString keptPartialPath() const { return m_keptPartialPath; }

Q_SIGNALS:
    /*! \a received of \a total bytes of the file (total -1: not known), resumed bytes included. */
    void progress(qint64 received, qint64 total);
    /*! The transfer failed for \a reason and is tried again, the \a attempt-th time, after
     *  \a delay. */
    void retrying(int attempt, const QString &reason, std::chrono::milliseconds delay);
    void finished(const VideoDownloader::Result &result);

private:
    using Kind = FailureReason::Kind;
    struct CommitOutcome
    {
        QString filePath;
        QString errorString;
    };

    QString targetDirectory() const;
    void failLater(Kind kind, const QString &reason);
    void interrupt(bool &flag);
    bool claimNamedFile();
    void request(const QUrl &url);
    void sendAttempt();
    void onReadyRead();
    bool hasSuccessStatus() const;
    int status() const;
    bool startBody();
    bool takeRange();
    bool startOver();
    bool keepValidators(const ResumeValidators &validators);
    void restartFromZero(const QString &reason);
    void askAgain(const QString &reason);
    bool readAheadRunsAway() const;
    bool restartLater();
    qint64 contentLength() const;
    bool receive(const char *data, qint64 size);
    bool checkKind();
    bool openTarget();
    void onFinished();
    bool followRedirect();
    void fail(Kind kind, const QString &reason, bool retryable = false);
    std::optional<FailureReason> transferFailure();
    std::optional<FailureReason> lengthFailure();
    std::optional<FailureReason> redirectFailure(int status) const;
    Kind networkErrorKind() const;
    bool isRetryableNetworkError() const;
    bool retryLater(const FailureReason &reason);
    void releaseReply();
    void commitInBackground();
    void finishCommit(const CommitOutcome &outcome);
    void finishUnsaved(const std::optional<FailureReason> &reason);
    JobOutcome::Status interruptedStatus() const;
    void complete(const Result &result);

    QString m_directory;
    QString m_fileName;
    MediaKind m_expectedKind = MediaKind::Video;
    std::chrono::milliseconds m_inactivityTimeout = NetworkAccess::defaultInactivityTimeout;
    qint64 m_maximumSize = qint64(4) << 30;
    int m_retries = 0;
    std::chrono::milliseconds m_retryDelay { 1000 };
    bool m_continuePartial = true;
    QByteArray m_userAgent;

    bool m_running = false;
    QUrl m_url;
    QPointer<QNetworkReply> m_reply;
    QTimer m_retryTimer;
    int m_attempt = 0;
    int m_redirects = 0;
    bool m_bodyStarted = false;
    std::unique_ptr<ContentDecoder> m_decoder;
    std::unique_ptr<PartFile> m_file;
    QString m_finalName; // the name the file takes when it is complete
    QByteArray m_head; // the first bytes, which tell what the download is
    bool m_kindChecked = false;
    MediaStructure m_structure; // tells a whole chunked body from a cut one
    qint64 m_requestedOffset = 0; // where this attempt's range was asked from
    bool m_resuming = false; // this attempt asked for the rest of the bytes on disk
    QByteArray m_overlap; // bytes on disk this attempt's answer must repeat before the rest
    ResumeValidators m_validators; // the version the bytes on disk are of
    bool m_restart = false; // this reply is dropped: ask again for what is not on disk
    int m_reopenings = 0; // replies dropped because their read-ahead ran away
    qint64 m_bodyOffset = 0; // where this attempt's body starts in the file
    qint64 m_total = -1; // the file's size as this attempt's answer gives it, when known
    qint64 m_received = 0; // this attempt's body bytes as sent
    std::optional<FailureReason> m_failure;
    bool m_failureRetryable = false;
    bool m_aborted = false;
    bool m_stopping = false;
    QString m_keptPartialPath;
    QFutureWatcher<CommitOutcome> m_commitWatcher;
};

Q_DECLARE_METATYPE(VideoDownloader::Result)
