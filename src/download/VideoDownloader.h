#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QSaveFile;

/*!
 * \brief Downloads one video into a directory (by default the user's caches directory).
 *
 * The name the response suggests (SuggestedFileName) is claimed with an empty file when the first
 * bytes arrive, made unique so that no earlier file is ever replaced: a second download of the
 * same address becomes "name (1).mp4". The body streams into a QSaveFile beside it, which takes
 * the claimed name only when a complete transfer (status 2xx, Content-Length matched where given)
 * of a non-empty video has arrived; anything else ends with an error result and leaves no file
 * behind. A transfer that receives nothing for the inactivity time-out fails.
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

    /*! Starts downloading \a url (http or https); fails if a download is already running. */
    void start(const QUrl &url);
    /*! Cancels the running download; finished() reports it as cancelled. */
    void abort();
    bool isRunning() const;

Q_SIGNALS:
    void progress(qint64 received, qint64 total);
    void finished(const VideoDownloader::Result &result);

private:
    static QNetworkAccessManager *networkManager();
    QString targetDirectory() const;
    void failLater(const QUrl &url, const QString &reason);
    void onReadyRead();
    bool hasSuccessStatus() const;
    qint64 expectedLength() const;
    void onFinished();
    bool openTarget();
    void writeAvailable();
    void fail(const QString &reason);
    QString transferFailure() const;
    QString redirectFailure(int status) const;
    QString commit();
    void discardFile();
    void complete(const Result &result);

    QString m_directory;
    std::chrono::milliseconds m_inactivityTimeout { 15000 };
    bool m_running = false;
    QUrl m_url;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QSaveFile> m_file;
    QString m_filePath;
    QByteArray m_head; // the first bytes, to tell a video from anything else
    qint64 m_written = 0;
    QString m_failure;
    bool m_aborted = false;
};

Q_DECLARE_METATYPE(VideoDownloader::Result)
