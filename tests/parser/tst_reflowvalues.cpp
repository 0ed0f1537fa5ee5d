#include "ReflowValues.h"

#include <QTest>
#include <QUrlQuery>

using namespace Qt::StringLiterals;

/*! The values of an item-less share page and the item address they open. */
class TestReflowValues : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromPage_data();
    void fromPage();
    void reflowIdIsTheTokenUnderAes_data();
    void reflowIdIsTheTokenUnderAes();
    void itemInfoUrlCarriesEveryValue();
};

void TestReflowValues::fromPage_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QStringList>("values"); // web ID, user IP, token; empty: none found

    const QByteArray webId
        = R"(<div id="douyin_reflow_webId" webId="7301234567890123456" usercip="203.0.113.9"></div>)";
    const QByteArray token = R"(<div id="douyin_reflow_token" xsstoken="abc-token-1"></div>)";
    const QStringList found { u"7301234567890123456"_s, u"203.0.113.9"_s, u"abc-token-1"_s };
    QTest::newRow("shell page") << QByteArray("<html><body>" + webId + token + "</body></html>")
                                << found;
    QTest::newRow("attributes before the id, single quotes, entities")
        << QByteArray(
               R"(<span webId='7301234567890123456' usercip="203.0.113.9" id='douyin_reflow_webId'/>)"
               R"(<i xsstoken="abc&amp;1" data-x="1" id="douyin_reflow_token">)")
        << QStringList { u"7301234567890123456"_s, u"203.0.113.9"_s, u"abc&1"_s };
    QTest::newRow("no token element") << QByteArray("<html>" + webId + "</html>") << QStringList();
    QTest::newRow("web ID shorter than a key")
        << QByteArray(R"(<div id="douyin_reflow_webId" webId="123" usercip=""></div>)" + token)
        << QStringList();
    QTest::newRow("an id that only starts the same") << QByteArray(
        R"(<div id="douyin_reflow_webId_old" webId="7301234567890123456"></div>)" + token)
                                                     << QStringList();
    QTest::newRow("no element at all")
        << QByteArray("<html><script>x</script></html>") << QStringList();
}

void TestReflowValues::fromPage()
{
    QFETCH(QByteArray, page);
    QFETCH(QStringList, values);
    const std::optional<ReflowValues> read = ReflowValues::fromPage(page);
    QCOMPARE(read.has_value(), !values.isEmpty());
    if (read)
        QCOMPARE(QStringList({ read->webId(), read->userCip(), read->xssToken() }), values);
}

void TestReflowValues::reflowIdIsTheTokenUnderAes_data()
{
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<QByteArray>("expected"); // made with `openssl enc -aes-128-cbc -base64`
    QTest::newRow("token") << QByteArray("abc-token-1") << QByteArray("Q1QlVegpkKXwNoho1hpKNw==");
    QTest::newRow("one byte") << QByteArray("x") << QByteArray("rMVakgVahoySj3XAWyuT6g==");
    QTest::newRow("a whole block gains a block of padding")
        << QByteArray("sixteen-bytes-ok")
        << QByteArray("FzoYYldKFkdYaBCOVP7FOhjXAmaXCl/nk0R4c08Baq4=");
}

void TestReflowValues::reflowIdIsTheTokenUnderAes()
{
    QFETCH(QByteArray, token);
    QFETCH(QByteArray, expected);
    const QByteArray webId = "7301234567890123456";
    const QByteArray page = R"(<p id="douyin_reflow_webId" webId=")" + webId
        + R"(" usercip="1"><p id="douyin_reflow_token" xsstoken=")" + token + "\">";
    const std::optional<ReflowValues> values = ReflowValues::fromPage(page);
    QVERIFY(values);
    QCOMPARE(values->reflowId(), expected);
    QCOMPARE(ReflowValues::decrypt(QByteArray::fromBase64(expected), webId), token);
    QVERIFY(ReflowValues::decrypt(QByteArray::fromBase64(expected), "another-web-id-0") != token);
}

void TestReflowValues::itemInfoUrlCarriesEveryValue()
{
    const QByteArray page
        = R"(<p id="douyin_reflow_webId" webId="7301234567890123456" usercip="203.0.113.9">)"
          R"(<p id="douyin_reflow_token" xsstoken="sixteen-bytes-ok">)";
    const QUrl url = ReflowValues::fromPage(page)->itemInfoUrl(u"https://127.0.0.1:4443"_s,
                                                               u"7312345678901234567"_s);
    QCOMPARE(url.path(), u"/web/api/v2/aweme/iteminfo/"_s);
    QCOMPARE(url.host(), u"127.0.0.1"_s);
    const QUrlQuery query(url);
    QCOMPARE(query.queryItemValue(u"item_ids"_s), u"7312345678901234567"_s);
    QCOMPARE(query.queryItemValue(u"web_id"_s), u"7301234567890123456"_s);
    QCOMPARE(query.queryItemValue(u"device_id"_s), u"7301234567890123456"_s);
    QCOMPARE(query.queryItemValue(u"user_cip"_s), u"203.0.113.9"_s);
    QCOMPARE(query.queryItemValue(u"aid"_s), u"1128"_s);
    QCOMPARE(query.queryItemValue(u"reflow_source"_s), u"reflow_page"_s);
    // '+', '/' and '=' of the Base64 travel encoded: a server reads '+' in a query as a space.
    const QByteArray encoded = url.toEncoded();
    const QByteArray reflowId = "FzoYYldKFkdYaBCOVP7FOhjXAmaXCl/nk0R4c08Baq4=";
    const QByteArray expected = QByteArray("reflow_id=").append(reflowId.toPercentEncoding());
    QVERIFY2(encoded.contains(expected), encoded.constData());
}

QTEST_GUILESS_MAIN(TestReflowValues)
#include "tst_reflowvalues.moc"
