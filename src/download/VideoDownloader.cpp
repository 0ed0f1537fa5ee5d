#include "VideoDownloader.h"

#include "ContentDecoder.h"
#include "PartFile.h"
#include "SuggestedFileName.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPromise>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThreadPool>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
constexpr qint64 readAheadBytes = 1024 * 1024;
constexpr qint64 copyBufferBytes = 64 * 1024;
constexpr int longestBackOffDoubling = 16;
} // namespace

VideoDownloader::VideoDownloader(QObject *parent) : QObject(parent)
{
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &VideoDownloader::sendAttempt);
    connect(&m_commitWatcher, &QFutureWatcherBase::finished, this,
            [this] { finishCommit(m_commitWatcher.result()); });
}

VideoDownloader::~VideoDownloader()
{
    if (m_commitWatcher.isRunning()) {
        m_commitWatcher.disconnect(this);
        m_commitWatcher.waitForFinished();
        const QString saved = m_commitWatcher.result().filePath;
        if (!saved.isEmpty())
            QFile::remove(saved);
    }
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
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
    m_stopping = false;
    m_attempt = 0;
    m_head.clear();
    m_kindChecked = false;
    m_structure = {};
    m_finalName.clear();
    m_keptPartialPath.clear();

    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http"_s && scheme != u"https"_s)) {
        failLater(url, tr("The address is not a web address"));
        return;
    }
    if (!QDir().mkpath(targetDirectory())) {
        failLater(url, tr("Cannot create the folder %1").arg(targetDirectory()));
        return;
    }
    if (!m_fileName.isEmpty() && !claimNamedFile())
        return;
    sendAttempt();
}

// With a name given, the ".part" is claimed before the request: one left by an earlier download
// tells where to resume.
bool VideoDownloader::claimNamedFile()
{
    QString error;
    const auto existing
        = m_continuePartial ? PartFile::Existing::Resume : PartFile::Existing::Restart;
    m_file = PartFile::claim(targetDirectory(), m_fileName, existing, &error);
    if (!m_file) {
        failLater(m_url, error);
        return false;
    }
    m_finalName = m_fileName;
    if (m_file->size() > 0)
        m_head = m_file->head(mediaSniffingBytes);
    return true;
}

void VideoDownloader::sendAttempt()
{
    m_requestedOffset = m_file ? m_file->size() : 0;
    m_redirects = 0;
    request(m_url);
}

// A plain GET with Qt's default headers, except that the bytes are asked for as they are, and
// from where the file on disk ends. Redirects are followed by followRedirect(): Qt 6.4's own
// refusal of an https → http redirect leaks the refused reply's internals and warns about a null
// connection.
void VideoDownloader::request(const QUrl &url)
{
    m_bodyStarted = false;
    m_decoder.reset();
    m_bodyOffset = 0;
    m_total = -1;
    m_received = 0;
    m_failure.clear();
    m_failureRetryable = false;
    QNetworkRequest request = NetworkAccess::request(url, m_inactivityTimeout);
    request.setRawHeader("Accept-Encoding", "identity");
    if (!m_userAgent.isEmpty())
        request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    if (m_requestedOffset > 0)
        request.setRawHeader("Range", "bytes=" + QByteArray::number(m_requestedOffset) + '-');
    m_reply = NetworkAccess::manager().get(request);
    // Bounds what Qt's network thread reads ahead of the disk: memory stays flat for any size.
    m_reply->setReadBufferSize(readAheadBytes);
    connect(m_reply, &QNetworkReply::readyRead, this, &VideoDownloader::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &VideoDownloader::onFinished);
}

void VideoDownloader::abort()
{
    if (m_running)
        interrupt(m_aborted, tr("The download was cancelled"));
}

void VideoDownloader::stop()
{
    if (m_running && !m_commitWatcher.isRunning())
        interrupt(m_stopping, tr("The download was stopped"));
}

// Ends the transfer now; \a flag says how, and transferFailure() gives \a reason.
void VideoDownloader::interrupt(bool &flag, const QString &reason)
{
    flag = true;
    if (m_retryTimer.isActive()) {
        m_retryTimer.stop();
        finishFailed(reason);
    } else if (m_reply) {
        m_reply->abort();
    }
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
        if (m_bodyOffset + m_received > m_maximumSize) {
            fail(tr("The download is larger than %1 bytes").arg(m_maximumSize));
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
        Q_EMIT progress(m_bodyOffset + m_received, m_total);
}

int VideoDownloader::status() const
{
    return m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

bool VideoDownloader::hasSuccessStatus() const
{
    const int code = status();
    return code >= 200 && code < 300;
}

// Checks the final answer's headers once, as its body begins.
bool VideoDownloader::startBody()
{
    m_bodyStarted = true;
    const QByteArray encoding = m_reply->rawHeader("Content-Encoding");
    if (!ContentDecoder::isSupported(encoding)) {
        fail(tr("The server sent the download in an encoding that is not supported (%1)")
                 .arg(QString::fromLatin1(encoding)));
        return false;
    }
    m_decoder = ContentDecoder::create(encoding, m_maximumSize);
    if (status() == 206) {
        if (!takeRange())
            return false;
    } else {
        // The whole file, whatever was asked for: what is on disk goes.
        if (m_requestedOffset > 0 && !startOver())
            return false;
        m_total = contentLength();
    }
    if (m_total > m_maximumSize) {
        fail(tr("The download is larger than %1 bytes").arg(m_maximumSize));
        return false;
    }
    return true;
}

// Takes a 206 answer's "bytes first-last/total": it must go on exactly where the file on disk
// ends and run to the end of the file, as the bytes are.
bool VideoDownloader::takeRange()
{
    static const QRegularExpression pattern(u"^\\s*bytes\\s+(\\d+)-(\\d+)/(\\d+)\\s*$"_s);
    const QRegularExpressionMatch match
        = pattern.match(QString::fromLatin1(m_reply->rawHeader("Content-Range")));
    const qint64 first = match.captured(1).toLongLong();
    const qint64 last = match.captured(2).toLongLong();
    const qint64 total = match.captured(3).toLongLong();
    if (!match.hasMatch() || m_decoder || first != m_requestedOffset || last != total - 1
        || total <= first) {
        if (startOver())
            fail(tr("The server did not resume the download where it stopped"), true);
        return false;
    }
    m_bodyOffset = first;
    m_total = total;
    return true;
}

// Drops what is on disk, so the next bytes are the file's first.
bool VideoDownloader::startOver()
{
    m_head.clear();
    m_kindChecked = false;
    m_structure = {};
    m_requestedOffset = 0;
    if (m_file && !m_file->truncate()) {
        fail(m_file->errorString());
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

// Takes decoded body bytes: held until they are enough to tell what the download is and to name
// it, then written to the ".part".
bool VideoDownloader::receive(const char *data, qint64 size)
{
    m_structure.feed(data, size);
    if (!m_file) {
        m_head.append(data, size);
        return m_head.size() < mediaSniffingBytes || openTarget();
    }
    if (m_head.size() < mediaSniffingBytes)
        m_head.append(data, qsizetype(std::min(size, mediaSniffingBytes - m_head.size())));
    if (!m_file->write(data, size)) {
        fail(m_file->errorString());
        return false;
    }
    return m_kindChecked || m_head.size() < mediaSniffingBytes || checkKind();
}

bool VideoDownloader::checkKind()
{
    m_kindChecked = true;
    if (isMediaOfKind(m_head, m_expectedKind))
        return true;
    fail(m_expectedKind == MediaKind::Image ? tr("The download is not an image")
                                            : tr("The download is not a video"));
    return false;
}

// Without a name given, the file is named and claimed once the first bytes of the final answer
// are there: only then are its headers, its address (after redirects) and its type known.
bool VideoDownloader::openTarget()
{
    if (!checkKind())
        return false;
    m_finalName = SuggestedFileName::fromReply(*m_reply, m_head);
    QString error;
    m_file = PartFile::claim(targetDirectory(), m_finalName, PartFile::Existing::Avoid, &error);
    if (!m_file) {
        fail(error);
        return false;
    }
    if (!m_file->write(m_head)) {
        fail(m_file->errorString());
        return false;
    }
    return true;
}

void VideoDownloader::fail(const QString &reason, bool retryable)
{
    if (m_failure.isEmpty()) {
        m_failure = reason;
        m_failureRetryable = retryable;
    }
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
    if (failure.isEmpty() && !m_kindChecked && !checkKind())
        failure = m_failure;
    if (failure.isEmpty()) {
        releaseReply();
        commitInBackground();
        return;
    }
    if (!retryLater(failure))
        finishFailed(failure);
}

// Waits, then tries the transfer again: from where the file on disk ends when the answer allows
// it, else from the start.
bool VideoDownloader::retryLater(const QString &reason)
{
    if (!m_failureRetryable || m_attempt >= m_retries || m_aborted || m_stopping)
        return false;
    const bool resumable = m_file && m_file->size() > 0 && !m_decoder && m_total > 0;
    releaseReply();
    if (!resumable && !startOver())
        return false;
    ++m_attempt;
    const auto delay = m_retryDelay * (1 << std::min(m_attempt - 1, longestBackOffDoubling));
    Q_EMIT retrying(m_attempt, reason, delay);
    m_retryTimer.start(delay);
    return true;
}

// Giving the file its name and checking it there happens off this thread: a file system may
// write the whole file out at that moment.
void VideoDownloader::commitInBackground()
{
    const QString finalName = SuggestedFileName::withContentExtension(m_finalName, m_head);
    auto promise = std::make_shared<QPromise<CommitOutcome>>();
    m_commitWatcher.setFuture(promise->future());
    QThreadPool::globalInstance()->start(
        [promise, finalName, file = std::shared_ptr<PartFile>(std::move(m_file))] {
            promise->start();
            const QString path = file->commit(finalName);
            promise->addResult(
                CommitOutcome { path, path.isEmpty() ? file->errorString() : QString() });
            promise->finish();
        });
}

void VideoDownloader::finishCommit(const CommitOutcome &outcome)
{
    if (outcome.filePath.isEmpty() || m_aborted) {
        if (!outcome.filePath.isEmpty())
            QFile::remove(outcome.filePath);
        complete({ false, QString(),
                   m_aborted ? tr("The download was cancelled") : outcome.errorString, m_url });
        return;
    }
    complete({ true, outcome.filePath, QString(), m_url });
}

// Starts the request for the address a 3xx answer names, unless it must not be followed; then
// transferFailure() gives the reason.
bool VideoDownloader::followRedirect()
{
    const QByteArray location = m_reply->rawHeader("Location");
    const int code = status();
    if (!m_failure.isEmpty() || m_aborted || m_stopping
        || m_reply->error() != QNetworkReply::NoError || code < 300 || code >= 400
        || location.isEmpty() || m_redirects >= maximumRedirects)
        return false;
    const QUrl target = m_reply->url().resolved(QUrl::fromEncoded(location));
    const QString scheme = target.scheme().toLower();
    const bool downgrade = m_reply->url().scheme().toLower() == u"https"_s && scheme == u"http"_s;
    if (downgrade || !target.isValid() || (scheme != u"http"_s && scheme != u"https"_s))
        return false;
    ++m_redirects;
    releaseReply();
    request(target);
    return true;
}

// Why the transfer did not bring the whole file, or empty when it did; sets whether trying
// again may help.
QString VideoDownloader::transferFailure()
{
    if (!m_failure.isEmpty())
        return m_failure;
    if (m_stopping)
        return tr("The download was stopped");
    if (m_aborted)
        return tr("The download was cancelled");
    // A redirect that was not followed leaves its own 3xx status on the reply: the reason is the
    // redirect, never that status.
    const int code = status();
    const QString redirect = redirectFailure(code);
    if (!redirect.isEmpty())
        return redirect;
    if (code != 0 && (code < 200 || code >= 300)) {
        m_failureRetryable = code == 429 || code >= 500;
        return tr("The server answered with status %1").arg(code);
    }
    if (m_reply->error() == QNetworkReply::OperationCanceledError) {
        m_failureRetryable = true;
        return tr("No data arrived for %1 ms").arg(m_inactivityTimeout.count());
    }
    if (m_reply->error() != QNetworkReply::NoError) {
        m_failureRetryable = isRetryableNetworkError();
        return m_reply->errorString();
    }
    if (m_bodyOffset + m_received == 0)
        return tr("The server sent an empty file");
    return lengthFailure();
}

// Empty when the whole body is known to have arrived.
QString VideoDownloader::lengthFailure()
{
    const qint64 length = contentLength();
    if (length >= 0 && length != m_received) {
        m_failureRetryable = true;
        return tr("The transfer ended after %1 of %2 bytes")
            .arg(QString::number(m_bodyOffset + m_received),
                 QString::number(m_bodyOffset + length));
    }
    const bool chunked
        = m_reply->rawHeader("Transfer-Encoding").trimmed().toLower().endsWith("chunked");
    if (length < 0 && !chunked)
        return tr("The server sent no length, so a cut transfer cannot be told from a whole one");
    m_failureRetryable = true;
    if (m_decoder)
        return m_decoder->finish()
            ? QString()
            : tr("The download could not be decompressed: %1").arg(m_decoder->errorString());
    if (length < 0 && !m_structure.endsCleanly())
        return tr("The transfer ended before the end of the file (the server sent it in chunks "
                  "without a length)");
    return {};
}

QString VideoDownloader::redirectFailure(int code) const
{
    if (code < 300 || code >= 400 || m_reply->error() != QNetworkReply::NoError)
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

// Failures of the connection, which a later attempt may not meet; not those of names, TLS or
// content.
bool VideoDownloader::isRetryableNetworkError() const
{
    switch (m_reply->error()) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::UnknownNetworkError:
        return true;
    default:
        return false;
    }
}

void VideoDownloader::releaseReply()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->deleteLater();
        m_reply = nullptr;
    }
}

// Ends a download that failed or stopped: a stopped one keeps its ".part" for a resume.
void VideoDownloader::finishFailed(const QString &reason)
{
    if (m_file && m_stopping && m_file->size() > 0)
        m_keptPartialPath = m_file->path();
    if (m_file && m_stopping)
        m_file->keep();
    else if (m_file)
        m_file->discard();
    complete({ false, QString(), reason, m_url });
}

void VideoDownloader::complete(const Result &result)
{
    releaseReply();
    m_file.reset();
    m_decoder.reset();
    m_head.clear();
    m_running = false;
    Q_EMIT finished(result);
}
