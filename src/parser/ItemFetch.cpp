#include "ItemFetch.h"

#include "ItemAnswer.h"
#include "ItemRoad.h"
#include "KivoraLog.h"
#include "NetworkThread.h"

#include <memory>

// One fetch: the roads in their order, until one finds the item.
struct ItemFetch::Run : std::enable_shared_from_this<ItemFetch::Run>
{
    std::shared_ptr<ItemRoad::Trail> trail;
    const std::vector<std::unique_ptr<const ItemRoad>> *roads = nullptr;
    std::size_t next = 0;
    VideoParser::ReasonCompletion completion;
    // Why the roads taken so far found nothing, folded into one reason.
    std::optional<FailureReason> problem;

    void takeNextRoad()
    {
        const ItemRoad &road = *roads->at(next++);
        road.take(trail, [self = shared_from_this()](const ItemRoad::Arrival &arrival) {
            self->arrived(arrival);
        });
    }

    void arrived(const ItemRoad::Arrival &arrival)
    {
        if (arrival.record)
            return finish(*arrival.record, std::nullopt);
        if (arrival.transferFailed) {
            KivoraLog::line(u"Kivora1  ", [&] { return arrival.problem->technicalDescription(); });
            return finish(trail->parser.failureRecord(), arrival.problem);
        }
        problem = problem ? ItemAnswer::neitherRoad(*problem, *arrival.problem) : *arrival.problem;
        if (next < roads->size())
            return takeNextRoad();
        // What each road saw goes to the diagnostic line; people get the reason's plain sentence.
        KivoraLog::line(u"Kivora1  ", [&] { return problem->technicalDescription(); });
        finish(trail->parser.failureRecord(), problem);
    }

    void finish(const VideoInfo &record, const std::optional<FailureReason> &failure)
    {
        KivoraLog::line(u"Kivora5  ", [&] { return record.toString(); });
        completion(record, failure);
    }
};

void ItemFetch::start(const VideoParser &parser, const QString &videoId, bool gallery,
                      const QDeadlineTimer &deadline, VideoParser::ReasonCompletion completion)
{
    auto run = std::make_shared<Run>();
    run->trail = std::make_shared<ItemRoad::Trail>();
    run->trail->parser = parser;
    run->trail->videoId = videoId;
    run->trail->gallery = gallery;
    run->trail->deadline = deadline;
    run->roads = &ItemRoad::declared();
    run->completion = std::move(completion);
    NetworkThread::post([run](QNetworkAccessManager &manager) {
        run->trail->manager = &manager;
        run->takeNextRoad();
    });
}
