#include "OptionalText.h"
#include "VideoParser.h"

#include <QTest>
#include <QUrl>

/*! The pure steps from a message to a video ID: the ID test, the link cut and the ID of a final
 *  address. */
class TestVideoId : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isNumeric_data();
    void isNumeric();
    void firstLink_data();
    void firstLink();
    void videoIDFromFinalAddress_data();
    void videoIDFromFinalAddress();
    void messagesWithoutLinkCompleteAtOnce_data();
    void messagesWithoutLinkCompleteAtOnce();
};

void TestVideoId::isNumeric_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::newRow("ASCII digits") << QStringLiteral("7301234567890123456") << true;
    QTest::newRow("one digit") << QStringLiteral("0") << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("full-width digits") << QStringLiteral("１２３") << false;
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("١٢٣") << false;
    QTest::newRow("ASCII and a full-width digit") << QStringLiteral("12３") << false;
    QTest::newRow("mathematical digits beyond the BMP") << QStringLiteral("𝟙𝟚3") << false;
    QTest::newRow("space") << QStringLiteral("12 3") << false;
    QTest::newRow("trailing line feed") << QStringLiteral("123\n") << false;
    QTest::newRow("sign") << QStringLiteral("-12") << false;
    QTest::newRow("point") << QStringLiteral("1.2") << false;
    QTest::newRow("letter") << QStringLiteral("12a") << false;
    QTest::newRow("superscript two is no decimal digit") << QStringLiteral("1²") << false;
    QTest::newRow("Roman numeral is no decimal digit") << QStringLiteral("Ⅻ") << false;
    QTest::newRow("lone surrogate") << (QStringLiteral("1") + QChar(0xD835)) << false;
}

void TestVideoId::isNumeric()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QCOMPARE(VideoParser::isNumeric(text), numeric);
}

void TestVideoId::firstLink_data()
{
    QTest::addColumn<OptionalText>("message");
    QTest::addColumn<OptionalText>("link");
    QTest::newRow("absent message") << OptionalText() << OptionalText();
    QTest::newRow("share text") << OptionalText(
        QStringLiteral("复制打开抖音 https://v.douyin.com/iRNBho6u/ 长按复制"))
                                << OptionalText(QStringLiteral("https://v.douyin.com/iRNBho6u/"));
    QTest::newRow("first of two links")
        << OptionalText(QStringLiteral("http://a.example/1 https://b.example/2"))
        << OptionalText(QStringLiteral("http://a.example/1"));
    QTest::newRow("sticking characters belong to the link")
        << OptionalText(QStringLiteral("(https://v.douyin.com/abc/)，复制"))
        << OptionalText(QStringLiteral("https://v.douyin.com/abc/)，复制"));
    QTest::newRow("ends at an ideographic space")
        << OptionalText(QStringLiteral("https://v.douyin.com/abc/　复制"))
        << OptionalText(QStringLiteral("https://v.douyin.com/abc/"));
    QTest::newRow("ends at a line separator")
        << OptionalText(QStringLiteral("https://v.douyin.com/abc/") + QChar(0x2028) + u'x')
        << OptionalText(QStringLiteral("https://v.douyin.com/abc/"));
    QTest::newRow("ends at a tab") << OptionalText(QStringLiteral("https://a.example/\tx"))
                                   << OptionalText(QStringLiteral("https://a.example/"));
    QTest::newRow("scheme in capitals")
        << OptionalText(QStringLiteral("HTTPS://v.douyin.com/abc/")) << OptionalText();
    QTest::newRow("no scheme") << OptionalText(QStringLiteral("v.douyin.com/abc/"))
                               << OptionalText();
    QTest::newRow("scheme alone") << OptionalText(QStringLiteral("see https:// now"))
                                  << OptionalText();
}

void TestVideoId::firstLink()
{
    QFETCH(OptionalText, message);
    QFETCH(OptionalText, link);
    QCOMPARE(VideoParser::firstLink(message), link);
}

void TestVideoId::videoIDFromFinalAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<OptionalText>("videoId");
    QTest::newRow("share page path")
        << QStringLiteral("https://www.iesdouyin.com/share/video/7301234567890123456/?region=CN")
        << OptionalText(QStringLiteral("7301234567890123456"));
    QTest::newRow("the port is not the ID")
        << QStringLiteral("https://localhost:44321/share/video/123/")
        << OptionalText(QStringLiteral("123"));
    QTest::newRow("an IP address is not the ID")
        << QStringLiteral("https://127.0.0.1:4443/share/video/123/?mid=9")
        << OptionalText(QStringLiteral("123"));
    QTest::newRow("digits in the host are not the ID")
        << QStringLiteral("https://m2.example/share/video/123/")
        << OptionalText(QStringLiteral("123"));
    QTest::newRow("digits in an earlier path part come first")
        << QStringLiteral("https://x.example/v1/share/video/123/")
        << OptionalText(QStringLiteral("1"));
    QTest::newRow("digits in the query")
        << QStringLiteral("https://x.example/s?id=42&b=7") << OptionalText(QStringLiteral("42"));
    QTest::newRow("modal_id of a platform link, earlier digits passed over")
        << QStringLiteral("https://www.douyin.com/user/MS4wLjABAAAA?modal_id=7301&from=3")
        << OptionalText(QStringLiteral("7301"));
    QTest::newRow("only ASCII digits count")
        << QStringLiteral("https://x.example/share/video/١٢٣/") << OptionalText();
    QTest::newRow("no digits") << QStringLiteral("https://www.douyin.com/") << OptionalText();
    QTest::newRow("a profile's digits are no ID")
        << QStringLiteral("https://www.douyin.com/user/MS4wLjABAAAA4x?from=7") << OptionalText();
    QTest::newRow("a share origin's other page")
        << QStringLiteral("https://www.iesdouyin.com/share/user/123/") << OptionalText();
}

void TestVideoId::videoIDFromFinalAddress()
{
    QFETCH(QString, address);
    QFETCH(OptionalText, videoId);
    QCOMPARE(VideoParser::videoIDFromFinalAddress(QUrl(address)), videoId);
}

void TestVideoId::messagesWithoutLinkCompleteAtOnce_data()
{
    QTest::addColumn<OptionalText>("message");
    QTest::addColumn<OptionalText>("videoId");
    QTest::newRow("digits") << OptionalText(QStringLiteral("123"))
                            << OptionalText(QStringLiteral("123"));
    QTest::newRow("full-width digits are no ID")
        << OptionalText(QStringLiteral("１２３")) << OptionalText();
    QTest::newRow("Arabic-Indic digits are no ID")
        << OptionalText(QStringLiteral("١٢٣")) << OptionalText();
    QTest::newRow("empty") << OptionalText(QString()) << OptionalText();
    QTest::newRow("absent") << OptionalText() << OptionalText();
    QTest::newRow("words") << OptionalText(QStringLiteral("no link here")) << OptionalText();
    QTest::newRow("decoys with digits")
        << OptionalText(QStringLiteral("05/17 E@U.lp AgB:/")) << OptionalText();
    QTest::newRow("long link holds the ID")
        << OptionalText(QStringLiteral("看 https://www.douyin.com/video/7301234567890123456 吧"))
        << OptionalText(QStringLiteral("7301234567890123456"));
    QTest::newRow("modal_id link holds the ID")
        << OptionalText(QStringLiteral("https://www.douyin.com/jingxuan?modal_id=73012&x=1"))
        << OptionalText(QStringLiteral("73012"));
    QTest::newRow("the platform link wins over an earlier other link")
        << OptionalText(
               QStringLiteral("https://example.com/1 https://www.iesdouyin.com/share/slides/7345/"))
        << OptionalText(QStringLiteral("7345"));
    QTest::newRow("a play address holds no ID") << OptionalText(QStringLiteral(
        "https://www.douyin.com/aweme/v1/play/?video_id=v0200fg10000cl7q3ijc77u1d2kg9b0g"))
                                                << OptionalText();
}

void TestVideoId::messagesWithoutLinkCompleteAtOnce()
{
    QFETCH(OptionalText, message);
    QFETCH(OptionalText, videoId);
    int calls = 0;
    OptionalText received = QStringLiteral("untouched");
    VideoParser().extractVideoIDFromMessage(message, [&](const OptionalText &id) {
        ++calls;
        received = id;
    });
    QCOMPARE(calls, 1);
    QCOMPARE(received, videoId);
}

QTEST_GUILESS_MAIN(TestVideoId)
#include "tst_videoid.moc"
