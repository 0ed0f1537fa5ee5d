#include "NetworkTrust.h"
#include "SamplePlatform.h"
#include "SmallFileSystem.h"
#include "TemporaryHome.h"
#include "TestFiles.h"
#include "TestMedia.h"
#include "VideoDownloader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using TestFiles::contents;
using TestFiles::entries;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(SamplePlatform::Faults)
Q_DECLARE_METATYPE(MediaKind)

namespace {

std::unique_ptr<SamplePlatform> startedPlatform(const SamplePlatform::Faults &faults = {})
{
    auto platform = std::make_unique<SamplePlatform>();
    if (!platform->start())
        return nullptr;
    platform->setFaults(faults);
    return platform;
}

VideoDownloader::Result resultOf(const QSignalSpy &spy)
{
    return spy.constFirst().constFirst().value<VideoDownloader::Result>();
}

// The sample video padded with zeros to \a size bytes: still sniffed as MP4 video.
QByteArray paddedVideo(qsizetype size)
{
    QByteArray video = SamplePlatform::sampleVideo();
    video.append(size - video.size(), '\0');
    return video;
}

// The sample video followed by bytes drawn from \a seed, \a size bytes in all: two seeds give two
// versions of a video that differ everywhere after the first box.
QByteArray videoVersion(quint32 seed, qsizetype size)
{
    QByteArray video = SamplePlatform::sampleVideo();
    QByteArray rest(size - video.size(), Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char &byte : rest)
        byte = char(generator.bounded(256));
    return video + rest;
}

// Downloads \a url into \a directory and returns the one result.
VideoDownloader::Result download(const QUrl &url, const QString &directory, qint64 maximumSize = 0)
{
    VideoDownloader downloader;
    downloader.setDirectory(directory);
    downloader.setInactivityTimeout(2000ms);
    if (maximumSize > 0)
        downloader.setMaximumSize(maximumSize);
    QSignalSpy finished(&downloader, &VideoDownloader::finished);
    downloader.start(url);
    if (!finished.wait(15000) || finished.size() != 1)
        return { JobOutcome::Status::Failed,
                 {},
                 FailureReason(FailureReason::Kind::NetworkError, u"no single result"_s),
                 url };
    return resultOf(finished);
}

} // namespace

class TestVideoDownloader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void downloadsIntoTheCachesDirectory_data();
    void downloadsIntoTheCachesDirectory();
    void sameAddressTwiceGivesTwoFiles();
    void failuresLeaveNoFile_data();
    void failuresLeaveNoFile();
    void redirectsNotFollowedAreTheReason_data();
    void redirectsNotFollowedAreTheReason();
    void addressesThatAreNoWebAddressFailLater_data();
    void addressesThatAreNoWebAddressFailLater();
    void hostileNamesStayInTheDirectory_data();
    void hostileNamesStayInTheDirectory();
    void stoppingMidTransferLeavesNoFile_data();
    void stoppingMidTransferLeavesNoFile();
    void secondStartWhileRunningFailsAlone();
    void completeInEveryFraming_data();
    void completeInEveryFraming();
    void truncatedChunkedBodyNeverCounts();
    void sizesAreCapped_data();
    void sizesAreCapped();
    void refusedRedirectLeavesNothingBehind();
    void extensionComesFromTheContent_data();
    void extensionComesFromTheContent();
    void fullDiskFailsWithTheSystemsReason_data();
    void fullDiskFailsWithTheSystemsReason();
    void filesAreWhatTheyClaim_data();
    void filesAreWhatTheyClaim();
    void retriesOnPassingFailures_data();
    void retriesOnPassingFailures();
    void resumesWhereTheTransferBroke_data();
    void resumesWhereTheTransferBroke();
    void stoppedDownloadResumesLater_data();
    void stoppedDownloadResumesLater();
    void resumeNeverJoinsTwoVersions_data();
    void resumeNeverJoinsTwoVersions();
    void brokenTransferKeepsItsPartForTheNextRun_data();
    void brokenTransferKeepsItsPartForTheNextRun();

private:
    TemporaryHome m_home;
};

void TestVideoDownloader::initTestCase()
{
    QVERIFY(m_home.activate());
    // Before the worker threads that commit downloads exist, so that they see the small file
    // system too.
    QString ignored;
    SmallFileSystem::isolateMounts(&ignored);
    QString error;
    QVERIFY2(NetworkTrust::addCaCertificates(SamplePlatform::caCertificatesPath(), &error),
             qPrintable(error));
}

void TestVideoDownloader::downloadsIntoTheCachesDirectory_data()
{
    QTest::addColumn<bool>("throughPlayAddress");
    QTest::newRow("media address") << false;
    QTest::newRow("play address, redirected") << true;
}

void TestVideoDownloader::downloadsIntoTheCachesDirectory()
{
    QFETCH(bool, throughPlayAddress);
    const auto platform = startedPlatform();
    QVERIFY(platform);
    const QString caches = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir(caches).removeRecursively();

    const QString address = throughPlayAddress ? platform->endpoints().webOrigin
            + u"/aweme/v1/play/?video_id="_s + platform->items().constFirst().playUri
                                               : platform->mediaUrl();
    VideoDownloader downloader;
    QSignalSpy finished(&downloader, &VideoDownloader::finished);
    QSignalSpy progress(&downloader, &VideoDownloader::progress);
    downloader.start(QUrl(address));
    QVERIFY(downloader.isRunning());
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY(!downloader.isRunning());

    const VideoDownloader::Result result = resultOf(finished);
    QVERIFY2(result.ok(), qPrintable(result.errorString()));
    QCOMPARE(result.url, QUrl(address));
    QCOMPARE(QFileInfo(result.filePath).absolutePath(), QFileInfo(caches).absoluteFilePath());
    QCOMPARE(QFileInfo(result.filePath).fileName(), u"sample.mp4"_s);
    QCOMPARE(contents(result.filePath), SamplePlatform::sampleVideo());
    QCOMPARE(entries(caches), QStringList { u"sample.mp4"_s });

    QVERIFY(!progress.isEmpty());
    const qint64 size = SamplePlatform::sampleVideo().size();
    QCOMPARE(progress.constLast().at(0).toLongLong(), size);
    QCOMPARE(progress.constLast().at(1).toLongLong(), size);

    // A plain GET: none of the share page's headers.
    const QList<SamplePlatform::Request> requests = platform->requests();
    QVERIFY(!requests.isEmpty());
    for (const SamplePlatform::Request &request : requests) {
        QCOMPARE(request.method, QByteArray("GET"));
        QVERIFY(request.header("Referer").isNull());
    }
}

void TestVideoDownloader::sameAddressTwiceGivesTwoFiles()
{
    const auto platform = startedPlatform();
    QVERIFY(platform);
    QTemporaryDir dir;
    QFile earlier(dir.filePath(u"sample.mp4"_s));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier file of the same name");
    earlier.close();

    // Both run at the same time, so both pick their names while the other is under way.
    VideoDownloader first;
    VideoDownloader second;
    first.setDirectory(dir.path());
    second.setDirectory(dir.path());
    QSignalSpy firstFinished(&first, &VideoDownloader::finished);
    QSignalSpy secondFinished(&second, &VideoDownloader::finished);
    first.start(QUrl(platform->mediaUrl()));
    second.start(QUrl(platform->mediaUrl()));
    QTRY_COMPARE(firstFinished.size() + secondFinished.size(), 2);

    const VideoDownloader::Result a = resultOf(firstFinished);
    const VideoDownloader::Result b = resultOf(secondFinished);
    QVERIFY2(a.ok() && b.ok(), qPrintable(a.errorString() + b.errorString()));
    QVERIFY(a.filePath != b.filePath);
    QCOMPARE(contents(a.filePath), SamplePlatform::sampleVideo());
    QCOMPARE(contents(b.filePath), SamplePlatform::sampleVideo());
    QCOMPARE(contents(earlier.fileName()), QByteArray("an earlier file of the same name"));
    QCOMPARE(entries(dir.path()),
             (QStringList { u"sample (1).mp4"_s, u"sample (2).mp4"_s, u"sample.mp4"_s }));
}

void TestVideoDownloader::failuresLeaveNoFile_data()
{
    QTest::addColumn<SamplePlatform::Faults>("faults");
    QTest::addColumn<QByteArray>("customBody");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<FailureReason::Kind>("kind");
    using Kind = FailureReason::Kind;

    const SamplePlatform::Faults none;
    SamplePlatform::Faults reset;
    reset.resetMidBody = true;
    SamplePlatform::Faults stall;
    stall.stall = true;
    SamplePlatform::Faults notFound;
    notFound.errorStatus = 404;
    SamplePlatform::Faults serverError;
    serverError.errorStatus = 503;
    SamplePlatform::Faults multipleChoices;
    multipleChoices.errorStatus = 300;
    SamplePlatform::Faults empty;
    empty.emptyMedia = true;
    SamplePlatform::Faults text;
    text.nonVideoMedia = true;
    SamplePlatform::Faults slow;
    slow.latencyMs = 1500;
    SamplePlatform::Faults closed;
    closed.closeMidBody = true;
    SamplePlatform::Faults noLengthClosed;
    noLengthClosed.noContentLength = true;
    noLengthClosed.closeMidBody = true;
    SamplePlatform::Faults chunkedClosed = closed;
    chunkedClosed.chunked = true;
    SamplePlatform::Faults chunkedReset = reset;
    chunkedReset.chunked = true;
    SamplePlatform::Faults gzip;
    gzip.gzipMedia = true;
    SamplePlatform::Faults damagedGzip = gzip;
    damagedGzip.corruptGzip = true;
    SamplePlatform::Faults damagedGzipChunked = damagedGzip;
    damagedGzipChunked.chunked = true;
    SamplePlatform::Faults cutGzip = gzip;
    cutGzip.closeMidBody = true;

    QTest::newRow("reset mid-body")
        << reset << QByteArray() << QString() << Kind::IncompleteTransfer;
    QTest::newRow("stall mid-body")
        << stall << QByteArray() << u"No data arrived"_s << Kind::TimedOut;
    QTest::newRow("no answer at all")
        << slow << QByteArray() << u"No data arrived"_s << Kind::TimedOut;
    QTest::newRow("404") << notFound << QByteArray() << u"status 404"_s << Kind::HttpStatus;
    QTest::newRow("503") << serverError << QByteArray() << u"status 503"_s << Kind::HttpStatus;
    QTest::newRow("300 without an address")
        << multipleChoices << QByteArray() << u"redirect"_s << Kind::RefusedRedirect;
    QTest::newRow("empty body") << empty << QByteArray() << u"empty"_s << Kind::WrongContent;
    QTest::newRow("plain text body")
        << text << QByteArray() << u"not a video"_s << Kind::WrongContent;
    QTest::newRow("HTML sent as video/mp4")
        << none << QByteArray("<!DOCTYPE html><html><body>login first</body></html>")
        << u"not a video"_s << Kind::WrongContent;
    QTest::newRow("closed in order mid-body")
        << closed << QByteArray() << QString() << Kind::IncompleteTransfer;
    QTest::newRow("no Content-Length, closed early")
        << noLengthClosed << QByteArray() << u"before the end of the file"_s
        << Kind::IncompleteTransfer;
    QTest::newRow("chunked, closed early")
        << chunkedClosed << QByteArray() << QString() << Kind::IncompleteTransfer;
    QTest::newRow("chunked, reset")
        << chunkedReset << QByteArray() << QString() << Kind::IncompleteTransfer;
    QTest::newRow("gzip, damaged")
        << damagedGzip << QByteArray() << u"decompressed: "_s << Kind::DecompressionFailed;
    QTest::newRow("gzip, damaged, chunked")
        << damagedGzipChunked << QByteArray() << u"decompressed: "_s << Kind::DecompressionFailed;
    QTest::newRow("gzip, closed early")
        << cutGzip << QByteArray() << QString() << Kind::IncompleteTransfer;
}

void TestVideoDownloader::failuresLeaveNoFile()
{
    QFETCH(SamplePlatform::Faults, faults);
    QFETCH(QByteArray, customBody);
    QFETCH(QString, reason);
    QFETCH(FailureReason::Kind, kind);
    const auto platform = startedPlatform(faults);
    QVERIFY(platform);
    const QString address = customBody.isEmpty()
        ? platform->mediaUrl()
        : platform->customMediaUrl(customBody, "video/mp4", "attachment; filename=x.mp4");
    QTemporaryDir dir;

    VideoDownloader downloader;
    downloader.setDirectory(dir.path());
    downloader.setInactivityTimeout(300ms);
    QSignalSpy finished(&downloader, &VideoDownloader::finished);
    downloader.start(QUrl(address));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);

    const VideoDownloader::Result result = resultOf(finished);
    QVERIFY(!result.ok());
    QVERIFY(result.filePath.isEmpty());
    QCOMPARE(result.status, JobOutcome::Status::Failed);
    QVERIFY(result.failure);
    QCOMPARE(result.failure->kind(), kind);
    QVERIFY2(result.errorString().contains(reason), qPrintable(result.errorString()));
    // A reason never stops at its colon ("Decompression failed: ").
    QVERIFY2(!result.errorString().trimmed().endsWith(u':'), qPrintable(result.errorString()));
    QCOMPARE(entries(dir.path()), QStringList());
    // Proves that no second report follows within a short bound.
    QTest::qWait(50);
    QCOMPARE(finished.size(), 1);
}

void TestVideoDownloader::redirectsNotFollowedAreTheReason_data()
{
    QTest::addColumn<bool>("loop");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<FailureReason::Kind>("kind");
    // The play address on the HTTPS side redirects to the media on the plain HTTP web origin.
    QTest::newRow("https to http")
        << false << u"from https to http://"_s << FailureReason::Kind::RefusedRedirect;
    QTest::newRow("redirect loop")
        << true << u"more than 20 redirects"_s << FailureReason::Kind::TooManyRedirects;
}

void TestVideoDownloader::redirectsNotFollowedAreTheReason()
{
    QFETCH(bool, loop);
    QFETCH(QString, reason);
    QFETCH(FailureReason::Kind, kind);
    SamplePlatform::Faults faults;
    faults.redirectLoop = loop;
    const auto platform = startedPlatform(faults);
    QVERIFY(platform);
    const SamplePlatform::Item item = platform->items().constFirst();
    const QString address = loop
        ? platform->shortLink(item)
        : platform->endpoints().shareOrigin + u"/aweme/v1/play/?video_id="_s + item.playUri;
    QTemporaryDir dir;

    VideoDownloader downloader;
    downloader.setDirectory(dir.path());
    QSignalSpy finished(&downloader, &VideoDownloader::finished);
    downloader.start(QUrl(address));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);

    const VideoDownloader::Result result = resultOf(finished);
    QCOMPARE(result.failure.value_or(FailureReason()).kind(), kind);
    QVERIFY2(result.errorString().contains(reason), qPrintable(result.errorString()));
    QVERIFY2(!result.errorString().contains(u"status"_s), qPrintable(result.errorString()));
    QCOMPARE(entries(dir.path()), QStringList());
}

void TestVideoDownloader::addressesThatAreNoWebAddressFailLater_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::newRow("empty") << QUrl();
    QTest::newRow("empty text") << QUrl(QString());
    QTest::newRow("no scheme") << QUrl(u"just some words"_s);
    QTest::newRow("local file") << QUrl(u"file:///etc/passwd"_s);
    QTest::newRow("data") << QUrl(u"data:video/mp4;base64,AAAA"_s);
    QTest::newRow("no host") << QUrl(u"http://"_s);
}

void TestVideoDownloader::addressesThatAreNoWebAddressFailLater()
{
    QFETCH(QUrl, url);
    QTemporaryDir dir;
    VideoDownloader downloader;
    downloader.setDirectory(dir.path());
    QSignalSpy finished(&downloader, &VideoDownloader::finished);
    downloader.start(url);
    QCOMPARE(finished.size(), 0); // never from inside start()
    QVERIFY(downloader.isRunning());
    QTRY_COMPARE(finished.size(), 1);
    const VideoDownloader::Result result = resultOf(finished);
    QVERIFY(!result.ok());
    QVERIFY(!result.errorString().isEmpty());
    QCOMPARE(result.url, url);
    QVERIFY(!downloader.isRunning());
    QCOMPARE(entries(dir.path()), QStringList());
}

void TestVideoDownloader::hostileNamesStayInTheDirectory_data()
{
    QTest::addColumn<QByteArray>("disposition");
    QTest::addColumn<QString>("expected");

    QTest::newRow("parent directories")
        << QByteArray("attachment; filename=\"../../x.mp4\"") << u"x.mp4"_s;
    QTest::newRow("absolute path")
        << QByteArray("attachment; filename=\"/tmp/abs.mp4\"") << u"abs.mp4"_s;
    QTest::newRow("control character")
        << QByteArray("attachment; filename=\"a\x01\x1b[2Jb.mp4\"") << u"a[2Jb.mp4"_s;
    QTest::newRow("300 characters") << "attachment; filename=\"" + QByteArray(296, 'n') + ".mp4\""
                                    << QString(196, u'n') + u".mp4"_s;
    QTest::newRow("filename* in UTF-8")
        << QByteArray("attachment; filename=\"ascii.mp4\"; "
                      "filename*=UTF-8''%E6%8A%96%E9%9F%B3%2F..%2F%E8%A7%86%E9%A2%91.mp4")
        << u"视频.mp4"_s;
    QTest::newRow("hidden") << QByteArray("attachment; filename=\".hidden\"") << u"hidden.mp4"_s;
}

void TestVideoDownloader::hostileNamesStayInTheDirectory()
{
    QFETCH(QByteArray, disposition);
    QFETCH(QString, expected);
    const auto platform = startedPlatform();
    QVERIFY(platform);
    QTemporaryDir parent;
    const QString dir = parent.filePath(u"caches/inner"_s);

    VideoDownloader downloader;
    downloader.setDirectory(dir);
    QSignalSpy finished(&downloader, &VideoDownloader::finished);
    downloader.start(
        QUrl(platform->customMediaUrl(SamplePlatform::sampleVideo(), "video/mp4", disposition)));
    QTRY_COMPARE(finished.size(), 1);

    const VideoDownloader::Result result = resultOf(finished);
    QVERIFY2(result.ok(), qPrintable(result.errorString()));
    QCOMPARE(entries(dir), QStringList { expected });
    QCOMPARE(QFileInfo(result.filePath).canonicalFilePath(),
             QFileInfo(dir + u'/' + expected).canonicalFilePath());
    QCOMPARE(entries(parent.filePath(u"caches"_s)), QStringList { u"inner"_s });
    QCOMPARE(entries(parent.path()), QStringList { u"caches"_s });
}

void TestVideoDownloader::stoppingMidTransferLeavesNoFile_data()
{
    QTest::addColumn<bool>("destroy");
    QTest::newRow("abort") << false;
    QTest::newRow("destroy") << true;
}

void TestVideoDownloader::stoppingMidTransferLeavesNoFile()
{
    QFETCH(bool, destroy);
    SamplePlatform::Faults stall;
    stall.stall = true;
    const auto platform = startedPlatform(stall);
    QVERIFY(platform);
    QTemporaryDir dir;

    auto downloader = std::make_unique<VideoDownloader>();
    downloader->setDirectory(dir.path());
    QSignalSpy finished(downloader.get(), &VideoDownloader::finished);
    QSignalSpy progress(downloader.get(), &VideoDownloader::progress);
    // Big enough that the part sent before the stall tells the type, so the name is claimed.
    downloader->start(QUrl(platform->customMediaUrl(paddedVideo(512 * 1024), "video/mp4")));
    QTRY_VERIFY(!progress.isEmpty() && progress.constLast().at(0).toLongLong() > 0);
    QCOMPARE(entries(dir.path()).size(), 1); // the name is claimed while the body arrives

    if (destroy) {
        downloader.reset();
        QCOMPARE(entries(dir.path()), QStringList());
        return;
    }
    downloader->abort();
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(resultOf(finished).status, JobOutcome::Status::Cancelled);
    QCOMPARE(resultOf(finished).failure->kind(), FailureReason::Kind::Cancelled);
    QCOMPARE(entries(dir.path()), QStringList());
    downloader->abort();
    // Proves that the second abort reports nothing within a short bound.
    QTest::qWait(50);
    QCOMPARE(finished.size(), 1);
}

void TestVideoDownloader::secondStartWhileRunningFailsAlone()
{
    const auto platform = startedPlatform();
    QVERIFY(platform);
    QTemporaryDir dir;
    VideoDownloader downloader;
    downloader.setDirectory(dir.path());
    QSignalSpy finished(&downloader, &VideoDownloader::finished);
    const QUrl other(u"http://localhost:1/other.mp4"_s);
    downloader.start(QUrl(platform->mediaUrl()));
    downloader.start(other);
    QTRY_COMPARE(finished.size(), 2);

    const auto first = finished.at(0).constFirst().value<VideoDownloader::Result>();
    const auto second = finished.at(1).constFirst().value<VideoDownloader::Result>();
    const VideoDownloader::Result refused = first.url == other ? first : second;
    const VideoDownloader::Result done = first.url == other ? second : first;
    QVERIFY(!refused.ok());
    QVERIFY2(done.ok(), qPrintable(done.errorString()));
    QCOMPARE(done.url, QUrl(platform->mediaUrl()));
    QCOMPARE(entries(dir.path()), QStringList { u"sample.mp4"_s });
}

void TestVideoDownloader::completeInEveryFraming_data()
{
    QTest::addColumn<SamplePlatform::Faults>("faults");
    SamplePlatform::Faults chunked;
    chunked.chunked = true;
    SamplePlatform::Faults gzip;
    gzip.gzipMedia = true;
    SamplePlatform::Faults gzipChunked = gzip;
    gzipChunked.chunked = true;
    QTest::newRow("Content-Length") << SamplePlatform::Faults();
    QTest::newRow("chunked") << chunked;
    // Its own structure shows that the MP4 is whole.
    SamplePlatform::Faults untilClose;
    untilClose.noContentLength = true;
    QTest::newRow("neither length nor chunks, ended by the close") << untilClose;
    QTest::newRow("gzip although identity was asked for") << gzip;
    QTest::newRow("gzip, chunked") << gzipChunked;
}

void TestVideoDownloader::completeInEveryFraming()
{
    QFETCH(SamplePlatform::Faults, faults);
    const auto platform = startedPlatform(faults);
    QVERIFY(platform);
    QTemporaryDir dir;
    const VideoDownloader::Result result = download(QUrl(platform->mediaUrl()), dir.path());
    QVERIFY2(result.ok(), qPrintable(result.errorString()));
    QCOMPARE(contents(result.filePath), SamplePlatform::sampleVideo());
    QCOMPARE(entries(dir.path()), QStringList { u"sample.mp4"_s });
    const QList<SamplePlatform::Request> requests = platform->requests();
    QVERIFY(!requests.isEmpty());
    QCOMPARE(requests.constLast().header("Accept-Encoding"), QByteArray("identity"));
}

// Qt 6.4 takes a chunked body whose connection closes between two chunks for a whole one now and
// then; whatever Qt says, such a body must never be saved.
void TestVideoDownloader::truncatedChunkedBodyNeverCounts()
{
    SamplePlatform::Faults faults;
    faults.chunked = true;
    faults.closeMidBody = true;
    const auto platform = startedPlatform(faults);
    QVERIFY(platform);
    QTemporaryDir dir;
    for (int run = 0; run < 20; ++run) {
        const VideoDownloader::Result result = download(QUrl(platform->mediaUrl()), dir.path());
        QVERIFY2(!result.ok(), qPrintable(u"run %1 saved a cut body"_s.arg(run)));
        QCOMPARE(entries(dir.path()), QStringList());
    }
}

void TestVideoDownloader::sizesAreCapped_data()
{
    QTest::addColumn<bool>("gzip");
    QTest::addColumn<QString>("reason");
    QTest::newRow("as sent") << false << u"larger than 262144 bytes"_s;
    // A megabyte of zeros compresses to about a kilobyte: only the decoded size is over.
    QTest::newRow("as decoded") << true << u"expands past 262144 bytes"_s;
}

void TestVideoDownloader::sizesAreCapped()
{
    QFETCH(bool, gzip);
    QFETCH(QString, reason);
    SamplePlatform::Faults faults;
    faults.gzipMedia = gzip;
    const auto platform = startedPlatform(faults);
    QVERIFY(platform);
    QTemporaryDir dir;
    const QUrl url(platform->customMediaUrl(paddedVideo(1024 * 1024), "video/mp4"));
    const VideoDownloader::Result result = download(url, dir.path(), 256 * 1024);
    QVERIFY(!result.ok());
    QVERIFY2(result.errorString().contains(reason), qPrintable(result.errorString()));
    QCOMPARE(entries(dir.path()), QStringList());
}

// Under the sanitizers this also proves that a refused redirect leaks nothing (the leak check
// runs when the suite ends).
void TestVideoDownloader::refusedRedirectLeavesNothingBehind()
{
    QTest::failOnWarning(QRegularExpression(u"invalid nullptr parameter"_s));
    const auto platform = startedPlatform();
    QVERIFY(platform);
    const QUrl url(platform->endpoints().shareOrigin + u"/aweme/v1/play/?video_id="_s
                   + platform->items().constFirst().playUri);
    QTemporaryDir dir;
    for (int run = 0; run < 20; ++run) {
        const VideoDownloader::Result result = download(url, dir.path());
        QVERIFY(!result.ok());
        QVERIFY2(result.errorString().contains(u"from https to http://"_s),
                 qPrintable(result.errorString()));
    }
    QCOMPARE(entries(dir.path()), QStringList());
}

void TestVideoDownloader::extensionComesFromTheContent_data()
{
    QTest::addColumn<QByteArray>("disposition");
    QTest::addColumn<QString>("expected");
    QTest::newRow("desktop file") << QByteArray("attachment; filename=run.desktop") << u"run.mp4"_s;
    QTest::newRow("shell script") << QByteArray("attachment; filename=install.sh")
                                  << u"install.mp4"_s;
    QTest::newRow("direction marks") << QByteArray("attachment; filename*=UTF-8''a%E2%80%8Fb"
                                                   "%E2%80%8E%D8%9C%E2%80%8B.mp4")
                                     << u"ab.mp4"_s;
}

void TestVideoDownloader::extensionComesFromTheContent()
{
    QFETCH(QByteArray, disposition);
    QFETCH(QString, expected);
    const auto platform = startedPlatform();
    QVERIFY(platform);
    QTemporaryDir dir;
    const QUrl url(platform->customMediaUrl(SamplePlatform::sampleVideo(), "application/x-desktop",
                                            disposition));
    const VideoDownloader::Result result = download(url, dir.path());
    QVERIFY2(result.ok(), qPrintable(result.errorString()));
    QCOMPARE(entries(dir.path()), QStringList { expected });
}

void TestVideoDownloader::fullDiskFailsWithTheSystemsReason_data()
{
    QTest::addColumn<qint64>("freeBytes");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<QString>("name"); // named: its validators are written beside the ".part"
    QTest::newRow("full at the start") << qint64(0) << false << QString();
    QTest::newRow("full at the start, named") << qint64(0) << false << u"clip.mp4"_s;
    QTest::newRow("full in the last block") << qint64(196608) << false << QString();
    QTest::newRow("full in the last block, named") << qint64(196608) << false << u"clip.mp4"_s;
    QTest::newRow("room enough") << qint64(262144) << true << QString();
    QTest::newRow("room enough, named") << qint64(262144) << true << u"clip.mp4"_s;
}

void TestVideoDownloader::fullDiskFailsWithTheSystemsReason()
{
    QFETCH(qint64, freeBytes);
    QFETCH(bool, fits);
    QFETCH(QString, name);
    SmallFileSystem disk;
    if (!disk.mount(1024 * 1024))
        QSKIP(qPrintable(u"no small file system to fill: "_s + disk.errorString()));
    QVERIFY(disk.leaveFree(freeBytes));
    const auto platform = startedPlatform();
    QVERIFY(platform);
    const QByteArray video = paddedVideo(204800);

    VideoDownloader downloader;
    downloader.setDirectory(disk.path());
    downloader.setFileName(name);
    QSignalSpy finished(&downloader, &VideoDownloader::finished);
    downloader.start(QUrl(platform->customMediaUrl(video, "video/mp4")));
    QTRY_COMPARE(finished.size(), 1);
    const VideoDownloader::Result result = resultOf(finished);
    if (fits) {
        QVERIFY2(result.ok(), qPrintable(result.errorString()));
        QCOMPARE(contents(result.filePath), video);
        QCOMPARE(entries(disk.path()).size(), 2); // the filler and the file, nothing beside
        return;
    }
    QVERIFY(!result.ok());
    QVERIFY2(result.errorString().contains(u"No space left on device"_s),
             qPrintable(result.errorString()));
    QCOMPARE(entries(disk.path()), QStringList { SmallFileSystem::fillerName() });
}

void TestVideoDownloader::filesAreWhatTheyClaim_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<MediaKind>("kind");
    QTest::addColumn<bool>("chunked");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<QString>("name"); // given with setFileName(); empty: the response's
    // The saved file's name, or a part of the reason (when the cut is seen, Qt's own or ours).
    QTest::addColumn<QString>("expected");

    const QByteArray jpeg = TestMedia::sampleJpeg();
    const QByteArray video = SamplePlatform::sampleVideo();
    const auto add = [](const char *row, const QByteArray &body, MediaKind kind, bool chunked,
                        bool cut, const QString &name, const QString &expected) {
        QTest::newRow(row) << body << kind << chunked << cut << name << expected;
    };
    add("JPEG", jpeg, MediaKind::Image, false, false, {}, u"shot.jpg"_s);
    add("JPEG, chunked", jpeg, MediaKind::Image, true, false, {}, u"shot.jpg"_s);
    add("JPEG, chunked and cut", jpeg, MediaKind::Image, true, true, {}, {});
    add("PNG, chunked", TestMedia::png(), MediaKind::Image, true, false, {}, u"shot.png"_s);
    add("PNG, chunked and cut", TestMedia::png(), MediaKind::Image, true, true, {}, {});
    add("WebP, chunked", TestMedia::webp(), MediaKind::Image, true, false, {}, u"shot.webp"_s);
    add("JPEG named as a video", jpeg, MediaKind::Image, false, false, u"1 (2).mp4"_s,
        u"1 (2).jpg"_s);
    add("video named without extension", video, MediaKind::Video, false, false, u"clip"_s,
        u"clip.mp4"_s);
    add("video where an image is expected", video, MediaKind::Image, false, false, {},
        u"not an image"_s);
    add("image where a video is expected", jpeg, MediaKind::Video, false, false, {},
        u"not a video"_s);
    add("text where an image is expected", QByteArray("<html>sign in</html>"), MediaKind::Image,
        false, false, u"a.jpg"_s, u"not an image"_s);
}

// Images and videos alike: the bytes must be of the expected kind, a body without a length must
// show its own end, and the extension is the content's.
void TestVideoDownloader::filesAreWhatTheyClaim()
{
    QFETCH(QByteArray, body);
    QFETCH(MediaKind, kind);
    QFETCH(bool, chunked);
    QFETCH(bool, cut);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    SamplePlatform::Faults faults;
    faults.chunked = chunked;
    faults.closeMidBody = cut;
    const auto platform = startedPlatform(faults);
    QVERIFY(platform);
    QTemporaryDir dir;
    const QUrl url(platform->customMediaUrl(body, "application/octet-stream",
                                            "attachment; filename=shot.bin"));

    VideoDownloader downloader;
    downloader.setDirectory(dir.path());
    downloader.setExpectedKind(kind);
    downloader.setFileName(name);
    QSignalSpy finished(&downloader, &VideoDownloader::finished);
    downloader.start(url);
    QTRY_COMPARE(finished.size(), 1);

    const VideoDownloader::Result result = resultOf(finished);
    if (!expected.contains(u'.')) {
        QVERIFY2(!result.ok(), qPrintable(result.filePath));
        QVERIFY2(result.errorString().contains(expected), qPrintable(result.errorString()));
        QCOMPARE(entries(dir.path()), QStringList());
        return;
    }
    QVERIFY2(result.ok(), qPrintable(result.errorString()));
    QCOMPARE(entries(dir.path()), QStringList { expected });
    QCOMPARE(contents(result.filePath), body);
}

void TestVideoDownloader::retriesOnPassingFailures_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("faultyAnswers");
    QTest::addColumn<int>("retries");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<int>("requests");
    QTest::newRow("two 503s, three retries") << 503 << 2 << 3 << true << 3;
    QTest::newRow("two 503s, one retry") << 503 << 2 << 1 << false << 2;
    QTest::newRow("two 429s") << 429 << 2 << 3 << true << 3;
    QTest::newRow("a 500 every time") << 500 << 0 << 2 << false << 3;
    QTest::newRow("404 is final") << 404 << 1 << 3 << false << 1;
    QTest::newRow("no retries by default") << 503 << 1 << -1 << false << 1;
}

void TestVideoDownloader::retriesOnPassingFailures()
{
    QFETCH(int, status);
    QFETCH(int, faultyAnswers);
    QFETCH(int, retries);
    QFETCH(bool, saved);
    QFETCH(int, requests);
    SamplePlatform::Faults faults;
    faults.errorStatus = status;
    faults.faultyMediaAnswers = faultyAnswers;
    const auto platform = startedPlatform(faults);
    QVERIFY(platform);
    QTemporaryDir dir;

    VideoDownloader downloader;
    downloader.setDirectory(dir.path());
    if (retries >= 0)
        downloader.setRetries(retries);
    downloader.setRetryDelay(5ms);
    QSignalSpy finished(&downloader, &VideoDownloader::finished);
    QSignalSpy retrying(&downloader, &VideoDownloader::retrying);
    downloader.start(QUrl(platform->mediaUrl()));
    QTRY_COMPARE(finished.size(), 1);

    const VideoDownloader::Result result = resultOf(finished);
    QCOMPARE(result.ok(), saved);
    QCOMPARE(retrying.size(), requests - 1);
    for (int i = 0; i < retrying.size(); ++i) {
        QCOMPARE(retrying.at(i).at(0).toInt(), i + 1);
        // Exponential back-off: 5 ms, 10 ms, 20 ms, …
        QCOMPARE(retrying.at(i).at(2).value<std::chrono::milliseconds>(), 5ms * (1 << i));
    }
    QCOMPARE(platform->requests().size(), requests);
    if (saved)
        QCOMPARE(contents(result.filePath), SamplePlatform::sampleVideo());
    else
        QVERIFY2(result.errorString().contains(u"status %1"_s.arg(status)),
                 qPrintable(result.errorString()));
    QCOMPARE(entries(dir.path()), saved ? QStringList { u"sample.mp4"_s } : QStringList());
}

void TestVideoDownloader::resumesWhereTheTransferBroke_data()
{
    QTest::addColumn<SamplePlatform::Faults>("faults");
    QTest::addColumn<bool>("resumed"); // the retry asks for the rest only
    SamplePlatform::Faults reset;
    reset.resetMidBody = true;
    reset.faultyMediaAnswers = 1;
    SamplePlatform::Faults closed = reset;
    closed.resetMidBody = false;
    closed.closeMidBody = true;
    SamplePlatform::Faults stalled = reset;
    stalled.resetMidBody = false;
    stalled.stall = true;
    SamplePlatform::Faults rangeIgnored = reset;
    rangeIgnored.ignoreRange = true;
    SamplePlatform::Faults chunkedReset = reset;
    chunkedReset.chunked = true;
    QTest::newRow("reset mid-body") << reset << true;
    QTest::newRow("closed mid-body") << closed << true;
    QTest::newRow("stalled mid-body") << stalled << true;
    QTest::newRow("reset, the server ignores Range") << rangeIgnored << true;
    QTest::newRow("reset, chunked: no total to resume against") << chunkedReset << false;
}

void TestVideoDownloader::resumesWhereTheTransferBroke()
{
    QFETCH(SamplePlatform::Faults, faults);
    QFETCH(bool, resumed);
    const auto platform = startedPlatform(faults);
    QVERIFY(platform);
    QTemporaryDir dir;
    // Padding is no MP4 box: a chunked body gets the bare sample, whose boxes show its end.
    const QByteArray video
        = faults.chunked ? SamplePlatform::sampleVideo() : paddedVideo(512 * 1024);
    const QUrl url(platform->customMediaUrl(video, "video/mp4"));

    VideoDownloader downloader;
    downloader.setDirectory(dir.path());
    downloader.setRetries(1);
    downloader.setRetryDelay(5ms);
    downloader.setInactivityTimeout(500ms);
    QSignalSpy finished(&downloader, &VideoDownloader::finished);
    downloader.start(url);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);

    const VideoDownloader::Result result = resultOf(finished);
    QVERIFY2(result.ok(), qPrintable(result.errorString()));
    QCOMPARE(contents(result.filePath), video);
    QCOMPARE(entries(dir.path()).size(), 1);
    // Qt sends a request once more by itself when its connection is reset before the answer's
    // first bytes were read, so the broken transfer may take two requests; only the
    // downloader's own retry, the last request, may ask for a range.
    const QList<SamplePlatform::Request> requests = platform->requests();
    QVERIFY2(requests.size() == 2 || requests.size() == 3, QByteArray::number(requests.size()));
    for (qsizetype i = 0; i + 1 < requests.size(); ++i)
        QVERIFY(requests.at(i).header("Range").isNull());
    const QByteArray range = requests.constLast().header("Range");
    if (!resumed) {
        QVERIFY2(range.isNull(), range.constData());
        return;
    }
    // Asked from where the file on disk ended: after the bytes sent before the fault.
    QVERIFY2(range.startsWith("bytes=") && range.endsWith('-'), range.constData());
    QVERIFY2(range.mid(6).chopped(1).toLongLong() > 0, range.constData());
}

void TestVideoDownloader::stoppedDownloadResumesLater_data()
{
    QTest::addColumn<bool>("continuePartial");
    QTest::newRow("resumed") << true;
    QTest::newRow("started over") << false;
}

// stop() keeps the ".part" and nothing under the final name; a later download of the same name
// takes it over.
void TestVideoDownloader::stoppedDownloadResumesLater()
{
    QFETCH(bool, continuePartial);
    SamplePlatform::Faults stall;
    stall.stall = true;
    stall.faultyMediaAnswers = 1;
    const auto platform = startedPlatform(stall);
    QVERIFY(platform);
    QTemporaryDir dir;
    const QByteArray video = paddedVideo(512 * 1024);
    const QUrl url(platform->customMediaUrl(video, "video/mp4"));

    VideoDownloader first;
    first.setDirectory(dir.path());
    first.setFileName(u"clip.mp4"_s);
    QSignalSpy firstFinished(&first, &VideoDownloader::finished);
    QSignalSpy progress(&first, &VideoDownloader::progress);
    first.start(url);
    QTRY_VERIFY(!progress.isEmpty() && progress.constLast().at(0).toLongLong() > 0);
    QCOMPARE(entries(dir.path()), (QStringList { u"clip.mp4.part"_s, u"clip.mp4.part.meta"_s }));
    first.stop();
    QTRY_COMPARE(firstFinished.size(), 1);
    QCOMPARE(resultOf(firstFinished).status, JobOutcome::Status::Stopped);
    QVERIFY(!resultOf(firstFinished).failure);
    QCOMPARE(first.keptPartialPath(), dir.filePath(u"clip.mp4.part"_s));
    QCOMPARE(entries(dir.path()), (QStringList { u"clip.mp4.part"_s, u"clip.mp4.part.meta"_s }));
    const qint64 kept = QFileInfo(first.keptPartialPath()).size();
    QVERIFY(kept > 0 && kept < video.size());

    platform->clearRequests();
    VideoDownloader second;
    second.setDirectory(dir.path());
    second.setFileName(u"clip.mp4"_s);
    second.setContinuePartial(continuePartial);
    QSignalSpy secondFinished(&second, &VideoDownloader::finished);
    second.start(url);
    QTRY_COMPARE(secondFinished.size(), 1);
    QVERIFY2(resultOf(secondFinished).ok(), qPrintable(resultOf(secondFinished).errorString()));
    QCOMPARE(contents(resultOf(secondFinished).filePath), video);
    QCOMPARE(entries(dir.path()), QStringList { u"clip.mp4"_s });
    const QByteArray range = platform->requests().constFirst().header("Range");
    QCOMPARE(range, continuePartial ? "bytes=" + QByteArray::number(kept) + '-' : QByteArray());
}

void TestVideoDownloader::resumeNeverJoinsTwoVersions_data()
{
    QTest::addColumn<bool>("acrossRuns"); // else the file changes while one run retries
    QTest::addColumn<SamplePlatform::Faults>("server");
    QTest::addColumn<qsizetype>("secondSize"); // 0: the file does not change
    // Whether the answer to the resume was refused and the whole file asked for once more.
    QTest::addColumn<bool>("askedAgain");

    const qsizetype size = 512 * 1024;
    SamplePlatform::Faults honest;
    SamplePlatform::Faults ignoresIfRange;
    ignoresIfRange.ignoreIfRange = true;
    SamplePlatform::Faults noValidators;
    noValidators.noValidators = true;
    SamplePlatform::Faults unsatisfiable;
    unsatisfiable.unsatisfiableRange = true;
    for (const bool acrossRuns : { true, false }) {
        const auto add = [acrossRuns](const char *row, const SamplePlatform::Faults &server,
                                      qsizetype secondSize, bool askedAgain) {
            QTest::addRow("%s: %s", acrossRuns ? "between runs" : "during a retry", row)
                << acrossRuns << server << secondSize << askedAgain;
        };
        add("same file", honest, 0, false);
        add("changed, If-Range honoured", honest, size, false);
        add("changed, If-Range ignored", ignoresIfRange, size, true);
        add("changed size, If-Range ignored", ignoresIfRange, size + 4096, true);
        add("no validators, same file", noValidators, 0, false);
        add("no validators, changed", noValidators, size, true);
        add("no validators, changed size", noValidators, size - 4096, true);
        add("416 on the resume", unsatisfiable, 0, true);
    }
}

// A ".part" left by a stop or a broken transfer is resumed only with bytes of the same version
// of the file; any other answer starts the file over, and what is saved is one whole version.
void TestVideoDownloader::resumeNeverJoinsTwoVersions()
{
    QFETCH(bool, acrossRuns);
    QFETCH(SamplePlatform::Faults, server);
    QFETCH(qsizetype, secondSize);
    QFETCH(bool, askedAgain);
    SamplePlatform::Faults faults = server;
    faults.faultyMediaAnswers = 1;
    faults.stall = acrossRuns;
    faults.resetMidBody = !acrossRuns;
    const auto platform = startedPlatform(faults);
    QVERIFY(platform);
    QTemporaryDir dir;
    const QByteArray first = videoVersion(1, 512 * 1024);
    const QByteArray second = secondSize > 0 ? videoVersion(2, secondSize) : first;
    const QUrl url(platform->versionedMediaUrl({ first, second }, "video/mp4"));

    VideoDownloader downloader;
    downloader.setDirectory(dir.path());
    downloader.setFileName(u"clip.mp4"_s);
    downloader.setRetryDelay(5ms);
    downloader.setRetries(acrossRuns ? 0 : 1);
    QSignalSpy finished(&downloader, &VideoDownloader::finished);
    if (acrossRuns) {
        QSignalSpy progress(&downloader, &VideoDownloader::progress);
        downloader.start(url);
        QTRY_VERIFY(!progress.isEmpty() && progress.constLast().at(0).toLongLong() > 0);
        downloader.stop();
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(!downloader.keptPartialPath().isEmpty());
        finished.clear();
    }
    downloader.start(url);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    const VideoDownloader::Result result = resultOf(finished);
    QVERIFY2(result.ok(), qPrintable(result.errorString()));
    QVERIFY2(contents(result.filePath) == second, "the saved file is not the server's file");
    QCOMPARE(entries(dir.path()), QStringList { u"clip.mp4"_s });

    // The resume asked for a range, naming the version on disk when the server named it.
    const QList<SamplePlatform::Request> requests = platform->requests();
    const auto resume = std::find_if(requests.cbegin(), requests.cend(),
                                     [](const auto &r) { return !r.header("Range").isNull(); });
    QVERIFY(resume != requests.cend());
    QCOMPARE(resume->header("If-Range").isEmpty(), server.noValidators);
    QCOMPARE(resume != requests.cend() - 1, askedAgain);
    QVERIFY(std::none_of(resume + 1, requests.cend(),
                         [](const auto &r) { return !r.header("Range").isNull(); }));
}

void TestVideoDownloader::brokenTransferKeepsItsPartForTheNextRun_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("continuePartial");
    QTest::addColumn<int>("status"); // 0: the body breaks off
    QTest::addColumn<bool>("kept");
    QTest::newRow("named, resuming") << u"clip.mp4"_s << true << 0 << true;
    QTest::newRow("named, starting over") << u"clip.mp4"_s << false << 0 << false;
    QTest::newRow("unnamed: never taken over") << QString() << true << 0 << false;
    QTest::newRow("a 404 breaks nothing off") << u"clip.mp4"_s << true << 404 << false;
}

// Out of retries, a named transfer that broke keeps its bytes and their validators; the next run
// asks only for the rest.
void TestVideoDownloader::brokenTransferKeepsItsPartForTheNextRun()
{
    QFETCH(QString, name);
    QFETCH(bool, continuePartial);
    QFETCH(int, status);
    QFETCH(bool, kept);
    SamplePlatform::Faults broken;
    broken.resetMidBody = status == 0;
    broken.errorStatus = status;
    const auto platform = startedPlatform(broken);
    QVERIFY(platform);
    QTemporaryDir dir;
    const QByteArray video = paddedVideo(512 * 1024);
    const QUrl url(platform->customMediaUrl(video, "video/mp4"));

    VideoDownloader downloader;
    downloader.setDirectory(dir.path());
    downloader.setFileName(name);
    downloader.setContinuePartial(continuePartial);
    downloader.setRetries(1);
    downloader.setRetryDelay(5ms);
    QSignalSpy finished(&downloader, &VideoDownloader::finished);
    downloader.start(url);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QVERIFY(!resultOf(finished).ok());
    if (!kept) {
        QCOMPARE(downloader.keptPartialPath(), QString());
        QCOMPARE(entries(dir.path()), QStringList());
        return;
    }
    QCOMPARE(downloader.keptPartialPath(), dir.filePath(u"clip.mp4.part"_s));
    QCOMPARE(entries(dir.path()), (QStringList { u"clip.mp4.part"_s, u"clip.mp4.part.meta"_s }));
    const qint64 onDisk = QFileInfo(downloader.keptPartialPath()).size();
    QVERIFY(onDisk > 0 && onDisk < video.size());

    platform->setFaults({});
    platform->clearRequests();
    finished.clear();
    downloader.start(url);
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY2(resultOf(finished).ok(), qPrintable(resultOf(finished).errorString()));
    QCOMPARE(contents(resultOf(finished).filePath), video);
    QCOMPARE(entries(dir.path()), QStringList { u"clip.mp4"_s });
    const SamplePlatform::Request resume = platform->requests().constFirst();
    QCOMPARE(resume.header("Range"), "bytes=" + QByteArray::number(onDisk) + '-');
    QVERIFY(!resume.header("If-Range").isEmpty());
}

QTEST_GUILESS_MAIN(TestVideoDownloader)
#include "tst_videodownloader.moc"
