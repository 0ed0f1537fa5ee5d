#include "NetworkAccess.h"
#include "NetworkTrust.h"
#include "RecyclingNetworkManager.h"
#include "SamplePlatform.h"

#include <QNetworkReply>
#include <QPointer>
#include <QSet>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int settleTimeout = 20000;

// A reply that goes when the test is done with it, as the parser's replies do.
using Reply = std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)>;

Reply get(QNetworkAccessManager &manager, const QString &url)
{
    return Reply(manager.get(NetworkAccess::request(QUrl(url))),
                 [](QNetworkReply *reply) { delete reply; });
}

bool answered(QNetworkReply &reply)
{
    if (!reply.isFinished()) {
        QSignalSpy finished(&reply, &QNetworkReply::finished);
        if (!finished.wait(settleTimeout))
            return false;
    }
    return reply.error() == QNetworkReply::NoError;
}

} // namespace

/*! The manager behind NetworkAccess lets its kept-alive connections go now and then, only when
 *  no reply is left, and requests go on working after it did. */
class TestRecyclingNetworkManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void recyclesOnlyWhenIdle_data();
    void recyclesOnlyWhenIdle();
    void goesWithRepliesOfItsOwnLeft();
};

void TestRecyclingNetworkManager::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QString error;
    QVERIFY2(NetworkTrust::addCaCertificates(SamplePlatform::caCertificatesPath(), &error),
             qPrintable(error));
}

void TestRecyclingNetworkManager::recyclesOnlyWhenIdle_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("https");
    for (const QString &host : { u"localhost"_s, u"127.0.0.1"_s }) {
        QTest::addRow("http, %s", qPrintable(host)) << host << false;
        QTest::addRow("https, %s", qPrintable(host)) << host << true;
    }
}

void TestRecyclingNetworkManager::recyclesOnlyWhenIdle()
{
    QFETCH(QString, host);
    QFETCH(bool, https);
    SamplePlatform platform;
    platform.setHostName(host);
    QVERIFY(platform.start());
    const QString url
        = https ? platform.shortLink(platform.items().constFirst()) : platform.mediaUrl();
    RecyclingNetworkManager manager;

    for (int i = 1; i < RecyclingNetworkManager::recycleAfter; ++i) {
        Reply reply = get(manager, url);
        QVERIFY(answered(*reply));
    }
    // The last request of the round is still held when its answer is in: no recycling under it.
    Reply held = get(manager, url);
    QVERIFY(answered(*held));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(manager.recycleCount(), 0);

    const QSet<int> connectionsBefore = [&] {
        QSet<int> connections;
        for (const SamplePlatform::Request &request : platform.requests())
            connections.insert(request.connection);
        return connections;
    }();
    held.reset();
    QTRY_COMPARE_WITH_TIMEOUT(manager.recycleCount(), 1, settleTimeout);

    // The next request opens a connection of its own and is answered as before.
    Reply next = get(manager, url);
    QVERIFY(answered(*next));
    QVERIFY(!connectionsBefore.contains(platform.requests().constLast().connection));
    next.reset();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(manager.recycleCount(), 1);
}

// A manager deleted while it still owns replies deletes them; their going must not call back
// into the part of the manager that is already destroyed (the sanitizer build reports it).
void TestRecyclingNetworkManager::goesWithRepliesOfItsOwnLeft()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    auto manager = std::make_unique<RecyclingNetworkManager>();
    QPointer<QNetworkReply> unanswered
        = manager->get(NetworkAccess::request(QUrl(platform.mediaUrl())));
    QPointer<QNetworkReply> answeredReply
        = manager->get(NetworkAccess::request(QUrl(platform.mediaUrl())));
    QVERIFY(answered(*answeredReply));
    manager.reset();
    QVERIFY(unanswered.isNull());
    QVERIFY(answeredReply.isNull());
}

QTEST_MAIN(TestRecyclingNetworkManager)
#include "tst_recyclingnetworkmanager.moc"
