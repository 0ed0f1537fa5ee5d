#include "MediaFetch.h"

#include "BoundedRequest.h"
#include "NetworkAccess.h"
#include "RedirectRule.h"

#include <QDeadlineTimer>
#include <QNetworkRequest>
#include <QPointer>

#include <memory>

using namespace Qt::StringLiterals;

// One fetch and its redirects: the answer goes to the caller only while the context lives.
struct MediaFetch::Chain : std::enable_shared_from_this<MediaFetch::Chain>
{
    QPointer<const QObject> context;
    qint64 maximumBytes = 0;
    QDeadlineTimer deadline;
    MediaFetch::Done done;
    int followed = 0;

    void request(const QUrl &url)
    {
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || url.host().isEmpty() || (scheme != u"http"_s && scheme != u"https"_s))
            return finish({ {},
                            FailureReason(FailureReason::Kind::NetworkError,
                                          tr("%1 is not a web address").arg(url.toString())) });
        BoundedRequest::get(NetworkAccess::manager(), NetworkAccess::request(url),
                            BoundedRequest::Body::Read, maximumBytes, deadline,
                            [self = shared_from_this()](const BoundedRequest::Answer &answer) {
                                self->answered(answer);
                            });
    }

    void answered(const BoundedRequest::Answer &answer)
    {
        if (!context)
            return;
        if (answer.failure)
            return finish({ {}, answer.failure });
        if (answer.isRedirect()) {
            const QUrl target = answer.url.resolved(QUrl::fromEncoded(answer.location));
            if (const std::optional<FailureReason> refusal
                = RedirectRule().refusal(answer.url, target, followed))
                return finish({ {}, refusal });
            ++followed;
            return request(target);
        }
        if (answer.status < 200 || answer.status >= 300)
            return finish({ {},
                            FailureReason(FailureReason::Kind::HttpStatus,
                                          tr("HTTP %1 from %2")
                                              .arg(QString::number(answer.status),
                                                   answer.url.toDisplayString())) });
        finish({ answer.body, std::nullopt });
    }

    void finish(const MediaFetch::Answer &answer)
    {
        if (context)
            done(answer);
    }
};

void MediaFetch::toMemory(const QUrl &url, qint64 maximumBytes, const QObject *context, Done done)
{
    auto chain = std::make_shared<Chain>();
    chain->context = context;
    chain->maximumBytes = maximumBytes;
    chain->deadline = QDeadlineTimer(deadline);
    chain->done = std::move(done);
    chain->request(url);
}
