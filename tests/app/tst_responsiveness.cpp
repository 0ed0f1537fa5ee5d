#include "HeavyFlows.h"
#include "NetworkTrust.h"
#include "SamplePlatform.h"
#include "TemporaryHome.h"

#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

/*!
 * The window's event loop keeps running while its heaviest flows work: a parse of a 15 MB share
 * page, a 256 MB download and the album copy of it. The target (under 50 ms) is the benchmark's
 * (bench_event_loop_stalls); this test fails only past a bound generous enough for a loaded
 * machine and the sanitizers, which a flow that blocks the main thread still exceeds.
 */
class TestResponsiveness : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void heavyFlowsLeaveTheEventLoopRunning();

private:
    TemporaryHome m_home;
};

void TestResponsiveness::initTestCase()
{
    QVERIFY(m_home.activate());
    // The parser's diagnostic lines would print the whole 15 MB page.
    QLoggingCategory::setFilterRules(u"kivora=false"_s);
    QString error;
    QVERIFY2(NetworkTrust::addCaCertificates(SamplePlatform::caCertificatesPath(), &error),
             qPrintable(error));
}

void TestResponsiveness::heavyFlowsLeaveTheEventLoopRunning()
{
    constexpr qint64 boundMs = 1000;
    SamplePlatform platform;
    QVERIFY(platform.start());
    QTemporaryDir directory;
    const HeavyFlows::Stalls stalls
        = HeavyFlows::measure(platform, directory.path(), 15 * 1000 * 1000, qint64(256) << 20);
    QVERIFY2(stalls.error.isEmpty(), qPrintable(stalls.error));
    qInfo("longest stalls: parse %lld ms, download %lld ms, album copy %lld ms", stalls.parseMs,
          stalls.downloadMs, stalls.albumCopyMs);
    QVERIFY(stalls.parseMs < boundMs);
    QVERIFY(stalls.downloadMs < boundMs);
    QVERIFY(stalls.albumCopyMs < boundMs);
}

QTEST_MAIN(TestResponsiveness)
#include "tst_responsiveness.moc"
