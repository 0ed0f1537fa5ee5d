// The time `kivora-cli parse <short link>` takes against the sample platform with 50 ms of
// latency per response, beside two curl requests that do the same job: the short link without
// following its redirect, then the share page it names, with the browser's headers.
//
//   bench_parse_latency [rounds, default 10]
//
// Both run in the same process tree, one after the other, round by round; medians are printed.
// Target: kivora-cli at most 1.0 × the two curl requests. The exit status is 1 when the target
// is missed; without curl the comparison is skipped (exit status 0).

#include "SamplePlatform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr int latencyMs = 50;
constexpr double target = 1.0;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

const QString userAgent = u"Mozilla/5.0 (Linux; Android 8.0.0; SM-G955U Build/R16NW) "
                          "AppleWebKit/537.36 (KHTML, like Gecko) Chrome/116.0.0.0 Mobile "
                          "Safari/537.36"_s;

// Runs \a program with \a arguments to its end; its standard output, or nothing when it failed.
std::optional<QByteArray> run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_LOGGING_RULES"_s, u"kivora.info=false"_s);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    return process.readAllStandardOutput();
}

// Seconds that \a job took, or nothing when it failed.
template<typename Job>
std::optional<double> timed(Job job)
{
    QElapsedTimer timer;
    timer.start();
    if (!job())
        return std::nullopt;
    return timer.nsecsElapsed() / 1e9;
}

bool parseWithKivora(const SamplePlatform &platform, const QString &shortLink)
{
    const Endpoints endpoints = platform.endpoints();
    const std::optional<QByteArray> printed = run(
        QStringLiteral(KIVORA_CLI_PATH),
        { u"--short-link-host"_s, endpoints.shortLinkHost, u"--share-origin"_s,
          endpoints.shareOrigin, u"--web-origin"_s, endpoints.webOrigin, u"--ca-certificates"_s,
          SamplePlatform::caCertificatesPath(), u"parse"_s, u"--json"_s, shortLink });
    return printed && printed->contains("\"video\"");
}

bool parseWithCurl(const SamplePlatform &platform, const QString &shortLink)
{
    const QString ca = SamplePlatform::caCertificatesPath();
    const std::optional<QByteArray> location
        = run(u"curl"_s,
              { u"-s"_s, u"-o"_s, u"/dev/null"_s, u"--cacert"_s, ca, u"-w"_s, u"%{redirect_url}"_s,
                shortLink });
    if (!location || location->isEmpty())
        return false;
    const QString referer
        = platform.endpoints().webOrigin + u"/?is_from_mobile_home=1&recommend=1"_s;
    return run(u"curl"_s,
               { u"-s"_s, u"-f"_s, u"-o"_s, u"/dev/null"_s, u"--cacert"_s, ca, u"-A"_s, userAgent,
                 u"-e"_s, referer, QString::fromUtf8(*location) })
        .has_value();
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const int rounds = arguments.size() > 1 ? arguments.at(1).toInt() : 10;
    if (rounds <= 0) {
        out() << "usage: bench_parse_latency [rounds]" << Qt::endl;
        return 2;
    }
    if (QStandardPaths::findExecutable(u"curl"_s).isEmpty()) {
        out() << "curl is not installed: no comparison (scripts/install-deps.sh installs it)"
              << Qt::endl;
        return 0;
    }

    SamplePlatform platform;
    SamplePlatform::Faults faults;
    faults.latencyMs = latencyMs;
    platform.setFaults(faults);
    if (!platform.start()) {
        out() << "cannot start the sample platform" << Qt::endl;
        return 2;
    }
    const QString shortLink = platform.shortLink(platform.items().constFirst());

    // One round of each first, not counted: both find the files they load in the page cache.
    if (!parseWithCurl(platform, shortLink) || !parseWithKivora(platform, shortLink)) {
        out() << "a warm-up parse failed" << Qt::endl;
        return 2;
    }
    QList<double> kivora;
    QList<double> curl;
    for (int round = 0; round < rounds; ++round) {
        const std::optional<double> curlTime
            = timed([&] { return parseWithCurl(platform, shortLink); });
        const std::optional<double> kivoraTime
            = timed([&] { return parseWithKivora(platform, shortLink); });
        if (!curlTime || !kivoraTime) {
            out() << "a parse failed in round " << round + 1 << Qt::endl;
            return 2;
        }
        curl.append(*curlTime);
        kivora.append(*kivoraTime);
    }

    const double ratio = median(kivora) / median(curl);
    out() << "parse of a short link, " << latencyMs << " ms latency per response, median of "
          << rounds << Qt::endl;
    out() << "  kivora-cli parse:    " << median(kivora) << " s (best "
          << *std::min_element(kivora.cbegin(), kivora.cend()) << " s)" << Qt::endl;
    out() << "  curl, two requests:  " << median(curl) << " s (best "
          << *std::min_element(curl.cbegin(), curl.cend()) << " s)" << Qt::endl;
    out() << "  ratio " << ratio << " (target <= " << target
          << "): " << (ratio <= target ? "met" : "MISSED") << Qt::endl;
    return ratio <= target ? 0 : 1;
}
