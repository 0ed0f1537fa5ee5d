// kivora-sample-platform: runs the sample platform until interrupted, printing its endpoints and
// the share texts of its items.
#include "SamplePlatform.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

struct Options
{
    quint16 httpPort = 0;
    quint16 httpsPort = 0;
    QString hostName = u"localhost"_s;
    SamplePlatform::Faults faults;
};

using PageShape = SamplePlatform::PageShape;
using ItemEndpointMode = SamplePlatform::ItemEndpointMode;
using LongLinkForm = SamplePlatform::LongLinkForm;
using BodyFault = SamplePlatform::BodyFault;

// The value of \a option named in \a names, or \a fallback when the option is not set; \a ok
// turns false for a name not in the list.
template<typename Value>
Value choice(const QCommandLineParser &parser, const QCommandLineOption &option,
             const QList<QPair<QString, Value>> &names, Value fallback, bool &ok)
{
    if (!parser.isSet(option))
        return fallback;
    for (const auto &[name, value] : names) {
        if (name == parser.value(option))
            return value;
    }
    ok = false;
    return fallback;
}

const QList<QPair<QString, PageShape>> pageShapes {
    { u"full"_s, PageShape::Full },
    { u"no-router-data"_s, PageShape::NoRouterData },
    { u"empty-item-list"_s, PageShape::EmptyItemList },
    { u"shell"_s, PageShape::Shell },
    { u"error"_s, PageShape::ErrorPage },
    { u"watch-in-app"_s, PageShape::WatchInApp },
    { u"script-check"_s, PageShape::ScriptCheck },
};
const QList<QPair<QString, ItemEndpointMode>> itemEndpointModes {
    { u"serving"_s, ItemEndpointMode::Serving },
    { u"empty"_s, ItemEndpointMode::Empty },
    { u"forbidden"_s, ItemEndpointMode::Forbidden },
    { u"filtered"_s, ItemEndpointMode::Filtered },
    { u"filter-detail"_s, ItemEndpointMode::FilterDetail },
    { u"deleted"_s, ItemEndpointMode::Deleted },
    { u"only-me"_s, ItemEndpointMode::OnlyMe },
    { u"friends-only"_s, ItemEndpointMode::FriendsOnly },
    { u"status-code"_s, ItemEndpointMode::StatusCode },
    { u"too-many-requests"_s, ItemEndpointMode::TooManyRequests },
    { u"security-block"_s, ItemEndpointMode::SecurityBlock },
    { u"script-check"_s, ItemEndpointMode::ScriptCheck },
};
const QList<QPair<QString, LongLinkForm>> longLinkForms {
    { u"share-video"_s, LongLinkForm::ShareVideo },
    { u"share-note"_s, LongLinkForm::ShareNote },
    { u"share-slides"_s, LongLinkForm::ShareSlides },
    { u"mobile-share-video"_s, LongLinkForm::MobileShareVideo },
    { u"web-video"_s, LongLinkForm::WebVideo },
    { u"web-note"_s, LongLinkForm::WebNote },
    { u"jingxuan"_s, LongLinkForm::Jingxuan },
    { u"jingxuan-mobile"_s, LongLinkForm::JingxuanMobile },
    { u"web-slides"_s, LongLinkForm::WebSlides },
    { u"profile"_s, LongLinkForm::Profile },
    { u"other-site"_s, LongLinkForm::OtherSite },
};
const QList<QPair<QString, BodyFault>> bodyFaults {
    { u"none"_s, BodyFault::None },
    { u"endless"_s, BodyFault::Endless },
    { u"dripping"_s, BodyFault::Dripping },
};

template<typename Value>
QString names(const QList<QPair<QString, Value>> &list)
{
    QStringList result;
    for (const auto &entry : list)
        result.append(entry.first);
    return result.join(u", "_s);
}

QString variantName(SamplePlatform::PageVariant variant)
{
    using V = SamplePlatform::PageVariant;
    static const QPair<V, QString> names[] = {
        { V::Real, u"real page"_s },
        { V::WithSemicolon, u"with semicolon"_s },
        { V::WithoutWindowPrefix, u"without window prefix"_s },
        { V::BraceSemicolonInDesc, u"\"};\" in the description"_s },
        { V::Gallery, u"gallery"_s },
        { V::MissingFields, u"missing fields"_s },
        { V::NoRouterData, u"no router data"_s },
        { V::EmptyItemList, u"empty item list"_s },
        { V::HostilePlayId, u"hostile play identifier"_s },
        { V::LivePhotos, u"live photos"_s },
    };
    for (const auto &[value, name] : names) {
        if (value == variant)
            return name;
    }
    return {};
}

bool parseOptions(const QCoreApplication &app, Options &options, QString &error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Serves the video platform's short links, share pages, item endpoint, play addresses "
        "and media on localhost, for trying Kivora without a network."_s);
    parser.addHelpOption();
    const QCommandLineOption httpPort(u"http-port"_s, u"Port of the web origin (default: free)."_s,
                                      u"port"_s);
    const QCommandLineOption httpsPort(
        u"https-port"_s, u"Port of the short links and share pages (default: free)."_s, u"port"_s);
    const QCommandLineOption latency(u"latency"_s, u"Delay every response by <ms> milliseconds."_s,
                                     u"ms"_s);
    const QCommandLineOption hops(u"redirect-hops"_s,
                                  u"Redirects from a short link to its share page (default 1)."_s,
                                  u"n"_s);
    const QCommandLineOption errorStatus(
        u"error-status"_s, u"Answer share pages and media with this HTTP status."_s, u"status"_s);
    const QCommandLineOption stall(u"stall"_s, u"Send part of each body, then hang."_s);
    const QCommandLineOption reset(u"reset-mid-body"_s,
                                   u"Send part of each body, then reset the connection."_s);
    const QCommandLineOption hugePage(u"huge-page"_s, u"Pad share pages to over 16 MiB."_s);
    const QCommandLineOption invalidUtf8(u"invalid-utf8"_s,
                                         u"Put invalid UTF-8 into share pages."_s);
    const QCommandLineOption loop(u"redirect-loop"_s, u"Short links redirect to themselves."_s);
    const QCommandLineOption insecure(u"insecure-redirect"_s,
                                      u"Short links redirect to themselves over plain http."_s);
    const QCommandLineOption emptyMedia(u"empty-media"_s, u"Media answers are empty."_s);
    const QCommandLineOption nonVideo(u"non-video-media"_s, u"Media answers are plain text."_s);
    const QCommandLineOption host(
        u"host"_s, u"Name the hosts so in every address: localhost (default) or 127.0.0.1."_s,
        u"name"_s);
    const QCommandLineOption pageShape(
        u"page-shape"_s, u"What share pages hold: "_s + names(pageShapes) + u"."_s, u"shape"_s);
    const QCommandLineOption itemEndpoint(
        u"item-endpoint"_s,
        u"How the item endpoint answers: "_s + names(itemEndpointModes) + u"."_s, u"mode"_s);
    const QCommandLineOption target(u"short-link-target"_s,
                                    u"Where short links end: "_s + names(longLinkForms) + u"."_s,
                                    u"form"_s);
    const QCommandLineOption bodyFault(u"body-fault"_s,
                                       u"Bodies at every step after their first part: "_s
                                           + names(bodyFaults) + u"."_s,
                                       u"fault"_s);
    const QCommandLineOption drip(u"drip-interval"_s,
                                  u"Milliseconds between two bytes of a dripping body."_s, u"ms"_s);
    const QCommandLineOption brokenCompression(
        u"broken-compression"_s, u"Share pages and item answers: gzip that cannot be unpacked."_s);
    const QCommandLineOption close(u"close-mid-body"_s,
                                   u"Send part of each body, then close the connection."_s);
    const QCommandLineOption noLength(
        u"no-content-length"_s, u"Media answers have no length; the connection's end ends them."_s);
    const QCommandLineOption chunked(u"chunked"_s, u"Media answers are sent chunked."_s);
    const QCommandLineOption gzip(u"gzip-media"_s, u"Media answers are gzip-encoded."_s);
    const QCommandLineOption corruptGzip(u"corrupt-gzip"_s,
                                         u"With --gzip-media: damage the compressed bytes."_s);
    const QCommandLineOption faultyAnswers(
        u"faulty-answers"_s,
        u"Media faults (status, stall, reset, close) hit only the first <n> media answers."_s,
        u"n"_s);
    const QCommandLineOption ignoreRange(u"ignore-range"_s,
                                         u"Media answers Range requests with the whole body."_s);
    const QCommandLineOption noValidators(u"no-validators"_s,
                                          u"Media answers carry no ETag and no Last-Modified."_s);
    const QCommandLineOption ignoreIfRange(
        u"ignore-if-range"_s, u"Media answers a Range request whatever its If-Range names."_s);
    const QCommandLineOption unsatisfiable(u"unsatisfiable-range"_s,
                                           u"Media answers every Range request with 416."_s);
    parser.addOptions({ httpPort,      httpsPort,   latency,      hops,          errorStatus,
                        stall,         reset,       hugePage,     invalidUtf8,   loop,
                        insecure,      emptyMedia,  nonVideo,     host,          pageShape,
                        itemEndpoint,  target,      bodyFault,    drip,          brokenCompression,
                        close,         noLength,    chunked,      gzip,          corruptGzip,
                        faultyAnswers, ignoreRange, noValidators, ignoreIfRange, unsatisfiable });
    parser.process(app);

    bool ok = true;
    const auto number = [&parser, &ok](const QCommandLineOption &option, int fallback, int max) {
        if (!parser.isSet(option))
            return fallback;
        bool valid = false;
        const int value = parser.value(option).toInt(&valid);
        ok = ok && valid && value >= 0 && value <= max;
        return value;
    };
    options.httpPort = quint16(number(httpPort, 0, 65535));
    options.httpsPort = quint16(number(httpsPort, 0, 65535));
    options.faults.latencyMs = number(latency, 0, 600000);
    options.faults.redirectHops = number(hops, 1, 1000);
    options.faults.errorStatus = number(errorStatus, 0, 599);
    options.faults.stall = parser.isSet(stall);
    options.faults.resetMidBody = parser.isSet(reset);
    options.faults.hugePage = parser.isSet(hugePage);
    options.faults.invalidUtf8 = parser.isSet(invalidUtf8);
    options.faults.redirectLoop = parser.isSet(loop);
    options.faults.insecureRedirect = parser.isSet(insecure);
    options.faults.emptyMedia = parser.isSet(emptyMedia);
    options.faults.nonVideoMedia = parser.isSet(nonVideo);
    options.faults.dripIntervalMs = number(drip, 1000, 600000);
    options.faults.brokenCompression = parser.isSet(brokenCompression);
    options.faults.closeMidBody = parser.isSet(close);
    options.faults.noContentLength = parser.isSet(noLength);
    options.faults.chunked = parser.isSet(chunked);
    options.faults.gzipMedia = parser.isSet(gzip) || parser.isSet(corruptGzip);
    options.faults.corruptGzip = parser.isSet(corruptGzip);
    options.faults.faultyMediaAnswers = number(faultyAnswers, 0, 1000000);
    options.faults.ignoreRange = parser.isSet(ignoreRange);
    options.faults.noValidators = parser.isSet(noValidators);
    options.faults.ignoreIfRange = parser.isSet(ignoreIfRange);
    options.faults.unsatisfiableRange = parser.isSet(unsatisfiable);
    if (!ok) {
        error = u"A port, time, hop count or status is not a number in its range."_s;
        return false;
    }
    options.faults.pageShape = choice(parser, pageShape, pageShapes, PageShape::Full, ok);
    options.faults.itemEndpoint
        = choice(parser, itemEndpoint, itemEndpointModes, ItemEndpointMode::Serving, ok);
    options.faults.shortLinkTarget
        = choice(parser, target, longLinkForms, LongLinkForm::ShareVideo, ok);
    options.faults.bodyFault = choice(parser, bodyFault, bodyFaults, BodyFault::None, ok);
    if (parser.isSet(host))
        options.hostName = parser.value(host);
    if (!ok)
        error = u"A shape, mode, form or fault is not one of the names --help lists."_s;
    return ok;
}

void printSummary(const SamplePlatform &platform)
{
    QTextStream out(stdout);
    const Endpoints endpoints = platform.endpoints();
    out << "Sample platform running; stop it with Ctrl+C.\n"
        << "  --short-link-host " << endpoints.shortLinkHost << '\n'
        << "  --share-origin " << endpoints.shareOrigin << '\n'
        << "  --web-origin " << endpoints.webOrigin << '\n'
        << "  --ca-certificates " << SamplePlatform::caCertificatesPath() << '\n'
        << "Media: " << platform.mediaUrl() << "\n\n"
        << "Items: " << platform.items().size() << '\n';
    for (const SamplePlatform::Item &item : platform.items()) {
        out << item.videoId << " (" << variantName(item.variant) << ")\n  "
            << platform.shareText(item) << '\n';
    }
    out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"kivora-sample-platform"_s);
    Options options;
    QString error;
    if (!parseOptions(app, options, error)) {
        QTextStream(stderr) << error << '\n';
        return 2;
    }

    // The server threads inherit this mask, so only sigwait() below sees the signals.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    SamplePlatform platform;
    platform.setFaults(options.faults);
    platform.setHostName(options.hostName);
    if (!platform.start(options.httpPort, options.httpsPort))
        return 1;
    printSummary(platform);
    int received = 0;
    sigwait(&signals, &received);
    platform.stop();
    return 0;
}
