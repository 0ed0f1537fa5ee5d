#include "AddressExpiry.h"

#include <QTest>

using namespace Qt::StringLiterals;

/*! When the CDN's media addresses stop working, read from the addresses themselves. */
class TestAddressExpiry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void expiry_data();
    void expiry();
};

void TestAddressExpiry::expiry_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<qint64>("expires"); // Unix seconds; 0: the address does not say

    const QString hash = u"0123456789abcdef0123456789ABCDEF"_s;
    QTest::newRow("video: hex time after the hash")
        << u"https://v3-web.douyinvod.com/%1/6756e2a0/video/tos/cn/x/?a=6383"_s.arg(hash)
        << qint64(0x6756e2a0);
    QTest::newRow("clip: time as the last segment")
        << u"https://v26.douyinvod.com/%1/6756e2a0"_s.arg(hash) << qint64(0x6756e2a0);
    QTest::newRow("picture: x-expires in the query")
        << u"https://p3-sign.douyinpic.com/tos/x~tplv.jpeg?x-expires=1767225600&x-signature=a%2Bb"_s
        << qint64(1767225600);
    QTest::newRow("a hash one digit short is no hash")
        << u"https://v3-web.douyinvod.com/%1/6756e2a0/video/"_s.arg(hash.left(31)) << qint64(0);
    QTest::newRow("time of seven digits is no time")
        << u"https://v3-web.douyinvod.com/%1/6756e2a/video/"_s.arg(hash) << qint64(0);
    QTest::newRow("x-expires that is not a number")
        << u"https://p3.douyinpic.com/x.jpeg?x-expires=soon"_s << qint64(0);
    QTest::newRow("play address says nothing")
        << u"https://www.douyin.com/aweme/v1/play/?video_id=v0200fg10000"_s << qint64(0);
}

void TestAddressExpiry::expiry()
{
    QFETCH(QString, address);
    QFETCH(qint64, expires);
    const QUrl url(address);
    const std::optional<QDateTime> expiry = AddressExpiry::of(url);
    QCOMPARE(expiry ? expiry->toSecsSinceEpoch() : qint64(0), expires);
    if (!expires) {
        QVERIFY(!AddressExpiry::isExpired(url, QDateTime::currentDateTimeUtc().addYears(100)));
        return;
    }
    const QDateTime at = QDateTime::fromSecsSinceEpoch(expires, Qt::UTC);
    QVERIFY(!AddressExpiry::isExpired(url, at.addSecs(-61)));
    QVERIFY2(AddressExpiry::isExpired(url, at.addSecs(-59)), "within the margin counts as gone");
    QVERIFY(AddressExpiry::isExpired(url, at.addSecs(1), 0));
}

QTEST_GUILESS_MAIN(TestAddressExpiry)
#include "tst_addressexpiry.moc"
