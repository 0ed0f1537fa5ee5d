#include "RedirectChain.h"

#include "BoundedRequest.h"
#include "NetworkThread.h"
#include "PlatformLink.h"
#include "RedirectRule.h"
#include "VideoParser.h"

#include <QNetworkRequest>
#include <QUrl>

#include <memory>

// One chain: the addresses visited so far and what to do with the end.
struct RedirectChain::Hops : std::enable_shared_from_this<RedirectChain::Hops>
{
    using Kind = FailureReason::Kind;

    VideoParser parser;
    QDeadlineTimer deadline;
    RedirectChain::Done done;
    QList<QUrl> visited;
    QNetworkAccessManager *manager = nullptr;

    void request(const QUrl &url)
    {
        visited.append(url);
        QNetworkRequest hop = parser.request(url);
        hop.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
        parser.get(*manager, hop, BoundedRequest::Body::Skip, 0, deadline,
                   [self = shared_from_this()](const BoundedRequest::Answer &answer) {
                       self->answered(answer);
                   });
    }

    void answered(const BoundedRequest::Answer &answer)
    {
        if (answer.failure)
            return fail(*answer.failure);
        if (!answer.isRedirect())
            return arrive(answer.url, answer.status);
        const QUrl target = answer.url.resolved(QUrl(QString::fromUtf8(answer.location)));
        const PlatformLink link = PlatformLink::classify(target, parser.endpoints());
        if (link.kind() == PlatformLink::Kind::ItemLink)
            return done({ link.videoId(), link.isGallery(), std::nullopt });
        if (const std::optional<FailureReason> refusal = refusalOf(answer.url, target))
            return fail(*refusal);
        request(target);
    }

    // Why the redirect from \a from to \a target is not followed, if it is not: the common rule,
    // and no address twice.
    std::optional<FailureReason> refusalOf(const QUrl &from, const QUrl &target) const
    {
        const RedirectRule rule(VideoParser::maximumRedirects);
        if (const std::optional<FailureReason> refusal
            = rule.refusal(from, target, int(visited.size()) - 1)) {
            return refusal;
        }
        if (visited.contains(target))
            return FailureReason(Kind::RedirectLoop,
                                 tr("back to %1").arg(target.toDisplayString()));
        return std::nullopt;
    }

    void arrive(const QUrl &address, int status)
    {
        // A short link that leads anywhere but to an item (a profile, another site's video) is
        // not a post link, whatever digits its end holds.
        const bool fromShortLink = visited.size() > 1
            && PlatformLink::classify(visited.first(), parser.endpoints()).kind()
                == PlatformLink::Kind::ShortLink;
        const std::optional<QString> videoId = fromShortLink
            ? std::nullopt
            : VideoParser::videoIDFromFinalAddress(address, parser.endpoints());
        if (videoId) {
            done({ videoId, PlatformLink::classify(address, parser.endpoints()).isGallery(),
                   std::nullopt });
            return;
        }
        // A short link that ends where it began is a dead link, not a page of the platform.
        const PlatformLink end = PlatformLink::classify(address, parser.endpoints());
        const bool notAPost
            = fromShortLink || (end.isOnPlatform() && end.kind() != PlatformLink::Kind::ShortLink);
        fail({ notAPost ? Kind::NotAPost : Kind::NoVideoId,
               tr("the link ended at %1 (HTTP %2), which holds no video ID")
                   .arg(address.toDisplayString(), QString::number(status)) });
    }

    void fail(const FailureReason &reason) { done({ std::nullopt, false, reason }); }
};

void RedirectChain::follow(const QUrl &link, const VideoParser &parser,
                           const QDeadlineTimer &deadline, Done done)
{
    auto hops = std::make_shared<Hops>();
    hops->parser = parser;
    hops->deadline = deadline;
    hops->done = std::move(done);
    NetworkThread::post([hops, link](QNetworkAccessManager &manager) {
        hops->manager = &manager;
        if (!link.isValid()) {
            hops->fail({ FailureReason::Kind::NoVideoId,
                         tr("\"%1\" is not a valid address").arg(link.toString()) });
            return;
        }
        hops->request(link);
    });
}
