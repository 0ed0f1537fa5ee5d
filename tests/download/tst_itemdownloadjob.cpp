#include "ItemDownloadJob.h"
#include "MediaFetch.h"
#include "NetworkTrust.h"
#include "SamplePlatform.h"
#include "TemporaryHome.h"
#include "TestFiles.h"
#include "VideoAlbum.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using TestFiles::contents;
using TestFiles::entries;
using Status = JobOutcome::Status;
using Kind = FailureReason::Kind;
using AlbumStep = ItemDownloadJob::AlbumStep;

namespace {

enum class Shape {
    Video, //!< a parsed video: its record names the file
    PlayAddress, //!< a play address given as it is: the server names the file
    Gallery, //!< the sample gallery of three pictures
    GalleryWithText, //!< its second picture is text
    Empty, //!< a record with neither a video nor pictures
};

enum class Interruption {
    None,
    Cancel, //!< once file interruptAt has bytes (it stalls there)
    Stop,
};

QByteArray servedImage(int number)
{
    return contents(u":/sample-platform/image-"_s + QString::number(number) + u".jpg"_s);
}

} // namespace

Q_DECLARE_METATYPE(Shape)
Q_DECLARE_METATYPE(Interruption)
Q_DECLARE_METATYPE(AlbumStep)
Q_DECLARE_METATYPE(Status)

class TestItemDownloadJob : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void outcomes_data();
    void outcomes();
    void picturesAreNumberedAndNeverReplaceAFile();
    void httpsToHttpIsRefused_data();
    void httpsToHttpIsRefused();

private:
    ItemDownloadJob::Item item(Shape shape);
    QString stem(Shape shape) const;

    TemporaryHome m_home;
    SamplePlatform m_platform;
};

void TestItemDownloadJob::initTestCase()
{
    QVERIFY(m_home.activate());
    QVERIFY(m_platform.start());
    QString error;
    QVERIFY2(NetworkTrust::addCaCertificates(SamplePlatform::caCertificatesPath(), &error),
             qPrintable(error));
}

void TestItemDownloadJob::init()
{
    m_platform.setFaults({});
    QDir(VideoAlbum::directory()).removeRecursively();
    QDir(VideoAlbum::picturesDirectory()).removeRecursively();
}

ItemDownloadJob::Item TestItemDownloadJob::item(Shape shape)
{
    const bool gallery = shape == Shape::Gallery || shape == Shape::GalleryWithText;
    const SamplePlatform::Item served = m_platform.item(
        gallery ? SamplePlatform::PageVariant::Gallery : SamplePlatform::PageVariant::Real);
    const QString video
        = m_platform.endpoints().webOrigin + u"/aweme/v1/play/?video_id="_s + served.playUri;
    QStringList images = served.imageUrls;
    if (shape == Shape::GalleryWithText)
        images[1] = m_platform.customMediaUrl("just text", "text/plain");
    if (shape == Shape::PlayAddress)
        return { std::nullopt, video, QString() };
    if (shape == Shape::Empty)
        return { VideoInfo::full(served.nickname, served.description, QString(), QString(), {},
                                 u"test"_s),
                 QString(), served.videoId };
    return { VideoInfo::full(served.nickname, served.description, gallery ? QString() : video,
                             served.coverUrl, gallery ? images : QStringList(), u"test"_s),
             gallery ? QString() : video, served.videoId };
}

// The default template's name without its extension: "author - title [id]".
QString TestItemDownloadJob::stem(Shape shape) const
{
    const SamplePlatform::Item served
        = m_platform.item(shape == Shape::Video ? SamplePlatform::PageVariant::Real
                                                : SamplePlatform::PageVariant::Gallery);
    return served.nickname + u" - "_s + served.description + u" ["_s + served.videoId + u']';
}

void TestItemDownloadJob::outcomes_data()
{
    QTest::addColumn<Shape>("shape");
    QTest::addColumn<AlbumStep>("album");
    QTest::addColumn<bool>("cover");
    QTest::addColumn<Interruption>("interruption");
    QTest::addColumn<int>("interruptAt"); // the file, from 1, that stalls and is interrupted
    QTest::addColumn<Status>("status");
    // The files of the outcome, in order: "{dir}", "{videos}" or "{pictures}", then the name
    // with "{stem}" for the default template's stem; a role after "=".
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("failedFile");
    QTest::addColumn<QStringList>("labels"); // the progress labels, in order, without repeats
    QTest::addColumn<bool>("partKept"); // a .part stays in the folder for a resume

    const QStringList pictureLabels { u"Picture 1 of 3"_s, u"Picture 2 of 3"_s,
                                      u"Picture 3 of 3"_s };
    const QStringList pictures { u"{dir}/{stem} 1.jpg=image"_s, u"{dir}/{stem} 2.jpg=image"_s,
                                 u"{dir}/{stem} 3.jpg=image"_s };
    QStringList inAlbum = pictures;
    inAlbum.replaceInStrings(u"{dir}"_s, u"{pictures}"_s);

    QTest::newRow("video, named by the template")
        << Shape::Video << AlbumStep::None << false << Interruption::None << 0 << Status::Done
        << QStringList { u"{dir}/{stem}.mp4=video"_s } << 0 << QStringList { QString() } << false;
    QTest::newRow("play address, named by the server")
        << Shape::PlayAddress << AlbumStep::None << false << Interruption::None << 0 << Status::Done
        << QStringList { u"{dir}/sample.mp4=video"_s } << 0 << QStringList { QString() } << false;
    QTest::newRow("gallery in order, then the cover")
        << Shape::Gallery << AlbumStep::None << true << Interruption::None << 0 << Status::Done
        << (QStringList(pictures) << u"{dir}/{stem} cover.jpg=cover"_s) << 0
        << (QStringList(pictureLabels) << u"Cover"_s) << false;
    QTest::newRow("video copied into the album")
        << Shape::Video << AlbumStep::CopyVideos << false << Interruption::None << 0 << Status::Done
        << QStringList { u"{dir}/{stem}.mp4=video"_s, u"{videos}/{stem}.mp4=album"_s } << 0
        << QStringList { QString() } << false;
    QTest::newRow("video moved into the album")
        << Shape::Video << AlbumStep::SaveToAlbums << false << Interruption::None << 0
        << Status::Done << QStringList { u"{videos}/{stem}.mp4=video"_s } << 0
        << QStringList { QString() } << false;
    QTest::newRow("gallery moved into the picture album")
        << Shape::Gallery << AlbumStep::SaveToAlbums << false << Interruption::None << 0
        << Status::Done << inAlbum << 0 << pictureLabels << false;
    QTest::newRow("failure mid-gallery keeps what came before")
        << Shape::GalleryWithText << AlbumStep::SaveToAlbums << false << Interruption::None << 0
        << Status::Failed << inAlbum.mid(0, 1) << 2 << pictureLabels.mid(0, 2) << false;
    QTest::newRow("cancel mid-gallery removes everything")
        << Shape::Gallery << AlbumStep::SaveToAlbums << false << Interruption::Cancel << 2
        << Status::Cancelled << QStringList() << 0 << pictureLabels.mid(0, 2) << false;
    QTest::newRow("cancel mid-video leaves nothing")
        << Shape::Video << AlbumStep::CopyVideos << false << Interruption::Cancel << 1
        << Status::Cancelled << QStringList() << 0 << QStringList { QString() } << false;
    QTest::newRow("stop mid-gallery keeps the saved and the .part")
        << Shape::Gallery << AlbumStep::None << false << Interruption::Stop << 2 << Status::Stopped
        << pictures.mid(0, 1) << 0 << pictureLabels.mid(0, 2) << true;
    QTest::newRow("nothing to save")
        << Shape::Empty << AlbumStep::None << false << Interruption::None << 0 << Status::Failed
        << QStringList() << 0 << QStringList() << false;
}

void TestItemDownloadJob::outcomes()
{
    QFETCH(Shape, shape);
    QFETCH(AlbumStep, album);
    QFETCH(bool, cover);
    QFETCH(Interruption, interruption);
    QFETCH(int, interruptAt);
    QFETCH(Status, status);
    QFETCH(QStringList, files);
    QFETCH(int, failedFile);
    QFETCH(QStringList, labels);
    QFETCH(bool, partKept);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    ItemDownloadJob job;
    job.setItem(item(shape));
    job.setDirectory(dir.path());
    job.setAlbumStep(album);
    job.setCover(cover);
    QSignalSpy finished(&job, &Job::finished);
    QStringList seenLabels;
    QStringList partsInAlbums; // a transfer is staged in the folder, never in an album
    connect(&job, &Job::progress, this, [&](qint64 received, qint64, const QString &label) {
        if (seenLabels.isEmpty() || seenLabels.constLast() != label)
            seenLabels.append(label);
        for (const QString &folder : { VideoAlbum::directory(), VideoAlbum::picturesDirectory() })
            partsInAlbums += entries(folder).filter(u".part"_s);
        if (interruption != Interruption::None && seenLabels.size() == interruptAt
            && received > 0) {
            if (interruption == Interruption::Cancel)
                job.cancel();
            else
                job.stop();
        }
    });
    connect(&job, &ItemDownloadJob::fileStarted, this, [&](int number) {
        SamplePlatform::Faults stall;
        stall.stall = true;
        if (number == interruptAt)
            m_platform.setFaults(stall);
    });
    job.start();
    QVERIFY(finished.isEmpty()); // never from inside start()
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);

    const JobOutcome outcome = finished.constFirst().constFirst().value<JobOutcome>();
    QCOMPARE(outcome.status(), status);
    QStringList saved;
    for (const SavedFile &file : outcome.files()) {
        saved.append(QString(file.path + u'=' + file.role)
                         .replace(dir.path(), u"{dir}"_s)
                         .replace(VideoAlbum::directory(), u"{videos}"_s)
                         .replace(VideoAlbum::picturesDirectory(), u"{pictures}"_s)
                         .replace(stem(shape), u"{stem}"_s));
        QCOMPARE(file.size, QFileInfo(file.path).size());
        const QByteArray bytes = contents(file.path);
        if (file.role == u"image")
            QCOMPARE(bytes, servedImage(int(saved.size())));
        else if (file.role != u"cover")
            QCOMPARE(bytes, SamplePlatform::sampleVideo());
    }
    QCOMPARE(saved, files);
    QCOMPARE(outcome.isPartial(), status != Status::Done && !files.isEmpty());
    QCOMPARE(job.failedFile(), failedFile);
    QCOMPARE(seenLabels, labels);
    QCOMPARE(partsInAlbums, QStringList());
    if (shape == Shape::Empty)
        QCOMPARE(outcome.reason()->kind(), Kind::NothingToSave);
    if (shape == Shape::GalleryWithText)
        QCOMPARE(outcome.reason()->kind(), Kind::WrongContent);

    // Nothing beyond the outcome's files, but a stop's .part, is left anywhere.
    QStringList left;
    for (const QString &folder :
         { dir.path(), VideoAlbum::directory(), VideoAlbum::picturesDirectory() }) {
        for (const QString &name : entries(folder))
            left.append(folder + u'/' + name);
    }
    QStringList expected;
    for (const SavedFile &file : outcome.files())
        expected.append(file.path);
    if (partKept) {
        QVERIFY(job.keptPartialPath().endsWith(u" 2.jpg.part"_s));
        expected.append(job.keptPartialPath());
        // The version of the kept bytes stays beside them, for the resume.
        expected.append(job.keptPartialPath() + u".meta"_s);
    }
    left.sort();
    expected.sort();
    QCOMPARE(left, expected);
}

// Ten pictures: the numbers are padded, so that the names sort in order; a name that is taken
// gets a number, and a title is never a path.
void TestItemDownloadJob::picturesAreNumberedAndNeverReplaceAFile()
{
    const QString album = VideoAlbum::picturesDirectory();
    QVERIFY(QDir().mkpath(album));
    QFile taken(album + u"/_夜景 01.jpg"_s);
    QVERIFY(taken.open(QIODevice::WriteOnly));
    QCOMPARE(taken.write("mine"), 4);
    taken.close();
    QStringList addresses;
    for (int i = 0; i < 10; ++i)
        addresses.append(m_platform.item(SamplePlatform::PageVariant::Gallery).imageUrls.at(i % 3));
    QTemporaryDir dir;

    ItemDownloadJob job;
    job.setItem(
        { VideoInfo::full(QString(), u"../夜景"_s, QString(), QString(), addresses, u"test"_s),
          QString(), QString() });
    job.setDirectory(dir.path());
    job.setAlbumStep(AlbumStep::SaveToAlbums);
    QSignalSpy finished(&job, &Job::finished);
    job.start();
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
    const JobOutcome outcome = finished.constFirst().constFirst().value<JobOutcome>();
    QCOMPARE(outcome.status(), Status::Done);
    const QList<SavedFile> saved = outcome.files();
    QCOMPARE(saved.size(), 10);
    QCOMPARE(saved.constFirst().path, album + u"/_夜景 01 (1).jpg"_s);
    QCOMPARE(saved.constLast().path, album + u"/_夜景 10.jpg"_s);
    QCOMPARE(contents(taken.fileName()), QByteArray("mine"));
    for (int i = 0; i < 10; ++i)
        QCOMPARE(contents(saved.at(i).path), servedImage(i % 3 + 1));
    QCOMPARE(entries(dir.path()), QStringList());
}

void TestItemDownloadJob::httpsToHttpIsRefused_data()
{
    QTest::addColumn<bool>("toDisk"); // else a picture into memory, as the gallery view shows it
    QTest::newRow("download") << true;
    QTest::newRow("gallery picture") << false;
}

// The play address on the HTTPS side redirects to the media on the plain HTTP web origin.
void TestItemDownloadJob::httpsToHttpIsRefused()
{
    QFETCH(bool, toDisk);
    const QString address = m_platform.endpoints().shareOrigin + u"/aweme/v1/play/?video_id="_s
        + m_platform.items().constFirst().playUri;
    std::optional<FailureReason> reason;
    bool answered = false;
    QTemporaryDir dir;
    ItemDownloadJob job;
    if (toDisk) {
        job.setItem({ std::nullopt, address, QString() });
        job.setDirectory(dir.path());
        connect(&job, &Job::finished, this, [&](const JobOutcome &outcome) {
            QCOMPARE(outcome.status(), Status::Failed);
            reason = outcome.reason();
            answered = true;
        });
        job.start();
    } else {
        MediaFetch::toMemory(QUrl(address), 1024 * 1024, this,
                             [&](const MediaFetch::Answer &answer) {
                                 QVERIFY(answer.bytes.isEmpty());
                                 reason = answer.failure;
                                 answered = true;
                             });
    }
    QTRY_VERIFY_WITH_TIMEOUT(answered, 10000);
    QVERIFY(reason);
    QCOMPARE(reason->kind(), Kind::RefusedRedirect);
    QVERIFY2(reason->detail().startsWith(u"from https to http://"_s), qPrintable(reason->detail()));
    QCOMPARE(entries(dir.path()), QStringList());
}

QTEST_MAIN(TestItemDownloadJob)
#include "tst_itemdownloadjob.moc"
