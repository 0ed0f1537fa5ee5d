#include "VideoDownloader.h"

#include "SuggestedFileName.h"
#include "VideoAlbum.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
constexpr qint64 readAheadBytes = 1024 * 1024;
constexpr qint64 copyBufferBytes = 64 * 1024;
} // namespace

VideoDownloader::VideoDownloader(QObject *parent) : QObject(parent) { }

VideoDownloader::~VideoDownloader()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    discardFile();
}

QString VideoDownloader::directory() const
{
    return m_directory;
}

void VideoDownloader::setDirectory(const QString &dir)
{
    m_directory = dir;
}

std::chrono::milliseconds VideoDownloader::inactivityTimeout() const
{
    return m_inactivityTimeout;
}

void VideoDownloader::setInactivityTimeout(std::chrono::milliseconds timeout)
{
    m_inactivityTimeout = timeout;
}

bool VideoDownloader::isRunning() const
{
    return m_running;
}

void VideoDownloader::start(const QUrl &url)
{
    if (m_running) {
        const Result busy { false, {}, tr("Another download is running"), url };
        QMetaObject::invokeMethod(
            this, [this, busy] { Q_EMIT finished(busy); }, Qt::QueuedConnection);
        return;
    }
    m_running = true;
    m_url = url;
    m_failure.clear();
    m_aborted = false;
    m_head.clear();
    m_written = 0;

    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http"_s && scheme != u"https"_s)) {
        failLater(url, tr("The address is not a web address"));
        return;
    }
    if (!QDir().mkpath(targetDirectory())) {
        failLater(url, tr("Cannot create the folder %1").arg(targetDirectory()));
        return;
    }

    // A plain GET: Qt's default headers only, redirects followed unless they downgrade to http.
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(static_cast<int>(m_inactivityTimeout.count()));
    // HTTP/1.1 only, as for the parser: Qt 6.4 would lose a reset over HTTP/2-capable HTTPS to a
    // host that has IPv4 and IPv6 addresses.
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    m_reply = networkManager()->get(request);
    // Bounds what Qt's network thread reads ahead of the disk: memory stays flat for any size.
    m_reply->setReadBufferSize(readAheadBytes);
    connect(m_reply, &QNetworkReply::readyRead, this, &VideoDownloader::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &VideoDownloader::onFinished);
}

void VideoDownloader::abort()
{
    if (!m_reply)
        return;
    m_aborted = true;
    m_reply->abort();
}

QNetworkAccessManager *VideoDownloader::networkManager()
{
    thread_local QPointer<QNetworkAccessManager> manager;
    if (manager)
        return manager;
    manager = new QNetworkAccessManager;
    QThread *thread = QThread::currentThread();
    QCoreApplication *application = QCoreApplication::instance();
    if (application && application->thread() == thread)
        manager->setParent(application);
    else
        connect(thread, &QThread::finished, manager, &QObject::deleteLater);
    return manager;
}

QString VideoDownloader::targetDirectory() const
{
    return m_directory.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::CacheLocation)
                                 : m_directory;
}

// Failures found before any transfer still end through the event loop, so a caller always
// receives finished() after start() has returned.
void VideoDownloader::failLater(const QUrl &url, const QString &reason)
{
    const Result failure { false, {}, reason, url };
    QMetaObject::invokeMethod(
        this, [this, failure] { complete(failure); }, Qt::QueuedConnection);
}

void VideoDownloader::onReadyRead()
{
    // The body of an error answer is not kept; transferFailure() reports the status.
    if (!m_failure.isEmpty() || !hasSuccessStatus()) {
        m_reply->readAll();
        return;
    }
    if (!m_file && !openTarget())
        return;
    writeAvailable();
}

bool VideoDownloader::hasSuccessStatus() const
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status >= 200 && status < 300;
}

// Content-Length counts the encoded bytes; Qt decodes compressed bodies on the way.
qint64 VideoDownloader::expectedLength() const
{
    const QByteArray encoding = m_reply->rawHeader("Content-Encoding").trimmed().toLower();
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (!length.isValid() || !(encoding.isEmpty() || encoding == "identity"))
        return -1;
    return length.toLongLong();
}

// The file is named and claimed when the first body bytes of the final response arrive: only
// then are its headers and its address (after redirects) known.
bool VideoDownloader::openTarget()
{
    const QString name = SuggestedFileName::fromReply(*m_reply);
    m_filePath = SuggestedFileName::claimUnique(targetDirectory(), name);
    if (m_filePath.isEmpty()) {
        fail(tr("Cannot create %1 in %2").arg(name, targetDirectory()));
        return false;
    }
    m_file = std::make_unique<QSaveFile>(m_filePath);
    if (!m_file->open(QIODevice::WriteOnly)) {
        fail(tr("Cannot write %1: %2").arg(m_filePath, m_file->errorString()));
        return false;
    }
    return true;
}

void VideoDownloader::writeAvailable()
{
    // Copied through one fixed buffer: no allocation per arrival, however much has arrived.
    char buffer[copyBufferBytes];
    qint64 count = 0;
    while ((count = m_reply->read(buffer, sizeof buffer)) > 0) {
        if (m_file->write(buffer, count) != count) {
            fail(tr("Cannot write %1: %2").arg(m_filePath, m_file->errorString()));
            return;
        }
        if (m_head.size() < VideoAlbum::sniffingBytes)
            m_head.append(buffer, std::min(count, VideoAlbum::sniffingBytes - m_head.size()));
        m_written += count;
    }
    Q_EMIT progress(m_written, expectedLength());
}

void VideoDownloader::fail(const QString &reason)
{
    if (m_failure.isEmpty())
        m_failure = reason;
    if (m_reply && m_reply->isRunning())
        m_reply->abort();
}

void VideoDownloader::onFinished()
{
    if (m_failure.isEmpty() && m_reply->bytesAvailable() > 0)
        onReadyRead();
    QString failure = transferFailure();
    if (failure.isEmpty())
        failure = commit();
    if (!failure.isEmpty())
        discardFile();
    complete({ failure.isEmpty(), failure.isEmpty() ? m_filePath : QString(), failure, m_url });
}

QString VideoDownloader::transferFailure() const
{
    if (!m_failure.isEmpty())
        return m_failure;
    if (m_aborted)
        return tr("The download was cancelled");
    // A redirect that was not followed leaves its own 3xx status on the reply: the reason is the
    // redirect, never that status.
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString redirect = redirectFailure(status);
    if (!redirect.isEmpty())
        return redirect;
    const bool redirected = status >= 300 && status < 400;
    if (status != 0 && !redirected && (status < 200 || status >= 300))
        return tr("The server answered with status %1").arg(status);
    if (m_reply->error() == QNetworkReply::OperationCanceledError)
        return tr("No data arrived for %1 ms").arg(m_inactivityTimeout.count());
    if (m_reply->error() != QNetworkReply::NoError)
        return m_reply->errorString();
    if (!m_file || m_written == 0)
        return tr("The server sent an empty file");
    const qint64 expected = expectedLength();
    if (expected >= 0 && expected != m_written)
        return tr("The transfer ended after %1 of %2 bytes").arg(m_written).arg(expected);
    return {};
}

QString VideoDownloader::redirectFailure(int status) const
{
    const bool redirected = status >= 300 && status < 400;
    const QString target = QString::fromUtf8(m_reply->rawHeader("Location"));
    switch (m_reply->error()) {
    case QNetworkReply::InsecureRedirectError:
        return tr("The server redirected from https to plain http (%1); such a redirect is not "
                  "followed")
            .arg(target);
    case QNetworkReply::TooManyRedirectsError:
        return tr("The server redirected too many times (last to %1)").arg(target);
    case QNetworkReply::NoError:
        if (!redirected)
            return {};
        return target.isEmpty()
            ? tr("The server answered with a redirect that names no address")
            : tr("The server redirected to %1, which was not followed").arg(target);
    default:
        return {};
    }
}

QString VideoDownloader::commit()
{
    if (!VideoAlbum::isCompatibleData(m_head))
        return tr("The download is not a video");
    if (!m_file->commit())
        return tr("Cannot save %1: %2").arg(m_filePath, m_file->errorString());
    m_file.reset();
    return {};
}

void VideoDownloader::discardFile()
{
    if (m_file) {
        m_file->cancelWriting();
        m_file.reset();
    }
    if (!m_filePath.isEmpty())
        QFile::remove(m_filePath);
    m_filePath.clear();
}

void VideoDownloader::complete(const Result &result)
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    m_file.reset();
    m_filePath.clear();
    m_head.clear();
    m_running = false;
    Q_EMIT finished(result);
}
