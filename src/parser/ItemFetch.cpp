#include "ItemFetch.h"

#include "BoundedRequest.h"
#include "ItemAnswer.h"
#include "KivoraLog.h"
#include "NetworkThread.h"

#include <QNetworkRequest>

#include <memory>

namespace {

using Kind = FailureReason::Kind;

} // namespace

// One fetch: the share page, then, when it holds no item, the item endpoint.
struct ItemFetch::Run : std::enable_shared_from_this<ItemFetch::Run>
{
    VideoParser parser;
    QString videoId;
    bool gallery = false;
    QDeadlineTimer deadline;
    VideoParser::ReasonCompletion completion;
    QNetworkAccessManager *manager = nullptr;
    std::optional<FailureReason> pageProblem;
    // The first endpoint answer, while the second is asked for a gallery's images.
    std::optional<VideoInfo> firstRecord;

    void send(const QNetworkRequest &request, void (Run::*answered)(const BoundedRequest::Answer &))
    {
        BoundedRequest::get(*manager, request, BoundedRequest::Body::Read,
                            VideoParser::maximumPageSize, deadline,
                            [self = shared_from_this(), answered](const auto &answer) {
                                ((*self).*answered)(answer);
                            });
    }

    void fetchPage()
    {
        const QNetworkRequest page = parser.sharePageRequest(videoId);
        if (!page.url().isValid()) {
            transferFailed(
                { Kind::NetworkError,
                  tr("the share page address is not valid: %1").arg(page.url().errorString()) });
            return;
        }
        send(page, &Run::pageAnswered);
    }

    void pageAnswered(const BoundedRequest::Answer &answer)
    {
        if (answer.failure)
            return transferFailed(*answer.failure);
        const VideoParser::Reading page = parser.readSharePage(answer.body, answer.status);
        if (!page.problem)
            return finish(page.record, std::nullopt);
        pageProblem = page.problem;
        send(parser.itemEndpointRequest(videoId, false), &Run::firstAnswer);
    }

    void firstAnswer(const BoundedRequest::Answer &answer)
    {
        if (answer.failure)
            return transferFailed(*answer.failure);
        const VideoParser::Reading reading = parser.readItemAnswer(answer.body, answer.status);
        const bool imagesWithheld = !reading.problem && reading.record.images()->isEmpty()
            && (gallery || reading.galleryType);
        if (!reading.problem && !imagesWithheld)
            return finish(reading.record, std::nullopt);
        if (!reading.problem)
            firstRecord = reading.record;
        send(parser.itemEndpointRequest(videoId, true), &Run::secondAnswer);
    }

    void secondAnswer(const BoundedRequest::Answer &answer)
    {
        if (answer.failure)
            return transferFailed(*answer.failure);
        const VideoParser::Reading reading = parser.readItemAnswer(answer.body, answer.status);
        if (!reading.problem)
            finish(reading.record, std::nullopt);
        else if (firstRecord)
            finish(*firstRecord, std::nullopt);
        else
            unanswered(ItemAnswer::neitherRoad(*pageProblem, *reading.problem));
    }

    // Neither road gave the item: what each saw goes to the diagnostic line, not to the user.
    void unanswered(const FailureReason &reason)
    {
        KivoraLog::line(u"Kivora1  ", [&] { return reason.technicalDescription(); });
        finish(parser.failureRecord(), reason);
    }

    void transferFailed(const FailureReason &reason)
    {
        KivoraLog::line(u"Kivora1  ", [&] { return reason.technicalDescription(); });
        // A gallery's item without its images is still the item.
        if (firstRecord)
            finish(*firstRecord, std::nullopt);
        else
            finish(parser.failureRecord(), reason);
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
    run->parser = parser;
    run->videoId = videoId;
    run->gallery = gallery;
    run->deadline = deadline;
    run->completion = std::move(completion);
    NetworkThread::post([run](QNetworkAccessManager &manager) {
        run->manager = &manager;
        run->fetchPage();
    });
}
