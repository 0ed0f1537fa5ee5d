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
#include <cstring>

using namespace Qt::StringLiterals;

namespace {
constexpr qint64 readAheadBytes = 1024 * 1024;
constexpr qint64 copyBufferBytes = 64 * 1024;
// A resume without validators asks again for this much of what is on disk, and compares it.
constexpr qint64 resumeOverlapBytes = 4096;
// More than this waiting in a reply means that Qt no longer bounds its read-ahead.
constexpr qint64 runawayReadAheadBytes = 4 * readAheadBytes;
constexpr int maximumReopenings = 8;
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
        const Result busy { JobOutcome::Status::Failed,
                            {},
                            FailureReason(Kind::NetworkError, tr("Another download is running")),
                            url };
        QMetaObject::invokeMethod(
            this, [this, busy] { Q_EMIT finished(busy); }, Qt::QueuedConnection);
        return;
    }
    m_running = true;
    m_url = url;
    m_failure.reset();
    m_aborted = false;
    m_stopping = false;
    m_attempt = 0;
    m_head.clear();
    m_kindChecked = false;
    m_structure = {};
    m_finalName.clear();
    m_keptPartialPath.clear();
    m_validators = {};
    m_reopenings = 0;

    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http"_s && scheme != u"https"_s)) {
        failLater(Kind::NetworkError, tr("The address is not a web address"));
        return;
    }
    if (!QDir().mkpath(targetDirectory())) {
        failLater(Kind::WriteFailed, tr("Cannot create the folder %1").arg(targetDirectory()));
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
        failLater(Kind::WriteFailed, error);
        return false;
    }
    m_finalName = m_fileName;
    m_validators = m_file->validators();
    if (m_file->size() > 0)
        m_head = m_file->head(mediaSniffingBytes);
    return true;
}

// Asks for the rest of the file when bytes are on disk. Without validators to name their
// version, the last few kilobytes on disk are asked for again: the answer must repeat them.
void VideoDownloader::sendAttempt()
{
    const qint64 onDisk = m_file ? m_file->size() : 0;
    m_resuming = onDisk > 0;
    m_overlap.clear();
    if (m_resuming && !m_validators.identifiesVersion()) {
        const qint64 overlap = std::min(onDisk, resumeOverlapBytes);
        m_overlap = m_file->read(onDisk - overlap, overlap);
    }
    m_requestedOffset = onDisk - m_overlap.size();
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
    m_failure.reset();
    m_failureRetryable = false;
    m_restart = false;
    QNetworkRequest request = NetworkAccess::request(url, m_inactivityTimeout);
    request.setRawHeader("Accept-Encoding", "identity");
    if (!m_userAgent.isEmpty())
        request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    if (m_resuming) {
        request.setRawHeader("Range", "bytes=" + QByteArray::number(m_requestedOffset) + '-');
        // A server that has another version by now answers with all of it (200).
        if (!m_validators.ifRange().isEmpty())
            request.setRawHeader("If-Range", m_validators.ifRange());
    }
    m_reply = NetworkAccess::manager().get(request);
    // Bounds what Qt's network thread reads ahead of the disk (but see readAheadRunsAway()).
    m_reply->setReadBufferSize(readAheadBytes);
    connect(m_reply, &QNetworkReply::readyRead, this, &VideoDownloader::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &VideoDownloader::onFinished);
}

void VideoDownloader::abort()
{
    if (m_running)
        interrupt(m_aborted);
}

void VideoDownloader::stop()
{
    if (m_running && !m_commitWatcher.isRunning())
        interrupt(m_stopping);
}

// Ends the transfer now; \a flag says how (interruptedStatus()).
void VideoDownloader::interrupt(bool &flag)
{
    flag = true;
    if (m_retryTimer.isActive()) {
        m_retryTimer.stop();
        finishUnsaved(std::nullopt);
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
void VideoDownloader::failLater(Kind kind, const QString &reason)
{
    const Result failure { JobOutcome::Status::Failed, {}, FailureReason(kind, reason), m_url };
    QMetaObject::invokeMethod(
        this, [this, failure] { complete(failure); }, Qt::QueuedConnection);
}

void VideoDownloader::onReadyRead()
{
    // The body of an error answer or a redirect is not kept; onFinished() reports the status.
    if (m_failure || !hasSuccessStatus()) {
        m_reply->readAll();
        return;
    }
    if (!m_bodyStarted && !startBody())
        return;
    const bool runaway = readAheadRunsAway();
    // Copied through one fixed buffer: no allocation per arrival, however much has arrived.
    char buffer[copyBufferBytes];
    qint64 count = 0;
    while (!m_failure && (count = m_reply->read(buffer, sizeof buffer)) > 0) {
        m_received += count;
        if (m_bodyOffset + m_received > m_maximumSize) {
            fail(Kind::TooLarge, tr("The download is larger than %1 bytes").arg(m_maximumSize));
            return;
        }
        const bool ok = m_decoder ? m_decoder->decode(
                            buffer, count,
                            [this](const char *data, qint64 size) { return receive(data, size); })
                                  : receive(buffer, count);
        if (!ok && !m_failure)
            fail(Kind::DecompressionFailed,
                 tr("The download could not be decompressed: %1").arg(m_decoder->errorString()));
    }
    // A failure above may have ended the download already (abort() finishes the reply at once).
    if (m_failure)
        return;
    Q_EMIT progress(m_bodyOffset + m_received, m_total);
    if (runaway) {
        ++m_reopenings;
        askAgain(tr("The read-ahead of the transfer was not bounded"));
    }
}

// Qt bounds a reply's read-ahead only from the moment setReadBufferSize() reaches its network
// thread. When this thread is late at that moment (a busy machine; a 20 ms pause between get()
// and the call does it every time), what the network thread passed on meanwhile counts as free
// room for the rest of the transfer, and every later delay of this thread lets that much pile
// up: tens of megabytes, 128 MB in one 256 MiB download. Such a reply is read out and dropped,
// and the rest asked for by a new one (with its validators, as on a resume), a few times at most.
bool VideoDownloader::readAheadRunsAway() const
{
    const qint64 pending = m_reply->bytesAvailable();
    const bool rangesServed = m_reply->rawHeader("Accept-Ranges").trimmed() == "bytes";
    return pending > runawayReadAheadBytes && m_reopenings < maximumReopenings && rangesServed
        && m_file && !m_decoder && m_total > 0
        && m_total - (m_bodyOffset + m_received) > pending + runawayReadAheadBytes;
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
        fail(Kind::DecompressionFailed,
             tr("The server sent the download in an encoding that is not supported (%1)")
                 .arg(QString::fromLatin1(encoding)));
        return false;
    }
    m_decoder = ContentDecoder::create(encoding, m_maximumSize);
    if (status() == 206) {
        if (!takeRange())
            return false;
    } else {
        // The whole file, whatever was asked for: what is on disk goes.
        if (m_resuming && !startOver())
            return false;
        m_total = contentLength();
        if (!keepValidators(ResumeValidators::fromReply(*m_reply)))
            return false;
    }
    if (m_total > m_maximumSize) {
        fail(Kind::TooLarge, tr("The download is larger than %1 bytes").arg(m_maximumSize));
        return false;
    }
    return true;
}

// Takes a 206 answer's "bytes first-last/total": it must go on exactly where it was asked to
// and run to the end of the file, as the bytes are, and be of the version on disk; another
// version is fetched whole at once.
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
            fail(Kind::IncompleteTransfer,
                 tr("The server did not resume the download where it stopped"), true);
        return false;
    }
    const ResumeValidators answer = ResumeValidators::fromReply(*m_reply);
    if (m_resuming && !m_validators.sameVersionAs(answer)) {
        restartFromZero(tr("The file changed on the server since the download began"));
        return false;
    }
    m_bodyOffset = first;
    m_total = total;
    return m_resuming || keepValidators(answer);
}

// Remembers the version the bytes on disk are of, beside them once the file is there.
bool VideoDownloader::keepValidators(const ResumeValidators &validators)
{
    m_validators = validators;
    // Only a named ".part" is taken over by a later download, and only one that resumes keeps
    // them (a ".part" without them is resumed with the overlap check).
    if (m_file && !m_fileName.isEmpty() && m_continuePartial
        && !m_file->setValidators(validators)) {
        fail(Kind::WriteFailed, m_file->errorString());
        return false;
    }
    return true;
}

// Drops what is on disk and asks for the whole file again at once: what the server has is no
// longer what the bytes on disk were part of. Not a retry: the new request asks for no range,
// so it cannot meet this again.
void VideoDownloader::restartFromZero(const QString &reason)
{
    if (startOver())
        askAgain(reason);
}

// Ends this reply and asks at once, through the event loop, for what is not on disk yet.
void VideoDownloader::askAgain(const QString &reason)
{
    m_restart = true;
    fail(Kind::IncompleteTransfer, reason, true);
}

bool VideoDownloader::restartLater()
{
    if (!m_restart || m_aborted || m_stopping)
        return false;
    releaseReply();
    // Through the event loop, never from inside the old reply's signal.
    m_retryTimer.start(0);
    return true;
}

// Drops what is on disk, so the next bytes are the file's first.
bool VideoDownloader::startOver()
{
    m_head.clear();
    m_kindChecked = false;
    m_structure = {};
    m_requestedOffset = 0;
    m_overlap.clear();
    m_validators = {};
    if (m_file && !m_file->truncate()) {
        fail(Kind::WriteFailed, m_file->errorString());
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
    if (!m_overlap.isEmpty()) {
        const qint64 compared = std::min<qint64>(size, m_overlap.size());
        if (std::memcmp(data, m_overlap.constData(), size_t(compared)) != 0) {
            restartFromZero(tr("The file changed on the server since the download began"));
            return false;
        }
        m_overlap.remove(0, qsizetype(compared));
        data += compared;
        size -= compared;
    }
    m_structure.feed(data, size);
    if (!m_file) {
        m_head.append(data, size);
        return m_head.size() < mediaSniffingBytes || openTarget();
    }
    if (m_head.size() < mediaSniffingBytes)
        m_head.append(data, qsizetype(std::min(size, mediaSniffingBytes - m_head.size())));
    if (!m_file->write(data, size)) {
        fail(Kind::WriteFailed, m_file->errorString());
        return false;
    }
    return m_kindChecked || m_head.size() < mediaSniffingBytes || checkKind();
}

bool VideoDownloader::checkKind()
{
    m_kindChecked = true;
    if (isMediaOfKind(m_head, m_expectedKind))
        return true;
    fail(Kind::WrongContent,
         m_expectedKind == MediaKind::Image ? tr("The download is not an image")
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
        fail(Kind::WriteFailed, error);
        return false;
    }
    if (!m_file->write(m_head)) {
        fail(Kind::WriteFailed, m_file->errorString());
        return false;
    }
    return keepValidators(m_validators);
}

void VideoDownloader::fail(Kind kind, const QString &reason, bool retryable)
{
    if (!m_failure) {
        m_failure = FailureReason(kind, reason);
        m_failureRetryable = retryable;
    }
    if (m_reply && m_reply->isRunning())
        m_reply->abort();
}

void VideoDownloader::onFinished()
{
    if (!m_failure && m_reply->bytesAvailable() > 0)
        onReadyRead();
    if (!m_failure && m_resuming && status() == 416)
        restartFromZero(tr("The server cannot resume the download (status 416)"));
    if (restartLater() || followRedirect())
        return;
    const bool interrupted = m_aborted || m_stopping;
    std::optional<FailureReason> failure = transferFailure();
    if (!failure && !interrupted && !m_file && !openTarget())
        failure = m_failure;
    if (!failure && !interrupted && !m_kindChecked && !checkKind())
        failure = m_failure;
    if (!failure && !interrupted) {
        releaseReply();
        commitInBackground();
        return;
    }
    if (!failure || !retryLater(*failure))
        finishUnsaved(failure);
}

// Waits, then tries the transfer again: from where the file on disk ends when the answer allows
// it, else from the start.
bool VideoDownloader::retryLater(const FailureReason &reason)
{
    if (!m_failureRetryable || m_attempt >= m_retries || m_aborted || m_stopping)
        return false;
    const bool resumable = m_file && m_file->size() > 0 && !m_decoder && m_total > 0;
    releaseReply();
    if (!resumable && !startOver())
        return false;
    ++m_attempt;
    const auto delay = m_retryDelay * (1 << std::min(m_attempt - 1, longestBackOffDoubling));
    Q_EMIT retrying(m_attempt, reason.detail(), delay);
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
    if (m_aborted) {
        if (!outcome.filePath.isEmpty())
            QFile::remove(outcome.filePath);
        complete({ JobOutcome::Status::Cancelled, QString(),
                   FailureReason(Kind::Cancelled, QString()), m_url });
        return;
    }
    if (outcome.filePath.isEmpty()) {
        complete({ JobOutcome::Status::Failed, QString(),
                   FailureReason(Kind::WriteFailed, outcome.errorString), m_url });
        return;
    }
    complete({ JobOutcome::Status::Done, outcome.filePath, std::nullopt, m_url });
}

// Starts the request for the address a 3xx answer names, unless it must not be followed; then
// transferFailure() gives the reason.
bool VideoDownloader::followRedirect()
{
    const QByteArray location = m_reply->rawHeader("Location");
    const int code = status();
    if (m_failure || m_aborted || m_stopping || m_reply->error() != QNetworkReply::NoError
        || code < 300 || code >= 400 || location.isEmpty())
        return false;
    const QUrl target = m_reply->url().resolved(QUrl::fromEncoded(location));
    if (RedirectRule(maximumRedirects).refusal(m_reply->url(), target, m_redirects))
        return false;
    ++m_redirects;
    releaseReply();
    request(target);
    return true;
}

// Why the transfer did not bring the whole file, or nothing when it did; sets whether trying
// again may help. A stopped or cancelled transfer has no reason of its own (interruptedStatus()).
std::optional<FailureReason> VideoDownloader::transferFailure()
{
    if (m_failure)
        return m_failure;
    if (m_stopping || m_aborted)
        return std::nullopt;
    // A redirect that was not followed leaves its own 3xx status on the reply: the reason is the
    // redirect, never that status.
    const int code = status();
    if (const std::optional<FailureReason> redirect = redirectFailure(code))
        return redirect;
    if (code != 0 && (code < 200 || code >= 300)) {
        m_failureRetryable = code == 429 || code >= 500;
        return FailureReason(Kind::HttpStatus, tr("The server answered with status %1").arg(code));
    }
    if (m_reply->error() == QNetworkReply::OperationCanceledError) {
        m_failureRetryable = true;
        return FailureReason(Kind::TimedOut,
                             tr("No data arrived for %1 ms").arg(m_inactivityTimeout.count()));
    }
    if (m_reply->error() != QNetworkReply::NoError) {
        m_failureRetryable = isRetryableNetworkError();
        return FailureReason(networkErrorKind(), m_reply->errorString());
    }
    if (m_bodyOffset + m_received == 0)
        return FailureReason(Kind::WrongContent, tr("The server sent an empty file"));
    return lengthFailure();
}

// Nothing when the whole body is known to have arrived.
std::optional<FailureReason> VideoDownloader::lengthFailure()
{
    const qint64 length = contentLength();
    if (length >= 0 && length != m_received) {
        m_failureRetryable = true;
        return FailureReason(Kind::IncompleteTransfer,
                             tr("The transfer ended after %1 of %2 bytes")
                                 .arg(QString::number(m_bodyOffset + m_received),
                                      QString::number(m_bodyOffset + length)));
    }
    m_failureRetryable = true;
    if (m_decoder) {
        if (m_decoder->finish())
            return std::nullopt;
        return FailureReason(
            Kind::DecompressionFailed,
            tr("The download could not be decompressed: %1").arg(m_decoder->errorString()));
    }
    if (length >= 0 || m_structure.endsCleanly())
        return std::nullopt;
    const bool chunked
        = m_reply->rawHeader("Transfer-Encoding").trimmed().toLower().endsWith("chunked");
    return FailureReason(Kind::IncompleteTransfer,
                         chunked ? tr("The transfer ended before the end of the file (the server "
                                      "sent it in chunks without a length)")
                                 : tr("The transfer ended before the end of the file (the server "
                                      "sent no length and closed the connection)"));
}

std::optional<FailureReason> VideoDownloader::redirectFailure(int code) const
{
    if (code < 300 || code >= 400 || m_reply->error() != QNetworkReply::NoError)
        return std::nullopt;
    const QByteArray location = m_reply->rawHeader("Location");
    if (location.isEmpty())
        return FailureReason(Kind::RefusedRedirect,
                             tr("The server answered with a redirect that names no address"));
    const QUrl target = m_reply->url().resolved(QUrl::fromEncoded(location));
    if (std::optional<FailureReason> refusal
        = RedirectRule(maximumRedirects).refusal(m_reply->url(), target, m_redirects))
        return refusal;
    return FailureReason(Kind::RefusedRedirect, tr("to %1").arg(target.toDisplayString()));
}

// The failure kinds of the connection, so that a caller can tell them apart: a server that closes
// the connection in the middle of the body has sent an incomplete file.
FailureReason::Kind VideoDownloader::networkErrorKind() const
{
    switch (m_reply->error()) {
    case QNetworkReply::RemoteHostClosedError:
        return m_received > 0 ? Kind::IncompleteTransfer : Kind::NetworkError;
    case QNetworkReply::ConnectionRefusedError:
        return Kind::ConnectionRefused;
    case QNetworkReply::SslHandshakeFailedError:
        return Kind::TlsError;
    case QNetworkReply::TimeoutError:
        return Kind::TimedOut;
    default:
        return Kind::NetworkError;
    }
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

// Ends a download that failed for \a reason, or without one was stopped or cancelled. A stopped
// one keeps its ".part" for a resume, and so does a named one that broke on the way and ran out
// of retries, when resuming is wanted: the next run goes on from there.
void VideoDownloader::finishUnsaved(const std::optional<FailureReason> &reason)
{
    const JobOutcome::Status status = reason ? JobOutcome::Status::Failed : interruptedStatus();
    const bool resumable = !m_fileName.isEmpty() && m_continuePartial && !m_decoder;
    const bool keep = m_file && !m_aborted
        && (status == JobOutcome::Status::Stopped || (m_failureRetryable && resumable));
    if (keep && m_file->size() > 0)
        m_keptPartialPath = m_file->path();
    if (keep)
        m_file->keep();
    else if (m_file)
        m_file->discard();
    const std::optional<FailureReason> failure = status == JobOutcome::Status::Cancelled
        ? std::optional<FailureReason>(FailureReason(Kind::Cancelled, QString()))
        : reason;
    complete({ status, QString(), failure, m_url });
}

// A cancel wins over a stop that came first: the caller asked to drop everything.
JobOutcome::Status VideoDownloader::interruptedStatus() const
{
    return m_aborted ? JobOutcome::Status::Cancelled : JobOutcome::Status::Stopped;
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
