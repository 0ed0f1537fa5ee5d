#include "NetworkTrust.h"
#include "OptionalText.h"
#include "SamplePlatform.h"
#include "ShareTextResolver.h"

#include <QMutex>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <memory>

using namespace Qt::StringLiterals;

using Kind = FailureReason::Kind;

namespace {

constexpr int settleTimeout = 20000;

// A resolver living on a thread of its own, with the answers it gave and where it gave them.
class ResolverThread
{
public:
    explicit ResolverThread(const Endpoints &endpoints)
    {
        m_thread.start();
        m_resolver = new ShareTextResolver(endpoints);
        m_resolver->moveToThread(&m_thread);
        QObject::connect(
            m_resolver, &ShareTextResolver::resolved, m_resolver,
            [this](const ShareTextResolver::Result &result) {
                const QMutexLocker locker(&m_mutex);
                m_results.append(result);
                m_threads.append(QThread::currentThread());
            },
            Qt::DirectConnection);
    }
    ~ResolverThread()
    {
        QMetaObject::invokeMethod(m_resolver, &QObject::deleteLater);
        m_thread.quit();
        m_thread.wait();
    }

    // Resolves on the resolver's thread; true when nothing was answered before resolve() returned.
    bool resolve(const QString &text)
    {
        bool answeredEarly = true;
        QMetaObject::invokeMethod(
            m_resolver,
            [this, text, &answeredEarly] {
                m_resolver->resolve(text);
                const QMutexLocker locker(&m_mutex);
                answeredEarly = !m_results.isEmpty();
            },
            Qt::BlockingQueuedConnection);
        return !answeredEarly;
    }
    int count() const
    {
        const QMutexLocker locker(&m_mutex);
        return int(m_results.size());
    }
    ShareTextResolver::Result result() const
    {
        const QMutexLocker locker(&m_mutex);
        return m_results.value(0);
    }
    bool answeredOnItsThread() const
    {
        const QMutexLocker locker(&m_mutex);
        return !m_threads.isEmpty() && m_threads.constFirst() == &m_thread;
    }

private:
    QThread m_thread;
    ShareTextResolver *m_resolver = nullptr;
    mutable QMutex m_mutex;
    QList<ShareTextResolver::Result> m_results;
    QList<QThread *> m_threads;
};

// True when the platform has closed every connection that carried a request.
bool allConnectionsClosed(const SamplePlatform &platform)
{
    const QList<int> closed = platform.closedConnections();
    const QList<SamplePlatform::Request> requests = platform.requests();
    return std::all_of(requests.cbegin(), requests.cend(), [&closed](const auto &request) {
        return closed.contains(request.connection);
    });
}

} // namespace

class TestShareTextResolver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void answersOnItsThread_data();
    void answersOnItsThread();
    void cancelAnswersOnceAndEndsTheParse();
    void aDestroyedResolverEndsItsResolutions();

private:
    SamplePlatform m_platform;
};

void TestShareTextResolver::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_platform.start());
    QString error;
    QVERIFY2(NetworkTrust::addCaCertificates(SamplePlatform::caCertificatesPath(), &error),
             qPrintable(error));
}

void TestShareTextResolver::answersOnItsThread_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("direct");
    QTest::addColumn<OptionalText>("playAddress");
    QTest::addColumn<std::optional<Kind>>("failure");

    const SamplePlatform::Item item = m_platform.items().constFirst();
    const QString address
        = m_platform.endpoints().webOrigin + u"/aweme/v1/play/?video_id="_s + item.playUri;
    QTest::newRow("play address: taken as it is") << address << true << OptionalText(address)
                                                  << std::optional<Kind>();
    QTest::newRow("share text: the item's record")
        << m_platform.shareText(item) << false << OptionalText(address) << std::optional<Kind>();
    // The parser answers this one before its call returns; the resolver still answers later.
    QTest::newRow("share text without a link: failure at once")
        << u"抖音 no link here"_s << false << OptionalText() << std::optional(Kind::NoVideoId);
    QTest::newRow("link whose host refuses: failure from the network")
        << u"https://localhost:1/AbCdEf/"_s << false << OptionalText()
        << std::optional(Kind::ConnectionRefused);
}

void TestShareTextResolver::answersOnItsThread()
{
    QFETCH(QString, text);
    QFETCH(bool, direct);
    QFETCH(OptionalText, playAddress);
    QFETCH(std::optional<Kind>, failure);
    m_platform.clearRequests();

    ResolverThread resolver(m_platform.endpoints());
    QVERIFY(resolver.resolve(text));
    QTRY_COMPARE_WITH_TIMEOUT(resolver.count(), 1, settleTimeout);
    QVERIFY(resolver.answeredOnItsThread());
    const ShareTextResolver::Result result = resolver.result();
    QCOMPARE(result.text, text);
    QCOMPARE(result.isDirectPlayAddress(), direct);
    QCOMPARE(result.playAddress, playAddress);
    QCOMPARE(result.failure ? std::optional(result.failure->kind()) : std::nullopt, failure);
    if (direct)
        QVERIFY(m_platform.requests().isEmpty());
    else
        QCOMPARE(result.record->isSuccess(), !failure.has_value());
}

void TestShareTextResolver::cancelAnswersOnceAndEndsTheParse()
{
    SamplePlatform::Faults faults;
    faults.latencyMs = 300;
    SamplePlatform platform;
    QVERIFY(platform.start());
    platform.setFaults(faults);
    ShareTextResolver resolver(platform.endpoints());
    QSignalSpy resolved(&resolver, &ShareTextResolver::resolved);

    resolver.resolve(platform.shareText(platform.items().constFirst()));
    resolver.cancel();
    QCOMPARE(resolved.size(), 1);
    QCOMPARE(resolver.pendingCount(), 0);
    const auto result = resolved.constFirst().constFirst().value<ShareTextResolver::Result>();
    QVERIFY(result.failure);
    QCOMPARE(result.failure->kind(), Kind::Cancelled);
    QVERIFY(result.record && !result.record->isSuccess());

    // The parse's requests end with it (tst_resolvejob times the connections); once every
    // connection it opened is closed, no second answer has come.
    QTRY_VERIFY_WITH_TIMEOUT(allConnectionsClosed(platform), settleTimeout);
    QCoreApplication::processEvents();
    QCOMPARE(resolved.size(), 1);
}

void TestShareTextResolver::aDestroyedResolverEndsItsResolutions()
{
    SamplePlatform::Faults faults;
    faults.latencyMs = 200;
    SamplePlatform platform;
    QVERIFY(platform.start());
    platform.setFaults(faults);
    auto resolver = std::make_unique<ShareTextResolver>(platform.endpoints());
    resolver->resolve(platform.shareText(platform.items().constFirst()));
    resolver.reset();
    // Nothing may touch the resolver once it is gone (the sanitizers watch).
    QTRY_VERIFY_WITH_TIMEOUT(allConnectionsClosed(platform), settleTimeout);
}

QTEST_GUILESS_MAIN(TestShareTextResolver)
#include "tst_sharetextresolver.moc"
