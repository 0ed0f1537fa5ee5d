// Downloads a large video from a loopback server with VideoDownloader and with curl, and reports
// the throughput of both and the worst peak memory growth of this process over many downloads,
// under three conditions: a quiet machine; a loaded one (a busy-loop thread per core); and a late
// reader (the main thread blocked 30 ms in every 100 ms, as writes to a slow synchronous disk
// block it).
//
//   bench_download [size in MiB, default 256] [downloads per condition, default 20]
//
// Targets: at least 0.9 × curl's throughput (quiet); the worst peak memory growth under 32 MiB
// whatever the size and the condition. The exit status is 1 when a measured target is missed.

#include "MemoryArenas.h"
#include "VideoDownloader.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 mebibyte = 1024 * 1024;
constexpr double throughputTarget = 0.9;
constexpr qint64 memoryTarget = 32 * mebibyte;
constexpr int curlRounds = 3;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// An MP4 file-type box, so that the body is sniffed as a video, followed by random bytes.
bool writeVideoFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    static const char fileType[] = "\0\0\0\x18"
                                   "ftypisom\0\0\x02\0isommp41";
    QByteArray chunk(mebibyte, Qt::Uninitialized);
    QRandomGenerator generator(7);
    generator.fillRange(reinterpret_cast<quint32 *>(chunk.data()), chunk.size() / 4);
    chunk.replace(0, sizeof fileType - 1, QByteArray(fileType, sizeof fileType - 1));
    for (qint64 written = 0; written < size; written += chunk.size()) {
        if (file.write(chunk.constData(), std::min<qint64>(chunk.size(), size - written)) < 0)
            return false;
    }
    return file.flush();
}

// Serves one file from disk in chunks: the server never holds the body in memory.
class FileServer
{
public:
    explicit FileServer(const QString &path)
        : m_path(QFile::encodeName(path).toStdString()), m_size(QFile(path).size())
    {
        m_server.Get("/video.mp4", [this](const httplib::Request &, httplib::Response &response) {
            std::shared_ptr<std::FILE> file(std::fopen(m_path.c_str(), "rb"), &std::fclose);
            // As a media server says it: ranges are served, and the version is named.
            response.set_header("Accept-Ranges", "bytes");
            response.set_header("ETag", "\"bench-video\"");
            response.set_content_provider(
                size_t(m_size), "video/mp4",
                [file](size_t offset, size_t length, httplib::DataSink &sink) {
                    std::vector<char> buffer(std::min<size_t>(length, 256 * 1024));
                    if (!file || std::fseek(file.get(), long(offset), SEEK_SET) != 0)
                        return false;
                    const size_t count = std::fread(buffer.data(), 1, buffer.size(), file.get());
                    return count > 0 && sink.write(buffer.data(), count);
                });
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        if (m_port > 0)
            m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~FileServer()
    {
        m_server.stop();
        if (m_thread.joinable())
            m_thread.join();
    }
    QString url() const { return u"http://127.0.0.1:%1/video.mp4"_s.arg(m_port); }
    bool isListening() const { return m_port > 0; }

private:
    std::string m_path;
    qint64 m_size;
    httplib::Server m_server;
    int m_port = -1;
    std::thread m_thread;
};

qint64 statusValue(const QByteArray &key)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(QByteArray(key).append(':')))
            return line.mid(key.size() + 1).trimmed().split(' ').constFirst().toLongLong() * 1024;
    }
    return -1;
}

// Lowers the peak resident size (VmHWM) to the current one, so the next peak is this run's.
bool resetPeakMemory()
{
    QFile clearRefs(u"/proc/self/clear_refs"_s);
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

struct Download
{
    double seconds = 0;
    qint64 peakGrowth = -1;
};

std::optional<Download> downloadWithKivora(const QString &url, const QString &directory)
{
    VideoDownloader downloader;
    downloader.setDirectory(directory);
    QEventLoop loop;
    VideoDownloader::Result result;
    QObject::connect(&downloader, &VideoDownloader::finished, &loop,
                     [&](const VideoDownloader::Result &r) {
                         result = r;
                         loop.quit();
                     });
    const bool peakReset = resetPeakMemory();
    const qint64 residentBefore = statusValue("VmRSS");
    QElapsedTimer timer;
    timer.start();
    downloader.start(QUrl(url));
    loop.exec();
    Download download { timer.nsecsElapsed() / 1e9 };
    if (peakReset && residentBefore >= 0)
        download.peakGrowth = statusValue("VmHWM") - residentBefore;
    if (!result.ok()) {
        out() << "Kivora download failed: " << result.errorString() << Qt::endl;
        return std::nullopt;
    }
    QFile::remove(result.filePath);
    return download;
}

enum class Condition { Quiet, Loaded, LateReader };

const char *conditionName(Condition condition)
{
    switch (condition) {
    case Condition::Quiet:
        return "quiet";
    case Condition::Loaded:
        return "loaded (a busy-loop thread per core)";
    case Condition::LateReader:
        return "late reader (main thread blocked 30 ms in every 100 ms)";
    }
    return "";
}

// Keeps every core busy for as long as it lives.
class BusyLoops
{
public:
    BusyLoops()
    {
        const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < cores; ++i)
            m_threads.emplace_back([this] {
                quint64 x = 1;
                while (!m_stop.load(std::memory_order_relaxed))
                    x = x * 6364136223846793005ULL + 1442695040888963407ULL;
                m_sink.fetch_add(x, std::memory_order_relaxed);
            });
    }
    ~BusyLoops()
    {
        m_stop = true;
        for (std::thread &thread : m_threads)
            thread.join();
    }

private:
    std::atomic<bool> m_stop { false };
    std::atomic<quint64> m_sink { 0 };
    std::vector<std::thread> m_threads;
};

// Runs \a runs downloads under \a condition; the best time and the worst peak of all.
std::optional<Download> downloadsUnder(Condition condition, int runs, const QString &url,
                                       const QString &directory)
{
    std::optional<BusyLoops> load;
    if (condition == Condition::Loaded)
        load.emplace();
    QTimer blocker;
    QObject::connect(&blocker, &QTimer::timeout, &blocker,
                     [] { std::this_thread::sleep_for(std::chrono::milliseconds(30)); });
    if (condition == Condition::LateReader)
        blocker.start(100);
    Download worst { std::numeric_limits<double>::max(), -1 };
    for (int run = 0; run < runs; ++run) {
        const std::optional<Download> download = downloadWithKivora(url, directory);
        if (!download)
            return std::nullopt;
        worst.seconds = std::min(worst.seconds, download->seconds);
        worst.peakGrowth = std::max(worst.peakGrowth, download->peakGrowth);
    }
    return worst;
}

std::optional<double> downloadWithCurl(const QString &url, const QString &directory)
{
    const QString target = directory + u"/curl.mp4"_s;
    QElapsedTimer timer;
    timer.start();
    const int status = QProcess::execute(u"curl"_s, { u"-s"_s, u"-f"_s, u"-o"_s, target, url });
    const double seconds = timer.nsecsElapsed() / 1e9;
    QFile::remove(target);
    return status == 0 ? std::optional<double>(seconds) : std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    // The allocator as the programs set it up: the memory figures are theirs.
    MemoryArenas::limit();
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const qint64 sizeMiB = arguments.size() > 1 ? arguments.at(1).toLongLong() : 256;
    const int runs = arguments.size() > 2 ? arguments.at(2).toInt() : 20;
    if (sizeMiB <= 0 || runs <= 0) {
        out() << "usage: bench_download [size in MiB] [downloads per condition]" << Qt::endl;
        return 2;
    }

    QTemporaryDir directory;
    const QString source = directory.filePath(u"source.mp4"_s);
    if (!directory.isValid() || !writeVideoFile(source, sizeMiB * mebibyte)) {
        out() << "cannot write the " << sizeMiB << " MiB test file" << Qt::endl;
        return 2;
    }
    FileServer server(source);
    if (!server.isListening()) {
        out() << "cannot listen on the loopback address" << Qt::endl;
        return 2;
    }
    const bool haveCurl = !QStandardPaths::findExecutable(u"curl"_s).isEmpty();

    std::optional<double> bestCurl;
    for (int round = 0; haveCurl && round < curlRounds; ++round) {
        const std::optional<double> curl = downloadWithCurl(server.url(), directory.path());
        if (curl && (!bestCurl || *curl < *bestCurl))
            bestCurl = curl;
    }
    bool targetsMet = true;
    out() << "download of " << sizeMiB << " MiB over loopback, " << runs
          << " downloads per condition" << Qt::endl;
    for (const Condition condition :
         { Condition::Quiet, Condition::Loaded, Condition::LateReader }) {
        const std::optional<Download> result
            = downloadsUnder(condition, runs, server.url(), directory.path());
        if (!result)
            return 1;
        out() << "  " << conditionName(condition) << ":" << Qt::endl;
        const double kivoraRate = sizeMiB / result->seconds;
        out() << "    VideoDownloader, best: " << kivoraRate << " MiB/s (" << result->seconds
              << " s)" << Qt::endl;
        if (condition == Condition::Quiet && bestCurl) {
            const double curlRate = sizeMiB / *bestCurl;
            const double ratio = kivoraRate / curlRate;
            targetsMet = targetsMet && ratio >= throughputTarget;
            out() << "    curl -o, best of " << curlRounds << ": " << curlRate << " MiB/s ("
                  << *bestCurl << " s); ratio " << ratio << " (target >= " << throughputTarget
                  << "): " << (ratio >= throughputTarget ? "met" : "MISSED") << Qt::endl;
        } else if (condition == Condition::Quiet) {
            out() << "    curl: not installed or failed, no throughput comparison" << Qt::endl;
        }
        if (result->peakGrowth < 0) {
            out() << "    peak memory growth: not measurable here (/proc/self/clear_refs)"
                  << Qt::endl;
            continue;
        }
        const bool met = result->peakGrowth < memoryTarget;
        targetsMet = targetsMet && met;
        out() << "    worst peak memory growth of " << runs << ": "
              << double(result->peakGrowth) / mebibyte
              << " MiB (target < 32 MiB): " << (met ? "met" : "MISSED") << Qt::endl;
    }
    return targetsMet ? 0 : 1;
}
