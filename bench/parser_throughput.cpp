// Share page body → Video info record, the parser's CPU path, on a realistic 1 MB page, beside
// Python's re.search + json.loads on the same page. Run from a release build.

#include "KivoraLog.h"
#include "VideoParser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qsizetype scriptBytes = 1024 * 1024;
constexpr int rounds = 25;
constexpr int iterationsPerRound = 20;

// About 1 MB of the inline styles and scripts a share page carries before its router data;
// the scripts hold "};" and object literals, as real ones do. One function in \a textEvery
// holds a Chinese text (1 gives about 5 % non-ASCII bytes, 16 about 0.3 %).
QByteArray stylesAndScripts(int textEvery)
{
    QByteArray text;
    text.reserve(scriptBytes + 4096);
    for (int i = 0; text.size() < scriptBytes; ++i) {
        const QByteArray n = QByteArray::number(i);
        if (i % 64 == 0)
            text += i == 0 ? "<style>" : "</script><style>";
        text += ".c" + n + "{margin:0 " + n + "px;color:#33" + QByteArray::number(i % 10)
            + ";font:14px/1.4 \"PingFang SC\",sans-serif}";
        if (i % 64 == 0)
            text += "</style><script nonce=\"a9Xk2LqP\">";
        const QByteArray label = i % textEvery == 0 ? "加载中" : "loading";
        text += "function f" + n + "(a,b){var s={k:a,t:\"" + label + "\",n:" + n
            + "};if(a&&b){return s;};for(var j=0;j<b;j++){s.n+=j;}return null;};";
    }
    return text + "</script>";
}

// Router data of the size a real share page carries (about 20 KB), slashes escaped as the
// platform writes them.
QByteArray routerData()
{
    QJsonArray comments;
    for (int i = 0; i < 60; ++i) {
        comments.append(QJsonObject {
            { QStringLiteral("cid"), QString::number(7300000000000000000LL + i) },
            { QStringLiteral("text"), QStringLiteral("太好看了吧！第%1条评论 🌸").arg(i) },
            { QStringLiteral("avatar"),
              QStringLiteral("https://p3.example/aweme/100x100/%1.jpeg").arg(i) },
            { QStringLiteral("digg_count"), i * 17 } });
    }
    const QJsonObject item {
        { QStringLiteral("aweme_id"), QStringLiteral("7301234567890123456") },
        { QStringLiteral("desc"), QStringLiteral("春天的第一场雨 🌧️ #日常 #vlog") },
        { QStringLiteral("author"),
          QJsonObject { { QStringLiteral("nickname"), QStringLiteral("小鹿乱撞🦌") },
                        { QStringLiteral("uid"), QStringLiteral("98765432101") } } },
        { QStringLiteral("video"),
          QJsonObject { { QStringLiteral("play_addr"),
                          QJsonObject { { QStringLiteral("uri"),
                                          QStringLiteral("v0200fg10000cl7q3ijc77u1d2kg9b0g") },
                                        { QStringLiteral("url_list"),
                                          QJsonArray { QStringLiteral(
                                              "https://aweme.example/play/?video_id=v0200") } } } },
                        { QStringLiteral("cover"),
                          QJsonObject { { QStringLiteral("url_list"),
                                          QJsonArray { QStringLiteral(
                                              "https://p3.example/cover/1.jpeg") } } } },
                        { QStringLiteral("duration"), 15300 } } },
        { QStringLiteral("comments"), comments }
    };
    const QJsonObject root { { QStringLiteral("loaderData"),
                               QJsonObject {
                                   { QStringLiteral("video_(id)/page"),
                                     QJsonObject { { QStringLiteral("videoInfoRes"),
                                                     QJsonObject { { QStringLiteral("item_list"),
                                                                     QJsonArray { item } } } },
                                                   { QStringLiteral("isSpider"), false } } } } } };
    return QJsonDocument(root).toJson(QJsonDocument::Compact).replace("/", "\\u002F");
}

QByteArray sharePage(int textEvery)
{
    return "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>抖音</title>"
        + stylesAndScripts(textEvery)
        + "</head><body><div id=\"root\"></div><script>window._ROUTER_DATA = " + routerData()
        + ";</script><script>(function(){var "
          "s={ready:!1};window.__pace=function(){s.ready=!0;};})();"
          "</script></body></html>\n";
}

// Milliseconds per page over the rounds.
struct Timing
{
    double median = -1;
    double best = -1;
};

Timing pythonTiming(const QString &pagePath)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 { QStringLiteral(KIVORA_PARSER_BASELINE), pagePath, QString::number(rounds),
                   QString::number(iterationsPerRound) });
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        std::fprintf(stderr, "python3 baseline failed: %s\n",
                     python.readAllStandardError().constData());
        return {};
    }
    const QList<QByteArray> values = python.readAllStandardOutput().trimmed().split(' ');
    return { values.value(0).toDouble(), values.value(1).toDouble() };
}

// False when a page gave no record.
bool kivoraTiming(const QByteArray &page, Timing *timing)
{
    const VideoParser parser;
    bool allRead = parser.videoInfoFromPageBody(page).isSuccess();
    std::vector<double> perPage;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < iterationsPerRound; ++i)
            allRead = parser.videoInfoFromPageBody(page).isSuccess() && allRead;
        perPage.push_back(double(timer.nsecsElapsed()) / 1e6 / iterationsPerRound);
    }
    std::sort(perPage.begin(), perPage.end());
    *timing = { perPage[perPage.size() / 2], perPage.front() };
    return allRead;
}

void printRow(const char *name, const Timing &timing, double megabytes)
{
    std::printf("  %-40s %8.4f %8.4f %8.0f\n", name, timing.median, timing.best,
                megabytes / timing.median * 1000.0);
}

bool measure(const char *title, const QByteArray &page)
{
    QTemporaryFile pageFile;
    if (!pageFile.open() || pageFile.write(page) != page.size() || !pageFile.flush())
        return false;
    Timing kivora;
    if (!kivoraTiming(page, &kivora)) {
        std::fprintf(stderr, "the parser did not read the page\n");
        return false;
    }
    const Timing python = pythonTiming(pageFile.fileName());
    const double megabytes = double(page.size()) / (1024.0 * 1024.0);
    std::printf("%s: %.2f MB; %d rounds of %d pages\n", title, megabytes, rounds,
                iterationsPerRound);
    std::printf("  %-40s %8s %8s %8s\n", "ms per page:", "median", "best", "MB/s");
    printRow("kivora videoInfoFromPageBody", kivora, megabytes);
    if (python.median <= 0)
        return false;
    printRow("python3 decode + re.search + json.loads", python, megabytes);
    std::printf("  speed-up %.1fx (median; target >= 3x); %.3f ms per MB (median; target < 0.3)\n",
                python.median / kivora.median, kivora.median / megabytes);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    // The diagnostics are off, as a user who silences them has them; "Kivora2" (the whole page)
    // must then cost nothing.
    QLoggingCategory::setFilterRules(QStringLiteral("kivora.info=false"));

    std::printf("router data: %lld bytes\n", static_cast<long long>(routerData().size()));
    const bool realistic = measure("page with mostly ASCII scripts (0.3 % other)", sharePage(16));
    const bool textHeavy = measure("page with text-heavy scripts (5 % other)", sharePage(1));
    return realistic && textHeavy ? 0 : 1;
}
