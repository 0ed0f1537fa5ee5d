#include "JsonItemReader.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;
using Path = JsonItemReader::Path;
Q_DECLARE_METATYPE(std::optional<ItemMusic>)

namespace {

QByteArray nested(int containers)
{
    return "{\"a\":" + QByteArray(containers - 1, '[') + QByteArray(containers - 1, ']') + '}';
}

QByteArray routerData(const QByteArray &item)
{
    return R"({"loaderData":{"video_(id)/page":{"videoInfoRes":{"item_list":[)" + item + "]}}}}";
}

// The item's fields in one list, for a compact comparison: nickname, desc, play URI, cover and
// then the images.
QStringList fields(const JsonItemReader::Item &item)
{
    return QStringList { item.nickname, item.desc, item.playUri, item.cover } + item.images;
}

} // namespace

/*! Reading the item straight from the JSON text, as a document of it would give it. */
class TestJsonItemReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void acceptsWhatQJsonDocumentReadsAsAnObject_data();
    void acceptsWhatQJsonDocumentReadsAsAnObject();
    void readsTheItemAsALookupWould_data();
    void readsTheItemAsALookupWould();
    void galleryKeepsTheFirstImagesAndCountsTheRest();
    void itemAnswerGivesTheItemAndItsType_data();
    void itemAnswerGivesTheItemAndItsType();
    void picturesAndTheirClips_data();
    void picturesAndTheirClips();
    void kindMusicAndStatus_data();
    void kindMusicAndStatus();
    void gearsAsTheVideoListsThem();
};

void TestJsonItemReader::acceptsWhatQJsonDocumentReadsAsAnObject_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("object");
    QTest::newRow("empty object") << QByteArray("{}") << true;
    QTest::newRow("white space around") << QByteArray(" \r\n\t{ \"a\" : [ 1 , 2 ] }\n") << true;
    QTest::newRow("byte order mark first") << QByteArray("\xEF\xBB\xBF{}") << true;
    QTest::newRow("byte order mark after a space") << QByteArray(" \xEF\xBB\xBF{}") << false;
    QTest::newRow("array") << QByteArray("[1]") << false;
    QTest::newRow("text") << QByteArray("\"s\"") << false;
    QTest::newRow("nothing") << QByteArray() << false;
    QTest::newRow("garbage after") << QByteArray("{} x") << false;
    QTest::newRow("form feed is no space") << QByteArray("{}\f") << false;
    QTest::newRow("comma before the end") << QByteArray(R"({"a":1,})") << false;
    QTest::newRow("comma before the array's end") << QByteArray(R"({"a":[1,]})") << false;
    QTest::newRow("missing colon") << QByteArray(R"({"a" 1})") << false;
    QTest::newRow("key not text") << QByteArray(R"({a:1})") << false;
    QTest::newRow("leading zero") << QByteArray(R"({"a":01})") << false;
    QTest::newRow("fraction without digits") << QByteArray(R"({"a":1.})") << true;
    QTest::newRow("fraction without integer part") << QByteArray(R"({"a":-.5})") << true;
    QTest::newRow("lone minus") << QByteArray(R"({"a":-})") << false;
    QTest::newRow("plus sign") << QByteArray(R"({"a":+1})") << false;
    QTest::newRow("overflow") << QByteArray(R"({"a":1.8e308})") << false;
    QTest::newRow("underflow") << QByteArray(R"({"a":1e-400})") << false;
    QTest::newRow("zero with a tiny exponent") << QByteArray(R"({"a":0e-400})") << true;
    QTest::newRow("integer beyond 64 bits") << QByteArray(R"({"a":99999999999999999999})") << true;
    QTest::newRow("bare word") << QByteArray(R"({"a":nul})") << false;
    QTest::newRow("literal run on") << QByteArray(R"({"a":nulll})") << false;
    QTest::newRow("control characters in text") << QByteArray("{\"a\":\"x\x01\ny\"}") << true;
    QTest::newRow("unknown escapes") << QByteArray(R"({"a":"\a\U\'"})") << true;
    QTest::newRow("bad hex escape") << QByteArray(R"({"a":"\u12G4"})") << false;
    QTest::newRow("short hex escape") << QByteArray(R"({"a":"\u12"})") << false;
    QTest::newRow("escaped Chinese character") << QByteArray(R"({"a":"\中"})") << false;
    QTest::newRow("text not closed") << QByteArray(R"({"a":"x})") << false;
    QTest::newRow("1024 levels") << nested(1024) << true;
    QTest::newRow("1025 levels") << nested(1025) << false;
}

void TestJsonItemReader::acceptsWhatQJsonDocumentReadsAsAnObject()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, object);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    // The rows hold for Qt's reader too; should a new Qt change its mind, this says so.
    QCOMPARE(error.error == QJsonParseError::NoError && document.isObject(), object);
    QCOMPARE(JsonItemReader::read(text, Path::RouterData).isObject, object);
}

void TestJsonItemReader::readsTheItemAsALookupWould_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("item"); // empty: no item
    const QByteArray full
        = R"({"author":{"nickname":"小明"},"desc":"d","video":{"play_addr":{"uri":"v1"},)"
          R"("cover":{"url_list":["c1","c2"]}},"images":[{"url_list":["i1"]}]})";
    QTest::newRow("every field") << routerData(full)
                                 << QStringList { u"小明"_s, u"d"_s, u"v1"_s, u"c1"_s, u"i1"_s };
    QTest::newRow("escaped keys and values")
        << QByteArray(R"({"loaderData":{"video_(id)\u002Fpage":{"videoInfoRes":{"item_list":[)"
                      R"({"\u0064esc":"a\u002Fb\n\ud83d\ude00"}]}}}})")
        << QStringList { QString(), u"a/b\n😀"_s, QString(), QString() };
    QTest::newRow("the last of a repeated key counts")
        << routerData(R"({"desc":"first","desc":"second","video":{"play_addr":{"uri":"v1"}},)"
                      R"("video":{"cover":{"url_list":["c"]}},"author":{"nickname":"a",)"
                      R"("nickname":7}})")
        << QStringList { QString(), u"second"_s, QString(), u"c"_s };
    QTest::newRow("a repeated item list that is not an array")
        << QByteArray(R"({"loaderData":{"video_(id)/page":{"videoInfoRes":{"item_list":[)" + full
                      + R"(],"item_list":{}}}}})")
        << QStringList();
    QTest::newRow("an image whose url_list comes twice")
        << routerData(R"({"images":[{"url_list":["x"],"url_list":[1]},{"url_list":[1],)"
                      R"("url_list":["y"]},"z",{"url_list":[]},{"url_list":"w"}]})")
        << QStringList { QString(), QString(), QString(), QString(), u"y"_s };
    QTest::newRow("byte order marks: dropped opening plain text, kept when escaped, a key apart")
        << routerData("{\"desc\":\"\xEF\xBB\xBFx\",\"\xEF\xBB\xBF"
                      "desc\":\"y\",\"author\":{\"nickname\":\"\xEF\xBB\xBF\\n\"}}")
        << QStringList { u"\uFEFF\n"_s, u"x"_s, QString(), QString() };
    QTest::newRow("lone surrogate kept")
        << routerData(R"({"desc":"\udc00"})")
        << QStringList { QString(), QString(QChar(0xDC00)), QString(), QString() };
    QTest::newRow("first item not an object") << routerData("1," + full) << QStringList();
    QTest::newRow("empty item list") << routerData(QByteArray()) << QStringList();
    QTest::newRow("item list beside the path")
        << QByteArray(R"({"loaderData":{"video_(id)/page":{"item_list":[{}]}}})") << QStringList();
}

void TestJsonItemReader::readsTheItemAsALookupWould()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, item);
    const JsonItemReader::Reading reading = JsonItemReader::read(text, Path::RouterData);
    QVERIFY(reading.isObject);
    QCOMPARE(reading.item.has_value(), !item.isEmpty());
    if (reading.item)
        QCOMPARE(fields(*reading.item), item);
}

void TestJsonItemReader::galleryKeepsTheFirstImagesAndCountsTheRest()
{
    const int listed = 2500;
    QByteArray images = R"("images":["not an image")";
    for (int i = 0; i < listed; ++i)
        images += R"(,{"url_list":["https:\u002F\u002Fp\u002F)" + QByteArray::number(i) + "\"]}";
    const JsonItemReader::Reading reading
        = JsonItemReader::read(routerData('{' + images + "]}"), Path::RouterData);
    QVERIFY(reading.item);
    QCOMPARE(reading.item->images.size(), JsonItemReader::maximumImages);
    QCOMPARE(reading.item->images.first(), u"https://p/0"_s);
    QCOMPARE(reading.item->images.last(), u"https://p/999"_s);
    QCOMPARE(reading.item->imagesLeftOut, listed - JsonItemReader::maximumImages);
}

void TestJsonItemReader::itemAnswerGivesTheItemAndItsType_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("hasItem");
    QTest::addColumn<std::optional<double>>("type");
    QTest::newRow("image post") << QByteArray(
        R"({"aweme_details":[{"aweme_type":68,"desc":"d"}],"status_code":0})")
                                << true << std::optional<double>(68);
    QTest::newRow("type as a fraction") << QByteArray(R"({"aweme_details":[{"aweme_type":2.0}]})")
                                        << true << std::optional<double>(2);
    QTest::newRow("type as text") << QByteArray(R"({"aweme_details":[{"aweme_type":"68"}]})")
                                  << true << std::optional<double>();
    QTest::newRow("no details") << QByteArray(R"({"status_code":8})") << false
                                << std::optional<double>();
    QTest::newRow("byte order mark opening the key")
        << QByteArray("{\"\xEF\xBB\xBF"
                      "aweme_details\":[{\"aweme_type\":68}]}")
        << false << std::optional<double>();
    QTest::newRow("router data is not an answer")
        << routerData("{}") << false << std::optional<double>();
}

void TestJsonItemReader::itemAnswerGivesTheItemAndItsType()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, hasItem);
    QFETCH(std::optional<double>, type);
    // The rows hold for a lookup in Qt's document too.
    QCOMPARE(QJsonDocument::fromJson(text).object().value(u"aweme_details"_s).isArray(), hasItem);
    const JsonItemReader::Reading reading = JsonItemReader::read(text, Path::ItemAnswer);
    QVERIFY(reading.isObject);
    QCOMPARE(reading.item.has_value(), hasItem);
    if (reading.item)
        QCOMPARE(reading.item->awemeType, type);
}

void TestJsonItemReader::picturesAndTheirClips_data()
{
    QTest::addColumn<QByteArray>("images");
    QTest::addColumn<QStringList>("pictures");
    QTest::addColumn<QList<QStringList>>("fallbacks");
    QTest::addColumn<QStringList>("clips");
    QTest::newRow("WebP, WebP, JPEG: the JPEG, the WebPs behind it")
        << QByteArray(R"([{"url_list":["a.webp","b~q75.webp?x=1","c~q75.jpeg?x-expires=9"],)"
                      R"("download_url_list":["watermarked.jpeg"]}])")
        << QStringList { u"c~q75.jpeg?x-expires=9"_s }
        << QList<QStringList> { { u"a.webp"_s, u"b~q75.webp?x=1"_s } } << QStringList { QString() };
    QTest::newRow("a .jpg in capitals counts")
        << QByteArray(R"([{"url_list":["a.webp","b.JPG"]}])") << QStringList { u"b.JPG"_s }
        << QList<QStringList> { { u"a.webp"_s } } << QStringList { QString() };
    QTest::newRow("jpeg only in the query is no JPEG")
        << QByteArray(R"([{"url_list":["a.webp?f=.jpeg","b.webp"]}])")
        << QStringList { u"a.webp?f=.jpeg"_s } << QList<QStringList> { { u"b.webp"_s } }
        << QStringList { QString() };
    QTest::newRow("no JPEG: the first non-empty entry")
        << QByteArray(R"([{"url_list":["",1,"a.webp","b.webp"]}])") << QStringList { u"a.webp"_s }
        << QList<QStringList> { { u"b.webp"_s } } << QStringList { QString() };
    QTest::newRow("only empty entries: no picture, and so no clip")
        << QByteArray(R"([{"url_list":[""],"video":{"play_addr":{"url_list":["c"]}}}])")
        << QStringList() << QList<QStringList>() << QStringList();
    QTest::newRow("live photos: a clip where a picture has a video, its best H.264 rendition")
        << QByteArray(
               R"([{"url_list":["p1.jpeg"],"video":{"play_addr":{"url_list":["plain1"]},)"
               R"("bit_rate":[{"play_addr":{"url_key":"u_bytevc1_1080p_9","url_list":["hevc"]}},)"
               R"({"play_addr":{"url_key":"u_h264_720p_5","url_list":["avc720","avc720b"]}}]}},)"
               R"({"url_list":["p2.jpeg"]},)"
               R"({"url_list":["p3.jpeg"],"video":{"play_addr":{"url_list":["plain3"]}}},)"
               R"({"url_list":["p4.jpeg"],"video":{"play_addr":{"url_list":[]}}}])")
        << QStringList { u"p1.jpeg"_s, u"p2.jpeg"_s, u"p3.jpeg"_s, u"p4.jpeg"_s }
        << QList<QStringList> { {}, {}, {}, {} }
        << QStringList { u"avc720"_s, QString(), u"plain3"_s, QString() };
}

void TestJsonItemReader::picturesAndTheirClips()
{
    QFETCH(QByteArray, images);
    QFETCH(QStringList, pictures);
    QFETCH(QList<QStringList>, fallbacks);
    QFETCH(QStringList, clips);
    const JsonItemReader::Reading reading
        = JsonItemReader::read(routerData(R"({"images":)" + images + '}'), Path::RouterData);
    QVERIFY(reading.item);
    QCOMPARE(reading.item->images, pictures);
    QCOMPARE(reading.item->imageFallbacks, fallbacks);
    QCOMPARE(reading.item->clips, clips);
}

void TestJsonItemReader::kindMusicAndStatus_data()
{
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<bool>("gallery");
    QTest::addColumn<std::optional<ItemMusic>>("music");
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<std::optional<double>>("privateStatus");
    const std::optional<ItemMusic> none;
    QTest::newRow("video: media type 4, type 0")
        << QByteArray(R"({"aweme_type":0,"media_type":4,"images":null})") << false << none << false
        << std::optional<double>();
    QTest::newRow("note: media type 2, pictures withheld")
        << QByteArray(R"({"aweme_type":0,"media_type":2,"images":null})") << true << none << false
        << std::optional<double>();
    QTest::newRow("slides: media type 42")
        << QByteArray(R"({"media_type":42})") << true << none << false << std::optional<double>();
    QTest::newRow("slides flag alone")
        << QByteArray(R"({"is_slides":true})") << true << none << false << std::optional<double>();
    QTest::newRow("slides flag as a number is no flag")
        << QByteArray(R"({"is_slides":1,"media_type":"2"})") << false << none << false
        << std::optional<double>();
    QTest::newRow("pictures, whatever the types say")
        << QByteArray(R"({"aweme_type":4,"media_type":4,"images":[{"url_list":["p.jpeg"]}]})")
        << true << none << false << std::optional<double>();
    QTest::newRow("music with an address, duration in seconds")
        << QByteArray(R"({"music":{"title":"海浪","duration":12.5,)"
                      R"("play_url":{"uri":"m","url_list":["m.mp3","m2.mp3"]}}})")
        << false << std::optional<ItemMusic>(ItemMusic { u"m.mp3"_s, u"海浪"_s, 12.5 }) << false
        << std::optional<double>();
    QTest::newRow("music with an empty address list")
        << QByteArray(R"({"music":{"title":"t","play_url":{"url_list":[]}}})") << false
        << std::optional<ItemMusic>(ItemMusic { QString(), u"t"_s, 0 }) << false
        << std::optional<double>();
    QTest::newRow("music that is not an object, after one that is")
        << QByteArray(R"({"music":{"title":"t"},"music":null})") << false << none << false
        << std::optional<double>();
    QTest::newRow("deleted") << QByteArray(R"({"status":{"is_delete":true,"private_status":0}})")
                             << false << none << true << std::optional<double>(0);
    QTest::newRow("friends only, delete flag as a number")
        << QByteArray(R"({"status":{"is_delete":0,"private_status":2}})") << false << none << false
        << std::optional<double>(2);
    QTest::newRow("delete flag as a number") << QByteArray(R"({"status":{"is_delete":1}})") << false
                                             << none << true << std::optional<double>();
}

void TestJsonItemReader::kindMusicAndStatus()
{
    QFETCH(QByteArray, item);
    QFETCH(bool, gallery);
    QFETCH(std::optional<ItemMusic>, music);
    QFETCH(bool, deleted);
    QFETCH(std::optional<double>, privateStatus);
    const QByteArray answer = R"({"aweme_details":[)" + item + "]}";
    QVERIFY(QJsonDocument::fromJson(answer).isObject());
    const JsonItemReader::Reading reading = JsonItemReader::read(answer, Path::ItemAnswer);
    QVERIFY(reading.item);
    QCOMPARE(reading.item->isGallery(), gallery);
    QCOMPARE(reading.item->music, music);
    QCOMPARE(reading.item->isDeleted, deleted);
    QCOMPARE(reading.item->privateStatus, privateStatus);
}

// Height from url_key, else gear_name, else the pixels; codec from url_key, else the flags.
void TestJsonItemReader::gearsAsTheVideoListsThem()
{
    const QByteArray video = R"({"video":{"play_addr":{"uri":"v","url_list":["play"]},"bit_rate":[)"
                             R"({"gear_name":"normal_540_0","bit_rate":800,"is_h265":0,)"
                             R"("play_addr":{"height":544,"data_size":450,)"
                             R"("url_key":"v_h264_540p_800","url_list":["a","b"]}},)"
                             R"({"gear_name":"normal_1080_0","bit_rate":1500,"is_bytevc1":1,)"
                             R"("play_addr":{"height":1920,"url_list":["c"]}},)"
                             R"({"gear_name":"x","is_h265":true,"play_addr":{"height":720,)"
                             R"("url_key":"v_bytevc2_720p_1"}},)"
                             R"(7,{"gear_name":"lowest","play_addr":{"height":360}},)"
                             R"({"bit_rate":1e300,"play_addr":{"height":1e300,"data_size":-5}}]}})";
    const JsonItemReader::Reading reading
        = JsonItemReader::read(routerData(video), Path::RouterData);
    QVERIFY(reading.item);
    using Codec = VideoGear::Codec;
    const QList<VideoGear> expected {
        { 540, Codec::H264, 800, 450, { u"a"_s, u"b"_s } },
        { 1080, Codec::Bytevc1, 1500, 0, { u"c"_s } },
        { 720, Codec::Bytevc2, 0, 0, {} },
        { 360, Codec::H264, 0, 0, {} },
        // Numbers far out of range are bounded, never converted as they are.
        { 65536, Codec::H264, qint64(1) << 52, 0, {} },
    };
    QCOMPARE(reading.item->gears, expected);
    QCOMPARE(reading.item->playUrl, u"play"_s);
    QCOMPARE(reading.item->playUri, u"v"_s);
}

QTEST_GUILESS_MAIN(TestJsonItemReader)
#include "tst_jsonitemreader.moc"
