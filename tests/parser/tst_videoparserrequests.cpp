#include "LogCapture.h"
#include "NetworkThread.h"
#include "NetworkTrust.h"
#include "OptionalText.h"
#include "SamplePlatform.h"
#include "VideoParser.h"

#include <QMutex>
#include <QSet>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

using PageVariant = SamplePlatform::PageVariant;
Q_DECLARE_METATYPE(SamplePlatform::PageVariant)
Q_DECLARE_METATYPE(SamplePlatform::Faults)

namespace {

// Generous, for loaded machines and sanitizer builds; a passing wait ends as soon as it can.
constexpr int settleTimeout = 20000;
// Short enough to keep the time-out cases quick, long enough for a loopback answer.
constexpr int shortTransferTimeout = 1000;

// What the completions of one parse received, written on whichever thread they run.
class Outcome
{
public:
    VideoParser::Completion completion()
    {
        return [this](const VideoInfo &record) {
            QMutexLocker locker(&m_mutex);
            ++m_calls;
            m_record = record;
            m_thread = QThread::currentThread();
        };
    }
    int calls() const
    {
        QMutexLocker locker(&m_mutex);
        return m_calls;
    }
    VideoInfo record() const
    {
        QMutexLocker locker(&m_mutex);
        return m_record;
    }
    QThread *thread() const
    {
        QMutexLocker locker(&m_mutex);
        return m_thread;
    }

private:
    mutable QMutex m_mutex;
    int m_calls = 0;
    VideoInfo m_record;
    QThread *m_thread = nullptr;
};

// Starts a parse with a parser that is gone as soon as the call returns. The outcome is shared
// with the completion so that a test that fails early leaves nothing dangling.
std::shared_ptr<Outcome> parse(const Endpoints &endpoints, const std::optional<QString> &message,
                               int transferTimeout = VideoParser::defaultTransferTimeout)
{
    auto outcome = std::make_shared<Outcome>();
    VideoParser parser(endpoints);
    parser.setTransferTimeout(transferTimeout);
    parser.fetchVideoInfoWithMessage(
        message, [outcome](const VideoInfo &record) { outcome->completion()(record); });
    return outcome;
}

// Returns once everything queued on the network thread so far has run: a completion that was
// about to be called a second time would have been by then.
bool drainNetworkThread()
{
    auto reached = std::make_shared<std::atomic<bool>>(false);
    NetworkThread::post([reached](QNetworkAccessManager &) { *reached = true; });
    return QTest::qWaitFor([&] { return reached->load(); }, settleTimeout);
}

QList<QByteArray> headerNames(const SamplePlatform::Request &request)
{
    QList<QByteArray> names;
    for (const auto &header : request.headers)
        names.append(header.first.toLower());
    std::sort(names.begin(), names.end());
    return names;
}

QList<SamplePlatform::Request> sharePageRequests(const SamplePlatform &platform)
{
    QList<SamplePlatform::Request> found;
    const QList<SamplePlatform::Request> all = platform.requests();
    for (const SamplePlatform::Request &request : all) {
        if (request.target.startsWith("/share/video/"))
            found.append(request);
    }
    return found;
}

} // namespace

/*! VideoParser's requests against the sample platform over real sockets. */
class TestVideoParserRequests : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void shareTextGivesTheItemsRecord_data();
    void shareTextGivesTheItemsRecord();
    void messageForms_data();
    void messageForms();
    void messageWithoutLinkCompletesBeforeReturning();
    void sharePageCarriesExactlyTheTwoHeaders();
    void failures_data();
    void failures();
    void httpErrorStatusIsNoFailureByItself();
    void emptyMessageAsksForAnEmptyId();
    void concurrentParsesEachGetTheirRecord();
};

void TestVideoParserRequests::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QString error;
    QVERIFY2(NetworkTrust::addCaCertificates(SamplePlatform::caCertificatesPath(), &error),
             qPrintable(error));
}

void TestVideoParserRequests::shareTextGivesTheItemsRecord_data()
{
    QTest::addColumn<PageVariant>("variant");
    QTest::addColumn<bool>("success");
    QTest::newRow("real page, no ; after the router data") << PageVariant::Real << true;
    QTest::newRow("; after the router data") << PageVariant::WithSemicolon << true;
    QTest::newRow("no window prefix") << PageVariant::WithoutWindowPrefix << true;
    QTest::newRow("}; inside the description") << PageVariant::BraceSemicolonInDesc << true;
    QTest::newRow("gallery") << PageVariant::Gallery << true;
    QTest::newRow("missing fields") << PageVariant::MissingFields << false;
}

void TestVideoParserRequests::shareTextGivesTheItemsRecord()
{
    QFETCH(PageVariant, variant);
    QFETCH(bool, success);
    SamplePlatform platform;
    QVERIFY(platform.start());
    const SamplePlatform::Item item = platform.item(variant);
    LogCapture log;

    const auto outcome = parse(platform.endpoints(), platform.shareText(item));
    QTRY_COMPARE_WITH_TIMEOUT(outcome->calls(), 1, settleTimeout);
    QVERIFY(drainNetworkThread());
    QCOMPARE(outcome->calls(), 1);
    QVERIFY(outcome->thread() != QThread::currentThread());

    const VideoInfo record = outcome->record();
    QCOMPARE(record.isSuccess(), success);
    QCOMPARE(record.name(), OptionalText(item.nickname));
    QCOMPARE(record.title(), OptionalText(item.description));
    const QString video = item.playUri.isEmpty()
        ? QString()
        : platform.endpoints().webOrigin + u"/aweme/v1/play/?video_id=" + item.playUri;
    QCOMPARE(record.video(), OptionalText(video));
    QCOMPARE(record.cover(), OptionalText(item.coverUrl));
    QCOMPARE(record.images(), std::optional<QStringList>(item.imageUrls));
    QCOMPARE(
        record.type(),
        OptionalText(item.imageUrls.isEmpty() ? QStringLiteral("视频") : QStringLiteral("图集")));
    QCOMPARE(record.tips(), OptionalText(QStringLiteral("数据来自抖音公开分享页 localhost")));

    QCOMPARE(log.linesStartingWith(QStringLiteral("Kivora  ")),
             QStringList(u"Kivora  " % item.videoId));
    for (const char *format : { "Kivora2  ", "Kivora3  ", "Kivora4  ", "Kivora5  " })
        QCOMPARE(log.linesStartingWith(QString::fromLatin1(format)).size(), 1);
    QCOMPARE(log.linesStartingWith(QStringLiteral("Kivora5  ")).constFirst(),
             u"Kivora5  " % record.toString());
}

void TestVideoParserRequests::messageForms_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<int>("redirectHops");
    QTest::addColumn<int>("shortLinkRequests");
    QTest::newRow("video ID: no short-link request") << QStringLiteral("id") << 1 << 0;
    QTest::newRow("bare short link") << QStringLiteral("link") << 1 << 1;
    QTest::newRow("two links: only the first is requested")
        << QStringLiteral("two links") << 1 << 1;
    QTest::newRow("chain of ten redirects") << QStringLiteral("link") << 10 << 10;
}

void TestVideoParserRequests::messageForms()
{
    QFETCH(QString, form);
    QFETCH(int, redirectHops);
    QFETCH(int, shortLinkRequests);
    SamplePlatform platform;
    QVERIFY(platform.start());
    SamplePlatform::Faults faults;
    faults.redirectHops = redirectHops;
    platform.setFaults(faults);
    const SamplePlatform::Item item = platform.item(PageVariant::Real);
    const SamplePlatform::Item other = platform.item(PageVariant::Gallery);
    const QString message = form == u"id" ? item.videoId
        : form == u"link"                 ? platform.shortLink(item)
                          : platform.shortLink(item) + u' ' + platform.shortLink(other);

    const auto outcome = parse(platform.endpoints(), message);
    QTRY_COMPARE_WITH_TIMEOUT(outcome->calls(), 1, settleTimeout);
    QCOMPARE(outcome->record().name(), OptionalText(item.nickname));

    // Distinct targets: Qt may send a request again on a fresh connection (a retry is the same
    // target), which is not a second hop.
    QSet<QByteArray> shortLinkTargets;
    const QList<SamplePlatform::Request> requests = platform.requests();
    for (const SamplePlatform::Request &request : requests) {
        QVERIFY2(!request.target.contains(other.shortCode.toUtf8()), request.target.constData());
        if (!request.target.startsWith("/share/video/"))
            shortLinkTargets.insert(request.target);
    }
    QCOMPARE(shortLinkTargets.size(), shortLinkRequests);
    QVERIFY(!sharePageRequests(platform).isEmpty());
}

void TestVideoParserRequests::messageWithoutLinkCompletesBeforeReturning()
{
    LogCapture log;
    const auto outcome = parse(Endpoints(), QStringLiteral("看看这个作品，没有链接"));
    QCOMPARE(outcome->calls(), 1);
    QCOMPARE(outcome->thread(), QThread::currentThread());
    QVERIFY(outcome->record().isFailureRecord());
    QCOMPARE(log.lines(), QStringList(QStringLiteral("Kivora  (null)")));
    QVERIFY(drainNetworkThread());
    QCOMPARE(outcome->calls(), 1);
}

void TestVideoParserRequests::sharePageCarriesExactlyTheTwoHeaders()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    const SamplePlatform::Item item = platform.item(PageVariant::Real);
    const auto outcome = parse(platform.endpoints(), platform.shortLink(item));
    QTRY_COMPARE_WITH_TIMEOUT(outcome->calls(), 1, settleTimeout);

    const QList<SamplePlatform::Request> requests = platform.requests();
    const QByteArray shortLinkTarget = '/' + item.shortCode.toUtf8() + '/';
    const QByteArray pageTarget = "/share/video/" + item.videoId.toUtf8() + '/';
    const auto byTarget = [&requests](const QByteArray &target) {
        return std::find_if(requests.cbegin(), requests.cend(),
                            [&target](const auto &request) { return request.target == target; });
    };
    QVERIFY(byTarget(shortLinkTarget) != requests.cend());
    QVERIFY(byTarget(pageTarget) != requests.cend());
    const SamplePlatform::Request &shortLink = *byTarget(shortLinkTarget);
    const SamplePlatform::Request &page = *byTarget(pageTarget);
    QVERIFY(page.https);
    // The short link goes out with Qt's defaults only; the page adds exactly the Referer and
    // replaces Qt's User-Agent.
    QCOMPARE(shortLink.header("Referer"), QByteArray());
    QList<QByteArray> expected = headerNames(shortLink);
    if (!expected.contains("user-agent"))
        expected.append("user-agent");
    expected.append("referer");
    std::sort(expected.begin(), expected.end());
    QCOMPARE(headerNames(page), expected);
    QCOMPARE(page.header("User-Agent"),
             QByteArray("Mozilla/5.0 (Linux; Android 8.0.0; SM-G955U Build/R16NW) "
                        "AppleWebKit/537.36 (KHTML, like Gecko) Chrome/116.0.0.0 Mobile "
                        "Safari/537.36"));
    QCOMPARE(page.header("Referer"),
             (platform.endpoints().webOrigin + u"/?is_from_mobile_home=1&recommend=1").toUtf8());
    QCOMPARE(page.method, QByteArray("GET"));
}

void TestVideoParserRequests::failures_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<SamplePlatform::Faults>("faults");
    QTest::addColumn<QString>("shareOrigin");
    QTest::addColumn<QString>("expectedLine");
    QTest::addColumn<int>("transferTimeout");

    const SamplePlatform::Faults none;
    const QString id = QStringLiteral("7301234567890123456");
    SamplePlatform::Faults faults;

    faults = none;
    faults.redirectLoop = true;
    QTest::newRow("redirect loop")
        << QStringLiteral("link") << faults << QString() << QStringLiteral("Kivora  (null)")
        << VideoParser::defaultTransferTimeout;
    faults = none;
    faults.redirectHops = 11;
    QTest::newRow("eleven redirects")
        << QStringLiteral("link") << faults << QString() << QStringLiteral("Kivora  (null)")
        << VideoParser::defaultTransferTimeout;
    QTest::newRow("unknown short code: no digits")
        << QStringLiteral("https://SHORT/abcdef/") << none << QString()
        << QStringLiteral("Kivora  (null)") << VideoParser::defaultTransferTimeout;
    QTest::newRow("link that is no address")
        << QStringLiteral("https://[[[/") << none << QString() << QStringLiteral("Kivora  (null)")
        << VideoParser::defaultTransferTimeout;
    QTest::newRow("short-link host refuses")
        << QStringLiteral("https://CLOSED/abcdef/") << none << QString()
        << QStringLiteral("Kivora  (null)") << VideoParser::defaultTransferTimeout;
    faults = none;
    faults.latencyMs = 3000;
    QTest::newRow("short link times out")
        << QStringLiteral("link") << faults << QString() << QStringLiteral("Kivora  (null)")
        << shortTransferTimeout;
    QTest::newRow("share page times out")
        << id << faults << QString() << QStringLiteral("Kivora1  OperationCanceledError")
        << shortTransferTimeout;
    faults = none;
    faults.stall = true;
    QTest::newRow("share page stalls mid-body")
        << id << faults << QString() << QStringLiteral("Kivora1  OperationCanceledError")
        << shortTransferTimeout;
    faults = none;
    faults.resetMidBody = true;
    QTest::newRow("connection reset mid-body")
        << id << faults << QString() << QStringLiteral("Kivora1  RemoteHostClosedError")
        << VideoParser::defaultTransferTimeout;
    faults = none;
    faults.hugePage = true;
    QTest::newRow("page over 16 MiB")
        << id << faults << QString()
        << QStringLiteral("Kivora1  The share page is larger than 16777216 bytes")
        << VideoParser::defaultTransferTimeout;
    faults = none;
    faults.invalidUtf8 = true;
    QTest::newRow("page not UTF-8")
        << id << faults << QString() << QStringLiteral("Kivora2  (null)")
        << VideoParser::defaultTransferTimeout;
    QTest::newRow("unknown video ID: 404 page without router data")
        << QStringLiteral("123") << none << QString() << QStringLiteral("Kivora3  (null)")
        << VideoParser::defaultTransferTimeout;
    QTest::newRow("full-width video ID")
        << QStringLiteral("１２３") << none << QString() << QStringLiteral("Kivora3  (null)")
        << VideoParser::defaultTransferTimeout;
    QTest::newRow("page without router data")
        << QStringLiteral("7367890123456789012") << none << QString()
        << QStringLiteral("Kivora3  (null)") << VideoParser::defaultTransferTimeout;
    QTest::newRow("empty item list")
        << QStringLiteral("7378901234567890123") << none << QString() << QStringLiteral("Kivora5  ")
        << VideoParser::defaultTransferTimeout;
    QTest::newRow("share page address not valid")
        << id << none << QStringLiteral("https://[bad") << QStringLiteral("Kivora1  ")
        << VideoParser::defaultTransferTimeout;
}

void TestVideoParserRequests::failures()
{
    QFETCH(QString, message);
    QFETCH(SamplePlatform::Faults, faults);
    QFETCH(QString, shareOrigin);
    QFETCH(QString, expectedLine);
    QFETCH(int, transferTimeout);
    SamplePlatform platform;
    QVERIFY(platform.start());
    platform.setFaults(faults);
    Endpoints endpoints = platform.endpoints();
    if (!shareOrigin.isEmpty())
        endpoints.shareOrigin = shareOrigin;
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 closedPort = closed.serverPort();
    closed.close();
    if (message == u"link")
        message = platform.shortLink(platform.item(PageVariant::Real));
    message.replace(QStringLiteral("SHORT"), endpoints.shortLinkHost)
        .replace(QStringLiteral("CLOSED"), u"localhost:" % QString::number(closedPort));
    LogCapture log;

    const auto outcome = parse(endpoints, message, transferTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(outcome->calls(), 1, settleTimeout);
    QVERIFY(drainNetworkThread());
    QCOMPARE(outcome->calls(), 1);
    QVERIFY(!outcome->record().isSuccess());
    const QStringList matching = log.linesStartingWith(expectedLine);
    QVERIFY2(!matching.isEmpty(), qPrintable(log.lines().join(u'\n')));
}

void TestVideoParserRequests::httpErrorStatusIsNoFailureByItself()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    SamplePlatform::Faults faults;
    faults.errorStatus = 503;
    platform.setFaults(faults);
    const SamplePlatform::Item item = platform.item(PageVariant::Real);
    const auto outcome = parse(platform.endpoints(), platform.shareText(item));
    QTRY_COMPARE_WITH_TIMEOUT(outcome->calls(), 1, settleTimeout);
    QVERIFY(outcome->record().isSuccess());
    QCOMPARE(outcome->record().name(), OptionalText(item.nickname));
}

void TestVideoParserRequests::emptyMessageAsksForAnEmptyId()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    LogCapture log;
    const auto outcome = parse(platform.endpoints(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(outcome->calls(), 1, settleTimeout);
    QVERIFY(outcome->record().isFailureRecord());
    QCOMPARE(log.linesStartingWith(QStringLiteral("Kivora  ")),
             QStringList(QStringLiteral("Kivora  ")));
    const QList<SamplePlatform::Request> requests = platform.requests();
    QVERIFY(!requests.isEmpty());
    for (const SamplePlatform::Request &request : requests)
        QCOMPARE(request.target, QByteArray("/share/video//"));
}

void TestVideoParserRequests::concurrentParsesEachGetTheirRecord()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    SamplePlatform::Faults faults;
    faults.latencyMs = 50;
    platform.setFaults(faults);
    const QList<SamplePlatform::Item> items = platform.items();
    QList<std::shared_ptr<Outcome>> outcomes;
    for (const SamplePlatform::Item &item : items)
        outcomes.append(parse(platform.endpoints(), platform.shortLink(item)));
    for (qsizetype i = 0; i < items.size(); ++i) {
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.at(i)->calls(), 1, settleTimeout);
        QCOMPARE(outcomes.at(i)->record().name().value_or(QString()), items.at(i).nickname);
    }
}

QTEST_GUILESS_MAIN(TestVideoParserRequests)
#include "tst_videoparserrequests.moc"
