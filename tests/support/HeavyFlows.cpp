#include "HeavyFlows.h"

#include "SamplePlatform.h"
#include "StallMeter.h"
#include "VideoAlbum.h"
#include "VideoDownloader.h"
#include "VideoParser.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace HeavyFlows {
namespace {

constexpr int flowTimeoutMs = 300000;

// Runs \a flow, which calls its argument once done (from any thread), under a stall meter.
qint64 watched(const std::function<void(std::function<void()>)> &flow)
{
    QEventLoop loop;
    QTimer::singleShot(flowTimeoutMs, &loop, &QEventLoop::quit);
    StallMeter meter;
    meter.start();
    flow([&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
    loop.exec();
    meter.stop();
    return meter.longestStallMs();
}

} // namespace

Stalls measure(SamplePlatform &platform, const QString &directory, qint64 pageBytes,
               qint64 videoBytes)
{
    Stalls stalls;
    SamplePlatform::Faults faults;
    faults.pagePadding = pageBytes;
    platform.setFaults(faults);

    VideoParser parser(platform.endpoints());
    VideoInfo record = parser.failureRecord();
    stalls.parseMs = watched([&](std::function<void()> done) {
        parser.fetchVideoInfoWithMessage(platform.items().constFirst().videoId,
                                         [&record, done](const VideoInfo &info) {
                                             record = info;
                                             done();
                                         });
    });
    if (!record.isSuccess()) {
        stalls.error = u"the parse failed: "_s + record.toString();
        return stalls;
    }

    VideoDownloader downloader;
    downloader.setDirectory(directory);
    VideoDownloader::Result download;
    stalls.downloadMs = watched([&](std::function<void()> done) {
        QObject::connect(&downloader, &VideoDownloader::finished, &downloader,
                         [&download, done](const VideoDownloader::Result &result) {
                             download = result;
                             done();
                         });
        downloader.start(QUrl(platform.paddedMediaUrl(videoBytes)));
    });
    if (!download.ok()) {
        stalls.error = u"the download failed: "_s + download.errorString();
        return stalls;
    }

    VideoAlbum album;
    QString albumPath;
    QString albumError = u"no answer"_s;
    stalls.albumCopyMs = watched([&](std::function<void()> done) {
        QObject::connect(&album, &VideoAlbum::saved, &album,
                         [&, done](const QString &, const QString &path) {
                             albumPath = path;
                             albumError.clear();
                             done();
                         });
        QObject::connect(&album, &VideoAlbum::saveFailed, &album,
                         [&, done](const QString &, const QString &error) {
                             albumError = error;
                             done();
                         });
        album.save(download.filePath);
    });
    QFile::remove(download.filePath);
    if (!albumError.isEmpty()) {
        stalls.error = u"the album copy failed: "_s + albumError;
        stalls.albumCopyMs = -1;
    }
    QFile::remove(albumPath);
    return stalls;
}

} // namespace HeavyFlows
