#include "RouterData.h"
#include "SamplePlatform.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSet>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTcpServer>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(SamplePlatform::Faults)

namespace {

using PageVariant = SamplePlatform::PageVariant;

struct Answer
{
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    QByteArray body;
    QUrl url;
    QByteArray contentType;
    QByteArray contentRange;
    QByteArray contentDisposition;
    QByteArray etag;
    QByteArray lastModified;
    qint64 contentLength = -1;
};

QSslConfiguration trustingSampleCertificate()
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(SamplePlatform::caCertificatesPath());
    return configuration;
}

/*! Sends one GET and waits for its end; redirects are followed (at most 10). */
Answer fetch(QNetworkAccessManager &manager, const QString &address,
             const QList<QPair<QByteArray, QByteArray>> &headers = {}, int transferTimeoutMs = 0)
{
    QNetworkRequest request { QUrl(address) };
    request.setSslConfiguration(trustingSampleCertificate());
    request.setMaximumRedirectsAllowed(10);
    if (transferTimeoutMs > 0)
        request.setTransferTimeout(transferTimeoutMs);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    Answer answer;
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(),
                     [&answer, &reply] { answer.body += reply->readAll(); });
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    if (!finished.wait(20000))
        reply->abort();
    if (reply->isOpen())
        answer.body += reply->readAll();
    answer.error = reply->error();
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.url = reply->url();
    answer.contentType = reply->rawHeader("Content-Type");
    answer.contentRange = reply->rawHeader("Content-Range");
    answer.contentDisposition = reply->rawHeader("Content-Disposition");
    answer.etag = reply->rawHeader("ETag");
    answer.lastModified = reply->rawHeader("Last-Modified");
    answer.contentLength = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    return answer;
}

/*! Sends one GET that does not follow a redirect; returns the reply once its headers are in. */
std::unique_ptr<QNetworkReply> startGet(QNetworkAccessManager &manager, const QString &address)
{
    QNetworkRequest request { QUrl(address) };
    request.setSslConfiguration(trustingSampleCertificate());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    // Without a limit, Qt 6.4 collects a fast chunked body over plain http for seconds (hundreds
    // of megabytes) before it reports any of it.
    reply->setReadBufferSize(1024 * 1024);
    QSignalSpy headers(reply.get(), &QNetworkReply::metaDataChanged);
    if (!headers.wait(20000))
        reply->abort();
    return reply;
}

/*! The router data the parser would cut out of \a page and the character that follows it; an
 *  empty array when there is none. */
QPair<QByteArray, char> routerObject(const QByteArray &page)
{
    const std::optional<QByteArrayView> object = RouterData::cut(page);
    if (!object)
        return {};
    const qsizetype end = object->data() - page.constData() + object->size();
    return { object->toByteArray(), end < page.size() ? page.at(end) : char() };
}

// Where a request of \a step goes for \a item.
QString stepAddress(const SamplePlatform &platform, const SamplePlatform::Item &item, int step)
{
    switch (step) {
    case SamplePlatform::ShortLinkStep:
        return platform.shortLink(item);
    case SamplePlatform::SharePageStep:
        return platform.longLink(item, SamplePlatform::LongLinkForm::ShareVideo);
    case SamplePlatform::ItemEndpointStep:
        return platform.itemEndpointUrl(item.videoId);
    default:
        return platform.mediaUrl();
    }
}

bool startWith(SamplePlatform &platform, const SamplePlatform::Faults &faults)
{
    platform.setFaults(faults);
    return platform.start();
}

// Qt 6.4 now and then sends a redirected request twice, so tests count distinct targets.
QSet<QByteArray> targetsStartingWith(const SamplePlatform &platform, const QByteArray &prefix)
{
    QSet<QByteArray> targets;
    for (const SamplePlatform::Request &request : platform.requests()) {
        if (request.target.startsWith(prefix))
            targets.insert(request.target);
    }
    return targets;
}

} // namespace

class TestSamplePlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void shortLinkLandsOnSharePage_data();
    void shortLinkLandsOnSharePage();
    void redirectLoopNeverEnds();
    void sharePageCarriesItem_data();
    void sharePageCarriesItem();
    void pageFaults_data();
    void pageFaults();
    void playAddressRedirectsToSampleVideo();
    void rangeRequests_data();
    void rangeRequests();
    void customMedia();
    void rangesAgainstVersions_data();
    void rangesAgainstVersions();
    void mediaFaults_data();
    void mediaFaults();
    void latencyDelaysResponses();
    void abandonedStallsFreeTheirWorkers();
    void stopEndsStalledConnections();
    void recordsRequestsWithHeadersInOrder();
    void servesBothLoopbackAddresses_data();
    void servesBothLoopbackAddresses();
    void hostsNamedByAddress();
    void connectionsAreNumbered();
    void pageShapes_data();
    void pageShapes();
    void itemEndpoint_data();
    void itemEndpoint();
    void shortLinksEndAtEveryLongLinkForm_data();
    void shortLinksEndAtEveryLongLinkForm();
    void insecureRedirect();
    void unendingBodies_data();
    void unendingBodies();
    void brokenCompression();
};

void TestSamplePlatform::shortLinkLandsOnSharePage_data()
{
    QTest::addColumn<PageVariant>("variant");
    QTest::addColumn<int>("hops");
    QTest::newRow("one hop") << PageVariant::Real << 1;
    QTest::newRow("three hops") << PageVariant::Real << 3;
    QTest::newRow("gallery, two hops") << PageVariant::Gallery << 2;
    QTest::newRow("no hop: the page itself") << PageVariant::WithSemicolon << 0;
}

void TestSamplePlatform::shortLinkLandsOnSharePage()
{
    QFETCH(PageVariant, variant);
    QFETCH(int, hops);
    SamplePlatform::Faults faults;
    faults.redirectHops = hops;
    SamplePlatform platform;
    QVERIFY(startWith(platform, faults));
    const SamplePlatform::Item item = platform.item(variant);
    QVERIFY(item.shortCode.contains(u'-') || item.shortCode.contains(u'_'));
    QVERIFY(platform.shareText(item).contains(platform.shortLink(item)));

    QNetworkAccessManager manager;
    const Answer answer = fetch(manager, platform.shortLink(item));

    QCOMPARE(answer.error, QNetworkReply::NoError);
    QCOMPARE(answer.status, 200);
    QVERIFY(answer.body.contains("_ROUTER_DATA"));
    QVERIFY(answer.body.contains(item.videoId.toUtf8()));
    if (hops == 0) {
        QCOMPARE(answer.url.toString(), platform.shortLink(item));
    } else {
        QCOMPARE(answer.url.host(), u"localhost"_s);
        QCOMPARE(answer.url.port(), int(platform.httpsPort()));
        QCOMPARE(answer.url.path(), u"/share/video/"_s + item.videoId + u'/');
        QVERIFY(answer.url.query().startsWith(u"region=CN&mid="_s));
    }
    // The short link and one intermediate link per further hop.
    QCOMPARE(targetsStartingWith(platform, '/' + item.shortCode.toUtf8()).size(),
             std::max(hops, 1));
}

void TestSamplePlatform::redirectLoopNeverEnds()
{
    SamplePlatform::Faults faults;
    faults.redirectLoop = true;
    SamplePlatform platform;
    QVERIFY(startWith(platform, faults));
    const SamplePlatform::Item item = platform.items().first();

    QNetworkAccessManager manager;
    const Answer answer = fetch(manager, platform.shortLink(item));

    QCOMPARE(answer.error, QNetworkReply::TooManyRedirectsError);
    QVERIFY(targetsStartingWith(platform, "/share/").isEmpty());
    const QByteArray shortLinkTarget = '/' + item.shortCode.toUtf8() + '/';
    QCOMPARE(targetsStartingWith(platform, "/"), QSet<QByteArray> { shortLinkTarget });
    QVERIFY(platform.requests().size() > 10);
}

void TestSamplePlatform::sharePageCarriesItem_data()
{
    QTest::addColumn<PageVariant>("variant");
    QTest::addColumn<char>("afterObject");
    QTest::addColumn<bool>("hasItem");
    QTest::newRow("real: no semicolon") << PageVariant::Real << '<' << true;
    QTest::newRow("with semicolon") << PageVariant::WithSemicolon << ';' << true;
    QTest::newRow("without window prefix") << PageVariant::WithoutWindowPrefix << ';' << true;
    QTest::newRow("brace and semicolon in description")
        << PageVariant::BraceSemicolonInDesc << '<' << true;
    QTest::newRow("gallery") << PageVariant::Gallery << '<' << true;
    QTest::newRow("missing fields") << PageVariant::MissingFields << '<' << true;
    QTest::newRow("empty item list") << PageVariant::EmptyItemList << '<' << false;
    QTest::newRow("hostile play identifier") << PageVariant::HostilePlayId << '<' << true;
    QTest::newRow("live photos") << PageVariant::LivePhotos << '<' << true;
}

// The router data of every page must describe exactly the item that items() promises, since the
// clients' tests compare their records with it.
void TestSamplePlatform::sharePageCarriesItem()
{
    QFETCH(PageVariant, variant);
    QFETCH(char, afterObject);
    QFETCH(bool, hasItem);
    SamplePlatform platform;
    QVERIFY(platform.start());
    const SamplePlatform::Item item = platform.item(variant);
    QNetworkAccessManager manager;
    const Answer answer = fetch(
        manager, platform.endpoints().shareOrigin + u"/share/video/"_s + item.videoId + u'/');
    QCOMPARE(answer.status, 200);
    QCOMPARE(answer.contentType, "text/html; charset=utf-8");
    QVERIFY2(answer.body.size() > 20000, "a share page is tens of kilobytes");
    QVERIFY(answer.body.contains("<meta "));
    QVERIFY(answer.body.contains("<script nonce=\""));
    QCOMPARE(answer.body.contains("window._ROUTER_DATA = {"),
             variant != PageVariant::WithoutWindowPrefix);

    const auto [object, next] = routerObject(answer.body);
    QCOMPARE(next, afterObject);
    QVERIFY(object.contains(R"("video_(id)\u002Fpage")"));
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(object, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QVERIFY(root.value(u"loaderData"_s).toObject().size() > 1);
    const QJsonObject infoRes
        = root[u"loaderData"_s][u"video_(id)/page"_s][u"videoInfoRes"_s].toObject();
    QCOMPARE(infoRes[u"status_code"_s].toInt(-1), 0);
    const QJsonArray itemList = infoRes[u"item_list"_s].toArray();
    QCOMPARE(itemList.size(), hasItem ? 1 : 0);
    if (!hasItem)
        return;

    const QJsonObject served = itemList.first().toObject();
    QCOMPARE(served[u"aweme_id"_s].toString(), item.videoId);
    QCOMPARE(served[u"desc"_s].toString(), item.description);
    QCOMPARE(served[u"author"_s][u"nickname"_s].toString(), item.nickname);
    QCOMPARE(served.contains(u"author"_s), !item.nickname.isEmpty());
    // A gallery's "video" names its sound track, as today's platform writes it.
    QCOMPARE(served[u"video"_s][u"play_addr"_s][u"uri"_s].toString(),
             item.soundTrack.isEmpty() ? item.playUri : item.soundTrack);
    QCOMPARE(served[u"video"_s][u"cover"_s][u"url_list"_s][0].toString(), item.coverUrl);
    QCOMPARE(served[u"video"_s][u"bit_rate"_s].toArray().size(), item.gears.size());
    QCOMPARE(served[u"music"_s][u"title"_s].toString(), item.music.value_or(ItemMusic()).title);
    // Each picture: WebP, WebP, then its JPEG; its clip where it has one.
    const QJsonArray images = served[u"images"_s].toArray();
    QCOMPARE(images.size(), item.imageUrls.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        QCOMPARE(
            images.at(i)[u"url_list"_s].toArray(),
            QJsonArray::fromStringList(SamplePlatform::pictureAddresses(item.imageUrls.at(i))));
        QCOMPARE(images.at(i)[u"video"_s][u"play_addr"_s][u"url_list"_s][0].toString(),
                 item.clipUrls.value(i));
    }
    if (variant == PageVariant::BraceSemicolonInDesc)
        QVERIFY(item.description.contains(u"};"_s));
    if (!item.nickname.isEmpty()) {
        QVERIFY(std::any_of(item.nickname.cbegin(), item.nickname.cend(),
                            [](QChar c) { return c.unicode() > 0x7f; }));
    }
}

void TestSamplePlatform::pageFaults_data()
{
    QTest::addColumn<PageVariant>("variant");
    QTest::addColumn<bool>("hugePage");
    QTest::addColumn<bool>("invalidUtf8");
    QTest::addColumn<int>("errorStatus");
    QTest::newRow("huge page") << PageVariant::Real << true << false << 0;
    QTest::newRow("invalid UTF-8") << PageVariant::Real << false << true << 0;
    QTest::newRow("error status with the page") << PageVariant::Real << false << false << 500;
    QTest::newRow("error status without router data")
        << PageVariant::NoRouterData << false << false << 404;
}

void TestSamplePlatform::pageFaults()
{
    QFETCH(PageVariant, variant);
    QFETCH(bool, hugePage);
    QFETCH(bool, invalidUtf8);
    QFETCH(int, errorStatus);
    SamplePlatform::Faults faults;
    faults.hugePage = hugePage;
    faults.invalidUtf8 = invalidUtf8;
    faults.errorStatus = errorStatus;
    SamplePlatform platform;
    QVERIFY(startWith(platform, faults));
    QNetworkAccessManager manager;
    const Answer answer = fetch(manager, platform.shortLink(platform.item(variant)));

    QCOMPARE(answer.status, errorStatus ? errorStatus : 200);
    QCOMPARE(answer.body.size() > 16 * 1024 * 1024, hugePage);
    QCOMPARE(answer.contentLength, answer.body.size());
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(answer.body);
    QCOMPARE(decoder.hasError(), invalidUtf8);
    QVERIFY(text.endsWith(u"</html>\n"_s));
    const bool hasRouterData = variant != PageVariant::NoRouterData;
    QCOMPARE(!routerObject(answer.body).first.isEmpty(), hasRouterData);
}

void TestSamplePlatform::playAddressRedirectsToSampleVideo()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    const SamplePlatform::Item item = platform.items().first();
    QNetworkAccessManager manager;
    const QString play = platform.endpoints().webOrigin + u"/aweme/v1/play/?video_id="_s;

    const Answer video = fetch(manager, play + item.playUri);
    QCOMPARE(video.status, 200);
    QCOMPARE(video.url.toString(), platform.mediaUrl());
    QCOMPARE(video.contentType, "video/mp4");
    QCOMPARE(video.contentLength, SamplePlatform::sampleVideo().size());
    QCOMPARE(video.body, SamplePlatform::sampleVideo());
    QCOMPARE(video.body.mid(4, 4), "ftyp");

    QCOMPARE(fetch(manager, play + u"v0000unknown"_s).status, 404);
    QCOMPARE(fetch(manager, play).status, 404);

    const Answer image = fetch(manager, platform.item(PageVariant::Gallery).imageUrls.at(1));
    QCOMPARE(image.status, 200);
    QCOMPARE(image.contentType, "image/jpeg");
    QVERIFY(image.body.startsWith("\xFF\xD8"));
}

void TestSamplePlatform::rangeRequests_data()
{
    const qint64 size = SamplePlatform::sampleVideo().size();
    QTest::addColumn<QByteArray>("range");
    QTest::addColumn<int>("status");
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("last"); // -1: nothing is sent
    QTest::newRow("first hundred") << QByteArray("bytes=0-99") << 206 << qint64(0) << qint64(99);
    QTest::newRow("middle") << QByteArray("bytes=1000-1999") << 206 << qint64(1000) << qint64(1999);
    QTest::newRow("open end") << QByteArray("bytes=5000-") << 206 << qint64(5000) << size - 1;
    QTest::newRow("last fifty") << QByteArray("bytes=-50") << 206 << size - 50 << size - 1;
    QTest::newRow("end past the size")
        << "bytes=11000-99999999"_ba << 206 << qint64(11000) << size - 1;
    QTest::newRow("start past the size") << "bytes=99999-"_ba << 416 << qint64(0) << qint64(-1);
    QTest::newRow("several ranges: whole body")
        << "bytes=0-9,20-29"_ba << 200 << qint64(0) << size - 1;
}

void TestSamplePlatform::rangeRequests()
{
    QFETCH(QByteArray, range);
    QFETCH(int, status);
    QFETCH(qint64, first);
    QFETCH(qint64, last);
    SamplePlatform platform;
    QVERIFY(platform.start());
    QNetworkAccessManager manager;
    const QByteArray video = SamplePlatform::sampleVideo();
    const Answer answer = fetch(manager, platform.mediaUrl(), { { "Range", range } });

    QCOMPARE(answer.status, status);
    QCOMPARE(answer.body, video.mid(first, last - first + 1));
    const QByteArray size = QByteArray::number(video.size());
    if (status == 206) {
        QCOMPARE(answer.contentRange,
                 "bytes " + QByteArray::number(first) + '-' + QByteArray::number(last) + '/'
                     + size);
    } else {
        QCOMPARE(answer.contentRange, status == 416 ? "bytes */" + size : QByteArray());
    }
}

void TestSamplePlatform::rangesAgainstVersions_data()
{
    using Faults = SamplePlatform::Faults;
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QByteArray>("ifRange"); // "etag"/"date": the first answer's own
    QTest::addColumn<int>("status"); // of the ranged request, made after the file changed
    Faults honest;
    Faults ignoresIfRange;
    ignoresIfRange.ignoreIfRange = true;
    Faults noValidators;
    noValidators.noValidators = true;
    Faults unsatisfiable;
    unsatisfiable.unsatisfiableRange = true;
    QTest::newRow("no If-Range") << honest << QByteArray() << 206;
    QTest::newRow("the first version's ETag") << honest << "etag"_ba << 200;
    QTest::newRow("the first version's date") << honest << "date"_ba << 200;
    QTest::newRow("an ETag never sent") << honest << "\"other\""_ba << 200;
    QTest::newRow("If-Range ignored") << ignoresIfRange << "etag"_ba << 206;
    QTest::newRow("no validators") << noValidators << "\"other\""_ba << 200;
    QTest::newRow("every range refused") << unsatisfiable << QByteArray() << 416;
}

// A versioned address serves its versions in turn, each named by its own validators; a ranged
// request after the change gets what its If-Range and the faults call for.
void TestSamplePlatform::rangesAgainstVersions()
{
    QFETCH(SamplePlatform::Faults, faults);
    QFETCH(QByteArray, ifRange);
    QFETCH(int, status);
    SamplePlatform platform;
    QVERIFY(platform.start());
    platform.setFaults(faults);
    const QByteArray first = QByteArray("first version ").repeated(100);
    const QByteArray second = QByteArray("second version").repeated(100);
    const QString url = platform.versionedMediaUrl({ first, second }, "video/mp4");
    QNetworkAccessManager manager;

    const Answer before = fetch(manager, url);
    QCOMPARE(before.body, first);
    QCOMPARE(before.etag.isEmpty(), faults.noValidators);
    QCOMPARE(before.lastModified.isEmpty(), faults.noValidators);
    QList<QPair<QByteArray, QByteArray>> headers { { "Range", "bytes=100-" } };
    if (!ifRange.isEmpty())
        headers.append({ "If-Range",
                         ifRange == "etag"       ? before.etag
                             : ifRange == "date" ? before.lastModified
                                                 : ifRange });
    const Answer after = fetch(manager, url, headers);
    QCOMPARE(after.status, status);
    QCOMPARE(after.body, status == 206 ? second.mid(100) : status == 200 ? second : QByteArray());
    if (!faults.noValidators) {
        QVERIFY(after.etag != before.etag);
        QVERIFY(after.lastModified != before.lastModified);
    }
}

void TestSamplePlatform::customMedia()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    QByteArray body(3 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < body.size(); ++i)
        body[i] = char(i * 31 % 251);
    const QString plain = platform.customMediaUrl(body, "application/octet-stream");
    const QString named
        = platform.customMediaUrl("abc", "video/mp4", "attachment; filename=\"../../x.mp4\"");
    QVERIFY(plain != named);
    QVERIFY(plain.startsWith(platform.endpoints().webOrigin));

    QNetworkAccessManager manager;
    const Answer whole = fetch(manager, plain);
    QCOMPARE(whole.status, 200);
    QCOMPARE(whole.contentType, "application/octet-stream");
    QVERIFY(whole.body == body);
    QVERIFY(whole.contentDisposition.isEmpty());
    const Answer tail = fetch(manager, plain, { { "Range", "bytes=3000000-" } });
    QCOMPARE(tail.status, 206);
    QVERIFY(tail.body == body.mid(3000000));

    const Answer attachment = fetch(manager, named);
    QCOMPARE(attachment.body, "abc");
    QCOMPARE(attachment.contentType, "video/mp4");
    QCOMPARE(attachment.contentDisposition, "attachment; filename=\"../../x.mp4\"");
}

void TestSamplePlatform::mediaFaults_data()
{
    QTest::addColumn<SamplePlatform::Faults>("faults");
    QTest::addColumn<QNetworkReply::NetworkError>("error");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<bool>("partialBody");

    SamplePlatform::Faults faults;
    faults.errorStatus = 503;
    QTest::newRow("error status") << faults << QNetworkReply::ServiceUnavailableError << 503
                                  << QByteArray("text/html; charset=utf-8") << false;
    faults = {};
    faults.emptyMedia = true;
    QTest::newRow("empty") << faults << QNetworkReply::NoError << 200 << QByteArray("video/mp4")
                           << false;
    faults = {};
    faults.nonVideoMedia = true;
    QTest::newRow("not a video") << faults << QNetworkReply::NoError << 200
                                 << QByteArray("text/plain; charset=utf-8") << false;
    faults = {};
    faults.resetMidBody = true;
    QTest::newRow("reset mid-body")
        << faults << QNetworkReply::RemoteHostClosedError << 200 << QByteArray("video/mp4") << true;
    faults = {};
    faults.stall = true;
    QTest::newRow("stall") << faults << QNetworkReply::OperationCanceledError << 200
                           << QByteArray("video/mp4") << true;
}

void TestSamplePlatform::mediaFaults()
{
    QFETCH(SamplePlatform::Faults, faults);
    QFETCH(QNetworkReply::NetworkError, error);
    QFETCH(int, status);
    QFETCH(QByteArray, contentType);
    QFETCH(bool, partialBody);
    SamplePlatform platform;
    QVERIFY(startWith(platform, faults));
    QNetworkAccessManager manager;
    const QByteArray video = SamplePlatform::sampleVideo();

    // A stalled body ends by the client's inactivity time-out, generous for loaded machines.
    const Answer answer = fetch(manager, platform.mediaUrl(), {}, 1000);

    QCOMPARE(answer.error, error);
    QCOMPARE(answer.status, status);
    QCOMPARE(answer.contentType, contentType);
    if (partialBody) {
        // Headers promise the whole video; only a part of it arrives.
        QCOMPARE(answer.contentLength, video.size());
        QVERIFY(!answer.body.isEmpty());
        QVERIFY(answer.body.size() < video.size());
        QVERIFY(video.startsWith(answer.body));
    } else {
        QCOMPARE(answer.contentLength, answer.body.size());
        QCOMPARE(answer.body.isEmpty(), faults.emptyMedia);
        QVERIFY(!answer.body.contains("ftyp"));
    }
}

void TestSamplePlatform::latencyDelaysResponses()
{
    SamplePlatform::Faults faults;
    faults.latencyMs = 150;
    SamplePlatform platform;
    QVERIFY(startWith(platform, faults));
    QNetworkAccessManager manager;
    QElapsedTimer timer;
    timer.start();
    // Two responses: the short link's redirect and the page.
    const Answer answer = fetch(manager, platform.shortLink(platform.items().first()));
    QCOMPARE(answer.status, 200);
    QVERIFY2(timer.elapsed() >= 2 * faults.latencyMs, QByteArray::number(timer.elapsed()));
}

// A client that gives up on a stalled body must free the server's worker: more stalls than the
// server has workers still leave it answering.
void TestSamplePlatform::abandonedStallsFreeTheirWorkers()
{
    SamplePlatform::Faults faults;
    faults.stall = true;
    SamplePlatform platform;
    QVERIFY(startWith(platform, faults));
    QNetworkAccessManager manager;
    for (int i = 0; i < 30; ++i)
        QCOMPARE(fetch(manager, platform.mediaUrl(), {}, 100).error,
                 QNetworkReply::OperationCanceledError);
    platform.setFaults({});
    const Answer answer = fetch(manager, platform.mediaUrl(), {}, 5000);
    QCOMPARE(answer.error, QNetworkReply::NoError);
    QCOMPARE(answer.body, SamplePlatform::sampleVideo());
}

void TestSamplePlatform::stopEndsStalledConnections()
{
    SamplePlatform::Faults faults;
    faults.stall = true;
    SamplePlatform platform;
    QVERIFY(startWith(platform, faults));
    QNetworkAccessManager manager;
    QNetworkRequest request { QUrl(platform.mediaUrl()) };
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    QTRY_VERIFY(reply->bytesAvailable() > 0);

    platform.stop();

    QVERIFY(finished.wait(5000));
    // The connection is reset; Qt 6.4 does not always report that as an error, but the body
    // stays short of its Content-Length.
    QCOMPARE(reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(),
             SamplePlatform::sampleVideo().size());
    QVERIFY(reply->readAll().size() < SamplePlatform::sampleVideo().size());
    QCOMPARE(platform.httpPort(), quint16(0));
    // A stopped platform starts again.
    QVERIFY(platform.start());
    platform.setFaults({});
    QCOMPARE(fetch(manager, platform.mediaUrl()).body, SamplePlatform::sampleVideo());
}

void TestSamplePlatform::recordsRequestsWithHeadersInOrder()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    QNetworkAccessManager manager;
    const SamplePlatform::Item item = platform.items().first();
    const QString page = platform.endpoints().shareOrigin + u"/share/video/"_s + item.videoId
        + u"/?a=1&b=%E6%8A%96"_s;
    fetch(manager, page,
          { { "User-Agent", "Mozilla/5.0 test" }, { "Referer", "https://example.invalid/" } });
    fetch(manager, platform.mediaUrl(), { { "X-Zeta", "1" }, { "X-Alpha", "2" } });

    const QList<SamplePlatform::Request> requests = platform.requests();
    QCOMPARE(requests.size(), 2);
    const SamplePlatform::Request &first = requests.at(0);
    QCOMPARE(first.method, "GET");
    QCOMPARE(first.target, "/share/video/" + item.videoId.toUtf8() + "/?a=1&b=%E6%8A%96");
    QVERIFY(first.https);
    QCOMPARE(first.header("user-agent"), "Mozilla/5.0 test");
    QCOMPARE(first.header("REFERER"), "https://example.invalid/");
    QVERIFY(first.header("X-Absent").isNull());
    QCOMPARE(first.header("Host"), "localhost:" + QByteArray::number(platform.httpsPort()));

    const SamplePlatform::Request &second = requests.at(1);
    QVERIFY(!second.https);
    QList<QByteArray> names;
    for (const auto &header : second.headers)
        names.append(header.first);
    QVERIFY(names.indexOf("X-Zeta") >= 0);
    QVERIFY2(names.indexOf("X-Zeta") < names.indexOf("X-Alpha"), names.join(", "));

    platform.clearRequests();
    QVERIFY(platform.requests().isEmpty());
}

void TestSamplePlatform::servesBothLoopbackAddresses_data()
{
    QTest::addColumn<QString>("host");
    QTest::newRow("IPv4") << u"127.0.0.1"_s;
    QTest::newRow("IPv6") << u"[::1]"_s;
}

// "localhost" may resolve to either address first; both must answer on the same ports.
void TestSamplePlatform::servesBothLoopbackAddresses()
{
    QFETCH(QString, host);
    QTcpServer probe;
    if (host.startsWith(u'[') && !probe.listen(QHostAddress::LocalHostIPv6))
        QSKIP("this machine has no IPv6 loopback");
    SamplePlatform platform;
    QVERIFY(platform.start());
    QNetworkAccessManager manager;
    const QString https = u"https://"_s + host + u':' + QString::number(platform.httpsPort());
    const QString http = u"http://"_s + host + u':' + QString::number(platform.httpPort());
    const Answer page
        = fetch(manager, https + u"/share/video/"_s + platform.items().first().videoId + u'/');
    QCOMPARE(page.error, QNetworkReply::NoError);
    QCOMPARE(page.status, 200);
    QCOMPARE(fetch(manager, http + u"/media/sample.mp4"_s).body, SamplePlatform::sampleVideo());
}

// Every address the platform gives out names its hosts as set; the certificate covers the address.
void TestSamplePlatform::hostsNamedByAddress()
{
    SamplePlatform platform;
    platform.setHostName(u"127.0.0.1"_s);
    QVERIFY(platform.start());
    const QString https = u"https://127.0.0.1:"_s + QString::number(platform.httpsPort());
    QCOMPARE(platform.endpoints().shareOrigin, https);
    QCOMPARE(platform.endpoints().shortLinkHost, https.mid(8));
    QCOMPARE(platform.endpoints().webOrigin,
             u"http://127.0.0.1:"_s + QString::number(platform.httpPort()));
    const SamplePlatform::Item item = platform.items().first();
    QVERIFY(platform.shareText(item).contains(https + u'/' + item.shortCode + u'/'));
    QVERIFY(item.coverUrl.startsWith(platform.endpoints().webOrigin));

    QNetworkAccessManager manager;
    const Answer answer = fetch(manager, platform.shortLink(item));
    QCOMPARE(answer.error, QNetworkReply::NoError);
    QCOMPARE(answer.url.host(), u"127.0.0.1"_s);
    QVERIFY(answer.body.contains(item.videoId.toUtf8()));
}

void TestSamplePlatform::connectionsAreNumbered()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    const QString page
        = platform.longLink(platform.items().first(), SamplePlatform::LongLinkForm::ShareNote);
    QNetworkAccessManager kept;
    fetch(kept, page);
    fetch(kept, page);
    QNetworkAccessManager other;
    fetch(other, page);
    const QList<SamplePlatform::Request> requests = platform.requests();
    QCOMPARE(requests.size(), 3);
    QVERIFY(requests.at(0).connection > 0);
    QCOMPARE(requests.at(1).connection, requests.at(0).connection);
    QVERIFY(requests.at(2).connection != requests.at(0).connection);
}

void TestSamplePlatform::pageShapes_data()
{
    QTest::addColumn<SamplePlatform::PageShape>("shape");
    QTest::addColumn<QByteArray>("marker");
    QTest::addColumn<bool>("routerData");
    QTest::newRow("no router data")
        << SamplePlatform::PageShape::NoRouterData << QByteArray("<meta ") << false;
    QTest::newRow("empty item list")
        << SamplePlatform::PageShape::EmptyItemList << QByteArray("\"item_list\":[]") << true;
    QTest::newRow("shell") << SamplePlatform::PageShape::Shell << QByteArray("<div id=\"root\">")
                           << false;
    QTest::newRow("error page") << SamplePlatform::PageShape::ErrorPage
                                << QStringLiteral("抱歉出错了").toUtf8() << false;
    QTest::newRow("watch in the app") << SamplePlatform::PageShape::WatchInApp
                                      << QStringLiteral("请尝试在抖音内观看").toUtf8() << false;
    QTest::newRow("script check") << SamplePlatform::PageShape::ScriptCheck
                                  << QByteArray("__ac_nonce=") << false;
}

void TestSamplePlatform::pageShapes()
{
    QFETCH(SamplePlatform::PageShape, shape);
    QFETCH(QByteArray, marker);
    QFETCH(bool, routerData);
    SamplePlatform::Faults faults;
    faults.pageShape = shape;
    SamplePlatform platform;
    QVERIFY(startWith(platform, faults));
    QNetworkAccessManager manager;
    const Answer answer = fetch(manager, platform.shortLink(platform.items().first()));
    QCOMPARE(answer.status, 200);
    QVERIFY(answer.body.contains(marker));
    QVERIFY(answer.body.endsWith("</html>\n"));
    QCOMPARE(!routerObject(answer.body).first.isEmpty(), routerData);
}

void TestSamplePlatform::itemEndpoint_data()
{
    QTest::addColumn<QString>("videoId");
    QTest::addColumn<bool>("requestSource");
    QTest::addColumn<SamplePlatform::ItemEndpointMode>("mode");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("details"); // -1: the body is not JSON
    QTest::addColumn<int>("images");

    using Mode = SamplePlatform::ItemEndpointMode;
    const QString video = u"7301234567890123456"_s;
    const QString gallery = u"7345678901234567890"_s;
    QTest::newRow("video") << video << false << Mode::Serving << 200 << 1 << 0;
    QTest::newRow("video, request_source=200") << video << true << Mode::Serving << 200 << 1 << 0;
    QTest::newRow("gallery: images withheld") << gallery << false << Mode::Serving << 200 << 1 << 0;
    QTest::newRow("gallery, request_source=200")
        << gallery << true << Mode::Serving << 200 << 1 << 3;
    QTest::newRow("item that is gone")
        << u"7378901234567890123"_s << true << Mode::Serving << 200 << 0 << 0;
    QTest::newRow("unknown ID") << u"123"_s << false << Mode::Serving << 200 << 0 << 0;
    QTest::newRow("empty mode") << video << true << Mode::Empty << 200 << -1 << 0;
    QTest::newRow("forbidden mode") << video << true << Mode::Forbidden << 403 << -1 << 0;
    QTest::newRow("security block") << video << true << Mode::SecurityBlock << 403 << -1 << 0;
    QTest::newRow("too many requests") << video << true << Mode::TooManyRequests << 429 << -1 << 0;
    QTest::newRow("script check") << video << true << Mode::ScriptCheck << 200 << -1 << 0;
    QTest::newRow("filtered") << video << true << Mode::Filtered << 200 << 0 << 0;
    QTest::newRow("filter detail") << video << true << Mode::FilterDetail << 200 << 0 << 0;
    QTest::newRow("status code") << video << true << Mode::StatusCode << 200 << 0 << 0;
    QTest::newRow("deleted: the item, with its status")
        << video << true << Mode::Deleted << 200 << 1 << 0;
}

void TestSamplePlatform::itemEndpoint()
{
    QFETCH(QString, videoId);
    QFETCH(bool, requestSource);
    QFETCH(SamplePlatform::ItemEndpointMode, mode);
    QFETCH(int, status);
    QFETCH(int, details);
    QFETCH(int, images);
    SamplePlatform::Faults faults;
    faults.itemEndpoint = mode;
    SamplePlatform platform;
    QVERIFY(startWith(platform, faults));
    QNetworkAccessManager manager;
    const Answer answer = fetch(manager, platform.itemEndpointUrl(videoId, requestSource));

    QCOMPARE(answer.status, status);
    QCOMPARE(answer.body.isEmpty(),
             mode == SamplePlatform::ItemEndpointMode::Empty
                 || mode == SamplePlatform::ItemEndpointMode::TooManyRequests);
    const QJsonDocument document = QJsonDocument::fromJson(answer.body);
    QCOMPARE(document.isObject() ? document[u"aweme_details"_s].toArray().size() : -1, details);
    if (details < 1)
        return;
    // The item as the share page's router data holds it, but for withheld images.
    const QJsonObject served = document[u"aweme_details"_s][0].toObject();
    QCOMPARE(served[u"aweme_id"_s].toString(), videoId);
    QCOMPARE(served[u"images"_s].toArray().size(), images);
    const QList<SamplePlatform::Item> items = platform.items();
    const SamplePlatform::Item item
        = *std::find_if(items.cbegin(), items.cend(), [&videoId](const SamplePlatform::Item &item) {
              return item.videoId == videoId;
          });
    QCOMPARE(served[u"author"_s][u"nickname"_s].toString(), item.nickname);
    QCOMPARE(served[u"video"_s][u"play_addr"_s][u"uri"_s].toString(),
             item.soundTrack.isEmpty() ? item.playUri : item.soundTrack);
    QCOMPARE(served[u"status"_s][u"is_delete"_s].toBool(),
             mode == SamplePlatform::ItemEndpointMode::Deleted);
}

void TestSamplePlatform::shortLinksEndAtEveryLongLinkForm_data()
{
    QTest::addColumn<SamplePlatform::LongLinkForm>("form");
    QTest::addColumn<QString>("expected"); // ORIGIN and ID stand for their values
    using Form = SamplePlatform::LongLinkForm;
    QTest::newRow("share note") << Form::ShareNote << u"SHARE/share/note/ID/"_s;
    QTest::newRow("share slides") << Form::ShareSlides << u"SHARE/share/slides/ID/"_s;
    QTest::newRow("mobile share video") << Form::MobileShareVideo << u"SHARE/share/video/ID"_s;
    QTest::newRow("web video") << Form::WebVideo << u"WEB/video/ID"_s;
    QTest::newRow("web note") << Form::WebNote << u"WEB/note/ID"_s;
    QTest::newRow("jingxuan") << Form::Jingxuan << u"WEB/jingxuan?modal_id=ID"_s;
    QTest::newRow("jingxuan mobile") << Form::JingxuanMobile << u"WEB/m/video/ID"_s;
    QTest::newRow("web slides") << Form::WebSlides << u"WEB/slides/ID"_s;
    QTest::newRow("profile") << Form::Profile << u"SHARE/share/user/MS4wLjABAAAA4CODE"_s;
}

// Where a short link ends, and that the platform answers there.
void TestSamplePlatform::shortLinksEndAtEveryLongLinkForm()
{
    QFETCH(SamplePlatform::LongLinkForm, form);
    QFETCH(QString, expected);
    SamplePlatform::Faults faults;
    faults.shortLinkTarget = form;
    SamplePlatform platform;
    QVERIFY(startWith(platform, faults));
    const SamplePlatform::Item item = platform.items().first();
    expected.replace(u"SHARE"_s, platform.endpoints().shareOrigin)
        .replace(u"WEB"_s, platform.endpoints().webOrigin)
        .replace(u"ID"_s, item.videoId)
        .replace(u"CODE"_s, item.shortCode);
    QCOMPARE(platform.longLink(item, form), expected);

    QNetworkAccessManager manager;
    const std::unique_ptr<QNetworkReply> reply = startGet(manager, platform.shortLink(item));
    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 302);
    QCOMPARE(reply->rawHeader("Location"), expected.toUtf8());
    const Answer answer = fetch(manager, expected);
    QCOMPARE(answer.status, 200);
    QCOMPARE(answer.body.contains(item.videoId.toUtf8()),
             expected.startsWith(platform.endpoints().shareOrigin)
                 && form != SamplePlatform::LongLinkForm::Profile);
}

void TestSamplePlatform::insecureRedirect()
{
    SamplePlatform::Faults faults;
    faults.insecureRedirect = true;
    SamplePlatform platform;
    QVERIFY(startWith(platform, faults));
    const SamplePlatform::Item item = platform.items().first();
    QNetworkAccessManager manager;
    const std::unique_ptr<QNetworkReply> reply = startGet(manager, platform.shortLink(item));
    const QString plain = platform.endpoints().webOrigin + u'/' + item.shortCode + u'/';
    QCOMPARE(reply->rawHeader("Location"), plain.toUtf8());
    // Over plain http the short link goes on to its share page.
    const std::unique_ptr<QNetworkReply> next = startGet(manager, plain);
    QVERIFY(next->rawHeader("Location").startsWith(platform.endpoints().shareOrigin.toUtf8()));
}

void TestSamplePlatform::unendingBodies_data()
{
    QTest::addColumn<SamplePlatform::BodyFault>("fault");
    QTest::addColumn<int>("step");
    using Fault = SamplePlatform::BodyFault;
    for (const auto &[fault, faultName] :
         { std::pair(Fault::Endless, "endless"), std::pair(Fault::Dripping, "dripping") }) {
        for (const auto &[step, stepName] :
             { std::pair(SamplePlatform::ShortLinkStep, "short link"),
               std::pair(SamplePlatform::SharePageStep, "share page"),
               std::pair(SamplePlatform::ItemEndpointStep, "item endpoint"),
               std::pair(SamplePlatform::MediaStep, "media") })
            QTest::addRow("%s %s", faultName, stepName) << fault << int(step);
    }
}

// Part of the body, then more for ever (endless: far past any real size; dripping: a byte at a
// time), with no length announced.
void TestSamplePlatform::unendingBodies()
{
    QFETCH(SamplePlatform::BodyFault, fault);
    QFETCH(int, step);
    SamplePlatform::Faults faults;
    faults.bodyFault = fault;
    faults.bodyFaultSteps = step;
    faults.dripIntervalMs = 20;
    SamplePlatform platform;
    QVERIFY(startWith(platform, faults));
    const SamplePlatform::Item item = platform.items().first();
    const QString address = stepAddress(platform, item, step);
    QNetworkAccessManager manager;
    const std::unique_ptr<QNetworkReply> reply = startGet(manager, address);
    QVERIFY(!reply->header(QNetworkRequest::ContentLengthHeader).isValid());
    QCOMPARE(reply->rawHeader("Transfer-Encoding"), QByteArray("chunked"));
    if (step == SamplePlatform::ShortLinkStep)
        QVERIFY(!reply->rawHeader("Location").isEmpty());

    qint64 received = 0;
    const auto read = [&] { received += reply->readAll().size(); };
    connect(reply.get(), &QNetworkReply::readyRead, this, read);
    // What came with the headers, before anyone listened.
    read();
    QTRY_VERIFY_WITH_TIMEOUT(received > 0, 20000);
    const qint64 seen = received;
    const qint64 beyond = fault == SamplePlatform::BodyFault::Endless ? 4 * 1024 * 1024 : 3;
    QTRY_VERIFY_WITH_TIMEOUT(received >= seen + beyond, 20000);
    QVERIFY(!reply->isFinished());
    reply->abort();
}

void TestSamplePlatform::brokenCompression()
{
    SamplePlatform::Faults faults;
    faults.brokenCompression = true;
    SamplePlatform platform;
    QVERIFY(startWith(platform, faults));
    QNetworkAccessManager manager;
    const SamplePlatform::Item item = platform.items().first();
    for (const QString &address :
         { platform.longLink(item, SamplePlatform::LongLinkForm::ShareVideo),
           platform.itemEndpointUrl(item.videoId) }) {
        const Answer answer = fetch(manager, address);
        QCOMPARE(answer.status, 200);
        QCOMPARE(answer.error, QNetworkReply::UnknownContentError);
        QVERIFY(answer.body.isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestSamplePlatform)
#include "tst_sampleplatform.moc"
