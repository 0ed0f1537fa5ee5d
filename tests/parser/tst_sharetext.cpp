#include "OptionalText.h"
#include "ShareText.h"

#include <QTest>

class TestShareText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void directPlayAddress_data();
    void directPlayAddress();
    void extractDouyinURLFromString_data();
    void extractDouyinURLFromString();
    void extractDouyinURLFromStringUsesTheEndpointsHost();
    void parserInput_data();
    void parserInput();
    void pickLinkFromPastedText_data();
    void pickLinkFromPastedText();
    void linkFromPastedText_data();
    void linkFromPastedText();
    void queueInputs_data();
    void queueInputs();
};

void TestShareText::directPlayAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<OptionalText>("address");
    const QString own = QStringLiteral("http://localhost:8080/aweme/v1/play/?video_id=v0200fg1");
    QTest::newRow("play address") << QStringLiteral("https://x.example/aweme/v1/play/?id=1&line=1")
                                  << OptionalText(QStringLiteral(
                                         "https://x.example/aweme/v1/play/?id=1&line=1"));
    QTest::newRow("words around it are kept")
        << QStringLiteral("look https://x.example/play/?line=1 here")
        << OptionalText(QStringLiteral("look https://x.example/play/?line=1 here"));
    QTest::newRow("no line=1") << QStringLiteral("https://x.example/play/?line=0")
                               << OptionalText();
    QTest::newRow("no /play/") << QStringLiteral("https://x.example/plays/?line=1")
                               << OptionalText();
    QTest::newRow("case matters") << QStringLiteral("https://x.example/PLAY/?line=1")
                                  << OptionalText();
    QTest::newRow("empty") << QString() << OptionalText();
    QTest::newRow("Kivora's own play address") << own << OptionalText(own);
    QTest::newRow("own play address copied with a line feed")
        << u' ' + own + u'\n' << OptionalText(own);
    QTest::newRow("own play address among words") << u"看 " + own << OptionalText();
}

void TestShareText::directPlayAddress()
{
    QFETCH(QString, text);
    QFETCH(OptionalText, address);
    QCOMPARE(ShareText::directPlayAddress(text), address);
}

void TestShareText::extractDouyinURLFromString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<OptionalText>("link");
    QTest::newRow("share text") << QStringLiteral(
        "7.43 复制打开抖音，看看【小明的作品】 https://v.douyin.com/iRNBho6u/ 长按")
                                << OptionalText(QStringLiteral("https://v.douyin.com/iRNBho6u/"));
    QTest::newRow("code with dash and underscore")
        << QStringLiteral("抖音 https://v.douyin.com/Ab-c_9-/ x")
        << OptionalText(QStringLiteral("https://v.douyin.com/Ab-c_9-/"));
    QTest::newRow("first of two") << QStringLiteral(
        "https://v.douyin.com/one/ https://v.douyin.com/two/")
                                  << OptionalText(QStringLiteral("https://v.douyin.com/one/"));
    QTest::newRow("no closing slash")
        << QStringLiteral("抖音 https://v.douyin.com/iRNBho6u 长按") << OptionalText();
    QTest::newRow("dot is not a wildcard")
        << QStringLiteral("https://vXdouyinYcom/abc/") << OptionalText();
    QTest::newRow("http") << QStringLiteral("http://v.douyin.com/abc/") << OptionalText();
    QTest::newRow("capital scheme")
        << QStringLiteral("HTTPS://v.douyin.com/abc/") << OptionalText();
    QTest::newRow("other host") << QStringLiteral("https://www.douyin.com/abc/") << OptionalText();
    QTest::newRow("long link") << QStringLiteral("抖音 https://www.douyin.com/note/7345 看")
                               << OptionalText(QStringLiteral("https://www.douyin.com/note/7345"));
    QTest::newRow("empty code") << QStringLiteral("https://v.douyin.com//") << OptionalText();
}

void TestShareText::extractDouyinURLFromString()
{
    QFETCH(QString, text);
    QFETCH(OptionalText, link);
    QCOMPARE(ShareText::extractDouyinURLFromString(text, Endpoints()), link);
}

void TestShareText::extractDouyinURLFromStringUsesTheEndpointsHost()
{
    Endpoints local;
    local.shortLinkHost = QStringLiteral("localhost:4443");
    const QString text
        = QStringLiteral("抖音 https://localhost:4443/Xy-1/ and https://v.douyin.com/a/");
    QCOMPARE(ShareText::extractDouyinURLFromString(text, local),
             OptionalText(QStringLiteral("https://localhost:4443/Xy-1/")));
}

void TestShareText::parserInput_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<OptionalText>("forParser");
    QTest::newRow("share text is cut to its short link")
        << QStringLiteral("复制打开抖音，看看 https://v.douyin.com/iRNBho6u/ 长按")
        << OptionalText(QStringLiteral("https://v.douyin.com/iRNBho6u/"));
    QTest::newRow("share text without platform link gives nothing")
        << QStringLiteral("复制打开抖音，看看 https://other.test/video/1") << OptionalText();
    QTest::newRow("share text is cut to its long link")
        << QStringLiteral("复制打开抖音，看看 https://www.douyin.com/video/1 05/17")
        << OptionalText(QStringLiteral("https://www.douyin.com/video/1"));
    QTest::newRow("bare link unchanged")
        << QStringLiteral(" https://v.douyin.com/abc/ x")
        << OptionalText(QStringLiteral(" https://v.douyin.com/abc/ x"));
    QTest::newRow("video ID unchanged") << QStringLiteral("7301234567890123456")
                                        << OptionalText(QStringLiteral("7301234567890123456"));
    QTest::newRow("empty unchanged") << QString() << OptionalText(QString());
}

void TestShareText::parserInput()
{
    QFETCH(QString, input);
    QFETCH(OptionalText, forParser);
    QCOMPARE(ShareText::parserInput(input, Endpoints()), forParser);
}

void TestShareText::pickLinkFromPastedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<OptionalText>("link");
    // "https://a/" is 10 characters, "https://ab/" 11.
    QTest::newRow("10 characters are ignored")
        << QStringLiteral("see https://a/ now") << OptionalText();
    QTest::newRow("11 characters are taken")
        << QStringLiteral("see https://ab/ now") << OptionalText(QStringLiteral("https://ab/"));
    QTest::newRow("runs to the last slash of the line")
        << QStringLiteral("https://v.douyin.com/abc/ 复制 a/b 打开")
        << OptionalText(QStringLiteral("https://v.douyin.com/abc/ 复制 a/"));
    QTest::newRow("stops at the line end")
        << QStringLiteral("https://v.douyin.com/abc/ x\nmore/")
        << OptionalText(QStringLiteral("https://v.douyin.com/abc/"));
    QTest::newRow("stops at a paragraph separator")
        << (QStringLiteral("https://v.douyin.com/abc/") + QChar(0x2029) + QStringLiteral("x/"))
        << OptionalText(QStringLiteral("https://v.douyin.com/abc/"));
    QTest::newRow("first link longer than 10 of two lines")
        << QStringLiteral("https://a/\nhttps://v.douyin.com/one/\nhttps://v.douyin.com/two/")
        << OptionalText(QStringLiteral("https://v.douyin.com/one/"));
    QTest::newRow("http is not picked")
        << QStringLiteral("http://v.douyin.com/abc/") << OptionalText();
    QTest::newRow("capital scheme is not picked")
        << QStringLiteral("HTTPS://v.douyin.com/abc/") << OptionalText();
    QTest::newRow("no slash after the scheme's") << QStringLiteral("https:") << OptionalText();
    // Nine code points, twelve UTF-16 units.
    QTest::newRow("length counts UTF-16 units")
        << QStringLiteral("https😀😀😀/") << OptionalText(QStringLiteral("https😀😀😀/"));
}

void TestShareText::pickLinkFromPastedText()
{
    QFETCH(QString, text);
    QFETCH(OptionalText, link);
    QCOMPARE(ShareText::pickLinkFromPastedText(text), link);
}

void TestShareText::linkFromPastedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<OptionalText>("link");
    QTest::newRow("share text: its short link, without what follows")
        << QStringLiteral("复制打开抖音 https://v.douyin.com/Ab1/ 12/05 xSd:/ tail")
        << OptionalText(QStringLiteral("https://v.douyin.com/Ab1/"));
    QTest::newRow("long link ending in the ID")
        << QStringLiteral("https://www.douyin.com/jingxuan?modal_id=7301234567890123456")
        << OptionalText(
               QStringLiteral("https://www.douyin.com/jingxuan?modal_id=7301234567890123456"));
    QTest::newRow("other link: up to the last slash")
        << QStringLiteral("https://example.com/a/b c/d")
        << OptionalText(QStringLiteral("https://example.com/a/b c/"));
    QTest::newRow("nothing") << QStringLiteral("05/17 E@U.lp") << OptionalText();
}

void TestShareText::linkFromPastedText()
{
    QFETCH(QString, text);
    QFETCH(OptionalText, link);
    QCOMPARE(ShareText::linkFromPastedText(text, Endpoints()), link);
}

void TestShareText::queueInputs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("inputs");
    const QString first = QStringLiteral("https://v.douyin.com/AbC-12_xYz/");
    const QString second = QStringLiteral("https://www.douyin.com/video/7301234567890123456");
    const QString third = QStringLiteral("https://v.douyin.com/Zz9/");
    QTest::newRow("three share texts, one a line")
        << QStringLiteral("7.43 复制打开抖音，看看 %1 一\n4.1 看看 %2 二\r\n%3+ 三\n")
               .arg(first, second, third)
        << QStringList({ first, second, third });
    QTest::newRow("two links on one line both count")
        << QStringLiteral("%1 and %2").arg(first, second) << QStringList({ first, second });
    QTest::newRow("a link twice is one input")
        << QStringLiteral("%1\n%1 again\n").arg(first) << QStringList({ first });
    QTest::newRow("video IDs alone on their lines, in order")
        << QStringLiteral("7301234567890123456\n  %1\n 7312345678901234567 \n").arg(first)
        << QStringList({ QStringLiteral("7301234567890123456"), first,
                         QStringLiteral("7312345678901234567") });
    QTest::newRow("digits inside a sentence are no ID")
        << QStringLiteral("call 7301234567890 now\n05/17") << QStringList();
    QTest::newRow("other hosts and plain text are passed over")
        << QStringLiteral("https://example.com/video/1/ E@U.lp") << QStringList();
    QTest::newRow("empty") << QString() << QStringList();
}

void TestShareText::queueInputs()
{
    QFETCH(QString, text);
    QFETCH(QStringList, inputs);
    QCOMPARE(ShareText::queueInputs(text, Endpoints()), inputs);
}

QTEST_GUILESS_MAIN(TestShareText)
#include "tst_sharetext.moc"
