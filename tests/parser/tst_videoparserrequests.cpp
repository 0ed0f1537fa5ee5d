#include "LogCapture.h"
#include "NetworkAccess.h"
#include "NetworkThread.h"
#include "NetworkTrust.h"
#include "OptionalText.h"
#include "SamplePlatform.h"
#include "VideoParser.h"

#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSet>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

using namespace Qt::StringLiterals;

using PageVariant = SamplePlatform::PageVariant;
using PageShape = SamplePlatform::PageShape;
using LongLinkForm = SamplePlatform::LongLinkForm;
using Faults = SamplePlatform::Faults;
using Kind = FailureReason::Kind;
Q_DECLARE_METATYPE(SamplePlatform::PageVariant)
Q_DECLARE_METATYPE(SamplePlatform::PageShape)
Q_DECLARE_METATYPE(SamplePlatform::LongLinkForm)
Q_DECLARE_METATYPE(SamplePlatform::Faults)
Q_DECLARE_METATYPE(SamplePlatform::BodyFault)

namespace {

// Generous, for loaded machines and sanitizer builds; a passing wait ends as soon as it can.
constexpr int settleTimeout = 20000;
// Short enough to keep the time-out cases quick, long enough for a loopback answer.
constexpr std::chrono::milliseconds shortTransferTimeout { 1000 };
constexpr std::chrono::milliseconds shortDeadline { 1500 };

const QString itemEndpointPath = u"/web/api/v2/aweme/slidesinfo/"_s;

// What the completions of one parse received, written on whichever thread they run.
class Outcome
{
public:
    void take(const VideoInfo &record, const std::optional<FailureReason> &failure)
    {
        QMutexLocker locker(&m_mutex);
        ++m_calls;
        m_record = record;
        m_failure = failure;
        m_thread = QThread::currentThread();
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
    std::optional<FailureReason> failure() const
    {
        QMutexLocker locker(&m_mutex);
        return m_failure;
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
    std::optional<FailureReason> m_failure;
    QThread *m_thread = nullptr;
};

struct Limits
{
    std::chrono::milliseconds transferTimeout = VideoParser::defaultTransferTimeout;
    std::chrono::milliseconds deadline = VideoParser::defaultDeadline;
};

// Starts a parse with a parser that is gone as soon as the call returns. The outcome is shared
// with the completion so that a test that fails early leaves nothing dangling.
std::shared_ptr<Outcome> parse(const Endpoints &endpoints, const std::optional<QString> &message,
                               Limits limits = {})
{
    auto outcome = std::make_shared<Outcome>();
    VideoParser parser(endpoints);
    parser.setTransferTimeout(limits.transferTimeout);
    parser.setDeadline(limits.deadline);
    parser.fetchVideoInfoWithMessage(
        message, [outcome](const VideoInfo &record, const std::optional<FailureReason> &failure) {
            outcome->take(record, failure);
        });
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

bool start(SamplePlatform &platform, const QString &host, const Faults &faults = {})
{
    platform.setHostName(host);
    platform.setFaults(faults);
    return platform.start();
}

QList<QByteArray> headerNames(const SamplePlatform::Request &request)
{
    QList<QByteArray> names;
    for (const auto &header : request.headers)
        names.append(header.first.toLower());
    std::sort(names.begin(), names.end());
    return names;
}

// The targets received, in order.
QList<QByteArray> targets(const SamplePlatform &platform)
{
    QList<QByteArray> found;
    const QList<SamplePlatform::Request> all = platform.requests();
    for (const SamplePlatform::Request &request : all)
        found.append(request.target);
    return found;
}

QList<QByteArray> targetsStartingWith(const SamplePlatform &platform, const QString &prefix)
{
    QList<QByteArray> found = targets(platform);
    found.removeIf(
        [&prefix](const QByteArray &target) { return !target.startsWith(prefix.toUtf8()); });
    return found;
}

// The record the platform's item gives, read from the share page or from the item endpoint.
VideoInfo expectedRecord(const SamplePlatform &platform, const SamplePlatform::Item &item,
                         const QString &source)
{
    const QString video = item.playUri.isEmpty()
        ? QString()
        : platform.endpoints().webOrigin + u"/aweme/v1/play/?video_id="_s
            + QString::fromLatin1(QUrl::toPercentEncoding(item.playUri));
    VideoInfo::Media media;
    media.gallery = !item.imageUrls.isEmpty();
    media.clips = item.clipUrls;
    media.gears = item.gears;
    media.music = item.music;
    // The sample galleries whose music lists no address name a real MP3 as their "video".
    if (media.music && media.music->url.isEmpty())
        media.music->url = item.soundTrack;
    for (const QString &jpeg : item.imageUrls)
        media.imageFallbacks.append(SamplePlatform::pictureAddresses(jpeg).mid(0, 2));
    return VideoInfo::full(item.nickname, item.description, video, item.coverUrl, item.imageUrls,
                           source + u' ' + platform.hostName(), media);
}

// Starts \a platform with \a faults, parses \a message against it and waits for the outcome.
std::shared_ptr<Outcome> parsedOn(SamplePlatform &platform, const Faults &faults,
                                  const QString &message)
{
    if (!start(platform, u"localhost"_s, faults))
        return nullptr;
    auto outcome = parse(platform.endpoints(), message);
    const bool answered
        = QTest::qWaitFor([&outcome] { return outcome->calls() > 0; }, settleTimeout);
    return answered ? outcome : nullptr;
}

// For messages of failed checks.
QString described(const std::optional<FailureReason> &failure)
{
    return failure ? failure->description() : u"no failure"_s;
}

void addHostRows(const char *name, const std::function<void(QTestData &)> &values)
{
    for (const char *host : { "localhost", "127.0.0.1" }) {
        QTestData &row = QTest::addRow("%s, %s", name, host);
        row << QString::fromLatin1(host);
        values(row);
    }
}

} // namespace

Q_DECLARE_METATYPE(Limits)

/*! VideoParser's requests against the sample platform over real sockets. */
class TestVideoParserRequests : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void shareTextGivesTheItemsRecord_data();
    void shareTextGivesTheItemsRecord();
    void linkForms_data();
    void linkForms();
    void messagesWithoutVideoIdMakeNoRequest_data();
    void messagesWithoutVideoIdMakeNoRequest();
    void requestHeaders();
    void secondRoad_data();
    void secondRoad();
    void bothRoadsFail_data();
    void bothRoadsFail();
    void withheldItemsSayWhy_data();
    void withheldItemsSayWhy();
    void failures_data();
    void failures();
    void unendingRedirectBodiesAreNotWaitedFor_data();
    void unendingRedirectBodiesAreNotWaitedFor();
    void httpErrorStatusIsNoFailureByItself();
    void concurrentParsesEachGetTheirRecord();
    void hostilePlayIdentifierStaysOneParameter();
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
    QTest::addColumn<QString>("host");
    QTest::addColumn<PageVariant>("variant");
    const QPair<const char *, PageVariant> variants[] = {
        { "real page, no ; after the router data", PageVariant::Real },
        { "; after the router data", PageVariant::WithSemicolon },
        { "no window prefix", PageVariant::WithoutWindowPrefix },
        { "}; inside the description", PageVariant::BraceSemicolonInDesc },
        { "gallery", PageVariant::Gallery },
        { "missing fields", PageVariant::MissingFields },
        { "hostile play identifier", PageVariant::HostilePlayId },
        { "slides with live photos and a silent MP3", PageVariant::LivePhotos },
    };
    for (const auto &[name, variant] : variants)
        addHostRows(name, [variant = variant](QTestData &row) { row << variant; });
}

// Also the platform on an IP address: its digits must not be taken for the video ID.
void TestVideoParserRequests::shareTextGivesTheItemsRecord()
{
    QFETCH(QString, host);
    QFETCH(PageVariant, variant);
    SamplePlatform platform;
    QVERIFY(start(platform, host));
    const SamplePlatform::Item item = platform.item(variant);
    LogCapture log;

    const auto outcome = parse(platform.endpoints(), platform.shareText(item));
    QTRY_COMPARE_WITH_TIMEOUT(outcome->calls(), 1, settleTimeout);
    QVERIFY(drainNetworkThread());
    QCOMPARE(outcome->calls(), 1);
    QVERIFY(outcome->thread() != QThread::currentThread());

    const VideoInfo record = outcome->record();
    QCOMPARE(record, expectedRecord(platform, item, u"数据来自抖音公开分享页"_s));
    // The item was on the page, even when it lacks an author: no reason, no second road.
    QVERIFY(!outcome->failure());
    QVERIFY(targetsStartingWith(platform, itemEndpointPath).isEmpty());

    QCOMPARE(log.linesStartingWith(u"Kivora  "_s), QStringList(u"Kivora  " % item.videoId));
    for (const char *format : { "Kivora2  ", "Kivora3  ", "Kivora4  ", "Kivora5  " })
        QCOMPARE(log.linesStartingWith(QString::fromLatin1(format)).size(), 1);
    QCOMPARE(log.linesStartingWith(u"Kivora5  "_s).constFirst(), u"Kivora5  " % record.toString());
    QVERIFY(log.linesStartingWith(u"Kivora1  "_s).isEmpty());
    QVERIFY(log.linesStartingWith(u"Kivora6  "_s).isEmpty());
}

void TestVideoParserRequests::linkForms_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("form");
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<int>("shortLinkRequests");

    const auto add = [](const char *name, const QString &form, Faults faults, int shortLinks) {
        addHostRows(name, [=](QTestData &row) { row << form << faults << shortLinks; });
    };
    Faults faults;
    add("video ID", u"id"_s, faults, 0);
    add("bare short link", u"short link"_s, faults, 1);
    add("share text with decoys and a second link after +", u"share text"_s, faults, 1);
    faults.redirectHops = 10;
    add("chain of ten redirects", u"short link"_s, faults, 10);
    const QPair<const char *, LongLinkForm> forms[] = {
        { "share video", LongLinkForm::ShareVideo },
        { "share note", LongLinkForm::ShareNote },
        { "share slides", LongLinkForm::ShareSlides },
        { "mobile share video", LongLinkForm::MobileShareVideo },
        { "web video", LongLinkForm::WebVideo },
        { "web note", LongLinkForm::WebNote },
        { "jingxuan modal_id", LongLinkForm::Jingxuan },
        { "jingxuan mobile video", LongLinkForm::JingxuanMobile },
        { "web slides", LongLinkForm::WebSlides },
    };
    for (const auto &[name, form] : forms) {
        faults = {};
        faults.shortLinkTarget = form;
        add(qPrintable(u"short link to "_s + QString::fromLatin1(name)), u"short link"_s, faults,
            1);
        add(qPrintable(u"long link: "_s + QString::fromLatin1(name)), u"long link"_s, faults, 0);
    }
}

// Every form reaches the item with one request per step: no link that holds the ID is
// requested, no request goes out twice, and one connection carries them all.
void TestVideoParserRequests::linkForms()
{
    QFETCH(QString, host);
    QFETCH(QString, form);
    QFETCH(Faults, faults);
    QFETCH(int, shortLinkRequests);
    SamplePlatform platform;
    QVERIFY(start(platform, host, faults));
    const SamplePlatform::Item item = platform.item(PageVariant::Real);
    const SamplePlatform::Item other = platform.item(PageVariant::Gallery);
    const QString message = form == u"id" ? item.videoId
        : form == u"short link"           ? platform.shortLink(item)
        : form == u"long link"            ? platform.longLink(item, faults.shortLinkTarget)
                                          : platform.shareText(item).replace(
                                              u" 12/05"_s, u"+"_s + platform.shortLink(other) + u" 05/17"_s);

    const auto outcome = parse(platform.endpoints(), message);
    QTRY_COMPARE_WITH_TIMEOUT(outcome->calls(), 1, settleTimeout);
    QCOMPARE(outcome->record().name(), OptionalText(item.nickname));

    const QList<SamplePlatform::Request> requests = platform.requests();
    QCOMPARE(requests.size(), shortLinkRequests + 1);
    const QByteArray pagePrefix = "/share/video/" + item.videoId.toUtf8() + '/';
    QCOMPARE(requests.last().target, pagePrefix);
    QSet<QByteArray> distinct;
    for (const SamplePlatform::Request &request : requests) {
        QVERIFY(request.https);
        QCOMPARE(request.connection, requests.first().connection);
        distinct.insert(request.target);
    }
    QCOMPARE(distinct.size(), requests.size());
}

void TestVideoParserRequests::messagesWithoutVideoIdMakeNoRequest_data()
{
    QTest::addColumn<OptionalText>("message");
    QTest::addColumn<QString>("detail");
    const QString noLink = u"the text is neither a video ID nor holds a link"_s;
    QTest::newRow("absent") << OptionalText() << noLink;
    QTest::newRow("empty") << OptionalText(QString()) << noLink;
    QTest::newRow("Arabic-Indic digits") << OptionalText(u"١٢٣"_s) << noLink;
    QTest::newRow("full-width digits") << OptionalText(u"１２３"_s) << noLink;
    QTest::newRow("words and decoys")
        << OptionalText(u"看看这个作品 05/17 E@U.lp AgB:/"_s) << noLink;
    QTest::newRow("a play address")
        << OptionalText(u"PLAY/aweme/v1/play/?video_id=v0200fg10000cl7q3ijc77u1d2kg9b0g"_s)
        << u"is a play address, which holds no video ID"_s;
}

// The no-ID road: the failure record with its reason before the call returns, nothing sent.
void TestVideoParserRequests::messagesWithoutVideoIdMakeNoRequest()
{
    QFETCH(OptionalText, message);
    QFETCH(QString, detail);
    SamplePlatform platform;
    QVERIFY(platform.start());
    if (message)
        message->replace(u"PLAY"_s, platform.endpoints().webOrigin);
    LogCapture log;

    const auto outcome = parse(platform.endpoints(), message);
    QCOMPARE(outcome->calls(), 1);
    QCOMPARE(outcome->thread(), QThread::currentThread());
    QVERIFY(outcome->record().isFailureRecord());
    QVERIFY(outcome->failure());
    QCOMPARE(outcome->failure()->kind(), Kind::NoVideoId);
    QVERIFY2(outcome->failure()->detail().endsWith(detail),
             qPrintable(outcome->failure()->detail()));
    QCOMPARE(log.lines(), QStringList(u"Kivora  (null)"_s));
    QVERIFY(drainNetworkThread());
    QCOMPARE(outcome->calls(), 1);
    QVERIFY(platform.requests().isEmpty());
}

// The short link goes out with Qt's defaults only; the share page and the item endpoint add
// exactly the Referer and replace Qt's User-Agent.
void TestVideoParserRequests::requestHeaders()
{
    SamplePlatform platform;
    Faults faults;
    faults.pageShape = PageShape::NoRouterData;
    QVERIFY(start(platform, u"localhost"_s, faults));
    const SamplePlatform::Item item = platform.item(PageVariant::Real);
    const auto outcome = parse(platform.endpoints(), platform.shortLink(item));
    QTRY_COMPARE_WITH_TIMEOUT(outcome->calls(), 1, settleTimeout);
    QVERIFY(outcome->record().isSuccess());

    const QList<SamplePlatform::Request> requests = platform.requests();
    QCOMPARE(requests.size(), 3);
    const SamplePlatform::Request &shortLink = requests.at(0);
    const SamplePlatform::Request &page = requests.at(1);
    const SamplePlatform::Request &endpoint = requests.at(2);
    QCOMPARE(shortLink.target, '/' + item.shortCode.toUtf8() + '/');
    QCOMPARE(page.target, "/share/video/" + item.videoId.toUtf8() + '/');
    QCOMPARE(QUrl::fromPercentEncoding(endpoint.target),
             itemEndpointPath + u"?aweme_ids=["_s + item.videoId + u']');
    QCOMPARE(shortLink.header("Referer"), QByteArray());
    QList<QByteArray> expected = headerNames(shortLink);
    if (!expected.contains("user-agent"))
        expected.append("user-agent");
    expected.append("referer");
    std::sort(expected.begin(), expected.end());
    for (const SamplePlatform::Request *request : { &page, &endpoint }) {
        QCOMPARE(request->method, QByteArray("GET"));
        QCOMPARE(headerNames(*request), expected);
        QCOMPARE(request->header("User-Agent"),
                 QByteArray("Mozilla/5.0 (Linux; Android 8.0.0; SM-G955U Build/R16NW) "
                            "AppleWebKit/537.36 (KHTML, like Gecko) Chrome/116.0.0.0 Mobile "
                            "Safari/537.36"));
        QCOMPARE(
            request->header("Referer"),
            (platform.endpoints().webOrigin + u"/?is_from_mobile_home=1&recommend=1").toUtf8());
    }
}

void TestVideoParserRequests::secondRoad_data()
{
    QTest::addColumn<PageShape>("shape");
    QTest::addColumn<PageVariant>("variant");
    const QPair<const char *, PageShape> shapes[] = {
        { "no router data", PageShape::NoRouterData },
        { "empty item list", PageShape::EmptyItemList },
        { "shell page", PageShape::Shell },
        { "error page", PageShape::ErrorPage },
        { "watch-in-app page", PageShape::WatchInApp },
    };
    for (const auto &[name, shape] : shapes) {
        QTest::addRow("%s, video", name) << shape << PageVariant::Real;
        QTest::addRow("%s, gallery", name) << shape << PageVariant::Gallery;
        QTest::addRow("%s, live photos", name) << shape << PageVariant::LivePhotos;
    }
}

// A page without the item sends the parse to the item endpoint; a gallery's images need the
// second request.
void TestVideoParserRequests::secondRoad()
{
    QFETCH(PageShape, shape);
    QFETCH(PageVariant, variant);
    SamplePlatform platform;
    Faults faults;
    faults.pageShape = shape;
    QVERIFY(start(platform, u"localhost"_s, faults));
    const SamplePlatform::Item item = platform.item(variant);
    LogCapture log;

    const auto outcome = parse(platform.endpoints(), platform.shareText(item));
    QTRY_COMPARE_WITH_TIMEOUT(outcome->calls(), 1, settleTimeout);
    QCOMPARE(outcome->record(), expectedRecord(platform, item, u"数据来自抖音公开作品接口"_s));
    QVERIFY(!outcome->failure());

    const QList<QByteArray> endpointRequests = targetsStartingWith(platform, itemEndpointPath);
    const bool gallery = variant != PageVariant::Real;
    QCOMPARE(endpointRequests.size(), gallery ? 2 : 1);
    QVERIFY(!endpointRequests.first().contains("request_source"));
    if (gallery)
        QVERIFY(endpointRequests.last().endsWith("&request_source=200"));
    QCOMPARE(log.linesStartingWith(u"Kivora6  {"_s).size(), endpointRequests.size());
    QCOMPARE(log.linesStartingWith(u"Kivora5  "_s),
             QStringList(u"Kivora5  " % outcome->record().toString()));
}

void TestVideoParserRequests::bothRoadsFail_data()
{
    QTest::addColumn<QString>("videoId");
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("detail");

    const QString real = u"7301234567890123456"_s;
    Faults faults;
    faults.pageShape = PageShape::NoRouterData;
    faults.itemEndpoint = SamplePlatform::ItemEndpointMode::Forbidden;
    QTest::newRow("no router data, endpoint refuses with 403")
        << real << faults << Kind::Refused
        << u"the item endpoint answered HTTP 403, and the share page holds no router data"_s;
    faults.pageShape = PageShape::Shell;
    faults.itemEndpoint = SamplePlatform::ItemEndpointMode::Empty;
    QTest::newRow("shell page, endpoint answers empty")
        << real << faults << Kind::Refused
        << u"the item endpoint answered with an empty body, and the share page holds no router "
           "data"_s;
    QTest::newRow("item gone: the page's filter says deleted, nothing at the endpoint")
        << u"7378901234567890123"_s << Faults() << Kind::Removed
        << u"the share page's router data filters the item (reason \"status_deleted\", "
           "\"作品已删除\"), and the item endpoint's answer holds no item"_s;
    QTest::newRow("item gone: no router data, nothing at the endpoint")
        << u"7367890123456789012"_s << Faults() << Kind::PlatformChanged
        << u"the item endpoint's answer holds no item, and the share page holds no router data"_s;
    faults = {};
    faults.invalidUtf8 = true;
    QTest::newRow("page not UTF-8, nothing at the endpoint")
        << u"7367890123456789012"_s << faults << Kind::PlatformChanged
        << u"the share page is not UTF-8, and the item endpoint's answer holds no item"_s;
    QTest::newRow("unknown video ID: 404 page")
        << u"123"_s << Faults() << Kind::PlatformChanged
        << u"the share page answered HTTP 404 and holds no item, and the item endpoint's answer "
           "holds no item"_s;
}

void TestVideoParserRequests::bothRoadsFail()
{
    QFETCH(QString, videoId);
    QFETCH(Faults, faults);
    QFETCH(Kind, kind);
    QFETCH(QString, detail);
    SamplePlatform platform;
    LogCapture log;
    const auto outcome = parsedOn(platform, faults, videoId);
    QVERIFY(outcome && outcome->calls() == 1);
    QVERIFY(outcome->record().isFailureRecord());
    QVERIFY(outcome->failure());
    QCOMPARE(outcome->failure()->kind(), kind);
    QCOMPARE(outcome->failure()->detail(), detail);
    // Both endpoint requests were tried.
    QCOMPARE(targetsStartingWith(platform, itemEndpointPath).size(), 2);
    QCOMPARE(log.linesStartingWith(u"Kivora6  "_s).size(), 2);
    QCOMPARE(log.lines().constLast(), u"Kivora5  " % outcome->record().toString());
}

void TestVideoParserRequests::withheldItemsSayWhy_data()
{
    using Mode = SamplePlatform::ItemEndpointMode;
    QTest::addColumn<QString>("videoId");
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QString>("code");
    const QString real = u"7301234567890123456"_s;
    const auto add = [&](const char *name, Mode mode, const QString &code,
                         const QString &filterReason = QString(), int statusCode = 0) {
        Faults faults;
        faults.pageShape = PageShape::Shell;
        faults.itemEndpoint = mode;
        faults.filterReason = filterReason;
        faults.statusCode = statusCode;
        QTest::newRow(name) << real << faults << code;
    };
    add("filter_list without a reason", Mode::Filtered, u"withheld"_s);
    add("filter_list: deleted", Mode::Filtered, u"removed"_s, u"status_deleted"_s);
    add("filter_list: only the author", Mode::Filtered, u"private"_s, u"status_self_see"_s);
    add("filter_list: friends", Mode::Filtered, u"friends_only"_s, u"friend_visible"_s);
    add("filter_detail: copyright abroad", Mode::FilterDetail, u"not_available_here"_s,
        u"copyright_foreign"_s);
    add("filter_detail: a story past its day", Mode::FilterDetail, u"expired_story"_s,
        u"story_25_filter"_s);
    add("filter_detail: unknown reason", Mode::FilterDetail, u"withheld"_s, u"x_filter"_s);
    add("status: is_delete", Mode::Deleted, u"removed"_s);
    add("status: private_status 1", Mode::OnlyMe, u"private"_s);
    add("status: private_status 2", Mode::FriendsOnly, u"friends_only"_s);
    add("status_code 8", Mode::StatusCode, u"login_required"_s, QString(), 8);
    add("status_code 2154", Mode::StatusCode, u"rate_limited"_s, QString(), 2154);
    add("status_code 2156", Mode::StatusCode, u"rate_limited"_s, QString(), 2156);
    add("status_code 10000", Mode::StatusCode, u"rate_limited"_s, QString(), 10000);
    add("status_code 10001", Mode::StatusCode, u"rate_limited"_s, QString(), 10001);
    add("status_code 5: nothing said", Mode::StatusCode, u"platform_changed"_s, QString(), 5);
    add("429 with an empty body", Mode::TooManyRequests, u"rate_limited"_s);
    add("403 from the security plugin", Mode::SecurityBlock, u"refused"_s);
    add("a script check in place of the answer", Mode::ScriptCheck, u"refused"_s);
    Faults faults;
    faults.pageShape = PageShape::ScriptCheck;
    QTest::newRow("a script check in place of the page, nothing at the endpoint")
        << u"7367890123456789012"_s << faults << u"refused"_s;
    faults.itemEndpoint = Mode::Filtered;
    faults.filterReason = u"copyright_region"_s;
    QTest::newRow("a script-check page, the endpoint's reason wins")
        << real << faults << u"not_available_here"_s;
}

// Each way the platform withholds an item ends in its own reason, asked both ways; people read
// a plain sentence, the diagnostic line has what was seen.
void TestVideoParserRequests::withheldItemsSayWhy()
{
    QFETCH(QString, videoId);
    QFETCH(Faults, faults);
    QFETCH(QString, code);
    SamplePlatform platform;
    LogCapture log;
    const auto outcome = parsedOn(platform, faults, videoId);
    QVERIFY(outcome && outcome->calls() == 1);
    QVERIFY(outcome->record().isFailureRecord());
    const std::optional<FailureReason> failure = outcome->failure();
    QVERIFY(failure);
    QVERIFY2(failure->code() == code, qPrintable(failure->technicalDescription()));
    QCOMPARE(failure->description(), FailureReason::summary(failure->kind()));
    QCOMPARE(log.linesStartingWith(u"Kivora1  "_s),
             QStringList(u"Kivora1  "_s + failure->technicalDescription()));
    QCOMPARE(targetsStartingWith(platform, itemEndpointPath).size(), 2);
}

void TestVideoParserRequests::failures_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QString>("shareOrigin");
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("videoIdFound"); // else the ID step failed

    const QString id = u"7301234567890123456"_s;
    const Limits noTimeout;
    const Limits shortTimeout { shortTransferTimeout, VideoParser::defaultDeadline };
    const auto add = [](const char *name, const QString &message, const Faults &faults,
                        const QString &shareOrigin, Limits limits, Kind kind) {
        QTest::newRow(name) << message << faults << shareOrigin << limits << kind
                            << (message != u"link" && !message.startsWith(u"https://"));
    };
    Faults faults;
    faults.redirectLoop = true;
    add("redirect loop", u"link"_s, faults, {}, noTimeout, Kind::RedirectLoop);
    faults = {};
    faults.redirectHops = 12;
    add("twelve hops: eleven redirects to follow", u"link"_s, faults, {}, noTimeout,
        Kind::TooManyRedirects);
    faults = {};
    faults.insecureRedirect = true;
    add("redirect from https to http", u"link"_s, faults, {}, noTimeout, Kind::RefusedRedirect);
    faults = {};
    faults.shortLinkTarget = LongLinkForm::Profile;
    add("short link to a profile", u"link"_s, faults, {}, noTimeout, Kind::NotAPost);
    faults.shortLinkTarget = LongLinkForm::OtherSite;
    add("short link to another site's video", u"link"_s, faults, {}, noTimeout, Kind::NotAPost);
    faults = {};
    add("unknown short code: no digits", u"https://SHORT/abcdef/"_s, {}, {}, noTimeout,
        Kind::NoVideoId);
    add("link that is no address", u"https://[[[/"_s, {}, {}, noTimeout, Kind::NoVideoId);
    add("short-link host refuses", u"https://CLOSED/abcdef/"_s, {}, {}, noTimeout,
        Kind::ConnectionRefused);
    faults = {};
    faults.latencyMs = 3000;
    add("short link times out", u"link"_s, faults, {}, shortTimeout, Kind::TimedOut);
    add("share page times out", id, faults, {}, shortTimeout, Kind::TimedOut);
    faults = {};
    faults.stall = true;
    add("share page stalls mid-body", id, faults, {}, shortTimeout, Kind::TimedOut);
    faults = {};
    faults.resetMidBody = true;
    add("connection reset mid-body", id, faults, {}, noTimeout, Kind::NetworkError);
    faults = {};
    faults.hugePage = true;
    add("page over 16 MiB", id, faults, {}, noTimeout, Kind::TooLarge);
    faults = {};
    faults.brokenCompression = true;
    add("page that fails to decompress", id, faults, {}, noTimeout, Kind::DecompressionFailed);
    add("share page address not valid", id, {}, u"https://[bad"_s, noTimeout, Kind::NetworkError);

    faults = {};
    faults.dripIntervalMs = 100;
    for (const auto &[bodyFault, name] :
         { std::pair(SamplePlatform::BodyFault::Endless, "endless"),
           std::pair(SamplePlatform::BodyFault::Dripping, "dripping") }) {
        const bool endless = bodyFault == SamplePlatform::BodyFault::Endless;
        // An endless body ends at the size limit, a dripping one at the deadline.
        const Kind ending = endless ? Kind::TooLarge : Kind::DeadlineExceeded;
        const Limits limits
            = endless ? noTimeout : Limits { VideoParser::defaultTransferTimeout, shortDeadline };
        faults.bodyFault = bodyFault;
        faults.bodyFaultSteps = SamplePlatform::SharePageStep;
        faults.pageShape = PageShape::Full;
        add(qPrintable(u"share page body "_s + QString::fromLatin1(name)), id, faults, {}, limits,
            ending);
        faults.bodyFaultSteps = SamplePlatform::ItemEndpointStep;
        faults.pageShape = PageShape::NoRouterData;
        add(qPrintable(u"item endpoint body "_s + QString::fromLatin1(name)), id, faults, {},
            limits, ending);
    }
}

// A failed transfer ends the parse with its reason: at the ID step before "Kivora  (null)", at
// a later step with "Kivora1  " and the reason. Unending bodies end at the size limit or at the
// deadline.
void TestVideoParserRequests::failures()
{
    QFETCH(QString, message);
    QFETCH(Faults, faults);
    QFETCH(QString, shareOrigin);
    QFETCH(Limits, limits);
    QFETCH(Kind, kind);
    QFETCH(bool, videoIdFound);
    SamplePlatform platform;
    QVERIFY(start(platform, u"localhost"_s, faults));
    Endpoints endpoints = platform.endpoints();
    if (!shareOrigin.isEmpty())
        endpoints.shareOrigin = shareOrigin;
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 closedPort = closed.serverPort();
    closed.close();
    if (message == u"link")
        message = platform.shortLink(platform.item(PageVariant::Real));
    message.replace(u"SHORT"_s, endpoints.shortLinkHost)
        .replace(u"CLOSED"_s, u"localhost:" % QString::number(closedPort));
    LogCapture log;

    const auto outcome = parse(endpoints, message, limits);
    QTRY_COMPARE_WITH_TIMEOUT(outcome->calls(), 1, settleTimeout);
    QVERIFY(drainNetworkThread());
    QCOMPARE(outcome->calls(), 1);
    QVERIFY(outcome->record().isFailureRecord());
    const std::optional<FailureReason> failure = outcome->failure();
    QVERIFY(failure);
    QVERIFY2(failure->kind() == kind, qPrintable(failure->description()));
    const QStringList lines = log.lines();
    if (videoIdFound) {
        QCOMPARE(log.linesStartingWith(u"Kivora1  "_s),
                 QStringList(u"Kivora1  "_s + failure->technicalDescription()));
        QCOMPARE(lines.constLast(), u"Kivora5  " % outcome->record().toString());
    } else {
        QCOMPARE(lines, QStringList(u"Kivora  (null)"_s));
    }
}

void TestVideoParserRequests::unendingRedirectBodiesAreNotWaitedFor_data()
{
    QTest::addColumn<SamplePlatform::BodyFault>("bodyFault");
    QTest::newRow("endless") << SamplePlatform::BodyFault::Endless;
    QTest::newRow("dripping") << SamplePlatform::BodyFault::Dripping;
}

// Only a redirect's Location matters: a body that never ends holds neither the parse nor memory.
void TestVideoParserRequests::unendingRedirectBodiesAreNotWaitedFor()
{
    QFETCH(SamplePlatform::BodyFault, bodyFault);
    SamplePlatform platform;
    Faults faults;
    faults.bodyFault = bodyFault;
    faults.bodyFaultSteps = SamplePlatform::ShortLinkStep;
    faults.redirectHops = 3;
    QVERIFY(start(platform, u"localhost"_s, faults));
    const SamplePlatform::Item item = platform.item(PageVariant::Real);

    // Were the bodies waited for, the deadline would end the parse.
    const auto outcome = parse(platform.endpoints(), platform.shortLink(item),
                               { VideoParser::defaultTransferTimeout, std::chrono::seconds(10) });
    QTRY_COMPARE_WITH_TIMEOUT(outcome->calls(), 1, settleTimeout);
    QVERIFY2(!outcome->failure(), qPrintable(described(outcome->failure())));
    QCOMPARE(outcome->record().name(), OptionalText(item.nickname));
}

void TestVideoParserRequests::httpErrorStatusIsNoFailureByItself()
{
    SamplePlatform platform;
    Faults faults;
    faults.errorStatus = 503;
    QVERIFY(start(platform, u"localhost"_s, faults));
    const SamplePlatform::Item item = platform.item(PageVariant::Real);
    const auto outcome = parse(platform.endpoints(), platform.shareText(item));
    QTRY_COMPARE_WITH_TIMEOUT(outcome->calls(), 1, settleTimeout);
    QVERIFY(outcome->record().isSuccess());
    QCOMPARE(outcome->record().name(), OptionalText(item.nickname));
}

void TestVideoParserRequests::concurrentParsesEachGetTheirRecord()
{
    SamplePlatform platform;
    Faults faults;
    faults.latencyMs = 50;
    QVERIFY(start(platform, u"localhost"_s, faults));
    const QList<SamplePlatform::Item> items = platform.items();
    QList<std::shared_ptr<Outcome>> outcomes;
    for (const SamplePlatform::Item &item : items)
        outcomes.append(parse(platform.endpoints(), platform.shortLink(item)));
    for (qsizetype i = 0; i < items.size(); ++i) {
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.at(i)->calls(), 1, settleTimeout);
        QCOMPARE(outcomes.at(i)->record().name().value_or(QString()), items.at(i).nickname);
    }
}

// A page may put "&", "#", "=" or spaces into the play identifier: the play address still names
// the whole identifier in its one parameter, and the platform finds the video by it.
void TestVideoParserRequests::hostilePlayIdentifierStaysOneParameter()
{
    SamplePlatform platform;
    QVERIFY(start(platform, u"localhost"_s));
    const SamplePlatform::Item item = platform.item(PageVariant::HostilePlayId);
    const auto outcome = parse(platform.endpoints(), item.videoId);
    QTRY_COMPARE_WITH_TIMEOUT(outcome->calls(), 1, settleTimeout);
    const OptionalText video = outcome->record().video();
    QVERIFY(video);

    platform.clearRequests();
    QNetworkAccessManager manager;
    std::unique_ptr<QNetworkReply> reply(
        manager.get(NetworkAccess::request(QUrl(*video, QUrl::StrictMode))));
    QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), settleTimeout);
    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 302);
    QCOMPARE(reply->rawHeader("Location"), platform.mediaUrl().toUtf8());
    QCOMPARE(targets(platform),
             QList<QByteArray>({ "/aweme/v1/play/?video_id=v0200%26ratio%3D1080p%23top%3D1%20"
                                 "%E8%A7%86%E9%A2%91" }));
}

QTEST_GUILESS_MAIN(TestVideoParserRequests)
#include "tst_videoparserrequests.moc"
