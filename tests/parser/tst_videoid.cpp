#include "OptionalText.h"
#include "VideoParser.h"

#include <QTest>
#include <QUrl>

/*! The pure steps from a message to a video ID: the digit test, the link cut and the digits of a
 *  final address. */
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
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("full-width digits") << QStringLiteral("１２３") << true;
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("٠١٢") << true;
    QTest::newRow("mathematical digits beyond the BMP") << QStringLiteral("𝟙𝟚3") << true;
    QTest::newRow("space") << QStringLiteral("12 3") << false;
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
    QTest::newRow("digits in the host come first")
        << QStringLiteral("https://m2.example/share/video/123/")
        << OptionalText(QStringLiteral("2"));
    QTest::newRow("digits in an earlier path part come first")
        << QStringLiteral("https://x.example/v1/share/video/123/")
        << OptionalText(QStringLiteral("1"));
    QTest::newRow("digits in the query")
        << QStringLiteral("https://x.example/s?id=42&b=7") << OptionalText(QStringLiteral("42"));
    QTest::newRow("no digits") << QStringLiteral("https://www.douyin.com/") << OptionalText();
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
    QTest::newRow("full-width digits unchanged")
        << OptionalText(QStringLiteral("１２３")) << OptionalText(QStringLiteral("１２３"));
    QTest::newRow("empty") << OptionalText(QString()) << OptionalText(QString());
    QTest::newRow("absent") << OptionalText() << OptionalText();
    QTest::newRow("words") << OptionalText(QStringLiteral("no link here")) << OptionalText();
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
