#include "SharePage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

using PageVariant = SamplePlatform::PageVariant;
using PageShape = SamplePlatform::PageShape;

QJsonObject urlList(const QString &uri, const QStringList &urls)
{
    return { { u"uri"_s, uri }, { u"url_list"_s, QJsonArray::fromStringList(urls) } };
}

QJsonObject author(const SamplePlatform::Item &item)
{
    const QString uid = item.videoId.right(11);
    return { { u"nickname"_s, item.nickname },
             { u"uid"_s, uid },
             { u"sec_uid"_s, QString(u"MS4wLjABAAAA"_s + item.shortCode + uid) },
             { u"short_id"_s, uid.left(9) },
             { u"signature"_s, u"记录生活 ✨ 合作请私信"_s },
             { u"avatar_thumb"_s,
               urlList(QString(u"aweme-avatar/tos-cn-avt-0015_"_s + uid), { item.coverUrl }) },
             { u"follower_count"_s, 12873 } };
}

QJsonObject gear(const VideoGear &gear, const QString &uri)
{
    // url_key: "{uri}_{codec}_{height}p_{bitrate}"; a 540p stream is 544 pixels high.
    const QString codec = VideoGear::codecName(gear.codec);
    const QString key = uri + u'_' + codec + u'_' + QString::number(gear.height) + u"p_"_s
        + QString::number(gear.bitrate);
    QJsonObject playAddr = urlList(uri, gear.urls);
    playAddr.insert(u"url_key"_s, key);
    playAddr.insert(u"data_size"_s, gear.size);
    playAddr.insert(u"height"_s, gear.height == 540 ? 544 : gear.height);
    playAddr.insert(u"width"_s, gear.height * 9 / 16);
    const QString quality = gear.height >= 1080 ? u"normal"_s : u"adapt_lowest"_s;
    return { { u"gear_name"_s, QString(quality + u'_' + QString::number(gear.height) + u"_0"_s) },
             { u"quality_type"_s, gear.height / 10 },
             { u"bit_rate"_s, gear.bitrate },
             { u"is_h265"_s, gear.codec == VideoGear::Codec::Bytevc1 ? 1 : 0 },
             { u"is_bytevc1"_s, gear.codec == VideoGear::Codec::Bytevc1 ? 1 : 0 },
             { u"FPS"_s, 30 },
             { u"play_addr"_s, playAddr } };
}

QJsonArray gears(const QList<VideoGear> &gears, const QString &uri)
{
    QJsonArray list;
    for (const VideoGear &entry : gears)
        list.append(gear(entry, uri));
    return list;
}

// A picture's clip, as slides posts carry it (durations in milliseconds).
QJsonObject clip(const QString &url)
{
    const QString uri = u"v0d00fg10000clip"_s + QString::number(qHash(url) % 100000);
    const VideoGear only { 720, VideoGear::Codec::H264, 900000, 0, { url } };
    return { { u"play_addr"_s, urlList(uri, { url }) },
             { u"bit_rate"_s, gears({ only }, uri) },
             { u"duration"_s, 2000 },
             { u"clip_type"_s, 4 } };
}

QJsonObject music(const ItemMusic &music)
{
    return { { u"title"_s, music.title },
             { u"duration"_s, music.duration },
             { u"play_url"_s,
               urlList(u"ies-music/"_s + music.title,
                       music.url.isEmpty() ? QStringList() : QStringList { music.url }) } };
}

QJsonObject video(const SamplePlatform::Item &item, const Endpoints &endpoints)
{
    QJsonObject video { { u"width"_s, 160 },
                        { u"height"_s, 120 },
                        { u"duration"_s, 2000 },
                        { u"ratio"_s, u"540p"_s } };
    if (item.variant == PageVariant::MissingFields)
        return video;
    const QString playAddress = endpoints.webOrigin + u"/aweme/v1/play/?video_id="_s + item.playUri
        + u"&ratio=540p&line=0"_s;
    // A gallery's "video" names its music's MP3 (or a silent one), never a video.
    if (!item.soundTrack.isEmpty())
        video.insert(u"play_addr"_s, urlList(item.soundTrack, { item.soundTrack }));
    else
        video.insert(u"play_addr"_s,
                     urlList(item.playUri,
                             item.playUri.isEmpty() ? QStringList() : QStringList { playAddress }));
    if (!item.gears.isEmpty())
        video.insert(u"bit_rate"_s, gears(item.gears, item.playUri));
    video.insert(u"cover"_s, urlList(u"tos-cn-p-0015/cover_"_s + item.videoId, { item.coverUrl }));
    return video;
}

QJsonArray images(const SamplePlatform::Item &item)
{
    QJsonArray images;
    for (qsizetype i = 0; i < item.imageUrls.size(); ++i) {
        const QString &url = item.imageUrls.at(i);
        QJsonObject image = urlList(u"tos-cn-i-0813/"_s + url.section(u'/', -1),
                                    SamplePlatform::pictureAddresses(url));
        // The download list carries a watermark: the one a client must not take.
        image.insert(u"download_url_list"_s,
                     QJsonArray { QString(url + u"~tplv-dy-aweme-images-watermark.jpeg"_s) });
        image.insert(u"width"_s, 160);
        image.insert(u"height"_s, 120);
        const QString clipUrl = item.clipUrls.value(i);
        if (!clipUrl.isEmpty())
            image.insert(u"video"_s, clip(clipUrl));
        images.append(image);
    }
    return images;
}

QJsonObject itemObject(const SamplePlatform::Item &item, const Endpoints &endpoints)
{
    QJsonObject object { { u"aweme_id"_s, item.videoId },
                         { u"desc"_s, item.description },
                         { u"create_time"_s, 1700000000 },
                         // Today every item says 0; the media type tells a note (2) or
                         // slides (42) from a video (4).
                         { u"aweme_type"_s, 0 },
                         { u"media_type"_s,
                           item.variant == PageVariant::LivePhotos ? 42
                               : item.imageUrls.isEmpty()          ? 4
                                                                   : 2 },
                         { u"is_slides"_s, item.variant == PageVariant::LivePhotos },
                         { u"video"_s, video(item, endpoints) },
                         { u"statistics"_s,
                           QJsonObject { { u"digg_count"_s, 4521 },
                                         { u"comment_count"_s, 318 },
                                         { u"share_count"_s, 77 },
                                         { u"collect_count"_s, 903 } } },
                         { u"share_url"_s,
                           QString(endpoints.shareOrigin + u"/share/video/"_s + item.videoId
                                   + u'/') } };
    if (item.variant != PageVariant::MissingFields)
        object.insert(u"author"_s, author(item));
    if (item.music)
        object.insert(u"music"_s, music(*item.music));
    object.insert(u"images"_s,
                  item.imageUrls.isEmpty() ? QJsonValue(QJsonValue::Null)
                                           : QJsonValue(images(item)));
    return object;
}

QJsonObject videoInfoRes(const SamplePlatform::Item &item, const Endpoints &endpoints,
                         bool withItem)
{
    QJsonArray itemList;
    QJsonArray filterList;
    if (!withItem) {
        filterList.append(QJsonObject { { u"aweme_id"_s, item.videoId },
                                        { u"filter_reason"_s, u"status_deleted"_s },
                                        { u"detail_msg"_s, u"作品已删除"_s } });
    } else {
        itemList.append(itemObject(item, endpoints));
    }
    return { { u"status_code"_s, 0 },
             { u"item_list"_s, itemList },
             { u"filter_list"_s, filterList },
             { u"is_oversea"_s, 0 } };
}

QJsonObject commonContext(const Endpoints &endpoints)
{
    return { { u"isMobile"_s, true },
             { u"isSpider"_s, false },
             { u"appName"_s, u"douyin_share"_s },
             { u"host"_s, endpoints.shareOrigin },
             { u"lang"_s, u"zh-CN"_s } };
}

QByteArray styles()
{
    // Real share pages carry tens of kilobytes of generated CSS before any script.
    QByteArray css;
    for (int i = 0; i < 360; ++i) {
        css += ".x" + QByteArray::number(i * 7919 % 100000, 36)
            + "{display:flex;position:relative;"
              "margin:"
            + QByteArray::number(i % 24) + "px auto;padding:0 " + QByteArray::number(i % 16)
            + "px;color:rgba(22,24,35," + QByteArray::number((i % 10) / 10.0)
            + ");font:400 14px/1.4 PingFangSC-Regular,sans-serif}\n";
    }
    return css;
}

QByteArray runtimeScript()
{
    // A loader like the ones bundlers emit; it holds "};" pairs, as every real page does.
    QByteArray script
        = "!function(e){var t={};function n(r){if(t[r])return t[r].exports;"
          "var o=t[r]={i:r,l:!1,exports:{}};return e[r].call(o.exports,o,o.exports,n),"
          "o.l=!0,o.exports};n.m=e;n.c=t;";
    for (int i = 0; i < 120; ++i) {
        script += "n.d" + QByteArray::number(i)
            + "=function(e,t){if(!n.o(e,t)){Object.defineProperty("
              "e,t,{enumerable:!0,get:function(){return e[\"m"
            + QByteArray::number(i) + "\"]}})}};\n";
    }
    return script + "}([]);";
}

} // namespace

SharePage::SharePage(const SamplePlatform::Item &item, const Endpoints &endpoints,
                     SamplePlatform::PageShape shape)
    : m_item(item), m_endpoints(endpoints), m_shape(shape)
{ }

QByteArray SharePage::firstHalf() const
{
    if (m_shape == PageShape::Shell || m_shape == PageShape::ErrorPage
        || m_shape == PageShape::WatchInApp)
        return smallPageStart();
    const QByteArray title
        = (m_item.description.isEmpty() ? u"抖音"_s : m_item.description + u" - 抖音"_s)
              .toHtmlEscaped()
              .toUtf8();
    return "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1,maximum-scale=1,"
           "user-scalable=no,viewport-fit=cover\">"
           "<meta name=\"keywords\" content=\"抖音,抖音短视频,记录美好生活\">"
           "<meta name=\"description\" content=\""
        + m_item.nickname.toHtmlEscaped().toUtf8()
        + "发布了一个作品\"><meta property=\"og:title\" content=\"" + title + "\">"
        + "<meta property=\"og:image\" content=\"" + m_item.coverUrl.toUtf8() + "\">" + "<title>"
        + title + "</title>" + "<link rel=\"dns-prefetch\" href=\"" + m_endpoints.webOrigin.toUtf8()
        + "\">" + "<style>" + styles() + "</style>" + "<script nonce=\"a9Xk2LqP\">"
        + runtimeScript() + "</script>"
        + "<script nonce=\"a9Xk2LqP\">window._SSR_HYDRATED_AT=Date.now();window.__INITIAL_LANG__="
          "\"zh-CN\";</script></head><body><div id=\"root\"><div class=\"x0\"><!--";
}

QByteArray SharePage::smallPageStart() const
{
    static const char head[] = "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
                               "<meta name=\"viewport\" content=\"width=device-width\">";
    switch (m_shape) {
    case PageShape::ErrorPage:
        return head
            + "<title>抱歉出错了</title></head><body><div class=\"error\"><p>抱歉出错了</p>"
              "<p>请稍后再试</p><!--"_ba;
    case PageShape::WatchInApp:
        return head
            + "<title>抖音</title></head><body><div class=\"guide\"><p>请尝试在抖音内观看"
              "</p><a href=\"snssdk1128://aweme/detail/"_ba
            + m_item.videoId.toUtf8() + "\">打开抖音</a><!--";
    default:
        return head
            + "<title>抖音</title><script src=\"/static/runtime.js\" defer></script>"
              "</head><body><div id=\"root\"><!--"_ba;
    }
}

QByteArray SharePage::secondHalf() const
{
    if (m_shape == PageShape::Shell || m_shape == PageShape::ErrorPage
        || m_shape == PageShape::WatchInApp)
        return "--></div><script src=\"/static/app.js\" defer></script></body></html>\n";
    return "--></div></div>" + routerScript()
        + "<script nonce=\"a9Xk2LqP\">(function(){var s={ready:!1};window.__pace=function(){"
          "s.ready=!0;};})();</script><script nonce=\"a9Xk2LqP\" src=\"/static/app.js\" defer>"
          "</script></body></html>\n";
}

QByteArray SharePage::routerData() const
{
    QJsonObject page { { u"videoInfoRes"_s, videoInfoRes(m_item, m_endpoints, hasItemList()) },
                       { u"isSpider"_s, false },
                       { u"offlineInfoList"_s, QJsonArray() },
                       { u"commonContext"_s, commonContext(m_endpoints) } };
    const QJsonObject loaderData {
        { u"video_layout"_s, QJsonObject { { u"commonContext"_s, commonContext(m_endpoints) } } },
        { u"video_(id)/page"_s, page },
        { u"_app_layout"_s, QJsonObject { { u"ssr"_s, true } } }
    };
    const QJsonObject root { { u"loaderData"_s, loaderData },
                             { u"errors"_s, QJsonValue(QJsonValue::Null) } };
    // The platform's serialiser escapes every slash; in JSON a slash only occurs inside strings.
    return QJsonDocument(root).toJson(QJsonDocument::Compact).replace("/", "\\u002F");
}

QJsonObject SharePage::item() const
{
    return itemObject(m_item, m_endpoints);
}

bool SharePage::hasItemList() const
{
    return m_item.variant != PageVariant::EmptyItemList && m_shape != PageShape::EmptyItemList;
}

QByteArray SharePage::scriptCheckPage()
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title></title></head><body>"
           "<script>document.cookie=\"__ac_nonce=0673b1c2d00a4f5e6b7c8;path=/\";</script>"
           "<script src=\"/static/ac/challenge.js\"></script></body></html>\n";
}

QByteArray SharePage::invalidUtf8Bytes()
{
    return QByteArrayLiteral("\xC3\x28\xFF\xFE\xA0\xA1");
}

QByteArray SharePage::routerScript() const
{
    const PageVariant variant
        = m_shape == PageShape::NoRouterData ? PageVariant::NoRouterData : m_item.variant;
    switch (variant) {
    case PageVariant::NoRouterData:
        return "<script nonce=\"a9Xk2LqP\">window._SSR_DATA = {\"status\":\"verify\"}</script>";
    case PageVariant::WithSemicolon:
        return "<script nonce=\"a9Xk2LqP\">window._ROUTER_DATA = " + routerData() + ";</script>";
    case PageVariant::WithoutWindowPrefix:
        return "<script nonce=\"a9Xk2LqP\">_ROUTER_DATA=" + routerData() + ";</script>";
    default:
        return "<script nonce=\"a9Xk2LqP\">window._ROUTER_DATA = " + routerData() + "</script>";
    }
}
