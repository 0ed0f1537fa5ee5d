#include "SamplePlatform.h"

#include "RecordingServer.h"
#include "ResponseBody.h"
#include "SharePage.h"
#include "StopSignal.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QTemporaryFile>

#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <zlib.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

Q_LOGGING_CATEGORY(lcSample, "kivora.sample", QtInfoMsg)

// Bigger than the 16 MiB cap a careful client puts on share pages.
constexpr qint64 hugePagePadding = 17 * 1024 * 1024;

const char htmlType[] = "text/html; charset=utf-8";
const char jsonType[] = "application/json; charset=utf-8";

struct ItemTemplate
{
    SamplePlatform::PageVariant variant;
    const char16_t *videoId;
    const char16_t *shortCode;
    const char16_t *nickname;
    const char16_t *description;
    const char16_t *playUri;
    int images;
};

using PageVariant = SamplePlatform::PageVariant;
using ItemEndpointMode = SamplePlatform::ItemEndpointMode;
using BodyFault = SamplePlatform::BodyFault;
using Step = SamplePlatform::Step;

// Real short codes are 8 to 11 characters of letters, digits, '_' and '-'.
const ItemTemplate itemTemplates[] = {
    { PageVariant::Real, u"7301234567890123456", u"iRNBho-Fk_w", u"小鹿乱撞🦌",
      u"春天的第一场雨 🌧️ #日常 #vlog", u"v0200fg10000cl7q3ijc77u1d2kg9b0g", 0 },
    { PageVariant::WithSemicolon, u"7312345678901234567", u"Ae_3kPq-Lw", u"阿飞的厨房🍜",
      u"三分钟学会番茄炒蛋 🍅🥚", u"v0300fg10000cm1a2b3c77u4e5f6g7h8", 0 },
    { PageVariant::WithoutWindowPrefix, u"7323456789012345678", u"kZt_Qm9xRyE", u"旅行的猫",
      u"大理洱海的日落 🌅", u"v0d00fg10000cn9z8y7x77u6w5v4u3t2", 0 },
    { PageVariant::BraceSemicolonInDesc, u"7334567890123456789", u"Pq-Xy_Zt12a", u"码农日记💻",
      u"写代码的日常：if (ok) { run(); }; 然后下班 🎉", u"v0200fg10000co5s4r3q77u2p1o0n9m8", 0 },
    { PageVariant::Gallery, u"7345678901234567890", u"Gm_Lr-Tb8Kc", u"摄影师小王📷",
      u"图集：城市夜景 🌃", u"", 3 },
    { PageVariant::MissingFields, u"7356789012345678901", u"Mf-Nq_Wd3Vp", u"", u"没有作者的作品",
      u"", 0 },
    { PageVariant::NoRouterData, u"7367890123456789012", u"Nr_Dx-Yu5Hs", u"", u"", u"", 0 },
    { PageVariant::EmptyItemList, u"7378901234567890123", u"El-Ts_Qa7Jo", u"", u"", u"", 0 },
    { PageVariant::HostilePlayId, u"7389012345678901234", u"Hp_Id-Qz9Xw", u"不速之客",
      u"播放标识里有 & # =", u"v0200&ratio=1080p#top=1 视频", 0 },
    { PageVariant::LivePhotos, u"7390123456789012345", u"Lp_Ht-Wq4Zc", u"会动的照片🎞️",
      u"实况图：海边 🌊", u"", 3 },
};

// What the platform lists beside the play address: renditions for the plain video, music for it
// and the galleries, clips for the live photos.
void addMedia(SamplePlatform::Item *item, const QString &media)
{
    using Codec = VideoGear::Codec;
    const QString video = media + u"sample.mp4?gear="_s;
    switch (item->variant) {
    case PageVariant::Real:
        item->gears = {
            { 720, Codec::Bytevc1, 1100000, 620000, { video + u"720-h265"_s } },
            { 1080, Codec::H264, 2100000, 1180000, { video + u"1080-a"_s, video + u"1080-b"_s } },
            { 540, Codec::H264, 800000, 450000, { video + u"540"_s } },
            { 1080, Codec::Bytevc2, 1500000, 840000, { video + u"1080-vc2"_s } }
        };
        item->music = ItemMusic { media + u"music-rain.mp3"_s, u"@小鹿乱撞创作的原声"_s, 16 };
        break;
    case PageVariant::Gallery:
        // The music's own address list is empty: the gallery's MP3 is its address.
        item->music = ItemMusic { QString(), u"城市之光"_s, 31 };
        item->soundTrack = media + u"music-city.mp3"_s;
        break;
    case PageVariant::LivePhotos:
        item->clipUrls
            = { media + u"sample.mp4?clip=1"_s, QString(), media + u"sample.mp4?clip=3"_s };
        item->music = ItemMusic { media + u"music-sea.mp3"_s, u"海浪"_s, 12.5 };
        item->soundTrack = media + u"ies-music/no_sound.mp3"_s;
        break;
    default:
        break;
    }
}

QByteArray dataFile(const QString &name)
{
    QFile file(u":/sample-platform/"_s + name);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcSample) << "cannot read" << file.fileName() << file.errorString();
        return {};
    }
    return file.readAll();
}

// Loads a PEM certificate and its private key from memory into a server's TLS context.
bool useCertificateAndKey(SSL_CTX *context, const QByteArray &certificatePem,
                          const QByteArray &keyPem)
{
    using Bio = std::unique_ptr<BIO, decltype(&BIO_free)>;
    const Bio certificateBio(
        BIO_new_mem_buf(certificatePem.constData(), int(certificatePem.size())), &BIO_free);
    const Bio keyBio(BIO_new_mem_buf(keyPem.constData(), int(keyPem.size())), &BIO_free);
    if (!certificateBio || !keyBio)
        return false;
    const std::unique_ptr<X509, decltype(&X509_free)> certificate(
        PEM_read_bio_X509(certificateBio.get(), nullptr, nullptr, nullptr), &X509_free);
    const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
        PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr), &EVP_PKEY_free);
    return certificate && key && SSL_CTX_use_certificate(context, certificate.get()) == 1
        && SSL_CTX_use_PrivateKey(context, key.get()) == 1;
}

// \a body gzip-encoded; with \a corrupt, bytes in the middle of the compressed stream are
// overwritten, so that decoding fails (at the latest on the trailer's checksum).
QByteArray gzipped(const ResponseBody &body, bool corrupt)
{
    z_stream stream {};
    constexpr int gzipWindowBits = 15 + 16;
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, gzipWindowBits, 8, Z_DEFAULT_STRATEGY)
        != Z_OK)
        return {};
    const QByteArray plain = body.bytes();
    QByteArray encoded(qsizetype(deflateBound(&stream, uLong(plain.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(plain.constData()));
    stream.avail_in = uInt(plain.size());
    stream.next_out = reinterpret_cast<Bytef *>(encoded.data());
    stream.avail_out = uInt(encoded.size());
    deflate(&stream, Z_FINISH);
    encoded.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    if (corrupt && encoded.size() > 40) {
        for (qsizetype i = encoded.size() / 2; i < encoded.size() / 2 + 16; ++i)
            encoded[i] = char(~encoded.at(i));
    }
    return encoded;
}

SamplePlatform::Request parseHead(const QByteArray &rawHead, bool https, int connection)
{
    SamplePlatform::Request request;
    request.https = https;
    request.connection = connection;
    const QList<QByteArray> lines = rawHead.split('\n');
    if (lines.isEmpty())
        return request;
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            request.headers.append({ line.left(colon).trimmed(), line.mid(colon + 1).trimmed() });
    }
    return request;
}

} // namespace

QByteArray SamplePlatform::Request::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

struct SamplePlatform::Private
{
    struct Listener
    {
        std::unique_ptr<RecordingServer> server;
        std::thread thread;
    };
    struct CustomMedia
    {
        std::shared_ptr<const ResponseBody> body;
        std::string contentType;
        std::string contentDisposition;
        std::vector<std::shared_ptr<const ResponseBody>> laterVersions; // served in turn, one an answer
    };
    using Handler
        = std::function<void(const httplib::Request &, httplib::Response &, const Faults &)>;

    SamplePlatform *q;
    StopSignal stop;
    SSL_CTX *tlsContext = nullptr;
    std::vector<Listener> listeners;
    quint16 httpPort = 0;
    quint16 httpsPort = 0;

    mutable std::mutex hostMutex;
    QString hostName = u"localhost"_s;

    mutable std::mutex mutex;
    Faults faults;
    QList<Request> requests;
    QList<int> closedConnections;
    std::map<QString, CustomMedia> customMedia;
    int customMediaCount = 0;
    int mediaAnswers = 0; // since the last setFaults()
    QList<Item> addedItems; // their cover and image addresses are filled in by items()

    explicit Private(SamplePlatform *platform) : q(platform) { }
    ~Private()
    {
        if (tlsContext)
            SSL_CTX_free(tlsContext);
    }

    bool createTlsContext();
    Faults mediaFaults(const Faults &faults);
    bool listenOnLoopback(SSL_CTX *context, quint16 requestedPort, quint16 &boundPort);
    std::unique_ptr<RecordingServer> newServer(SSL_CTX *context);
    void route(RecordingServer &server, const char *pattern, Handler handler);
    void addRoutes(RecordingServer &server);
    void record(const QByteArray &rawHead, bool https, int connection);
    Faults currentFaults() const;
    std::optional<Item> findItem(const QString &videoId) const;

    void serveShortLink(const httplib::Request &request, httplib::Response &response,
                        const Faults &faults);
    void serveSharePage(const QString &videoId, const httplib::Request &request,
                        httplib::Response &response, const Faults &faults);
    void serveItemEndpoint(const httplib::Request &request, httplib::Response &response,
                           const Faults &faults);
    static QJsonObject withStatus(QJsonObject item, ItemEndpointMode mode);
    static QJsonObject withheldAnswer(const QJsonArray &details, const QString &videoId,
                                      const Faults &faults);
    void serveAnswer(const QJsonObject &answer, const httplib::Request &request,
                     httplib::Response &response, const Faults &faults);
    void serveWebPage(httplib::Response &response);
    void servePlay(const httplib::Request &request, httplib::Response &response);
    void serveMedia(const httplib::Request &request, httplib::Response &response,
                    const Faults &faults);
    void serveBody(std::shared_ptr<const ResponseBody> body, const httplib::Request &request,
                   httplib::Response &response, const std::string &contentType,
                   const Faults &faults, Step step,
                   ResponseBody::Framing framing = ResponseBody::Framing::Length);
    void serveBrokenCompression(const httplib::Request &request, httplib::Response &response,
                                const std::string &contentType);
    static void serveRange(std::shared_ptr<const ResponseBody> body,
                           const httplib::Request &request, httplib::Response &response,
                           const std::string &contentType, const Faults &faults,
                           const std::function<void(const httplib::Request &)> &serve);
    void serveNotFound(httplib::Response &response);
    void redirect(const httplib::Request &request, httplib::Response &response,
                  const QString &location, const Faults &faults);
};

bool SamplePlatform::Private::createTlsContext()
{
    if (tlsContext)
        return true;
    tlsContext = SSL_CTX_new(TLS_server_method());
    if (!tlsContext || SSL_CTX_set_min_proto_version(tlsContext, TLS1_2_VERSION) != 1
        || !useCertificateAndKey(tlsContext, caCertificates(), dataFile(u"key.pem"_s))) {
        qCWarning(lcSample) << "cannot load the TLS certificate or its key";
        return false;
    }
    return true;
}

std::unique_ptr<RecordingServer> SamplePlatform::Private::newServer(SSL_CTX *context)
{
    auto server = std::make_unique<RecordingServer>(
        context, stop,
        [this](const QByteArray &rawHead, bool https, int connection) {
            record(rawHead, https, connection);
        },
        [this](int connection) {
            std::lock_guard<std::mutex> lock(mutex);
            closedConnections.append(connection);
        });
    addRoutes(*server);
    return server;
}

bool SamplePlatform::Private::listenOnLoopback(SSL_CTX *context, quint16 requestedPort,
                                               quint16 &boundPort)
{
    // Clients resolve "localhost" to ::1 or 127.0.0.1 in either order: serve both on one port.
    // The IPv6 side takes a free port first; the IPv4 side then takes the same one, which may be
    // in use there, so that pairing is retried a few times.
    constexpr int attempts = 20;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        auto v6 = newServer(context);
        const int port = requestedPort
            ? (v6->bind_to_port("::1", requestedPort) ? requestedPort : -1)
            : v6->bind_to_any_port("::1");
        auto v4 = newServer(context);
        if (port <= 0) {
            // No IPv6 loopback here (or the requested port is taken on it): IPv4 alone.
            const int v4Port = requestedPort
                ? (v4->bind_to_port("127.0.0.1", requestedPort) ? requestedPort : -1)
                : v4->bind_to_any_port("127.0.0.1");
            if (v4Port <= 0)
                return false;
            qCWarning(lcSample) << "listening on 127.0.0.1 only, port" << v4Port;
            listeners.push_back({ std::move(v4), {} });
            boundPort = quint16(v4Port);
            return true;
        }
        if (v4->bind_to_port("127.0.0.1", port)) {
            listeners.push_back({ std::move(v6), {} });
            listeners.push_back({ std::move(v4), {} });
            boundPort = quint16(port);
            return true;
        }
        v6->closeUnusedSocket();
        if (requestedPort)
            return false;
    }
    return false;
}

void SamplePlatform::Private::route(RecordingServer &server, const char *pattern, Handler handler)
{
    server.Get(pattern,
               [this, handler = std::move(handler)](const httplib::Request &request,
                                                    httplib::Response &response) {
                   const Faults faults = currentFaults();
                   if (faults.latencyMs > 0
                       && !stop.waitFor(std::chrono::milliseconds(faults.latencyMs)))
                       return;
                   handler(request, response, faults);
               });
}

void SamplePlatform::Private::addRoutes(RecordingServer &server)
{
    using namespace std::placeholders;
    route(server, R"(/([A-Za-z0-9_-]+)(?:\.([0-9]+))?/)",
          std::bind(&Private::serveShortLink, this, _1, _2, _3));
    route(
        server, "/share/(?:video|note|slides)/([^/]*)/?",
        [this](const httplib::Request &request, httplib::Response &response, const Faults &faults) {
            serveSharePage(QString::fromStdString(request.matches[1]), request, response, faults);
        });
    route(server, "/web/api/v2/aweme/slidesinfo/",
          std::bind(&Private::serveItemEndpoint, this, _1, _2, _3));
    route(server,
          "/(?:(?:video|note|slides|m/video)/[0-9]+/?|(?:share/)?user/[A-Za-z0-9_-]+"
          "|jingxuan|discover)",
          std::bind(&Private::serveWebPage, this, _2));
    route(server, "/aweme/v1/play/", std::bind(&Private::servePlay, this, _1, _2));
    route(server, "/media/([A-Za-z0-9_.-]+)", std::bind(&Private::serveMedia, this, _1, _2, _3));
    route(server, ".*", std::bind(&Private::serveNotFound, this, _2));
}

void SamplePlatform::Private::record(const QByteArray &rawHead, bool https, int connection)
{
    Request request = parseHead(rawHead, https, connection);
    qCDebug(lcSample).nospace() << request.method.constData() << ' ' << request.target.constData()
                                << " (connection " << connection << ')';
    std::lock_guard<std::mutex> lock(mutex);
    requests.append(std::move(request));
}

SamplePlatform::Faults SamplePlatform::Private::currentFaults() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return faults;
}

std::optional<SamplePlatform::Item> SamplePlatform::Private::findItem(const QString &videoId) const
{
    const QList<Item> all = q->items();
    const auto item = std::find_if(
        all.cbegin(), all.cend(), [&videoId](const Item &item) { return item.videoId == videoId; });
    if (item == all.cend())
        return std::nullopt;
    return *item;
}

void SamplePlatform::Private::serveShortLink(const httplib::Request &request,
                                             httplib::Response &response, const Faults &faults)
{
    const httplib::Match &match = request.matches;
    const QString code = QString::fromStdString(match[1]);
    const QList<Item> all = q->items();
    const auto item = std::find_if(all.cbegin(), all.cend(),
                                   [&code](const Item &item) { return item.shortCode == code; });
    if (item == all.cend())
        return serveNotFound(response);
    if (faults.redirectLoop)
        return redirect(request, response,
                        u"https://"_s + q->endpoints().shortLinkHost + u'/'
                            + QString::fromStdString(match[0]).mid(1),
                        faults);
    const bool overHttps = QString::fromStdString(request.get_header_value("Host"))
                               .endsWith(u':' + QString::number(httpsPort));
    if (faults.insecureRedirect && overHttps) {
        return redirect(request, response,
                        q->endpoints().webOrigin + u'/' + QString::fromStdString(match[0]).mid(1),
                        faults);
    }
    // The short link is hop 1; intermediate links "/<code>.<n>/" are hops 2, 3, …
    bool numeric = true;
    const int hop = match[2].matched ? QString::fromStdString(match[2]).toInt(&numeric) : 1;
    if (!numeric)
        return serveNotFound(response);
    if (hop < faults.redirectHops) {
        return redirect(request, response,
                        u"https://"_s + q->endpoints().shortLinkHost + u'/' + code + u'.'
                            + QString::number(hop + 1) + u'/',
                        faults);
    }
    if (faults.redirectHops <= 0)
        return serveSharePage(item->videoId, request, response, faults);
    redirect(request, response, q->longLink(*item, faults.shortLinkTarget), faults);
}

void SamplePlatform::Private::serveSharePage(const QString &videoId,
                                             const httplib::Request &request,
                                             httplib::Response &response, const Faults &faults)
{
    const std::optional<Item> item = findItem(videoId);
    if (!item)
        return serveNotFound(response);
    if (faults.brokenCompression)
        return serveBrokenCompression(request, response, htmlType);
    if (faults.pageShape == SamplePlatform::PageShape::ScriptCheck)
        return response.set_content(SharePage::scriptCheckPage().toStdString(), htmlType);
    const SharePage page(*item, q->endpoints(), faults.pageShape);
    QByteArray first = page.firstHalf();
    if (faults.invalidUtf8)
        first += SharePage::invalidUtf8Bytes();
    if (faults.errorStatus > 0)
        response.status = faults.errorStatus;
    serveBody(std::make_shared<ResponseBody>(
                  first, faults.hugePage ? hugePagePadding : faults.pagePadding, page.secondHalf()),
              request, response, htmlType, faults, SharePageStep);
}

void SamplePlatform::Private::serveItemEndpoint(const httplib::Request &request,
                                                httplib::Response &response, const Faults &faults)
{
    switch (faults.itemEndpoint) {
    case ItemEndpointMode::Forbidden:
        response.status = 403;
        return response.set_content("<html><body><h1>403 Forbidden</h1></body></html>\n", htmlType);
    case ItemEndpointMode::SecurityBlock:
        response.status = 403;
        return response.set_content("Blocked by ArgusSecurityPlugin: request id 2026120910",
                                    "text/plain");
    case ItemEndpointMode::TooManyRequests:
        response.status = 429;
        return response.set_content(std::string(), jsonType);
    case ItemEndpointMode::ScriptCheck:
        return response.set_content(SharePage::scriptCheckPage().toStdString(), htmlType);
    case ItemEndpointMode::Empty:
        return response.set_content(std::string(), jsonType);
    default:
        break;
    }
    if (faults.brokenCompression)
        return serveBrokenCompression(request, response, jsonType);
    // "aweme_ids=[<id>,…]": the first ID is answered.
    const QString ids = QString::fromStdString(request.get_param_value("aweme_ids"));
    const QString videoId = ids.startsWith(u'[') && ids.endsWith(u']')
        ? ids.mid(1, ids.size() - 2).section(u',', 0, 0).trimmed()
        : QString();
    const std::optional<Item> item = findItem(videoId);
    const bool exists = item && item->variant != PageVariant::NoRouterData
        && item->variant != PageVariant::EmptyItemList;
    QJsonArray details;
    if (exists) {
        QJsonObject served = SharePage(*item, q->endpoints()).item();
        // The platform withholds a gallery's images unless the request asks as its image page
        // does.
        if (!item->imageUrls.isEmpty() && request.get_param_value("request_source") != "200")
            served.insert(u"images"_s, QJsonValue(QJsonValue::Null));
        details.append(withStatus(served, faults.itemEndpoint));
    }
    serveAnswer(withheldAnswer(details, videoId, faults), request, response, faults);
}

// The item with the status the mode gives it.
QJsonObject SamplePlatform::Private::withStatus(QJsonObject item, ItemEndpointMode mode)
{
    QJsonObject status { { u"is_delete"_s, mode == ItemEndpointMode::Deleted },
                         { u"allow_share"_s, true },
                         { u"private_status"_s,
                           mode == ItemEndpointMode::OnlyMe            ? 1
                               : mode == ItemEndpointMode::FriendsOnly ? 2
                                                                       : 0 } };
    item.insert(u"status"_s, status);
    return item;
}

// The answer holding \a details, or in their place what the mode withholds them with.
QJsonObject SamplePlatform::Private::withheldAnswer(const QJsonArray &details,
                                                    const QString &videoId, const Faults &faults)
{
    const QJsonObject filter { { u"aweme_id"_s, videoId },
                               { u"filter_reason"_s, faults.filterReason },
                               { u"detail_msg"_s, u"作品不可见"_s } };
    switch (faults.itemEndpoint) {
    case ItemEndpointMode::Filtered:
        return { { u"status_code"_s, 0 },
                 { u"aweme_details"_s, QJsonValue(QJsonValue::Null) },
                 { u"filter_list"_s, QJsonArray { filter } } };
    case ItemEndpointMode::FilterDetail:
        return { { u"status_code"_s, 0 },
                 { u"aweme_details"_s, QJsonArray() },
                 { u"filter_detail"_s, filter } };
    case ItemEndpointMode::StatusCode:
        return { { u"status_code"_s, faults.statusCode },
                 { u"status_msg"_s, u"请稍后再试"_s },
                 { u"aweme_details"_s, QJsonValue(QJsonValue::Null) } };
    default:
        return { { u"status_code"_s, 0 },
                 { u"aweme_details"_s, details },
                 { u"filter_detail"_s, QJsonArray() } };
    }
}

void SamplePlatform::Private::serveAnswer(const QJsonObject &answer,
                                          const httplib::Request &request,
                                          httplib::Response &response, const Faults &faults)
{
    serveBody(std::make_shared<ResponseBody>(QJsonDocument(answer).toJson(QJsonDocument::Compact)),
              request, response, jsonType, faults, ItemEndpointStep);
}

void SamplePlatform::Private::serveWebPage(httplib::Response &response)
{
    // The web site renders in the browser: its long links answer with a shell.
    response.set_content("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>抖音</title>"
                         "<script src=\"/static/web.js\" defer></script></head><body>"
                         "<div id=\"root\"></div></body></html>\n",
                         htmlType);
}

void SamplePlatform::Private::servePlay(const httplib::Request &request,
                                        httplib::Response &response)
{
    const QString uri = QString::fromStdString(request.get_param_value("video_id"));
    const QList<Item> all = q->items();
    const bool known = !uri.isEmpty()
        && std::any_of(all.cbegin(), all.cend(),
                       [&uri](const Item &item) { return item.playUri == uri; });
    if (!known)
        return serveNotFound(response);
    // Qt 6.4 now and then sends a request that was answered with a redirect it follows itself a
    // second time on the same kept-alive connection, and merges both answers' headers into the
    // final reply. The downloaders follow this redirect with Qt: closing the connection after it
    // avoids the merge and makes the repeat rare.
    RecordingServer::closeCurrentConnection();
    response.set_header("Connection", "close");
    response.status = 302;
    response.set_header("Location", q->mediaUrl().toStdString());
}

// \a faults as they apply to the media answer being served now.
SamplePlatform::Faults SamplePlatform::Private::mediaFaults(const Faults &faults)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (faults.faultyMediaAnswers <= 0 || ++mediaAnswers <= faults.faultyMediaAnswers)
        return faults;
    Faults healed = faults;
    healed.errorStatus = 0;
    healed.stall = healed.resetMidBody = healed.closeMidBody = false;
    return healed;
}

void SamplePlatform::Private::serveMedia(const httplib::Request &request,
                                         httplib::Response &response, const Faults &allFaults)
{
    const Faults faults = mediaFaults(allFaults);
    const QString name = QString::fromStdString(request.matches[1]);
    std::shared_ptr<const ResponseBody> body;
    std::string contentType;
    {
        std::lock_guard<std::mutex> lock(mutex);
        const auto custom = customMedia.find(name);
        if (custom != customMedia.end()) {
            body = custom->second.body;
            auto &later = custom->second.laterVersions;
            if (!later.empty()) {
                custom->second.body = later.front();
                later.erase(later.begin());
            }
            contentType = custom->second.contentType;
            if (!custom->second.contentDisposition.empty())
                response.set_header("Content-Disposition", custom->second.contentDisposition);
        }
    }
    if (name == u"sample.mp4"_s) {
        body = std::make_shared<ResponseBody>(sampleVideo());
        contentType = "video/mp4";
    } else if (name == u"cover.jpg"_s || name == u"image-1.jpg"_s || name == u"image-2.jpg"_s
               || name == u"image-3.jpg"_s) {
        static const QByteArray cover = dataFile(u"cover.jpg"_s);
        static const QByteArray images[] = { dataFile(u"image-1.jpg"_s), dataFile(u"image-2.jpg"_s),
                                             dataFile(u"image-3.jpg"_s) };
        body = std::make_shared<ResponseBody>(
            name == u"cover.jpg"_s ? cover : images[name.at(6).digitValue() - 1]);
        contentType = "image/jpeg";
    }
    if (!body)
        return serveNotFound(response);

    response.set_header("Accept-Ranges", "bytes");
    if (faults.errorStatus > 0) {
        response.status = faults.errorStatus;
        body = std::make_shared<ResponseBody>(
            "<html><head><title>" + QByteArray::number(faults.errorStatus)
            + "</title></head><body><h1>" + QByteArray::number(faults.errorStatus)
            + " Error</h1><p>The media cannot be served.</p></body></html>\n");
        contentType = htmlType;
    } else if (faults.emptyMedia) {
        body = std::make_shared<ResponseBody>(QByteArray());
    } else if (faults.nonVideoMedia) {
        body = std::make_shared<ResponseBody>(QByteArrayLiteral(
            "This is not a video. The address answered with plain text instead of media.\n"));
        contentType = "text/plain; charset=utf-8";
    }
    if (faults.gzipMedia) {
        body = std::make_shared<ResponseBody>(gzipped(*body, faults.corruptGzip));
        response.set_header("Content-Encoding", "gzip");
    }
    const auto framing = faults.chunked ? ResponseBody::Framing::Chunked
        : faults.noContentLength        ? ResponseBody::Framing::UntilClose
                                        : ResponseBody::Framing::Length;
    serveRange(body, request, response, contentType, faults, [&](const httplib::Request &asServed) {
        serveBody(body, asServed, response, contentType, faults, MediaStep, framing);
    });
}

// Names the body's version and decides what a Range request gets: its range, the whole body
// (a server that ignores ranges, or an If-Range naming another version), or 416.
void SamplePlatform::Private::serveRange(std::shared_ptr<const ResponseBody> body,
                                         const httplib::Request &request,
                                         httplib::Response &response,
                                         const std::string &contentType, const Faults &faults,
                                         const std::function<void(const httplib::Request &)> &serve)
{
    if (!faults.noValidators && response.status == -1) {
        response.set_header("ETag", body->etag());
        response.set_header("Last-Modified", body->lastModified());
    }
    const bool ranged = request.has_header("Range") && response.status == -1;
    if (ranged && faults.unsatisfiableRange) {
        response.status = 416;
        response.set_header("Content-Range", "bytes */" + std::to_string(body->size()));
        response.set_content(std::string(), contentType);
        return;
    }
    const std::string ifRange = request.get_header_value("If-Range");
    const bool sameVersion
        = !faults.noValidators && (ifRange == body->etag() || ifRange == body->lastModified());
    const bool otherVersion
        = request.has_header("If-Range") && !sameVersion && !faults.ignoreIfRange;
    if (!ranged || (!faults.ignoreRange && !otherVersion))
        return serve(request);
    httplib::Request whole = request;
    whole.headers.erase("Range");
    serve(whole);
}

void SamplePlatform::Private::serveBody(std::shared_ptr<const ResponseBody> body,
                                        const httplib::Request &request,
                                        httplib::Response &response, const std::string &contentType,
                                        const Faults &faults, Step step,
                                        ResponseBody::Framing framing)
{
    using Ending = ResponseBody::Ending;
    Ending ending = Ending::Complete;
    if (faults.bodyFault != BodyFault::None && (faults.bodyFaultSteps & step) != 0) {
        ending = faults.bodyFault == BodyFault::Endless ? Ending::Endless : Ending::Dripping;
    } else if (step == SharePageStep || step == MediaStep) {
        ending = faults.stall     ? Ending::Stall
            : faults.resetMidBody ? Ending::Reset
            : faults.closeMidBody ? Ending::Close
                                  : Ending::Complete;
    }
    ResponseBody::attach(body, request, response, contentType, ending, stop, framing,
                         std::chrono::milliseconds(faults.dripIntervalMs));
}

void SamplePlatform::Private::serveBrokenCompression(const httplib::Request &request,
                                                     httplib::Response &response,
                                                     const std::string &contentType)
{
    // A gzip header, then bytes that are no deflate stream.
    static const char broken[] = "\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03"
                                 "this is not deflate data, whatever the header says";
    response.set_header("Content-Encoding", "gzip");
    // Streamed, so that the server does not compress it once more.
    ResponseBody::attach(std::make_shared<ResponseBody>(QByteArray(broken, sizeof broken - 1)),
                         request, response, contentType, ResponseBody::Ending::Complete, stop);
}

void SamplePlatform::Private::serveNotFound(httplib::Response &response)
{
    response.status = 404;
    response.set_content("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>404</title>"
                         "</head><body><p>页面不存在 (404 Not Found)</p></body></html>\n",
                         htmlType);
}

void SamplePlatform::Private::redirect(const httplib::Request &request, httplib::Response &response,
                                       const QString &location, const Faults &faults)
{
    const QByteArray target = location.toUtf8();
    response.status = 302;
    response.set_header("Location", target.toStdString());
    serveBody(std::make_shared<ResponseBody>("<a href=\"" + target + "\">Found</a>.\n"), request,
              response, htmlType, faults, ShortLinkStep);
}

SamplePlatform::SamplePlatform() : d(std::make_unique<Private>(this)) { }

SamplePlatform::~SamplePlatform()
{
    stop();
}

bool SamplePlatform::start()
{
    return start(0, 0);
}

bool SamplePlatform::start(quint16 httpPort, quint16 httpsPort)
{
    if (!d->listeners.empty())
        return true;
    d->stop.lower();
    if (!d->createTlsContext() || !d->listenOnLoopback(nullptr, httpPort, d->httpPort)
        || !d->listenOnLoopback(d->tlsContext, httpsPort, d->httpsPort)) {
        qCWarning(lcSample) << "cannot listen on the loopback ports" << httpPort << httpsPort;
        d->listeners.clear();
        d->httpPort = d->httpsPort = 0;
        return false;
    }
    for (auto &listener : d->listeners)
        listener.thread
            = std::thread([server = listener.server.get()] { server->listen_after_bind(); });
    // stop() only interrupts a server whose accept loop has begun.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    for (const auto &listener : d->listeners) {
        while (!listener.server->is_running()) {
            if (std::chrono::steady_clock::now() > deadline) {
                qCWarning(lcSample) << "a listener did not start";
                stop();
                return false;
            }
            std::this_thread::sleep_for(1ms);
        }
    }
    return true;
}

void SamplePlatform::stop()
{
    d->stop.raise();
    for (auto &listener : d->listeners)
        listener.server->stop();
    for (auto &listener : d->listeners) {
        if (listener.thread.joinable())
            listener.thread.join();
    }
    d->listeners.clear();
    d->httpPort = d->httpsPort = 0;
}

quint16 SamplePlatform::httpPort() const
{
    return d->httpPort;
}

quint16 SamplePlatform::httpsPort() const
{
    return d->httpsPort;
}

QString SamplePlatform::hostName() const
{
    std::lock_guard<std::mutex> lock(d->hostMutex);
    return d->hostName;
}

void SamplePlatform::setHostName(const QString &hostName)
{
    std::lock_guard<std::mutex> lock(d->hostMutex);
    d->hostName = hostName;
}

Endpoints SamplePlatform::endpoints() const
{
    const QString host = hostName();
    Endpoints endpoints;
    const QString httpsAuthority = host + u':' + QString::number(d->httpsPort);
    endpoints.shortLinkHost = httpsAuthority;
    endpoints.shareOrigin = u"https://"_s + httpsAuthority;
    endpoints.webOrigin = u"http://"_s + host + u':' + QString::number(d->httpPort);
    return endpoints;
}

QByteArray SamplePlatform::caCertificates()
{
    static const QByteArray pem = dataFile(u"cert.pem"_s);
    return pem;
}

QString SamplePlatform::caCertificatesPath()
{
    // Written once per process for the programs and options that take a file; removed at exit.
    static QTemporaryFile file(QDir::temp().filePath(u"kivora-sample-ca-XXXXXX.pem"_s));
    static const bool written
        = file.open() && file.write(caCertificates()) == caCertificates().size() && file.flush();
    if (!written)
        qCWarning(lcSample) << "cannot write the certificate to" << file.fileName();
    return file.fileName();
}

QList<SamplePlatform::Item> SamplePlatform::items() const
{
    const QString media = endpoints().webOrigin + u"/media/"_s;
    QList<Item> items;
    for (const ItemTemplate &t : itemTemplates) {
        Item item;
        item.variant = t.variant;
        item.videoId = QString::fromUtf16(t.videoId);
        item.shortCode = QString::fromUtf16(t.shortCode);
        item.nickname = QString::fromUtf16(t.nickname);
        item.description = QString::fromUtf16(t.description);
        item.playUri = QString::fromUtf16(t.playUri);
        const bool hasItem = t.variant != PageVariant::MissingFields
            && t.variant != PageVariant::NoRouterData && t.variant != PageVariant::EmptyItemList;
        if (hasItem)
            item.coverUrl = media + u"cover.jpg"_s;
        for (int i = 1; i <= t.images; ++i)
            item.imageUrls.append(media + u"image-"_s + QString::number(i) + u".jpg"_s);
        addMedia(&item, media);
        items.append(item);
    }
    std::lock_guard<std::mutex> lock(d->mutex);
    // An added item's media are this platform's, unless given as addresses (of another server).
    const auto absolute = [](const QString &url) { return url.startsWith(u"http"); };
    for (Item item : d->addedItems) {
        if (!absolute(item.coverUrl))
            item.coverUrl = media + u"cover.jpg"_s;
        for (QString &image : item.imageUrls) {
            if (!absolute(image))
                image = media + image;
        }
        items.append(item);
    }
    return items;
}

SamplePlatform::Item SamplePlatform::addItem(Item item)
{
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->addedItems.append(item);
    }
    return items().constLast();
}

SamplePlatform::Item SamplePlatform::item(PageVariant variant) const
{
    const QList<Item> all = items();
    const auto found = std::find_if(
        all.cbegin(), all.cend(), [variant](const Item &item) { return item.variant == variant; });
    return found == all.cend() ? Item() : *found;
}

QString SamplePlatform::shareText(const Item &item) const
{
    const QString title = item.nickname.isEmpty()
        ? item.description
        : u"【"_s + item.nickname + u"的作品】"_s + item.description;
    return u"7.43 复制打开抖音，看看"_s + title + u" "_s + shortLink(item)
        + u" 12/05 xSd:/ a@G.Vs "_s;
}

QString SamplePlatform::shortLink(const Item &item) const
{
    return u"https://"_s + endpoints().shortLinkHost + u'/' + item.shortCode + u'/';
}

QString SamplePlatform::longLink(const Item &item, LongLinkForm form) const
{
    const Endpoints endpoints = this->endpoints();
    const QString id = item.videoId;
    switch (form) {
    case LongLinkForm::ShareVideo:
        return endpoints.shareOrigin + u"/share/video/"_s + id + u"/?region=CN&mid="_s + id.right(8)
            + u"42&u_code=0k4f2hg1m&did=MS4wLjABAAAAk3pQ"_s
            + u"&iid=MS4wLjABAAAA2xRz&with_sec_did=1&titleType=title&share_sign="_s
            + u"bV3tQm.xYwZ-abc_def&share_version=280700&ts=1700000000&from_aid=6383"_s
            + u"&from_ssr=1"_s;
    case LongLinkForm::ShareNote:
        return endpoints.shareOrigin + u"/share/note/"_s + id + u'/';
    case LongLinkForm::ShareSlides:
        return endpoints.shareOrigin + u"/share/slides/"_s + id + u'/';
    case LongLinkForm::MobileShareVideo:
        return endpoints.shareOrigin + u"/share/video/"_s + id;
    case LongLinkForm::WebVideo:
        return endpoints.webOrigin + u"/video/"_s + id;
    case LongLinkForm::WebNote:
        return endpoints.webOrigin + u"/note/"_s + id;
    case LongLinkForm::Jingxuan:
        return endpoints.webOrigin + u"/jingxuan?modal_id="_s + id;
    case LongLinkForm::JingxuanMobile:
        return endpoints.webOrigin + u"/m/video/"_s + id;
    case LongLinkForm::WebSlides:
        return endpoints.webOrigin + u"/slides/"_s + id;
    case LongLinkForm::Profile:
        // Profile addresses hold digits ("MS4w…") that are no video ID.
        return endpoints.shareOrigin + u"/share/user/MS4wLjABAAAA4"_s + item.shortCode;
    case LongLinkForm::OtherSite: {
        const QString other = hostName() == u"localhost"_s ? u"127.0.0.1"_s : u"localhost"_s;
        return u"https://"_s + other + u':' + QString::number(httpsPort()) + u"/video/"_s + id;
    }
    }
    return QString();
}

QStringList SamplePlatform::pictureAddresses(const QString &jpeg)
{
    const QString stem = jpeg.chopped(jpeg.size() - jpeg.lastIndexOf(u'.'));
    return { stem + u".webp"_s, stem + u"~tplv-dy-aweme-images:q75.webp"_s, jpeg };
}

QString SamplePlatform::itemEndpointUrl(const QString &videoId, bool withRequestSource) const
{
    return endpoints().shareOrigin + u"/web/api/v2/aweme/slidesinfo/?aweme_ids=["_s + videoId + u']'
        + (withRequestSource ? u"&request_source=200"_s : QString());
}

QByteArray SamplePlatform::sampleVideo()
{
    static const QByteArray video = dataFile(u"sample.mp4"_s);
    return video;
}

QString SamplePlatform::mediaUrl() const
{
    return endpoints().webOrigin + u"/media/sample.mp4"_s;
}

QString SamplePlatform::customMediaUrl(const QByteArray &body, const QByteArray &contentType,
                                       const QByteArray &contentDisposition)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    const QString name = u"custom-"_s + QString::number(++d->customMediaCount);
    d->customMedia[name] = { std::make_shared<ResponseBody>(body),
                             contentType.toStdString(),
                             contentDisposition.toStdString(),
                             {} };
    return endpoints().webOrigin + u"/media/"_s + name;
}

QString SamplePlatform::versionedMediaUrl(const QList<QByteArray> &versions,
                                          const QByteArray &contentType)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    const QString name = u"versioned-"_s + QString::number(++d->customMediaCount);
    Private::CustomMedia media { std::make_shared<ResponseBody>(versions.value(0)),
                                 contentType.toStdString(),
                                 std::string(),
                                 {} };
    for (qsizetype i = 1; i < versions.size(); ++i)
        media.laterVersions.push_back(std::make_shared<ResponseBody>(versions.at(i)));
    d->customMedia[name] = std::move(media);
    return endpoints().webOrigin + u"/media/"_s + name;
}

QString SamplePlatform::paddedMediaUrl(qint64 size)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    const QString name = u"padded-"_s + QString::number(++d->customMediaCount) + u".mp4"_s;
    const qint64 padding = std::max<qint64>(0, size - sampleVideo().size());
    d->customMedia[name] = {
        std::make_shared<ResponseBody>(sampleVideo(), padding), "video/mp4", std::string(), {}
    };
    return endpoints().webOrigin + u"/media/"_s + name;
}

SamplePlatform::Faults SamplePlatform::faults() const
{
    return d->currentFaults();
}

void SamplePlatform::setFaults(const Faults &faults)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->faults = faults;
    d->mediaAnswers = 0;
}

QList<SamplePlatform::Request> SamplePlatform::requests() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->requests;
}

void SamplePlatform::clearRequests()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->requests.clear();
}

QList<int> SamplePlatform::closedConnections() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->closedConnections;
}

int SamplePlatform::connectionOf(const QByteArray &targetPrefix) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    for (const Request &request : std::as_const(d->requests)) {
        if (request.target.startsWith(targetPrefix))
            return request.connection;
    }
    return 0;
}
