#include "NetworkTrust.h"
#include "OptionalText.h"
#include "ResolveJob.h"
#include "SamplePlatform.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

using Kind = FailureReason::Kind;
using Status = JobOutcome::Status;
using Faults = SamplePlatform::Faults;

Q_DECLARE_METATYPE(SamplePlatform::Faults)

namespace {

constexpr int settleTimeout = 20000;
// The longest a cancelled request's connection may stay open on the server's side.
constexpr int closedWithin = 1000;

const QByteArray sharePagePath = "/share/video/";
const QByteArray itemEndpointPath = "/web/api/v2/aweme/slidesinfo/";

} // namespace

class TestResolveJob : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void outcomes_data();
    void outcomes();
    void endingAResolveClosesItsConnection_data();
    void endingAResolveClosesItsConnection();

private:
    SamplePlatform m_platform;
};

void TestResolveJob::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_platform.start());
    QString error;
    QVERIFY2(NetworkTrust::addCaCertificates(SamplePlatform::caCertificatesPath(), &error),
             qPrintable(error));
}

void TestResolveJob::outcomes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Status>("status");
    QTest::addColumn<std::optional<Kind>>("failure");
    QTest::addColumn<OptionalText>("videoId");
    QTest::addColumn<bool>("success");

    const SamplePlatform::Item item = m_platform.items().constFirst();
    const QString address
        = m_platform.endpoints().webOrigin + u"/aweme/v1/play/?video_id="_s + item.playUri;
    QTest::newRow("play address: done, no record")
        << address << Status::Done << std::optional<Kind>() << OptionalText() << false;
    QTest::newRow("share text: done, the item's record")
        << m_platform.shareText(item) << Status::Done << std::optional<Kind>()
        << OptionalText(item.videoId) << true;
    QTest::newRow("video ID: done") << item.videoId << Status::Done << std::optional<Kind>()
                                    << OptionalText(item.videoId) << true;
    QTest::newRow("no link: failed at once")
        << u"抖音 no link here"_s << Status::Failed << std::optional(Kind::NoVideoId)
        << OptionalText() << false;
    QTest::newRow("refused host: failed from the network")
        << u"https://localhost:1/AbCdEf/"_s << Status::Failed
        << std::optional(Kind::ConnectionRefused) << OptionalText() << false;
}

void TestResolveJob::outcomes()
{
    QFETCH(QString, text);
    QFETCH(Status, status);
    QFETCH(std::optional<Kind>, failure);
    QFETCH(OptionalText, videoId);
    QFETCH(bool, success);

    ResolveJob job(m_platform.endpoints());
    QSignalSpy finished(&job, &Job::finished);
    job.setText(text);
    job.start();
    QCOMPARE(finished.size(), 0); // never from inside start()
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, settleTimeout);
    QCOMPARE(job.outcome().status(), status);
    const std::optional<FailureReason> reason = job.outcome().reason();
    QCOMPARE(reason ? std::optional(reason->kind()) : std::nullopt, failure);
    const ResolveJob::Result &result = job.result();
    QCOMPARE(result.text, text);
    QCOMPARE(result.failure ? std::optional(result.failure->kind()) : std::nullopt, failure);
    QCOMPARE(result.videoId, videoId);
    QCOMPARE(result.record && result.record->isSuccess(), success);
}

void TestResolveJob::endingAResolveClosesItsConnection_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QByteArray>("drippingPath");
    QTest::addColumn<QString>("ending");

    Faults page;
    page.bodyFault = SamplePlatform::BodyFault::Dripping;
    page.bodyFaultSteps = SamplePlatform::SharePageStep;
    page.dripIntervalMs = 50; // the server notices a client that has gone at its next byte
    Faults endpoint = page;
    endpoint.pageShape = SamplePlatform::PageShape::NoRouterData;
    endpoint.bodyFaultSteps = SamplePlatform::ItemEndpointStep;
    QTest::newRow("share page drips, cancel") << page << sharePagePath << u"cancel"_s;
    QTest::newRow("share page drips, stop") << page << sharePagePath << u"stop"_s;
    QTest::newRow("share page drips, job destroyed") << page << sharePagePath << u"destroy"_s;
    QTest::newRow("item endpoint drips, cancel") << endpoint << itemEndpointPath << u"cancel"_s;
}

void TestResolveJob::endingAResolveClosesItsConnection()
{
    QFETCH(Faults, faults);
    QFETCH(QByteArray, drippingPath);
    QFETCH(QString, ending);
    SamplePlatform platform;
    platform.setFaults(faults);
    QVERIFY(platform.start());

    auto job = std::make_unique<ResolveJob>(platform.endpoints());
    QSignalSpy finished(job.get(), &Job::finished);
    job->setText(platform.shareText(platform.items().constFirst()));
    job->start();
    QTRY_VERIFY_WITH_TIMEOUT(platform.connectionOf(drippingPath) != 0, settleTimeout);
    const int connection = platform.connectionOf(drippingPath);
    QVERIFY(!platform.closedConnections().contains(connection));

    if (ending == u"destroy") {
        job.reset();
    } else {
        const bool stop = ending == u"stop";
        stop ? job->stop() : job->cancel();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(job->outcome().status(), stop ? Status::Stopped : Status::Cancelled);
        QVERIFY(job->result().record && job->result().record->isFailureRecord());
        QCOMPARE(job->result().failure->kind(), Kind::Cancelled);
    }
    // Without the abort the connection would stay open until the parse's 30 s deadline.
    QTRY_VERIFY_WITH_TIMEOUT(platform.closedConnections().contains(connection), closedWithin);
    const qsizetype requestsAtTheEnd = platform.requests().size();
    if (job) {
        // Nothing follows: no second answer, no further request of the parse.
        QCoreApplication::processEvents();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(platform.requests().size(), requestsAtTheEnd);
    }
}

QTEST_GUILESS_MAIN(TestResolveJob)
#include "tst_resolvejob.moc"
