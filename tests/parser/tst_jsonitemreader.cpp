#include "JsonItemReader.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;
using Path = JsonItemReader::Path;

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

QTEST_GUILESS_MAIN(TestJsonItemReader)
#include "tst_jsonitemreader.moc"
