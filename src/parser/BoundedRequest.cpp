#include "BoundedRequest.h"

#include "RequestGroup.h"

#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>

namespace {

using namespace std::chrono_literals;

// A redirect's body, or an error page's, is a few lines of HTML. Reading it to its end lets the
// connection carry the next request, and lets Qt finish the reply by itself: aborting a reply
// whose error status Qt is still to report makes it warn of a second error. A body that is
// longer or slower than this is cut off instead (a lost connection costs less than a wait on a
// server that drips).
constexpr qint64 maximumDrain = 16 * 1024;
constexpr auto drainTime = 1s;
constexpr qint64 readBufferSize = 1024 * 1024;

QString shown(const QUrl &url)
{
    return url.toDisplayString();
}

// Qt reports HTTP error statuses as errors; here an answer with any status is an answer, and only
// a failed transfer (no answer, a time-out, a cut connection) is a failure.
bool isErrorStatus(QNetworkReply::NetworkError error)
{
    const bool contentError = error >= QNetworkReply::ContentAccessDenied
        && error <= QNetworkReply::UnknownContentError;
    const bool serverError
        = error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError;
    return contentError || serverError;
}

} // namespace

void BoundedRequest::get(QNetworkAccessManager &manager, const QNetworkRequest &request, Body body,
                         qint64 maximumBodySize, const QDeadlineTimer &deadline, Done done,
                         const std::shared_ptr<RequestGroup> &group)
{
    // The object is a child of the reply and goes with it.
    auto *const bounded = new BoundedRequest(manager.get(request), body, maximumBodySize, deadline,
                                             std::move(done));
    if (group)
        group->join(bounded);
}

void BoundedRequest::drop()
{
    if (m_reported)
        return;
    m_reported = true;
    m_deadlineTimer.stop();
    m_drainTimer.stop();
    // Releases what the callback holds (the rest of the parse) now rather than with the reply.
    m_done = nullptr;
    // Aborting a transfer under way closes its connection: the server sees the client leave.
    m_reply->abort();
}

BoundedRequest::BoundedRequest(QNetworkReply *reply, Body body, qint64 maximumBodySize,
                               const QDeadlineTimer &deadline, Done done)
    : QObject(reply)
    , m_reply(reply)
    , m_body(body)
    , m_maximumBodySize(maximumBodySize)
    , m_done(std::move(done))
{
    m_answer.url = reply->url();
    // Qt stops reading the socket while this much waits unread, so that a fast endless body
    // cannot pile up in its buffers before the size limit ends it.
    reply->setReadBufferSize(readBufferSize);
    connect(reply, &QNetworkReply::metaDataChanged, this, &BoundedRequest::headersArrived);
    connect(reply, &QNetworkReply::readyRead, this, &BoundedRequest::dataArrived);
    connect(reply, &QNetworkReply::finished, this, &BoundedRequest::transferEnded);
    // Qt 6.4 reports a body that fails to decompress part-way, but does not finish the reply
    // while more of it arrives; aborting it would report a second error.
    connect(reply, &QNetworkReply::errorOccurred, this, [this] {
        if (const std::optional<FailureReason> failure = decompressionFailure())
            abandon(*failure);
    });
    connect(reply, &QNetworkReply::sslErrors, this, [this](const QList<QSslError> &errors) {
        for (const QSslError &error : errors)
            m_tlsErrors.append(error.errorString());
    });

    m_drainTimer.setSingleShot(true);
    connect(&m_drainTimer, &QTimer::timeout, this, &BoundedRequest::stopDraining);
    if (!deadline.isForever()) {
        m_deadlineTimer.setSingleShot(true);
        m_deadlineTimer.setTimerType(Qt::PreciseTimer);
        connect(&m_deadlineTimer, &QTimer::timeout, this, [this] {
            giveUp(
                { FailureReason::Kind::DeadlineExceeded,
                  tr("no complete answer from %1 before the deadline").arg(shown(m_answer.url)) });
        });
        m_deadlineTimer.start(std::chrono::milliseconds(deadline.remainingTime()));
    }
}

void BoundedRequest::headersArrived()
{
    if (m_reported)
        return;
    readHeaders();
    if (m_body == Body::Read) {
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > m_maximumBodySize) {
            giveUp({ FailureReason::Kind::TooLarge,
                     tr("%1 announces %2 bytes; the limit is %3 bytes")
                         .arg(shown(m_answer.url), QString::number(length.toLongLong()),
                              QString::number(m_maximumBodySize)) });
        }
        return;
    }
    // The answer is known; its body is only drained.
    if (!m_answer.isRedirect())
        report();
    m_drainTimer.start(drainTime);
}

void BoundedRequest::dataArrived()
{
    if ((m_reported && m_body == Body::Read) || !m_reply->isOpen())
        return;
    const QByteArray data = m_reply->readAll();
    if (m_body == Body::Skip) {
        m_drained += data.size();
        if (m_drained > maximumDrain)
            stopDraining();
        return;
    }
    m_answer.body += data;
    if (m_answer.body.size() > m_maximumBodySize)
        giveUp(bodyTooLarge());
}

void BoundedRequest::readHeaders()
{
    m_answer.status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_answer.location = m_reply->rawHeader("Location");
}

FailureReason BoundedRequest::bodyTooLarge() const
{
    return { FailureReason::Kind::TooLarge,
             tr("%1 sent more than %2 bytes")
                 .arg(shown(m_answer.url), QString::number(m_maximumBodySize)) };
}

void BoundedRequest::transferEnded()
{
    m_deadlineTimer.stop();
    m_drainTimer.stop();
    m_reply->deleteLater();
    if (m_reported)
        return;
    if (!m_answer.failure) {
        readHeaders();
        if (m_body == Body::Read && m_reply->isOpen())
            m_answer.body += m_reply->readAll();
        m_answer.failure = m_answer.body.size() > m_maximumBodySize
            ? std::optional<FailureReason>(bodyTooLarge())
            : transferFailure();
    }
    report();
}

void BoundedRequest::giveUp(const FailureReason &reason)
{
    if (m_reported || m_answer.failure)
        return;
    m_answer.failure = reason;
    m_answer.body.clear();
    // Ends the transfer and, through finished(), reports.
    m_reply->abort();
}

void BoundedRequest::abandon(const FailureReason &reason)
{
    if (m_reported)
        return;
    m_deadlineTimer.stop();
    m_drainTimer.stop();
    m_answer.failure = reason;
    report();
    // Deleting the reply ends its transfer without an error of its own.
    m_reply->deleteLater();
}

void BoundedRequest::stopDraining()
{
    m_drainTimer.stop();
    if (!m_reported)
        report();
    m_reply->abort();
}

void BoundedRequest::report()
{
    m_reported = true;
    if (m_answer.failure)
        m_answer.body.clear();
    m_done(m_answer);
}

std::optional<FailureReason> BoundedRequest::decompressionFailure() const
{
    // Unknown error statuses are reported with the same code, but never with a success status.
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_reply->error() != QNetworkReply::UnknownContentError || status <= 0 || status >= 400)
        return std::nullopt;
    return FailureReason(FailureReason::Kind::DecompressionFailed,
                         tr("%1: %2").arg(shown(m_answer.url), m_reply->errorString()));
}

std::optional<FailureReason> BoundedRequest::transferFailure() const
{
    using Kind = FailureReason::Kind;
    const QNetworkReply::NetworkError error = m_reply->error();
    if (const std::optional<FailureReason> failure = decompressionFailure())
        return failure;
    if (error == QNetworkReply::NoError || (m_answer.status > 0 && isErrorStatus(error)))
        return std::nullopt;
    const QString address = shown(m_answer.url);
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return FailureReason(Kind::ConnectionRefused, address);
    case QNetworkReply::SslHandshakeFailedError:
        return FailureReason(Kind::TlsError,
                             tr("%1: %2").arg(address,
                                              m_tlsErrors.isEmpty() ? m_reply->errorString()
                                                                    : m_tlsErrors.join(u"; ")));
    case QNetworkReply::OperationCanceledError: // nothing but the transfer time-out cancels here
    case QNetworkReply::TimeoutError:
        return FailureReason(
            Kind::TimedOut,
            tr("no progress from %1 within %2 ms")
                .arg(address, QString::number(m_reply->request().transferTimeout())));
    default:
        break;
    }
    const char *name = QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(error);
    return FailureReason(
        Kind::NetworkError,
        tr("%1: %2 (%3)").arg(address, m_reply->errorString(), QString::fromLatin1(name)));
}
