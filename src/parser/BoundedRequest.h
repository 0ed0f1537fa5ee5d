#pragma once

#include "FailureReason.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class RequestGroup;
class QNetworkReply;
class QNetworkRequest;

/*!
 * \brief One GET of the parser, on its network thread, bounded in size and time, that reports
 * once what came back or why nothing usable did.
 *
 * Besides the request's own transfer (inactivity) time-out, it gives up at a deadline shared by
 * every request of one parse. A body over its size limit ends the transfer. In headers-only mode
 * the answer is reported without its body: a redirect's (short) body is drained so that the
 * connection can serve the next request, but never more than a few kilobytes for a moment;
 * any other answer is cut off at once.
 */
class BoundedRequest : public QObject
{
    Q_OBJECT

public:
    /*! What came back. */
    struct Answer
    {
        QUrl url; //!< the address asked for
        int status = 0; //!< the HTTP status; 0 without an answer
        QByteArray location; //!< the Location header, as sent
        QByteArray body; //!< the body (always empty in headers-only mode)
        std::optional<FailureReason> failure; //!< why the transfer failed, when it did

        bool isRedirect() const { return status >= 300 && status < 400 && !location.isEmpty(); }
    };
    using Done = std::function<void(const Answer &answer)>;

    enum class Body {
        Read, //!< read the body, up to its size limit
        Skip, //!< report at the headers
    };

    /*! Sends \a request on \a manager and calls \a done once, on this thread, unless \a group
     *  (when given) is cancelled first. */
    static void get(QNetworkAccessManager &manager, const QNetworkRequest &request, Body body,
                    qint64 maximumBodySize, const QDeadlineTimer &deadline, Done done,
                    const std::shared_ptr<RequestGroup> &group = {});

    /*! Ends the transfer now, closing its connection, and never calls back. */
    void drop();

private:
    BoundedRequest(QNetworkReply *reply, Body body, qint64 maximumBodySize,
                   const QDeadlineTimer &deadline, Done done);

    void headersArrived();
    void dataArrived();
    void transferEnded();
    void readHeaders();
    FailureReason bodyTooLarge() const;
    void giveUp(const FailureReason &reason);
    void abandon(const FailureReason &reason);
    void stopDraining();
    void report();
    std::optional<FailureReason> decompressionFailure() const;
    std::optional<FailureReason> transferFailure() const;

    QNetworkReply *m_reply;
    Body m_body;
    qint64 m_maximumBodySize;
    Done m_done;
    Answer m_answer;
    qint64 m_drained = 0;
    QStringList m_tlsErrors;
    QTimer m_deadlineTimer;
    QTimer m_drainTimer;
    bool m_reported = false;
};
