// Downloads a large video from a loopback server with VideoDownloader and with curl, and reports
// the throughput of both and the peak memory growth of this process during the download.
//
//   bench_download [size in MiB, default 256] [rounds, default 3]
//
// Targets: at least 0.9 × curl's throughput; peak memory growth under 32 MiB whatever the size.
// The exit status is 1 when a measured target is missed.

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

#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 mebibyte = 1024 * 1024;
constexpr double throughputTarget = 0.9;
constexpr qint64 memoryTarget = 32 * mebibyte;

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
    const int rounds = arguments.size() > 2 ? arguments.at(2).toInt() : 3;
    if (sizeMiB <= 0 || rounds <= 0) {
        out() << "usage: bench_download [size in MiB] [rounds]" << Qt::endl;
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

    // Alternate the clients so both see the same page-cache state; keep each one's best time and
    // the highest memory growth of all rounds.
    Download kivora { std::numeric_limits<double>::max(), -1 };
    std::optional<double> bestCurl;
    for (int round = 0; round < rounds; ++round) {
        if (haveCurl) {
            const std::optional<double> curl = downloadWithCurl(server.url(), directory.path());
            if (curl && (!bestCurl || *curl < *bestCurl))
                bestCurl = curl;
        }
        const std::optional<Download> run = downloadWithKivora(server.url(), directory.path());
        if (!run)
            return 1;
        kivora.seconds = std::min(kivora.seconds, run->seconds);
        kivora.peakGrowth = std::max(kivora.peakGrowth, run->peakGrowth);
    }

    bool targetsMet = true;
    const double kivoraRate = sizeMiB / kivora.seconds;
    out() << "download of " << sizeMiB << " MiB over loopback, best of " << rounds << Qt::endl;
    out() << "  VideoDownloader: " << kivoraRate << " MiB/s (" << kivora.seconds << " s)"
          << Qt::endl;
    if (bestCurl) {
        const double curlRate = sizeMiB / *bestCurl;
        const double ratio = kivoraRate / curlRate;
        targetsMet = targetsMet && ratio >= throughputTarget;
        out() << "  curl -o:         " << curlRate << " MiB/s (" << *bestCurl << " s)" << Qt::endl;
        out() << "  ratio " << ratio << " (target >= " << throughputTarget
              << "): " << (ratio >= throughputTarget ? "met" : "MISSED") << Qt::endl;
    } else {
        out() << "  curl: not installed or failed, no throughput comparison" << Qt::endl;
    }
    if (kivora.peakGrowth >= 0) {
        const bool met = kivora.peakGrowth < memoryTarget;
        targetsMet = targetsMet && met;
        out() << "  peak memory growth: " << double(kivora.peakGrowth) / mebibyte
              << " MiB (target < 32 MiB): " << (met ? "met" : "MISSED") << Qt::endl;
    } else {
        out() << "  peak memory growth: not measurable here (/proc/self/clear_refs)" << Qt::endl;
    }
    return targetsMet ? 0 : 1;
}
