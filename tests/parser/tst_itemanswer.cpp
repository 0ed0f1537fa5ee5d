#include "ItemAnswer.h"

#include <QTest>

using namespace Qt::StringLiterals;

/*! Why an answer holds no item, read from its shape alone. */
class TestItemAnswer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void endpointAnswers_data();
    void endpointAnswers();
    void sharePages_data();
    void sharePages();
};

void TestItemAnswer::endpointAnswers_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("code");
    QTest::newRow("filter_list with the field named reason")
        << 200
        << QByteArray(R"({"aweme_details":null,"filter_list":[{"aweme_id":"1",)"
                      R"("reason":"copyright_foreign","detail_msg":"x"}]})")
        << u"not_available_here"_s;
    QTest::newRow("filter_list reason as a number")
        << 200 << QByteArray(R"({"aweme_details":null,"filter_list":[{"reason":3}]})")
        << u"withheld"_s;
    QTest::newRow("filter_list entry that is no object")
        << 200 << QByteArray(R"({"aweme_details":null,"filter_list":["story"]})")
        << u"platform_changed"_s;
    QTest::newRow("empty filter_detail array, as a served item's answer has it")
        << 200 << QByteArray(R"({"status_code":0,"aweme_details":[],"filter_detail":[]})")
        << u"platform_changed"_s;
    QTest::newRow("status_code as text says nothing")
        << 200 << QByteArray(R"({"status_code":"8"})") << u"platform_changed"_s;
    QTest::newRow("status_code before a filter") << 200
                                                 << QByteArray(R"({"status_code":10000,)"
                                                               R"("filter_list":[{"reason":"x"}]})")
                                                 << u"rate_limited"_s;
    QTest::newRow("429 with a body") << 429 << QByteArray("{}") << u"rate_limited"_s;
    QTest::newRow("403 as plain text")
        << 403 << QByteArray("Blocked by ArgusSecurityPlugin") << u"refused"_s;
    QTest::newRow("500") << 500 << QByteArray("oops") << u"http_status"_s;
    QTest::newRow("white space only") << 200 << QByteArray(" \n") << u"refused"_s;
    QTest::newRow("not JSON") << 200 << QByteArray("<html></html>") << u"platform_changed"_s;
    QByteArray padded
        = R"({"status_code":8,"pad":")" + QByteArray(ItemAnswer::maximumJudgedSize, 'x') + "\"}";
    QTest::newRow("an answer too large to judge") << 200 << padded << u"platform_changed"_s;
}

void TestItemAnswer::endpointAnswers()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, code);
    const FailureReason reason = ItemAnswer::endpointFailure(status, body);
    QVERIFY2(reason.code() == code, qPrintable(reason.technicalDescription()));
}

void TestItemAnswer::sharePages_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<std::optional<QByteArray>>("routerData");
    QTest::addColumn<QString>("code"); // empty: the page says nothing
    const auto videoInfoRes = [](const QByteArray &inside) {
        return std::optional<QByteArray>(R"({"loaderData":{"video_(id)/page":{"videoInfoRes":)"
                                         + inside + "}}}");
    };
    QTest::newRow("filter of an expired story")
        << 200 << QByteArray("<html>")
        << videoInfoRes(R"({"item_list":[],"filter_list":[{"filter_reason":"story_25_filter"}]})")
        << u"expired_story"_s;
    QTest::newRow("login wanted") << 200 << QByteArray("<html>")
                                  << videoInfoRes(R"({"status_code":8})") << u"login_required"_s;
    QTest::newRow("a filter beside the path says nothing")
        << 200 << QByteArray("<html>")
        << std::optional<QByteArray>(R"({"filter_list":[{"filter_reason":"status_deleted"}]})")
        << QString();
    QTest::newRow("script check") << 200 << QByteArray("<script>document.cookie=\"__ac_nonce=1\"")
                                  << std::optional<QByteArray>() << u"refused"_s;
    QTest::newRow("a page with router data mentioning __ac_nonce is no script check")
        << 200 << QByteArray("__ac_nonce") << videoInfoRes(R"({"item_list":[]})") << QString();
    QTest::newRow("429") << 429 << QByteArray() << std::optional<QByteArray>() << u"rate_limited"_s;
    QTest::newRow("a plain shell says nothing")
        << 200 << QByteArray("<div id=\"root\"></div>") << std::optional<QByteArray>() << QString();
}

void TestItemAnswer::sharePages()
{
    QFETCH(int, status);
    QFETCH(QByteArray, page);
    QFETCH(std::optional<QByteArray>, routerData);
    QFETCH(QString, code);
    const std::optional<FailureReason> reason = ItemAnswer::pageFailure(
        status, page, routerData ? std::optional<QByteArrayView>(*routerData) : std::nullopt);
    QCOMPARE(reason ? reason->code() : QString(), code);
}

QTEST_GUILESS_MAIN(TestItemAnswer)
#include "tst_itemanswer.moc"
