#include "VideoParser.h"

#include "ItemAnswer.h"
#include "ItemFetch.h"
#include "JsonItemReader.h"
#include "KivoraLog.h"
#include "PlatformLink.h"
#include "RouterData.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace {

using Kind = FailureReason::Kind;

// \a json as compact JSON, for the diagnostic lines (made only when they are written).
QString compactJson(QByteArrayView json)
{
    const QJsonDocument document
        = QJsonDocument::fromJson(QByteArray::fromRawData(json.data(), json.size()));
    return QString::fromUtf8(document.toJson(QJsonDocument::Compact));
}

// \a root written out as JSON text, for JsonItemReader.
QByteArray jsonText(const QJsonValue &root)
{
    return QJsonDocument(root.toObject()).toJson(QJsonDocument::Compact);
}

} // namespace

VideoParser::VideoParser(const Endpoints &endpoints) : m_endpoints(endpoints) { }

void VideoParser::fetchVideoInfoWithMessage(const std::optional<QString> &message,
                                            Completion completion)
{
    fetchVideoInfoWithMessage(
        message, [completion](const VideoInfo &record, const std::optional<FailureReason> &) {
            completion(record);
        });
}

void VideoParser::fetchVideoInfoWithMessage(const std::optional<QString> &message,
                                            ReasonCompletion completion)
{
    fetchVideoInfoWithMessage(
        message,
        [completion](const std::optional<QString> &, const VideoInfo &record,
                     const std::optional<FailureReason> &failure) { completion(record, failure); });
}

void VideoParser::fetchVideoInfoWithMessage(const std::optional<QString> &message,
                                            IdentifiedCompletion completion)
{
    const QDeadlineTimer deadline(m_deadline);
    const VideoParser parser = *this;
    findVideoId(message, deadline, [parser, deadline, completion](const RedirectChain::End &end) {
        KivoraLog::line(u"Kivora  ", [&] { return KivoraLog::orNull(end.videoId); });
        if (!end.videoId) {
            completion(std::nullopt, parser.failureRecord(), end.failure);
            return;
        }
        ItemFetch::start(parser, *end.videoId, end.gallery, deadline,
                         [completion, videoId = end.videoId](
                             const VideoInfo &record, const std::optional<FailureReason> &failure) {
                             completion(videoId, record, failure);
                         });
    });
}

void VideoParser::extractVideoIDFromMessage(const std::optional<QString> &message,
                                            VideoIdCallback done) const
{
    findVideoId(message, QDeadlineTimer(m_deadline),
                [done](const RedirectChain::End &end) { done(end.videoId); });
}

void VideoParser::extractVideoIDFromRedirectedURL(const QString &link, VideoIdCallback done) const
{
    RedirectChain::follow(QUrl(link), *this, QDeadlineTimer(m_deadline),
                          [done](const RedirectChain::End &end) { done(end.videoId); });
}

void VideoParser::findVideoId(const std::optional<QString> &message, const QDeadlineTimer &deadline,
                              RedirectChain::Done done) const
{
    if (message && isNumeric(*message)) {
        done({ message, false, std::nullopt });
        return;
    }
    // Share texts carry decoys and sometimes a second link: the platform's link wins.
    std::optional<QString> link
        = message ? PlatformLink::findFirst(*message, m_endpoints) : std::nullopt;
    if (!link)
        link = firstLink(message);
    if (!link) {
        done({ std::nullopt, false,
               FailureReason(Kind::NoVideoId,
                             tr("the text is neither a video ID nor holds a link")) });
        return;
    }
    const QUrl url(*link);
    const PlatformLink platformLink = PlatformLink::classify(url, m_endpoints);
    switch (platformLink.kind()) {
    case PlatformLink::Kind::ItemLink:
        done({ platformLink.videoId(), platformLink.isGallery(), std::nullopt });
        return;
    case PlatformLink::Kind::PlayAddress:
        done({ std::nullopt, false,
               FailureReason(Kind::NoVideoId,
                             tr("%1 is a play address, which holds no video ID").arg(*link)) });
        return;
    default:
        RedirectChain::follow(url, *this, deadline, std::move(done));
    }
}

bool VideoParser::isNumeric(const QString &text)
{
    return !text.isEmpty()
        && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

std::optional<QString> VideoParser::firstLink(const std::optional<QString> &message)
{
    if (!message)
        return std::nullopt;
    // Up to the next tab, line feed, form feed, carriage return or Unicode separator.
    static const QRegularExpression pattern(QStringLiteral("https?://[^\\t\\n\\f\\r\\p{Z}]+"));
    const QRegularExpressionMatch match = pattern.match(*message);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured();
}

std::optional<QString> VideoParser::videoIDFromFinalAddress(const QUrl &address,
                                                            const Endpoints &endpoints)
{
    const PlatformLink link = PlatformLink::classify(address, endpoints);
    if (link.kind() == PlatformLink::Kind::ItemLink)
        return link.videoId();
    // A page of the platform that is no item (a profile: "/user/MS4wLjABAAAA…") holds digits
    // that are no video ID.
    if (link.isOnPlatform())
        return std::nullopt;
    // Host and port are where the platform lives, not what it addresses: an address such as
    // 127.0.0.1:4443 must not have its digits taken for the video ID.
    static const QRegularExpression digits(QStringLiteral("[0-9]+"));
    const QString pathAndQuery
        = address.path(QUrl::FullyDecoded) + u'?' + address.query(QUrl::FullyDecoded);
    const QRegularExpressionMatch match = digits.match(pathAndQuery);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured();
}

QNetworkRequest VideoParser::sharePageRequest(const QString &videoId) const
{
    return withBrowserHeaders(request(
        QUrl(m_endpoints.shareOrigin % u"/share/video/" % videoId % u"/", QUrl::StrictMode)));
}

QNetworkRequest VideoParser::itemEndpointRequest(const QString &videoId,
                                                 bool withRequestSource) const
{
    QUrl url(m_endpoints.shareOrigin % u"/web/api/v2/aweme/slidesinfo/", QUrl::StrictMode);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("aweme_ids"), u'[' % videoId % u']');
    if (withRequestSource)
        query.addQueryItem(QStringLiteral("request_source"), QStringLiteral("200"));
    url.setQuery(query);
    return withBrowserHeaders(request(url));
}

QNetworkRequest VideoParser::withBrowserHeaders(QNetworkRequest request) const
{
    request.setRawHeader(
        "User-Agent",
        "Mozilla/5.0 (Linux; Android 8.0.0; SM-G955U Build/R16NW) AppleWebKit/537.36 (KHTML, like "
        "Gecko) Chrome/116.0.0.0 Mobile Safari/537.36");
    request.setRawHeader("Referer",
                         (m_endpoints.webOrigin % u"/?is_from_mobile_home=1&recommend=1").toUtf8());
    return request;
}

QNetworkRequest VideoParser::request(const QUrl &url) const
{
    QNetworkRequest networkRequest = NetworkAccess::request(url, m_transferTimeout);
    networkRequest.setMaximumRedirectsAllowed(maximumRedirects);
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                QNetworkRequest::NoLessSafeRedirectPolicy);
    return networkRequest;
}

std::optional<QString> VideoParser::extractJSONFromHTML(const QString &page)
{
    const QByteArray bytes = page.toUtf8();
    const std::optional<QByteArrayView> json = RouterData::cut(bytes);
    if (!json)
        return std::nullopt;
    return QString::fromUtf8(*json);
}

VideoInfo VideoParser::videoInfoFromPageBody(const QByteArray &body) const
{
    const VideoInfo record = readSharePage(body, 200).record;
    KivoraLog::line(u"Kivora5  ", [&] { return record.toString(); });
    return record;
}

VideoInfo VideoParser::videoInfoFromItemAnswer(const QByteArray &body) const
{
    return readItemAnswer(body, 200).record;
}

VideoParser::Reading VideoParser::readSharePage(const QByteArray &body, int status) const
{
    // Well-formed UTF-8 or nothing, as a decoder that refuses bad bytes would have it; the
    // check runs over the bytes, and only what the record keeps is decoded.
    const bool isText = QByteArrayView(body).isValidUtf8();
    KivoraLog::line(u"Kivora2  ",
                    [&] { return isText ? QString::fromUtf8(body) : QStringLiteral("(null)"); });

    const std::optional<QByteArrayView> json = isText ? RouterData::cut(body) : std::nullopt;
    KivoraLog::line(u"Kivora3  ",
                    [&] { return json ? QString::fromUtf8(*json) : QStringLiteral("(null)"); });

    const JsonItemReader::Reading routerData = json
        ? JsonItemReader::read(*json, JsonItemReader::Path::RouterData)
        : JsonItemReader::Reading();
    KivoraLog::line(u"Kivora4  ", [&] {
        return routerData.isObject ? compactJson(*json) : QStringLiteral("(null)");
    });

    const std::optional<FailureReason> withheld
        = routerData.item ? ItemAnswer::itemFailure(*routerData.item) : std::nullopt;
    Reading reading { withheld ? failureRecord() : recordFromItem(routerData.item, tips()),
                      withheld };
    if (withheld || !reading.record.isFailureRecord())
        return reading;
    if (const std::optional<FailureReason> said = ItemAnswer::pageFailure(status, body, json)) {
        reading.problem = said;
        return reading;
    }
    const QString problem = !isText ? tr("the share page is not UTF-8")
        : !json                     ? tr("the share page holds no router data")
        : !routerData.isObject      ? tr("the share page's router data is not a JSON object")
                                    : tr("the share page's router data holds no item");
    const Kind kind = status >= 400 ? Kind::HttpStatus
        : !isText                   ? Kind::NotUtf8
                                    : Kind::PlatformChanged;
    reading.problem = FailureReason(
        kind,
        status >= 400 ? tr("the share page answered HTTP %1 and holds no item").arg(status)
                      : problem);
    return reading;
}

VideoParser::Reading VideoParser::readItemAnswer(const QByteArray &body, int status) const
{
    const bool isText = QByteArrayView(body).isValidUtf8();
    KivoraLog::line(u"Kivora6  ",
                    [&] { return isText ? QString::fromUtf8(body) : QStringLiteral("(null)"); });

    const std::optional<JsonItemReader::Item> item
        = isText ? JsonItemReader::read(body, JsonItemReader::Path::ItemAnswer).item : std::nullopt;
    const std::optional<FailureReason> withheld
        = item ? ItemAnswer::itemFailure(*item) : std::nullopt;
    if (item && !withheld) {
        Reading reading { recordFromItem(item, itemEndpointTips()), std::nullopt };
        // Image posts: by their media type today; aweme_type 2 or 68 in older answers.
        reading.galleryType = item->isGallery() || item->awemeType == 2 || item->awemeType == 68;
        return reading;
    }
    return { failureRecord(), withheld ? withheld : ItemAnswer::endpointFailure(status, body) };
}

VideoInfo VideoParser::parseVideoInfoFromJSON(const std::optional<QJsonValue> &root) const
{
    if (!root || !root->isObject())
        return failureRecord();
    return recordFromItem(
        JsonItemReader::read(jsonText(*root), JsonItemReader::Path::RouterData).item, tips());
}

VideoInfo VideoParser::parseVideoInfoFromItemJSON(const std::optional<QJsonValue> &root) const
{
    if (!root || !root->isObject())
        return failureRecord();
    return recordFromItem(
        JsonItemReader::read(jsonText(*root), JsonItemReader::Path::ItemAnswer).item,
        itemEndpointTips());
}

VideoInfo VideoParser::recordFromItem(const std::optional<JsonItemReader::Item> &item,
                                      const QString &tips) const
{
    if (!item)
        return failureRecord();
    if (item->imagesLeftOut > 0) {
        qCInfo(lcKivora).noquote()
            << QStringLiteral("The gallery lists %1 images; the record keeps the first %2.")
                   .arg(QString::number(item->images.size() + item->imagesLeftOut),
                        QString::number(item->images.size()));
    }
    VideoInfo::Media media;
    media.gallery = item->isGallery();
    media.imageFallbacks = item->imageFallbacks;
    media.clips = item->clips;
    media.gears = item->gears;
    media.music = item->music;
    // A gallery's "video" is its music (or a silent placeholder), never a video to play.
    if (media.gallery) {
        const QString track = ItemMusic::galleryTrack(item->playUrl);
        if (!track.isEmpty() && (!media.music || media.music->url.isEmpty())) {
            media.music = media.music.value_or(ItemMusic());
            media.music->url = track;
        }
    }
    const QString video
        = item->playUri.isEmpty() || media.gallery ? QString() : playAddress(item->playUri);
    return VideoInfo::full(item->nickname, item->desc, video, item->cover, item->images, tips,
                           media);
}

void VideoParser::get(QNetworkAccessManager &manager, const QNetworkRequest &request,
                      BoundedRequest::Body body, qint64 maximumBodySize,
                      const QDeadlineTimer &deadline, BoundedRequest::Done done) const
{
    BoundedRequest::get(manager, request, body, maximumBodySize, deadline, std::move(done),
                        m_requests);
}

QString VideoParser::playAddress(const QString &playId) const
{
    // Encoded, so that the identifier stays one value of the query whatever a page puts in it
    // ("&", "#", "=" or spaces); the platform's own identifiers are letters and digits.
    return m_endpoints.webOrigin % u"/aweme/v1/play/?video_id="
        % QString::fromLatin1(QUrl::toPercentEncoding(playId));
}

VideoInfo VideoParser::failureRecord() const
{
    return VideoInfo::failure(tips());
}

QString VideoParser::tips() const
{
    return u"数据来自抖音公开分享页 " % QUrl(m_endpoints.shareOrigin).host();
}

QString VideoParser::itemEndpointTips() const
{
    return u"数据来自抖音公开作品接口 " % QUrl(m_endpoints.shareOrigin).host();
}
