#include "VideoDownloader.h"

#include "ContentDecoder.h"
#include "SuggestedFileName.h"
#include "VerifiedSaveFile.h"
#include "VideoAlbum.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPromise>
#include <QStandardPaths>
#include <QThread>
#include <QThreadPool>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
constexpr qint64 readAheadBytes = 1024 * 1024;
constexpr qint64 copyBufferBytes = 64 * 1024;
} // namespace

VideoDownloader::VideoDownloader(QObject *parent) : QObject(parent)
{
    connect(&m_commitWatcher, &QFutureWatcherBase::finished, this,
            [this] { finishCommit(m_commitWatcher.result()); });
}

VideoDownloader::~VideoDownloader()
{
    if (m_commitWatcher.isRunning()) {
        m_commitWatcher.disconnect(this);
        m_commitWatcher.waitForFinished();
    }
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

qint64 VideoDownloader::maximumSize() const
{
    return m_maximumSize;
}

void VideoDownloader::setMaximumSize(qint64 bytes)
{
    m_maximumSize = bytes;
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
    m_redirects = 0;

    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http"_s && scheme != u"https"_s)) {
        failLater(url, tr("The address is not a web address"));
        return;
    }
    if (!QDir().mkpath(targetDirectory())) {
        failLater(url, tr("Cannot create the folder %1").arg(targetDirectory()));
        return;
    }
    request(url);
}

// A plain GET with Qt's default headers, except that the bytes are asked for as they are.
// Redirects are followed by followRedirect(): Qt 6.4's own refusal of an https → http redirect
// leaks the refused reply's internals and warns about a null connection.
void VideoDownloader::request(const QUrl &url)
{
    m_bodyStarted = false;
    m_decoder.reset();
    m_head.clear();
    m_boxes = {};
    m_received = 0;
    m_written = 0;
    QNetworkRequest request = NetworkAccess::request(url, m_inactivityTimeout);
    request.setRawHeader("Accept-Encoding", "identity");
    m_reply = NetworkAccess::manager().get(request);
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
    // The body of an error answer or a redirect is not kept; onFinished() reports the status.
    if (!m_failure.isEmpty() || !hasSuccessStatus()) {
        m_reply->readAll();
        return;
    }
    if (!m_bodyStarted && !startBody())
        return;
    // Copied through one fixed buffer: no allocation per arrival, however much has arrived.
    char buffer[copyBufferBytes];
    qint64 count = 0;
    while (m_failure.isEmpty() && (count = m_reply->read(buffer, sizeof buffer)) > 0) {
        m_received += count;
        if (m_received > m_maximumSize) {
            fail(tr("The video is larger than %1 bytes").arg(m_maximumSize));
            return;
        }
        const bool ok = m_decoder ? m_decoder->decode(
                            buffer, count,
                            [this](const char *data, qint64 size) { return receive(data, size); })
                                  : receive(buffer, count);
        if (!ok && m_failure.isEmpty())
            fail(tr("The download could not be decompressed: %1").arg(m_decoder->errorString()));
    }
    // A failure above may have ended the download already (abort() finishes the reply at once).
    if (m_failure.isEmpty())
        Q_EMIT progress(m_received, expectedLength());
}

bool VideoDownloader::hasSuccessStatus() const
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status >= 200 && status < 300;
}

// Checks the final answer's headers once, as its body begins.
bool VideoDownloader::startBody()
{
    m_bodyStarted = true;
    const QByteArray encoding = m_reply->rawHeader("Content-Encoding");
    if (!ContentDecoder::isSupported(encoding)) {
        fail(tr("The server sent the video in an encoding that is not supported (%1)")
                 .arg(QString::fromLatin1(encoding)));
        return false;
    }
    m_decoder = ContentDecoder::create(encoding, m_maximumSize);
    if (contentLength() > m_maximumSize) {
        fail(tr("The video is larger than %1 bytes").arg(m_maximumSize));
        return false;
    }
    return true;
}

// The Content-Length, counting the bytes as sent; -1 when the answer has none.
qint64 VideoDownloader::contentLength() const
{
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    return length.isValid() ? length.toLongLong() : -1;
}

// The total for progress(): the bytes as sent, when known.
qint64 VideoDownloader::expectedLength() const
{
    return contentLength();
}

// Takes decoded body bytes: held until they are enough to tell what the download is, then
// written to the claimed file.
bool VideoDownloader::receive(const char *data, qint64 size)
{
    m_boxes.feed(data, size);
    if (!m_file) {
        m_head.append(data, size);
        if (m_head.size() < VideoAlbum::sniffingBytes)
            return true;
        return openTarget();
    }
    if (!m_file->write(data, size)) {
        fail(m_file->errorString());
        return false;
    }
    m_written += size;
    return true;
}

// The file is named and claimed once the first bytes of the final answer are there: only then
// are its headers, its address (after redirects) and its type known.
bool VideoDownloader::openTarget()
{
    if (!VideoAlbum::isCompatibleData(m_head)) {
        fail(tr("The download is not a video"));
        return false;
    }
    const QString name = SuggestedFileName::fromReply(*m_reply, m_head);
    m_filePath = SuggestedFileName::claimUnique(targetDirectory(), name);
    if (m_filePath.isEmpty()) {
        fail(tr("Cannot create %1 in %2").arg(name, targetDirectory()));
        return false;
    }
    m_file = std::make_unique<VerifiedSaveFile>(m_filePath);
    if (!m_file->open() || !m_file->write(m_head)) {
        fail(m_file->errorString());
        return false;
    }
    m_written = m_head.size();
    return true;
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
    if (followRedirect())
        return;
    QString failure = transferFailure();
    if (failure.isEmpty() && !m_file && !openTarget())
        failure = m_failure;
    if (failure.isEmpty()) {
        commitInBackground();
        return;
    }
    discardFile();
    complete({ false, QString(), failure, m_url });
}

// Giving the file its name replaces the claimed empty file, which makes ext4 write out the whole
// file there and then: hundreds of milliseconds for a large video, so it happens off this thread.
void VideoDownloader::commitInBackground()
{
    auto promise = std::make_shared<QPromise<QString>>();
    m_commitWatcher.setFuture(promise->future());
    QThreadPool::globalInstance()->start(
        [promise, file = std::shared_ptr<VerifiedSaveFile>(std::move(m_file))] {
            promise->start();
            promise->addResult(file->commit() ? QString() : file->errorString());
            promise->finish();
        });
}

void VideoDownloader::finishCommit(const QString &failure)
{
    if (!failure.isEmpty() || m_aborted) {
        discardFile();
        complete(
            { false, QString(), m_aborted ? tr("The download was cancelled") : failure, m_url });
        return;
    }
    complete({ true, m_filePath, QString(), m_url });
}

// Starts the request for the address a 3xx answer names, unless it must not be followed; then
// transferFailure() gives the reason.
bool VideoDownloader::followRedirect()
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray location = m_reply->rawHeader("Location");
    if (!m_failure.isEmpty() || m_aborted || m_reply->error() != QNetworkReply::NoError
        || status < 300 || status >= 400 || location.isEmpty() || m_redirects >= maximumRedirects)
        return false;
    const QUrl target = m_reply->url().resolved(QUrl::fromEncoded(location));
    const QString scheme = target.scheme().toLower();
    const bool downgrade = m_reply->url().scheme().toLower() == u"https"_s && scheme == u"http"_s;
    if (downgrade || !target.isValid() || (scheme != u"http"_s && scheme != u"https"_s))
        return false;
    ++m_redirects;
    m_reply->disconnect(this);
    m_reply->deleteLater();
    request(target);
    return true;
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
    if (status != 0 && (status < 200 || status >= 300))
        return tr("The server answered with status %1").arg(status);
    if (m_reply->error() == QNetworkReply::OperationCanceledError)
        return tr("No data arrived for %1 ms").arg(m_inactivityTimeout.count());
    if (m_reply->error() != QNetworkReply::NoError)
        return m_reply->errorString();
    if (m_received == 0)
        return tr("The server sent an empty file");
    return lengthFailure();
}

// Empty when the whole body is known to have arrived.
QString VideoDownloader::lengthFailure() const
{
    const qint64 length = contentLength();
    if (length >= 0 && length != m_received)
        return tr("The transfer ended after %1 of %2 bytes").arg(m_received).arg(length);
    const bool chunked
        = m_reply->rawHeader("Transfer-Encoding").trimmed().toLower().endsWith("chunked");
    if (length < 0 && !chunked)
        return tr("The server sent no length, so a cut transfer cannot be told from a whole one");
    if (m_decoder)
        return m_decoder->finish()
            ? QString()
            : tr("The download could not be decompressed: %1").arg(m_decoder->errorString());
    if (length < 0 && !m_boxes.endsCleanly())
        return tr("The transfer ended before the end of the video (the server sent it in chunks "
                  "without a length)");
    return {};
}

QString VideoDownloader::redirectFailure(int status) const
{
    if (status < 300 || status >= 400 || m_reply->error() != QNetworkReply::NoError)
        return {};
    const QByteArray location = m_reply->rawHeader("Location");
    const QUrl target = m_reply->url().resolved(QUrl::fromEncoded(location));
    const QString shown = target.toDisplayString();
    if (location.isEmpty())
        return tr("The server answered with a redirect that names no address");
    if (m_redirects >= maximumRedirects)
        return tr("The server redirected too many times (last to %1)").arg(shown);
    if (target.scheme().toLower() == u"http"_s)
        return tr("The server redirected from https to plain http (%1); such a redirect is not "
                  "followed")
            .arg(shown);
    return tr("The server redirected to %1, which was not followed").arg(shown);
}

void VideoDownloader::discardFile()
{
    if (m_file) {
        m_file->cancel();
        m_file.reset();
    } else if (!m_filePath.isEmpty()) {
        QFile::remove(m_filePath);
    }
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
    m_decoder.reset();
    m_filePath.clear();
    m_head.clear();
    m_running = false;
    Q_EMIT finished(result);
}
