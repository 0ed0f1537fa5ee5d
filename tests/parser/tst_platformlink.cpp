#include "OptionalText.h"
#include "PlatformLink.h"

#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

using Kind = PlatformLink::Kind;

// The real platform, or a local one on names or on addresses.
Endpoints endpointsNamed(const QString &name)
{
    Endpoints endpoints;
    if (name == u"real")
        return endpoints;
    const QString host = name == u"ip" ? u"127.0.0.1"_s : u"localhost"_s;
    endpoints.shortLinkHost = host + u":4443"_s;
    endpoints.shareOrigin = u"https://"_s + host + u":4443"_s;
    endpoints.webOrigin = u"http://"_s + host + u":8080"_s;
    return endpoints;
}

} // namespace

Q_DECLARE_METATYPE(PlatformLink::Kind)

/*! The forms of the platform's links, as pasted and as redirect targets. */
class TestPlatformLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void classify_data();
    void classify();
    void findFirst_data();
    void findFirst();
    void isPlayAddress_data();
    void isPlayAddress();
};

void TestPlatformLink::classify_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("endpoints");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("videoId");
    QTest::addColumn<bool>("gallery");

    const QString id = u"7301234567890123456"_s;
    const auto row = [&](const char *name, const QString &url, const char *endpoints, Kind kind,
                         const QString &videoId = QString(), bool gallery = false) {
        QTest::newRow(name) << url << QString::fromLatin1(endpoints) << kind << videoId << gallery;
    };
    row("short link", u"https://v.douyin.com/iRNBho-Fk_w/"_s, "real", Kind::ShortLink);
    row("jx short link", u"https://jx.douyin.com/AbC-12_x/"_s, "real", Kind::ShortLink);
    row("one-character code", u"https://v.douyin.com/a/"_s, "real", Kind::ShortLink);
    row("long code", u"https://v.douyin.com/0123456789abcdefghijABCDEFGHIJ_-/"_s, "real",
        Kind::ShortLink);
    row("short link on the configured host", u"https://localhost:4443/Xy-1/"_s, "local",
        Kind::ShortLink);
    row("configured host on another port", u"https://localhost:4444/Xy-1/"_s, "local", Kind::Other);
    row("short-link host, deeper path", u"https://v.douyin.com/a/b/"_s, "real", Kind::Other);
    row("web video", u"https://www.douyin.com/video/"_s + id, "real", Kind::ItemLink, id);
    row("web note", u"https://www.douyin.com/note/"_s + id + u"?previous_page=app"_s, "real",
        Kind::ItemLink, id, true);
    row("web slides", u"https://www.douyin.com/slides/"_s + id, "real", Kind::ItemLink, id, true);
    row("an item path wins over modal_id",
        u"https://www.douyin.com/note/"_s + id + u"?modal_id=42"_s, "real", Kind::ItemLink, id,
        true);
    row("jingxuan modal_id", u"https://www.douyin.com/jingxuan?modal_id="_s + id, "real",
        Kind::ItemLink, id);
    row("any douyin.com path with modal_id",
        u"https://www.douyin.com/user/MS4wLjAB9?from_tab=post&modal_id="_s + id, "real",
        Kind::ItemLink, id);
    row("share video", u"https://www.iesdouyin.com/share/video/"_s + id + u"/?region=CN"_s, "real",
        Kind::ItemLink, id);
    row("share note", u"https://www.iesdouyin.com/share/note/"_s + id + u'/', "real",
        Kind::ItemLink, id, true);
    row("share slides", u"https://www.iesdouyin.com/share/slides/"_s + id + u'/', "real",
        Kind::ItemLink, id, true);
    row("jingxuan mobile video", u"https://jingxuan.douyin.com/m/video/"_s + id + u"?a=1"_s, "real",
        Kind::ItemLink, id);
    row("web slides", u"https://www.douyin.com/slides/"_s + id, "real", Kind::ItemLink, id, true);
    row("mobile video path on another host", u"https://example.com/m/video/"_s + id, "real",
        Kind::Other);
    row("mobile share video", u"https://m.douyin.com/share/video/"_s + id, "real", Kind::ItemLink,
        id);
    row("configured share origin", u"https://localhost:4443/share/slides/"_s + id + u'/', "local",
        Kind::ItemLink, id, true);
    row("configured web origin", u"http://localhost:8080/jingxuan?modal_id="_s + id, "local",
        Kind::ItemLink, id);
    row("share origin on an address", u"https://127.0.0.1:4443/share/video/"_s + id + u'/', "ip",
        Kind::ItemLink, id);
    row("item path on another host", u"https://example.com/video/"_s + id, "real", Kind::Other);
    row("host that only ends like the platform's", u"https://notdouyin.com/video/"_s + id, "real",
        Kind::Other);
    row("modal_id that is no ID", u"https://www.douyin.com/?modal_id=abc"_s, "real", Kind::Other);
    row("video path without digits", u"https://www.douyin.com/video/abc"_s, "real", Kind::Other);
    row("play address", u"https://www.douyin.com/aweme/v1/play/?video_id=v0200fg&ratio=540p"_s,
        "real", Kind::PlayAddress);
    row("play address on any host", u"http://127.0.0.1:8080/aweme/v1/play/?video_id=v1"_s, "real",
        Kind::PlayAddress);
    row("play path without video_id", u"https://www.douyin.com/aweme/v1/play/?ratio=540p"_s, "real",
        Kind::Other);
    row("another scheme", u"ftp://www.douyin.com/video/"_s + id, "real", Kind::Other);
}

void TestPlatformLink::classify()
{
    QFETCH(QString, url);
    QFETCH(QString, endpoints);
    QFETCH(Kind, kind);
    QFETCH(QString, videoId);
    QFETCH(bool, gallery);
    const PlatformLink link = PlatformLink::classify(QUrl(url), endpointsNamed(endpoints));
    QCOMPARE(link.kind(), kind);
    QCOMPARE(link.videoId(), videoId);
    QCOMPARE(link.isGallery(), gallery);
}

void TestPlatformLink::findFirst_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("endpoints");
    QTest::addColumn<OptionalText>("link");

    const QString shortLink = u"https://v.douyin.com/iRNBho-Fk_w/"_s;
    QTest::newRow("share text with decoys")
        << u"7.43 AgB:/ 复制打开抖音，看看【小明的作品】春天 # 日常 "_s + shortLink
            + u" 05/17 E@U.lp :0pm "_s
        << u"real"_s << OptionalText(shortLink);
    QTest::newRow("a second link after a +")
        << shortLink + u"+https://www.douyin.com/video/1/ 复制"_s << u"real"_s
        << OptionalText(shortLink);
    QTest::newRow("the first platform link wins over an earlier other link")
        << u"https://example.com/a/ + "_s + shortLink << u"real"_s << OptionalText(shortLink);
    QTest::newRow("punctuation stuck to a short link")
        << shortLink + u"，复制此链接"_s << u"real"_s << OptionalText(shortLink);
    QTest::newRow("long link, to the next white space")
        << u"看 https://www.douyin.com/video/7301?x=1 吧"_s << u"real"_s
        << OptionalText(u"https://www.douyin.com/video/7301?x=1"_s);
    QTest::newRow("jx short link") << u"精选 https://jx.douyin.com/Ab9_-/ 看"_s << u"real"_s
                                   << OptionalText(u"https://jx.douyin.com/Ab9_-/"_s);
    QTest::newRow("configured host before the real one")
        << u"抖音 https://localhost:4443/Xy-1/ and "_s + shortLink << u"local"_s
        << OptionalText(u"https://localhost:4443/Xy-1/"_s);
    QTest::newRow("short link on an address")
        << u"抖音 https://127.0.0.1:4443/Xy-1/ 05/17"_s << u"ip"_s
        << OptionalText(u"https://127.0.0.1:4443/Xy-1/"_s);
    QTest::newRow("no closing slash")
        << u"抖音 https://v.douyin.com/iRNBho6u 长按"_s << u"real"_s << OptionalText();
    QTest::newRow("http short link")
        << u"http://v.douyin.com/abc/"_s << u"real"_s << OptionalText();
    QTest::newRow("capital scheme")
        << u"HTTPS://v.douyin.com/abc/"_s << u"real"_s << OptionalText();
    QTest::newRow("only other links")
        << u"https://example.com/abc/ https://www.douyin.com/abc/"_s << u"real"_s << OptionalText();
    QTest::newRow("only decoys") << u"05/17 E@U.lp AgB:/ 复制打开抖音"_s << u"real"_s
                                 << OptionalText();
}

void TestPlatformLink::findFirst()
{
    QFETCH(QString, text);
    QFETCH(QString, endpoints);
    QFETCH(OptionalText, link);
    QCOMPARE(PlatformLink::findFirst(text, endpointsNamed(endpoints)), link);
}

void TestPlatformLink::isPlayAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("playAddress");
    const QString address = u"https://www.douyin.com/aweme/v1/play/?video_id=v0200fg10000cl7q3"_s;
    QTest::newRow("Kivora's play address") << address << true;
    QTest::newRow("white space around it") << u"  "_s + address + u"\n"_s << true;
    QTest::newRow("words around it") << u"看 "_s + address << false;
    QTest::newRow("empty video_id")
        << u"https://www.douyin.com/aweme/v1/play/?video_id="_s << false;
    QTest::newRow("no slash after play")
        << u"https://www.douyin.com/aweme/v1/play?video_id=v1"_s << false;
    QTest::newRow("not a link") << u"v0200fg10000cl7q3"_s << false;
}

void TestPlatformLink::isPlayAddress()
{
    QFETCH(QString, text);
    QFETCH(bool, playAddress);
    QCOMPARE(PlatformLink::isPlayAddress(text), playAddress);
}

QTEST_GUILESS_MAIN(TestPlatformLink)
#include "tst_platformlink.moc"
