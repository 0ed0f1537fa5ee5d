#include "SharePageRoad.h"

#include <QNetworkRequest>

QString SharePageRoad::name() const
{
    return QStringLiteral("share page");
}

void SharePageRoad::take(const std::shared_ptr<Trail> &trail, Done done) const
{
    const QNetworkRequest page = trail->parser.sharePageRequest(trail->videoId);
    if (!page.url().isValid()) {
        done(Arrival::failedTransfer(
            { FailureReason::Kind::NetworkError,
              tr("the share page address is not valid: %1").arg(page.url().errorString()) }));
        return;
    }
    read(trail, page, [trail, done](const BoundedRequest::Answer &answer) {
        if (answer.failure)
            return done(Arrival::failedTransfer(*answer.failure));
        trail->sharePage = answer.body;
        const VideoParser::Reading reading
            = trail->parser.readSharePage(answer.body, answer.status);
        done(reading.problem ? Arrival::noItem(*reading.problem) : Arrival::found(reading.record));
    });
}
