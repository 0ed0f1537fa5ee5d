#include "OptionalText.h"
#include "VideoParser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(VideoInfo)
Q_DECLARE_METATYPE(std::optional<VideoInfo::Kind>)

namespace {

const QString tips = QStringLiteral("数据来自抖音公开分享页 www.iesdouyin.com");

QJsonObject object(const QString &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("bad test JSON: %s", qPrintable(json));
    return document.object();
}

// Router data with \a items as the item list.
QString withItems(const QString &items)
{
    return uR"({"loaderData":{"video_(id)/page":{"videoInfoRes":{"item_list":)" % items % u"}}}}";
}

QString withItem(const QString &item)
{
    return withItems(u'[' % item % u']');
}

// The expected full record, "tips" added, and no clips or renditions unless \a entries name them.
QString record(const QString &entries)
{
    const QString clips = entries.contains(u"\"clips\"") ? QString() : uR"(,"clips":[])"_s;
    const QString gears = entries.contains(u"\"gears\"") ? QString() : uR"(,"gears":[])"_s;
    return u'{' % entries % clips % gears % uR"(,"tips":")" % tips % u"\"}";
}

const QString failure = u"{\"msg\":\"解析失败！💦\",\"tips\":\"" % tips % u"\"}";

} // namespace

/*! The Video info record and how it is built from router data. */
class TestVideoInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void messagesKeepTheirCodePoints();
    void parseVideoInfoFromJSON_data();
    void parseVideoInfoFromJSON();
    void absentRootGivesTheFailureRecord();
    void failureRecordHasOnlyTwoEntries();
    void successAndKindComeFromTheFields_data();
    void successAndKindComeFromTheFields();
    void tipsNameTheShareHost_data();
    void tipsNameTheShareHost();
    void playAddressEncodesTheIdentifier_data();
    void playAddressEncodesTheIdentifier();
};

void TestVideoInfo::messagesKeepTheirCodePoints()
{
    const QString success = VideoInfo::successMessage();
    QCOMPARE(success.size(), 8);
    QCOMPARE(success.toUcs4(),
             QList<uint>({ 0x89E3, 0x6790, 0x6210, 0x529F, 0xFF01, 0x1F4AC, 0xFE0F }));
    const QString fail = VideoInfo::failureMessage();
    QCOMPARE(fail.size(), 7);
    QCOMPARE(fail.toUcs4(), QList<uint>({ 0x89E3, 0x6790, 0x5931, 0x8D25, 0xFF01, 0x1F4A6 }));
}

void TestVideoInfo::parseVideoInfoFromJSON_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("expected");

    const QString fullItem
        = uR"({"author":{"nickname":"小明"},"desc":"好看","video":{"play_addr":{"uri":"v0d00"},"cover":{"url_list":["https://p/c1.jpg","https://p/c2.jpg"]}}})"_s;
    QTest::newRow("video")
        << withItem(fullItem)
        << record(
               uR"("msg":"解析成功！💬️","name":"小明","title":"好看","video":"https://www.douyin.com/aweme/v1/play/?video_id=v0d00","cover":"https://p/c1.jpg","images":[],"type":"视频")"_s);
    QTest::newRow("only the first item is read")
        << withItems(u"[{\"desc\":\"first\"}," % fullItem % u']')
        << record(
               uR"("msg":"解析失败！💦","name":"","title":"first","video":"","cover":"","images":[],"type":"视频")"_s);
    QTest::newRow("gallery skips what is not a text address")
        << withItem(
               uR"({"author":{"nickname":"n"},"images":[{"url_list":["i1"]},"plain text",{"url_list":["i2","x"]},{"url_list":[]},{"url_list":[7]},{"url_list":"i"},{"url_list":["i3"]}]})"_s)
        << record(
               uR"("msg":"解析成功！💬️","name":"n","title":"","video":"","cover":"","images":["i1","i2","i3"],"clips":["","",""],"type":"图集")"_s);
    // Today's image posts name their music's MP3 (or a silent one) as their video.
    const QString galleryWithTrack
        = uR"({"author":{"nickname":"n"},"aweme_type":0,"media_type":2,"images":null,"video":{"play_addr":{"uri":"https://s/m.mp3","url_list":["https://s/m.mp3?x=1"]}}})"_s;
    QTest::newRow("gallery: the MP3 is its music, not its video")
        << withItem(galleryWithTrack)
        << record(
               uR"("msg":"解析成功！💬️","name":"n","title":"","video":"","cover":"","images":[],"type":"图集","music":{"url":"https://s/m.mp3?x=1","title":"","duration":0})"_s);
    QTest::newRow("gallery: a silent MP3 is no music")
        << withItem(QString(galleryWithTrack).replace(u"m.mp3?x=1"_s, u"no_sound.mp3"_s))
        << record(
               uR"("msg":"解析成功！💬️","name":"n","title":"","video":"","cover":"","images":[],"type":"图集")"_s);
    QTest::newRow("gallery: the music's own address wins")
        << withItem(
               QString(galleryWithTrack)
                   .replace(
                       uR"("aweme_type":0)"_s,
                       uR"("music":{"title":"t","duration":9,"play_url":{"url_list":["https://s/own.mp3"]}})"_s))
        << record(
               uR"("msg":"解析成功！💬️","name":"n","title":"","video":"","cover":"","images":[],"type":"图集","music":{"url":"https://s/own.mp3","title":"t","duration":9})"_s);
    QTest::newRow("video: its MP3-looking play address stays its video")
        << withItem(
               uR"({"author":{"nickname":"n"},"media_type":4,"video":{"play_addr":{"uri":"v1","url_list":["https://s/v.mp3"]}}})"_s)
        << record(
               uR"("msg":"解析成功！💬️","name":"n","title":"","video":"https://www.douyin.com/aweme/v1/play/?video_id=v1","cover":"","images":[],"type":"视频")"_s);
    QTest::newRow("failure text but play address")
        << withItem(uR"({"author":{"nickname":""},"video":{"play_addr":{"uri":"u"}}})"_s)
        << record(
               uR"("msg":"解析失败！💦","name":"","title":"","video":"https://www.douyin.com/aweme/v1/play/?video_id=u","cover":"","images":[],"type":"视频")"_s);
    const QString emptyRecord = record(
        uR"("msg":"解析失败！💦","name":"","title":"","video":"","cover":"","images":[],"type":"视频")"_s);
    QTest::newRow("nickname is a number")
        << withItem(uR"({"author":{"nickname":5}})"_s) << emptyRecord;
    QTest::newRow("author is not an object") << withItem(uR"({"author":"小明"})"_s) << emptyRecord;
    QTest::newRow("empty play identifier")
        << withItem(uR"({"video":{"play_addr":{"uri":""}}})"_s) << emptyRecord;
    QTest::newRow("cover list empty")
        << withItem(uR"({"video":{"cover":{"url_list":[]}}})"_s) << emptyRecord;
    QTest::newRow("cover list not an array")
        << withItem(uR"({"video":{"cover":{"url_list":"c"}}})"_s) << emptyRecord;
    QTest::newRow("images null") << withItem(uR"({"images":null})"_s) << emptyRecord;
    QTest::newRow("images an object")
        << withItem(uR"({"images":{"url_list":["i"]}})"_s) << emptyRecord;
    QTest::newRow("desc null") << withItem(uR"({"desc":null})"_s) << emptyRecord;

    QTest::newRow("empty item list") << withItems(QStringLiteral("[]")) << failure;
    QTest::newRow("first item not an object") << withItems(u"[1," % fullItem % u']') << failure;
    QTest::newRow("item list not an array") << withItems(fullItem) << failure;
    QTest::newRow("no loaderData") << uR"({"other":{}})"_s << failure;
    QTest::newRow("page key without parentheses")
        << uR"({"loaderData":{"video_id/page":{"videoInfoRes":{"item_list":[{}]}}}})"_s << failure;
    QTest::newRow("videoInfoRes null")
        << uR"({"loaderData":{"video_(id)/page":{"videoInfoRes":null}}})"_s << failure;
}

void TestVideoInfo::parseVideoInfoFromJSON()
{
    QFETCH(QString, root);
    QFETCH(QString, expected);
    const VideoInfo info = VideoParser().parseVideoInfoFromJSON(QJsonValue(object(root)));
    QCOMPARE(info.toJson(), object(expected));
}

void TestVideoInfo::absentRootGivesTheFailureRecord()
{
    const VideoParser parser;
    QCOMPARE(parser.parseVideoInfoFromJSON(std::nullopt).toJson(), object(failure));
    QCOMPARE(parser.parseVideoInfoFromJSON(QJsonValue(QStringLiteral("text"))),
             parser.failureRecord());
    QCOMPARE(parser.parseVideoInfoFromJSON(QJsonValue(QJsonArray())), parser.failureRecord());
}

void TestVideoInfo::failureRecordHasOnlyTwoEntries()
{
    const VideoInfo info = VideoParser().failureRecord();
    QVERIFY(info.isFailureRecord());
    QVERIFY(!info.isSuccess());
    QCOMPARE(info.video(), OptionalText());
    QCOMPARE(info.images(), std::optional<QStringList>());
    QCOMPARE(info.toString(), failure);
}

void TestVideoInfo::successAndKindComeFromTheFields_data()
{
    using Kind = VideoInfo::Kind;
    QTest::addColumn<VideoInfo>("record");
    QTest::addColumn<bool>("success");
    QTest::addColumn<std::optional<Kind>>("kind");
    QTest::addColumn<OptionalText>("msg");
    QTest::addColumn<OptionalText>("type");

    const QString ok = VideoInfo::successMessage(), failed = VideoInfo::failureMessage();
    const QStringList pictures { u"https://p/1.jpg"_s };
    QTest::newRow("video with an author")
        << VideoInfo::full(u"n"_s, u"t"_s, u"v"_s, {}, {}, tips) << true
        << std::optional(Kind::Video) << OptionalText(ok) << OptionalText(u"视频"_s);
    QTest::newRow("gallery with an author")
        << VideoInfo::full(u"n"_s, {}, {}, {}, pictures, tips) << true
        << std::optional(Kind::Gallery) << OptionalText(ok) << OptionalText(u"图集"_s);
    QTest::newRow("gallery without an author: a failed parse of a gallery")
        << VideoInfo::full({}, {}, {}, {}, pictures, tips) << false
        << std::optional(Kind::Gallery) << OptionalText(failed) << OptionalText(u"图集"_s);
    // The author's name may read like the record's texts: only the fields decide.
    QTest::newRow("author named like the failure text")
        << VideoInfo::full(failed, {}, u"v"_s, {}, {}, tips) << true
        << std::optional(Kind::Video) << OptionalText(ok) << OptionalText(u"视频"_s);
    QTest::newRow("failure record") << VideoInfo::failure(tips) << false << std::optional<Kind>()
                                    << OptionalText(failed) << OptionalText();
    QTest::newRow("record never built: no entries")
        << VideoInfo() << false << std::optional<Kind>() << OptionalText() << OptionalText();
}

void TestVideoInfo::successAndKindComeFromTheFields()
{
    QFETCH(VideoInfo, record);
    QFETCH(bool, success);
    QFETCH(std::optional<VideoInfo::Kind>, kind);
    QFETCH(OptionalText, msg);
    QFETCH(OptionalText, type);
    QCOMPARE(record.isSuccess(), success);
    QCOMPARE(record.kind(), kind);
    QCOMPARE(record.msg(), msg);
    QCOMPARE(record.type(), type);
}

void TestVideoInfo::tipsNameTheShareHost_data()
{
    QTest::addColumn<QString>("shareOrigin");
    QTest::addColumn<QString>("tips");
    QTest::newRow("real platform") << Endpoints().shareOrigin << tips;
    QTest::newRow("port left out") << QStringLiteral("https://localhost:4443")
                                   << QStringLiteral("数据来自抖音公开分享页 localhost");
}

void TestVideoInfo::tipsNameTheShareHost()
{
    QFETCH(QString, shareOrigin);
    QFETCH(QString, tips);
    Endpoints endpoints;
    endpoints.shareOrigin = shareOrigin;
    const VideoParser parser(endpoints);
    QCOMPARE(parser.failureRecord().tips(), OptionalText(tips));
    QCOMPARE(
        parser.parseVideoInfoFromJSON(QJsonValue(object(withItem(QStringLiteral("{}"))))).tips(),
        OptionalText(tips));
}

void TestVideoInfo::playAddressEncodesTheIdentifier_data()
{
    QTest::addColumn<QString>("playId");
    QTest::addColumn<QString>("query");
    QTest::newRow("platform identifier unchanged")
        << u"v0200fg10000cl7q3ijc77u1d2kg9b0g"_s << u"video_id=v0200fg10000cl7q3ijc77u1d2kg9b0g"_s;
    QTest::newRow("unreserved marks unchanged") << u"a-b.c_d~e"_s << u"video_id=a-b.c_d~e"_s;
    QTest::newRow("a second parameter") << u"v1&line=9"_s << u"video_id=v1%26line%3D9"_s;
    QTest::newRow("fragment, space, percent") << u"v1#x y%"_s << u"video_id=v1%23x%20y%25"_s;
    QTest::newRow("non-ASCII") << u"视频"_s << u"video_id=%E8%A7%86%E9%A2%91"_s;
}

void TestVideoInfo::playAddressEncodesTheIdentifier()
{
    QFETCH(QString, playId);
    QFETCH(QString, query);
    Endpoints endpoints;
    endpoints.webOrigin = QStringLiteral("http://localhost:8080");
    const QJsonObject item {
        { u"video"_s, QJsonObject { { u"play_addr"_s, QJsonObject { { u"uri"_s, playId } } } } }
    };
    const VideoInfo info = VideoParser(endpoints).parseVideoInfoFromJSON(QJsonValue(
        object(withItem(QString::fromUtf8(QJsonDocument(item).toJson(QJsonDocument::Compact))))));
    const QString expected = u"http://localhost:8080/aweme/v1/play/?"_s + query;
    QCOMPARE(info.video(), OptionalText(expected));
    // One parameter whose value is the identifier again.
    const QUrlQuery parameters(QUrl(expected, QUrl::StrictMode));
    QCOMPARE(parameters.queryItems(QUrl::FullyDecoded),
             (QList<QPair<QString, QString>> { { u"video_id"_s, playId } }));
}

QTEST_GUILESS_MAIN(TestVideoInfo)
#include "tst_videoinfo.moc"
