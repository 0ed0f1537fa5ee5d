#include "LogCapture.h"
#include "OptionalText.h"
#include "VideoParser.h"

#include <QJsonDocument>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString page(const QString &script)
{
    return u"<html><head><script>var a = {x: 1};</script></head><body><script>" % script
        % u"</script><script>function f() { return {}; };</script></body></html>";
}

const QString routerData
    = uR"({"loaderData":{"video_(id)/page":{"videoInfoRes":{"item_list":[{"author":{"nickname":"小明"},"desc":"d","video":{"play_addr":{"uri":"v0200"},"cover":{"url_list":["https://p/c.jpg"]}}}]}}}})"_s;

} // namespace

/*! From a share page to its router data and on to the record, with the diagnostic lines. */
class TestPageData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bodiesThatAreNotUtf8AreRefused_data();
    void bodiesThatAreNotUtf8AreRefused();
    void extractJSONFromHTML_data();
    void extractJSONFromHTML();
    void bodyToRecord();
    void bodyToRecordFailures_data();
    void bodyToRecordFailures();
    void hugeGalleryIsCutWithADiagnosticLine();
};

void TestPageData::bodiesThatAreNotUtf8AreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::newRow("Chinese and emoji") << QStringLiteral("抖音 💬️ é").toUtf8() << true;
    QTest::newRow("largest code point") << QByteArray("\xF4\x8F\xBF\xBF") << true;
    QTest::newRow("stray continuation") << QByteArray("\x80") << false;
    QTest::newRow("truncated before ASCII") << QByteArray("\xE6\x8A"
                                                          "a")
                                            << false;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << false;
    QTest::newRow("overlong three bytes") << QByteArray("\xE0\x80\xAF") << false;
    QTest::newRow("overlong four bytes") << QByteArray("\xF0\x80\x80\xAF") << false;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
    QTest::newRow("byte FF") << QByteArray("a\xFF") << false;
    QTest::newRow("Latin-1 text") << QByteArray("caf\xE9!") << false;
}

void TestPageData::bodiesThatAreNotUtf8AreRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    // The bytes stand in a comment far from the router data, before and after it.
    const QByteArray routerScript
        = (u"<script>window._ROUTER_DATA = " % routerData % u"</script>").toUtf8();
    const QByteArray comment = "<!-- " + bytes + " -->";
    for (const QByteArray &body :
         { QByteArray(comment + routerScript), QByteArray(routerScript + comment) }) {
        LogCapture log;
        const VideoInfo record = VideoParser().videoInfoFromPageBody(body);
        QCOMPARE(record.isSuccess(), valid);
        QCOMPARE(log.linesStartingWith(QStringLiteral("Kivora2  (null)")).size(), valid ? 0 : 1);
    }
}

void TestPageData::extractJSONFromHTML_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<OptionalText>("json");
    const QString nested = uR"({"a":{"b":[1,{"c":"}"}]},"d":"x"})"_s;
    QTest::newRow("window prefix, nested object, semicolon")
        << page(u"window._ROUTER_DATA = " % nested % u";") << OptionalText(nested);
    QTest::newRow("no window prefix, no spaces")
        << page(u"_ROUTER_DATA=" % nested % u";") << OptionalText(nested);
    QTest::newRow("spans several lines")
        << page(QStringLiteral("window._ROUTER_DATA =\n{\n \"a\": {\n  \"b\": 1\n }\n};"))
        << OptionalText(QStringLiteral("{\n \"a\": {\n  \"b\": 1\n }\n}"));
    QTest::newRow("first of two assignments")
        << page(uR"(_ROUTER_DATA = {"n":1}; _ROUTER_DATA = {"n":2};)"_s)
        << OptionalText(uR"({"n":1})"_s);
    QTest::newRow("a mention without assignment is passed over")
        << page(u"if (window._ROUTER_DATA) { go(); }; window._ROUTER_DATA = " % nested)
        << OptionalText(nested);
    QTest::newRow("no semicolon after the object")
        << page(u"window._ROUTER_DATA = " % nested) << OptionalText(nested);
    const QString braceInString = uR"({"desc":"a};b","n":{"m":1}})"_s;
    QTest::newRow("}; inside a string, semicolon after")
        << page(u"window._ROUTER_DATA = " % braceInString % u";") << OptionalText(braceInString);
    QTest::newRow("}; inside a string, no semicolon after")
        << page(u"window._ROUTER_DATA = " % braceInString) << OptionalText(braceInString);
    const QString escapedQuote = uR"({"desc":"say \"}\"; \\","n":2})"_s;
    QTest::newRow("escaped quotes and backslashes")
        << page(u"_ROUTER_DATA = " % escapedQuote) << OptionalText(escapedQuote);
    QTest::newRow("Unicode spaces around =")
        << page(u"_ROUTER_DATA\u3000=\u00A0\u2029" % nested) << OptionalText(nested);
    QTest::newRow("vertical tab is no pattern space")
        << page(u"_ROUTER_DATA =\v" % nested) << OptionalText();
    QTest::newRow("unbalanced object falls back to the first };")
        << uR"(<script>_ROUTER_DATA = {"a":{"b":1};</script>)"_s
        << OptionalText(uR"({"a":{"b":1})"_s);
    QTest::newRow("truncated page") << uR"(<script>_ROUTER_DATA = {"a":{"b":1)"_s << OptionalText();
    QTest::newRow("no router data") << page(QStringLiteral("var x = {};")) << OptionalText();
    QTest::newRow("empty page") << QString() << OptionalText();
    QTest::newRow("page shorter than the name") << QStringLiteral("_ROUTER") << OptionalText();
    QTest::newRow("name at the very end") << QStringLiteral("x _ROUTER_DATA") << OptionalText();
}

void TestPageData::extractJSONFromHTML()
{
    QFETCH(QString, page);
    QFETCH(OptionalText, json);
    QCOMPARE(VideoParser::extractJSONFromHTML(page), json);
}

void TestPageData::bodyToRecord()
{
    LogCapture log;
    const QString text = page(u"window._ROUTER_DATA = " % routerData);
    const VideoInfo record = VideoParser().videoInfoFromPageBody(text.toUtf8());

    QVERIFY(record.isSuccess());
    QCOMPARE(record.name(), OptionalText(QStringLiteral("小明")));
    QCOMPARE(record.video(),
             OptionalText(QStringLiteral("https://www.douyin.com/aweme/v1/play/?video_id=v0200")));
    QCOMPARE(log.lines(),
             QStringList({ u"Kivora2  " % text, u"Kivora3  " % routerData,
                           u"Kivora4  "
                               % QString::fromUtf8(QJsonDocument::fromJson(routerData.toUtf8())
                                                       .toJson(QJsonDocument::Compact)),
                           u"Kivora5  " % record.toString() }));
}

void TestPageData::bodyToRecordFailures_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("nullLines");
    const QStringList allNull
        = { QStringLiteral("Kivora2  (null)"), QStringLiteral("Kivora3  (null)"),
            QStringLiteral("Kivora4  (null)") };
    QTest::newRow("not UTF-8") << (page(u"window._ROUTER_DATA = " % routerData).toUtf8() + "\xFF")
                               << allNull;
    QTest::newRow("no router data")
        << page(QStringLiteral("var x = 1;")).toUtf8() << allNull.mid(1);
    QTest::newRow("router data not JSON")
        << page(QStringLiteral("_ROUTER_DATA = {loaderData: 1}")).toUtf8() << allNull.mid(2);
    QTest::newRow("empty body") << QByteArray() << allNull.mid(1);
}

void TestPageData::bodyToRecordFailures()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, nullLines);
    LogCapture log;
    const VideoInfo record = VideoParser().videoInfoFromPageBody(body);
    QVERIFY(record.isFailureRecord());
    for (const QString &line : nullLines)
        QCOMPARE(log.linesStartingWith(line.left(9)), QStringList(line));
    QCOMPARE(log.linesStartingWith(QStringLiteral("Kivora5  ")),
             QStringList(u"Kivora5  " % record.toString()));
    QCOMPARE(log.lines().size(), 4);
}

void TestPageData::hugeGalleryIsCutWithADiagnosticLine()
{
    QString images;
    for (int i = 0; i < 1500; ++i)
        images += uR"({"url_list":["https://p/)"_s % QString::number(i) % uR"("]},)"_s;
    images.chop(1);
    const QString body = page(
        uR"(window._ROUTER_DATA = {"loaderData":{"video_(id)/page":{"videoInfoRes":{"item_list":[)"
        uR"({"author":{"nickname":"n"},"images":[)"_s
        % images % u"]}]}}}}");
    LogCapture log;
    const VideoInfo record = VideoParser().videoInfoFromPageBody(body.toUtf8());
    QVERIFY(record.isSuccess());
    QCOMPARE(record.images()->size(), 1000);
    QCOMPARE(record.images()->last(), u"https://p/999"_s);
    QCOMPARE(log.linesStartingWith(u"The gallery"_s),
             QStringList(u"The gallery lists 1500 images; the record keeps the first 1000."_s));
}

QTEST_GUILESS_MAIN(TestPageData)
#include "tst_pagedata.moc"
