#include "ItemEndpointRoad.h"

#include "KivoraLog.h"

#include <QNetworkRequest>

QString ItemEndpointRoad::name() const
{
    return QStringLiteral("item endpoint");
}

void ItemEndpointRoad::take(const std::shared_ptr<Trail> &trail, Done done) const
{
    read(trail, trail->parser.itemEndpointRequest(trail->videoId, false),
         [trail, done](const BoundedRequest::Answer &answer) {
             if (answer.failure)
                 return done(Arrival::failedTransfer(*answer.failure));
             const VideoParser::Reading reading
                 = trail->parser.readItemAnswer(answer.body, answer.status);
             const bool imagesWithheld = !reading.problem && reading.record.images()->isEmpty()
                 && (trail->gallery || reading.galleryType);
             if (!reading.problem && !imagesWithheld)
                 return done(Arrival::found(reading.record));
             askAgain(trail,
                      reading.problem ? std::nullopt : std::optional<VideoInfo>(reading.record),
                      done);
         });
}

void ItemEndpointRoad::askAgain(const std::shared_ptr<Trail> &trail,
                                const std::optional<VideoInfo> &withoutImages, Done done)
{
    read(trail, trail->parser.itemEndpointRequest(trail->videoId, true),
         [trail, withoutImages, done](const BoundedRequest::Answer &answer) {
             const std::optional<VideoParser::Reading> reading = answer.failure
                 ? std::nullopt
                 : std::optional(trail->parser.readItemAnswer(answer.body, answer.status));
             if (reading && !reading->problem)
                 return done(Arrival::found(reading->record));
             if (withoutImages) {
                 // The transfer's failure is only logged: the item is there, without images.
                 if (answer.failure)
                     KivoraLog::line(u"Kivora1  ", [&] { return answer.failure->description(); });
                 return done(Arrival::found(*withoutImages));
             }
             if (answer.failure)
                 done(Arrival::failedTransfer(*answer.failure));
             else
                 done(Arrival::noItem(*reading->problem));
         });
}
