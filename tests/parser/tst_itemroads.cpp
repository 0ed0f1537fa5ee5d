#include "ItemRoad.h"
#include "NetworkThread.h"
#include "NetworkTrust.h"
#include "SamplePlatform.h"

#include <QMutex>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

using Kind = FailureReason::Kind;
using PageVariant = SamplePlatform::PageVariant;
using Faults = SamplePlatform::Faults;

Q_DECLARE_METATYPE(SamplePlatform::Faults)
Q_DECLARE_METATYPE(SamplePlatform::PageVariant)

namespace {

constexpr int settleTimeout = 20000;

// One road taken on the network thread, and how it ended.
class Taken
{
public:
    Taken(const ItemRoad &road, const std::shared_ptr<ItemRoad::Trail> &trail)
    {
        auto self = m_state;
        NetworkThread::post([&road, trail, self](QNetworkAccessManager &manager) {
            trail->manager = &manager;
            road.take(trail, [self](const ItemRoad::Arrival &arrival) {
                const QMutexLocker locker(&self->mutex);
                self->arrivals.append(arrival);
            });
        });
    }
    int count() const
    {
        const QMutexLocker locker(&m_state->mutex);
        return int(m_state->arrivals.size());
    }
    ItemRoad::Arrival arrival() const
    {
        const QMutexLocker locker(&m_state->mutex);
        return m_state->arrivals.value(0);
    }

private:
    struct State
    {
        QMutex mutex;
        QList<ItemRoad::Arrival> arrivals;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

const ItemRoad &road(const QString &name)
{
    for (const auto &road : ItemRoad::declared()) {
        if (road->name() == name)
            return *road;
    }
    qFatal("no road named %s", qPrintable(name));
}

// The requests the platform received, each as "page", "endpoint" or "endpoint 200".
QStringList requestKinds(const SamplePlatform &platform)
{
    QStringList kinds;
    for (const SamplePlatform::Request &request : platform.requests()) {
        if (request.target.startsWith("/share/"))
            kinds.append(u"page"_s);
        else if (request.target.startsWith("/web/api/v2/aweme/slidesinfo/"))
            kinds.append(request.target.contains("request_source=200") ? u"endpoint 200"_s
                                                                       : u"endpoint"_s);
        else
            kinds.append(QString::fromUtf8(request.target));
    }
    return kinds;
}

} // namespace

/*! Each of the item's roads on its own, and the order they are taken in. */
class TestItemRoads : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void declaredOrder();
    void eachRoad_data();
    void eachRoad();

private:
    SamplePlatform m_platform;
};

void TestItemRoads::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_platform.start());
    QString error;
    QVERIFY2(NetworkTrust::addCaCertificates(SamplePlatform::caCertificatesPath(), &error),
             qPrintable(error));
}

void TestItemRoads::cleanup()
{
    m_platform.setFaults({});
    m_platform.clearRequests();
}

void TestItemRoads::declaredOrder()
{
    QStringList names;
    for (const auto &road : ItemRoad::declared())
        names.append(road->name());
    QCOMPARE(names, QStringList({ u"share page"_s, u"item endpoint"_s }));
}

void TestItemRoads::eachRoad_data()
{
    QTest::addColumn<QString>("road");
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<PageVariant>("variant");
    QTest::addColumn<bool>("galleryLink");
    QTest::addColumn<std::optional<Kind>>("problem"); // absent: the item was found
    QTest::addColumn<bool>("transferFailed");
    QTest::addColumn<int>("images");
    QTest::addColumn<QStringList>("requests");

    const std::optional<Kind> found;
    const QString page = u"share page"_s, endpoint = u"item endpoint"_s;
    Faults none;
    Faults noRouterData;
    noRouterData.pageShape = SamplePlatform::PageShape::NoRouterData;
    Faults serverError;
    serverError.errorStatus = 500;
    serverError.pageShape = SamplePlatform::PageShape::ErrorPage;
    Faults reset;
    reset.resetMidBody = true;
    reset.bodyFaultSteps = SamplePlatform::SharePageStep;
    Faults forbidden;
    forbidden.itemEndpoint = SamplePlatform::ItemEndpointMode::Forbidden;
    Faults empty;
    empty.itemEndpoint = SamplePlatform::ItemEndpointMode::Empty;

    QTest::newRow("page: the item") << page << none << PageVariant::Real << false << found << false
                                    << 0 << QStringList { u"page"_s };
    QTest::newRow("page: a gallery with its images")
        << page << none << PageVariant::Gallery << true << found << false << 3
        << QStringList { u"page"_s };
    QTest::newRow("page: no router data, no item")
        << page << noRouterData << PageVariant::Real << false << std::optional(Kind::PlatformChanged)
        << false << 0 << QStringList { u"page"_s };
    QTest::newRow("page: error status, no item")
        << page << serverError << PageVariant::Real << false << std::optional(Kind::HttpStatus)
        << false << 0 << QStringList { u"page"_s };
    QTest::newRow("page: reset, a failed transfer")
        << page << reset << PageVariant::Real << false << std::optional(Kind::NetworkError) << true
        << 0 << QStringList { u"page"_s };
    QTest::newRow("endpoint: a video, asked once")
        << endpoint << none << PageVariant::Real << false << found << false << 0
        << QStringList { u"endpoint"_s };
    QTest::newRow("endpoint: a gallery's images, asked again with the source")
        << endpoint << none << PageVariant::Gallery << true << found << false << 3
        << QStringList { u"endpoint"_s, u"endpoint 200"_s };
    QTest::newRow("endpoint: no such item, asked twice")
        << endpoint << none << PageVariant::NoRouterData << false << std::optional(Kind::PlatformChanged)
        << false << 0 << QStringList { u"endpoint"_s, u"endpoint 200"_s };
    QTest::newRow("endpoint: forbidden, refused")
        << endpoint << forbidden << PageVariant::Real << false
        << std::optional(Kind::Refused) << false << 0
        << QStringList { u"endpoint"_s, u"endpoint 200"_s };
    QTest::newRow("endpoint: empty answers, refused")
        << endpoint << empty << PageVariant::Real << false << std::optional(Kind::Refused)
        << false << 0 << QStringList { u"endpoint"_s, u"endpoint 200"_s };
}

void TestItemRoads::eachRoad()
{
    QFETCH(QString, road);
    QFETCH(Faults, faults);
    QFETCH(PageVariant, variant);
    QFETCH(bool, galleryLink);
    QFETCH(std::optional<Kind>, problem);
    QFETCH(bool, transferFailed);
    QFETCH(int, images);
    QFETCH(QStringList, requests);
    m_platform.setFaults(faults);

    auto trail = std::make_shared<ItemRoad::Trail>();
    trail->parser = VideoParser(m_platform.endpoints());
    trail->videoId = m_platform.item(variant).videoId;
    trail->gallery = galleryLink;
    trail->deadline = QDeadlineTimer(settleTimeout);
    const Taken taken(::road(road), trail);
    QTRY_COMPARE_WITH_TIMEOUT(taken.count(), 1, settleTimeout);

    const ItemRoad::Arrival arrival = taken.arrival();
    QCOMPARE(arrival.problem ? std::optional(arrival.problem->kind()) : std::nullopt, problem);
    QCOMPARE(arrival.record.has_value(), !problem);
    QCOMPARE(arrival.transferFailed, transferFailed);
    if (arrival.record) {
        QVERIFY(arrival.record->isSuccess());
        QCOMPARE(arrival.record->images().value_or(QStringList()).size(), images);
    }
    QCOMPARE(requestKinds(m_platform), requests);
    // The share page's road leaves what it read for the roads after it.
    QCOMPARE(!trail->sharePage.isEmpty(), road == u"share page" && !transferFailed);
}

QTEST_GUILESS_MAIN(TestItemRoads)
#include "tst_itemroads.moc"
