// Soak: many parses and downloads in one process against the sample platform, with its faults
// switched on at random (seeded, so a run can be repeated). Every operation must end, with
// success or a reason; memory must stay flat (under 10 % growth from the end of the warm-up, the
// first tenth of the operations, to the end).
//
//   kivora_soak [parses, default 2000] [downloads, default 200] [seed, default 15]
//
// Prints the counts and the memory figures; exit status 1 when an operation did not end, ended
// without a reason, or memory grew by 10 % or more. Memory is judged only from 1000 operations
// on: before that, the warm-up is too short for the caches of Qt's network stack to fill.
//
// The sample platform runs in processes of its own, one kivora-sample-platform per fault
// configuration drawn (started when first drawn, the fault-free one first), so that the resident
// memory measured is the client's alone: in this process, the servers' threads and their malloc
// arenas would grow it with their own traffic.

#include "MemoryArenas.h"
#include "NetworkTrust.h"
#include "PlatformProcess.h"
#include "PlatformProcesses.h"
#include "TemporaryHome.h"
#include "VideoDownloader.h"
#include "VideoParser.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

#include <malloc.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int operationDeadlineMs = 20000;
constexpr double allowedGrowth = 0.10;
constexpr int operationsForMemoryCheck = 1000;

struct Tally
{
    int succeeded = 0;
    int failedWithReason = 0;
    int failedWithoutReason = 0;
    int unfinished = 0;
};

// Bytes the main malloc arena holds for the program (freed blocks that the allocator keeps are
// not counted, nor the arenas of other threads).
qint64 heapBytesInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

qint64 residentBytes()
{
    QFile status(u"/proc/self/statm"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.value(1).toLongLong() * 4096;
}

// One fault (or none) for a share-page request, drawn from \a random: the fault switches of the
// server that answers it. Latencies come in three steps, one server each.
QStringList parseFaults(QRandomGenerator &random)
{
    switch (random.bounded(10)) {
    case 0:
        return { random.bounded(2) ? u"--error-status=404"_s : u"--error-status=503"_s };
    case 1:
        return { u"--reset-mid-body"_s };
    case 2:
        return { u"--close-mid-body"_s };
    case 3:
        return { u"--invalid-utf8"_s };
    case 4: {
        // One hop is the fault-free server's.
        const int hops = int(random.bounded(4));
        return hops == 1 ? QStringList()
                         : QStringList { u"--redirect-hops="_s + QString::number(hops) };
    }
    case 5: {
        static const int latenciesMs[] = { 10, 25, 45 };
        return { u"--latency="_s + QString::number(latenciesMs[random.bounded(3)]) };
    }
    case 6:
        return random.bounded(5) == 0 ? QStringList { u"--stall"_s } : QStringList();
    default:
        return {};
    }
}

// One fault (or none) for a media request, drawn from \a random: the fault switches of the
// server that answers it.
QStringList downloadFaults(QRandomGenerator &random)
{
    switch (random.bounded(12)) {
    case 0:
        return { u"--reset-mid-body"_s };
    case 1:
        return { u"--close-mid-body"_s };
    case 2:
        return random.bounded(2) ? QStringList { u"--chunked"_s, u"--close-mid-body"_s }
                                 : QStringList { u"--chunked"_s };
    case 3:
        return { u"--no-content-length"_s };
    case 4:
        return { random.bounded(2) ? u"--corrupt-gzip"_s : u"--gzip-media"_s };
    case 5:
        return { u"--empty-media"_s };
    case 6:
        return { u"--non-video-media"_s };
    case 7:
        return { u"--error-status=404"_s };
    case 8:
        return random.bounded(4) == 0 ? QStringList { u"--stall"_s } : QStringList();
    default:
        return {};
    }
}

// Runs \a operation, which calls its argument once with (ok, reason); counts how it ended.
void run(Tally &tally, const std::function<void(std::function<void(bool, QString)>)> &operation)
{
    QEventLoop loop;
    int endings = 0;
    bool ok = false;
    QString reason;
    // A timer that goes with the operation: QTimer::singleShot() would keep a timer object alive
    // for the whole deadline after its operation ended, a thousand and more of them in a soak.
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(operationDeadlineMs);
    operation([&](bool success, const QString &why) {
        // May come from the parser's network thread: hand it to this thread's loop.
        QMetaObject::invokeMethod(
            &loop,
            [&, success, why] {
                ++endings;
                ok = success;
                reason = why;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    if (endings == 0)
        loop.exec();
    if (endings == 0)
        ++tally.unfinished;
    else if (ok)
        ++tally.succeeded;
    else if (reason.trimmed().isEmpty())
        ++tally.failedWithoutReason;
    else
        ++tally.failedWithReason;
}

void parseOnce(const PlatformProcess &platform, QRandomGenerator &random, Tally &tally)
{
    const QList<PlatformProcess::Item> &items = platform.items();
    const PlatformProcess::Item &item = items.at(random.bounded(int(items.size())));
    const QString message = random.bounded(2) ? item.shareText : item.videoId;
    VideoParser parser(platform.endpoints());
    parser.setTransferTimeout(std::chrono::milliseconds(300));
    run(tally, [&](std::function<void(bool, QString)> done) {
        parser.fetchVideoInfoWithMessage(message, [done](const VideoInfo &record) {
            // A parse ends with a record: a full one, or the failure record, whose message is
            // its reason.
            done(record.isSuccess(), record.msg().value_or(QString()));
        });
    });
}

void downloadOnce(const PlatformProcess &platform, const QString &directory, Tally &tally)
{
    VideoDownloader downloader;
    downloader.setDirectory(directory);
    downloader.setInactivityTimeout(300ms);
    run(tally, [&](std::function<void(bool, QString)> done) {
        QObject::connect(&downloader, &VideoDownloader::finished, &downloader,
                         [done](const VideoDownloader::Result &result) {
                             if (result.ok())
                                 QFile::remove(result.filePath);
                             done(result.ok(), result.errorString());
                         });
        downloader.start(QUrl(platform.mediaUrl()));
    });
}

void print(const char *what, int count, const Tally &tally)
{
    std::printf("%d %s: %d succeeded, %d failed with a reason, %d failed without one, "
                "%d did not end\n",
                count, what, tally.succeeded, tally.failedWithReason, tally.failedWithoutReason,
                tally.unfinished);
}

} // namespace

int main(int argc, char *argv[])
{
    // As the programs do: the memory measured is theirs.
    MemoryArenas::limit();
    QCoreApplication application(argc, argv);
    QLoggingCategory::setFilterRules(u"kivora=false\nkivora.sample=false"_s);
    const QStringList arguments = QCoreApplication::arguments();
    const int parses = arguments.value(1, u"2000"_s).toInt();
    const int downloads = arguments.value(2, u"200"_s).toInt();
    const quint32 seed = arguments.value(3, u"15"_s).toUInt();

    TemporaryHome home;
    QString error;
    PlatformProcesses servers;
    QTemporaryDir directory;
    // Every server has the same certificate: the fault-free one's file serves for all.
    const PlatformProcess *faultFree = servers.server({}, error);
    if (!home.activate() || !directory.isValid() || !faultFree
        || !NetworkTrust::addCaCertificates(faultFree->caCertificatesPath(), &error)) {
        std::fprintf(stderr, "cannot set up the soak: %s\n", qPrintable(error));
        return 2;
    }

    QRandomGenerator random(seed);
    Tally parseTally;
    Tally downloadTally;
    const int operations = parses + downloads;
    const int warmUp = operations / 10;
    qint64 afterWarmUp = residentBytes();
    qint64 heapAfterWarmUp = heapBytesInUse();
    for (int done = 0, parsed = 0, downloaded = 0; done < operations; ++done) {
        // Downloads spread evenly among the parses.
        const bool download = downloaded * operations < done * downloads;
        const PlatformProcess *server
            = servers.server(download ? downloadFaults(random) : parseFaults(random), error);
        if (!server) {
            std::fprintf(stderr, "cannot start a sample platform: %s\n", qPrintable(error));
            return 2;
        }
        if (download) {
            downloadOnce(*server, directory.path(), downloadTally);
            ++downloaded;
        } else {
            parseOnce(*server, random, parseTally);
            ++parsed;
        }
        if (done + 1 == warmUp) {
            afterWarmUp = residentBytes();
            heapAfterWarmUp = heapBytesInUse();
        }
        // The course of the memory, a line every tenth of the run.
        if ((done + 1) % std::max(1, operations / 10) == 0) {
            std::printf("after %5d operations: resident %.1f MiB, heap in use %.1f MiB\n", done + 1,
                        residentBytes() / 1048576.0, heapBytesInUse() / 1048576.0);
        }
    }
    const qint64 atEnd = residentBytes();
    const qint64 heapAtEnd = heapBytesInUse();
    const double growth = double(atEnd - afterWarmUp) / double(afterWarmUp);

    std::printf("seed %u, %d sample-platform processes\n", seed, servers.count());
    print("parses", parses, parseTally);
    print("downloads", downloads, downloadTally);
    std::printf("resident memory after the warm-up (%d operations): %.1f MiB, at the end: %.1f "
                "MiB (%+.1f %%)\n",
                warmUp, afterWarmUp / 1048576.0, atEnd / 1048576.0, growth * 100);
    std::printf("heap in use after the warm-up: %.1f MiB, at the end: %.1f MiB\n",
                heapAfterWarmUp / 1048576.0, heapAtEnd / 1048576.0);
    const bool allEnded = parseTally.unfinished + downloadTally.unfinished == 0
        && parseTally.failedWithoutReason + downloadTally.failedWithoutReason == 0;
    const bool judged = operations >= operationsForMemoryCheck;
    const bool flat = !judged || growth < allowedGrowth;
    std::printf("%s: every operation ended with success or a reason; %s: memory flat\n",
                allEnded ? "met" : "MISSED",
                judged ? (flat ? "met" : "MISSED") : "not judged (too few operations)");
    return allEnded && flat ? 0 : 1;
}
