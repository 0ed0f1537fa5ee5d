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
    SamplePlatform::Faults faults;
};

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
        u"Serves the video platform's short links, share pages, play addresses and media on "
        "localhost, for trying Kivora without a network."_s);
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
    const QCommandLineOption emptyMedia(u"empty-media"_s, u"Media answers are empty."_s);
    const QCommandLineOption nonVideo(u"non-video-media"_s, u"Media answers are plain text."_s);
    const QCommandLineOption close(u"close-mid-body"_s,
                                   u"Send part of each body, then close the connection."_s);
    const QCommandLineOption noLength(
        u"no-content-length"_s, u"Media answers have no length; the connection's end ends them."_s);
    const QCommandLineOption chunked(u"chunked"_s, u"Media answers are sent chunked."_s);
    const QCommandLineOption gzip(u"gzip-media"_s, u"Media answers are gzip-encoded."_s);
    const QCommandLineOption corruptGzip(u"corrupt-gzip"_s,
                                         u"With --gzip-media: damage the compressed bytes."_s);
    parser.addOptions({ httpPort, httpsPort, latency, hops, errorStatus, stall, reset, hugePage,
                        invalidUtf8, loop, emptyMedia, nonVideo, close, noLength, chunked, gzip,
                        corruptGzip });
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
    options.faults.emptyMedia = parser.isSet(emptyMedia);
    options.faults.nonVideoMedia = parser.isSet(nonVideo);
    options.faults.closeMidBody = parser.isSet(close);
    options.faults.noContentLength = parser.isSet(noLength);
    options.faults.chunked = parser.isSet(chunked);
    options.faults.gzipMedia = parser.isSet(gzip) || parser.isSet(corruptGzip);
    options.faults.corruptGzip = parser.isSet(corruptGzip);
    if (!ok)
        error = u"A port, time, hop count or status is not a number in its range."_s;
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
        << "Media: " << platform.mediaUrl() << "\n\n";
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
    if (!platform.start(options.httpPort, options.httpsPort))
        return 1;
    printSummary(platform);
    int received = 0;
    sigwait(&signals, &received);
    platform.stop();
    return 0;
}
