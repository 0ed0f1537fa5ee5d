#include "VideoParser.h"

#include "KivoraLog.h"
#include "NetworkThread.h"
#include "RouterData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QUrl>

#include <memory>

namespace {

QString textOrNull(const std::optional<QString> &text)
{
    return text ? *text : QStringLiteral("(null)");
}

// Writes "<format><value>" to the category "kivora". The value is built only when the line is
// written, so that the whole page text, for one, costs nothing while the category is off.
template<typename MakeValue>
void logLine(QStringView format, MakeValue makeValue)
{
    if (lcKivora().isInfoEnabled())
        qCInfo(lcKivora).noquote() << (format % makeValue());
}

QString compactJson(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString describeError(const QNetworkReply &reply)
{
    const char *name = QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(reply.error());
    QString text = QString::fromLatin1(name) % u": " % reply.errorString();
    // Nothing but the transfer time-out cancels a request that is not over the size limit.
    if (reply.error() == QNetworkReply::OperationCanceledError)
        text += QStringLiteral(" (no progress within the transfer time-out of %1 ms)")
                    .arg(reply.request().transferTimeout());
    return text;
}

// Qt reports HTTP error statuses as errors; here an answer with any status is a response like
// any other, and only a failed transfer (no answer, a time-out, a refused redirect) is an error.
bool isTransferFailure(const QNetworkReply &reply)
{
    const QNetworkReply::NetworkError error = reply.error();
    if (error == QNetworkReply::NoError)
        return false;
    if (!reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        return true;
    const bool contentError = error >= QNetworkReply::ContentAccessDenied
        && error <= QNetworkReply::UnknownContentError;
    const bool serverError
        = error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError;
    return !contentError && !serverError;
}

QJsonValue lookup(const QJsonValue &value, QStringView key)
{
    return value.isObject() ? value.toObject().value(key) : QJsonValue(QJsonValue::Undefined);
}

QJsonValue firstElement(const QJsonValue &value)
{
    if (!value.isArray() || value.toArray().isEmpty())
        return QJsonValue(QJsonValue::Undefined);
    return value.toArray().first();
}

QString textOf(const QJsonValue &value)
{
    return value.isString() ? value.toString() : QString();
}

QStringList galleryImages(const QJsonValue &images)
{
    QStringList urls;
    const QJsonArray elements = images.toArray();
    for (const QJsonValue &element : elements) {
        const QJsonValue url = firstElement(lookup(element, u"url_list"));
        if (url.isString())
            urls.append(url.toString());
    }
    return urls;
}

// One share page request: its body as it arrives, bounded in size, and the completion that the
// finished reply calls once.
struct SharePageFetch
{
    VideoParser parser;
    VideoParser::Completion completion;
    QByteArray body;
    bool tooLarge = false;

    void take(QNetworkReply *reply)
    {
        if (tooLarge || !reply->isOpen())
            return;
        body += reply->readAll();
        if (body.size() > VideoParser::maximumPageSize)
            refuse(reply);
    }

    void checkDeclaredSize(QNetworkReply *reply)
    {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > VideoParser::maximumPageSize)
            refuse(reply);
    }

    void refuse(QNetworkReply *reply)
    {
        tooLarge = true;
        body.clear();
        reply->abort();
    }

    void finish(QNetworkReply *reply)
    {
        take(reply);
        if (tooLarge) {
            logLine(u"Kivora1  ", [] {
                return QStringLiteral("The share page is larger than %1 bytes")
                    .arg(VideoParser::maximumPageSize);
            });
            completion(parser.failureRecord());
        } else if (isTransferFailure(*reply)) {
            logLine(u"Kivora1  ", [&] { return describeError(*reply); });
            completion(parser.failureRecord());
        } else {
            completion(parser.videoInfoFromPageBody(body));
        }
    }
};

} // namespace

VideoParser::VideoParser(const Endpoints &endpoints) : m_endpoints(endpoints) { }

void VideoParser::fetchVideoInfoWithMessage(const std::optional<QString> &message,
                                            Completion completion)
{
    const VideoParser parser = *this;
    extractVideoIDFromMessage(message, [parser, completion](const std::optional<QString> &videoId) {
        logLine(u"Kivora  ", [&] { return textOrNull(videoId); });
        if (!videoId) {
            completion(parser.failureRecord());
            return;
        }
        parser.fetchSharePage(*videoId, completion);
    });
}

void VideoParser::extractVideoIDFromMessage(const std::optional<QString> &message,
                                            VideoIdCallback done) const
{
    if (message && isNumeric(*message)) {
        done(message);
        return;
    }
    const std::optional<QString> link = firstLink(message);
    if (!link) {
        done(std::nullopt);
        return;
    }
    extractVideoIDFromRedirectedURL(*link, std::move(done));
}

void VideoParser::extractVideoIDFromRedirectedURL(const QString &link, VideoIdCallback done) const
{
    const QNetworkRequest linkRequest = request(QUrl(link));
    NetworkThread::post([linkRequest, done](QNetworkAccessManager &manager) {
        if (!linkRequest.url().isValid()) {
            done(std::nullopt);
            return;
        }
        QNetworkReply *reply = manager.get(linkRequest);
        // Only the final address matters; the body is dropped as it arrives.
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply] { reply->readAll(); });
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply, done] {
            reply->deleteLater();
            if (isTransferFailure(*reply))
                done(std::nullopt);
            else
                done(videoIDFromFinalAddress(reply->url()));
        });
    });
}

bool VideoParser::isNumeric(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t codePoint = text.at(i).unicode();
        if (QChar::isHighSurrogate(codePoint) && i + 1 < text.size()
            && text.at(i + 1).isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        if (QChar::category(codePoint) != QChar::Number_DecimalDigit)
            return false;
    }
    return true;
}

std::optional<QString> VideoParser::firstLink(const std::optional<QString> &message)
{
    if (!message)
        return std::nullopt;
    // Up to the next tab, line feed, form feed, carriage return or Unicode separator.
    const QRegularExpression pattern(QStringLiteral("https?://[^\\t\\n\\f\\r\\p{Z}]+"));
    const QRegularExpressionMatch match = pattern.match(*message);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured();
}

std::optional<QString> VideoParser::videoIDFromFinalAddress(const QUrl &address)
{
    // The port is transport, not part of what the platform addresses: a server on a port with
    // digits (such as a local one) must not have them taken for the video ID. The real platform
    // uses no port, so results there are the same as for the whole address.
    const QString text = address.toString(QUrl::RemovePort | QUrl::FullyEncoded);
    const QRegularExpression digits(QStringLiteral("\\p{Nd}+"));
    const QRegularExpressionMatch match = digits.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured();
}

QNetworkRequest VideoParser::sharePageRequest(const QString &videoId) const
{
    QNetworkRequest pageRequest = request(
        QUrl(m_endpoints.shareOrigin % u"/share/video/" % videoId % u"/", QUrl::StrictMode));
    pageRequest.setRawHeader(
        "User-Agent",
        "Mozilla/5.0 (Linux; Android 8.0.0; SM-G955U Build/R16NW) AppleWebKit/537.36 (KHTML, like "
        "Gecko) Chrome/116.0.0.0 Mobile Safari/537.36");
    pageRequest.setRawHeader(
        "Referer", (m_endpoints.webOrigin % u"/?is_from_mobile_home=1&recommend=1").toUtf8());
    return pageRequest;
}

QNetworkRequest VideoParser::request(const QUrl &url) const
{
    QNetworkRequest networkRequest(url);
    networkRequest.setTransferTimeout(m_transferTimeout);
    networkRequest.setMaximumRedirectsAllowed(maximumRedirects);
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                QNetworkRequest::NoLessSafeRedirectPolicy);
    // HTTP/1.1 only: Qt 6.4 loses the error of an HTTPS connection that offered HTTP/2 to a host
    // with both IPv4 and IPv6 addresses when the server resets it mid-answer, and the request
    // then hangs until its time-out.
    networkRequest.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    return networkRequest;
}

void VideoParser::fetchSharePage(const QString &videoId, Completion completion) const
{
    const VideoParser parser = *this;
    const QNetworkRequest pageRequest = sharePageRequest(videoId);
    NetworkThread::post([parser, pageRequest, completion](QNetworkAccessManager &manager) {
        if (!pageRequest.url().isValid()) {
            logLine(u"Kivora1  ", [&] { return pageRequest.url().errorString(); });
            completion(parser.failureRecord());
            return;
        }
        QNetworkReply *reply = manager.get(pageRequest);
        auto fetch
            = std::make_shared<SharePageFetch>(SharePageFetch { parser, completion, {}, false });
        QObject::connect(reply, &QNetworkReply::metaDataChanged, reply,
                         [reply, fetch] { fetch->checkDeclaredSize(reply); });
        QObject::connect(reply, &QNetworkReply::readyRead, reply,
                         [reply, fetch] { fetch->take(reply); });
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply, fetch] {
            reply->deleteLater();
            fetch->finish(reply);
        });
    });
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
    // Well-formed UTF-8 or nothing, as a decoder that refuses bad bytes would have it; the
    // check runs over the bytes, and only the router data is decoded.
    const bool isText = QByteArrayView(body).isValidUtf8();
    logLine(u"Kivora2  ",
            [&] { return isText ? QString::fromUtf8(body) : QStringLiteral("(null)"); });

    const std::optional<QByteArrayView> json = isText ? RouterData::cut(body) : std::nullopt;
    logLine(u"Kivora3  ",
            [&] { return json ? QString::fromUtf8(*json) : QStringLiteral("(null)"); });

    std::optional<QJsonValue> root;
    if (json) {
        QJsonParseError error;
        // The body outlives the document's parse, so the slice needs no copy.
        const QJsonDocument document
            = QJsonDocument::fromJson(QByteArray::fromRawData(json->data(), json->size()), &error);
        if (error.error == QJsonParseError::NoError && document.isObject())
            root = document.object();
    }
    logLine(u"Kivora4  ",
            [&] { return root ? compactJson(root->toObject()) : QStringLiteral("(null)"); });

    const VideoInfo record = parseVideoInfoFromJSON(root);
    logLine(u"Kivora5  ", [&] { return record.toString(); });
    return record;
}

VideoInfo VideoParser::parseVideoInfoFromJSON(const std::optional<QJsonValue> &root) const
{
    if (!root)
        return failureRecord();
    const QJsonValue itemList
        = lookup(lookup(lookup(lookup(*root, u"loaderData"), u"video_(id)/page"), u"videoInfoRes"),
                 u"item_list");
    const QJsonValue item = firstElement(itemList);
    if (!item.isObject())
        return failureRecord();

    const QString name = textOf(lookup(lookup(item, u"author"), u"nickname"));
    const QString title = textOf(lookup(item, u"desc"));
    const QString playId = textOf(lookup(lookup(lookup(item, u"video"), u"play_addr"), u"uri"));
    const QString cover
        = textOf(firstElement(lookup(lookup(lookup(item, u"video"), u"cover"), u"url_list")));
    const QString video = playId.isEmpty()
        ? QString()
        : m_endpoints.webOrigin % u"/aweme/v1/play/?video_id=" % playId;
    return VideoInfo::full(name, title, video, cover, galleryImages(lookup(item, u"images")),
                           tips());
}

VideoInfo VideoParser::failureRecord() const
{
    return VideoInfo::failure(tips());
}

QString VideoParser::tips() const
{
    return u"数据来自抖音公开分享页 " % QUrl(m_endpoints.shareOrigin).host();
}
