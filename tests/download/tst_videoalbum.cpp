#include "SamplePlatform.h"
#include "SmallFileSystem.h"
#include "TemporaryHome.h"
#include "TestFiles.h"
#include "VideoAlbum.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;
using TestFiles::contents;

namespace {

QString writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return {};
    return path;
}

// The path of \a name in \a dir holding \a data; names starting with "missing" are not written.
QString sourceFile(const QTemporaryDir &dir, const QString &name, const QByteArray &data)
{
    const QString path = dir.filePath(name);
    return name.startsWith(u"missing"_s) ? path : writeFile(path, data);
}

QStringList albumEntries()
{
    return QDir(VideoAlbum::directory())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                   QDir::Name);
}

} // namespace

class TestVideoAlbum : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void directoryIsInsideMovies();
    void isCompatible_data();
    void isCompatible();
    void savedCopyIsIdenticalAndArrivesOnTheAlbumThread();
    void savesNeverOverwrite();
    void refusedFilesLeaveNoEntry_data();
    void refusedFilesLeaveNoEntry();
    void copyFailingHalfWayLeavesNoEntry();

private:
    TemporaryHome m_home;
};

void TestVideoAlbum::initTestCase()
{
    QVERIFY(m_home.activate());
    // Before the album's worker threads exist, so that they see the small file system too.
    QString ignored;
    SmallFileSystem::isolateMounts(&ignored);
}

void TestVideoAlbum::init()
{
    QVERIFY(VideoAlbum::directory().startsWith(m_home.path()));
    QDir(VideoAlbum::directory()).removeRecursively();
}

void TestVideoAlbum::directoryIsInsideMovies()
{
    QCOMPARE(VideoAlbum::directory(),
             QStandardPaths::writableLocation(QStandardPaths::MoviesLocation) + u"/Kivora"_s);
}

void TestVideoAlbum::isCompatible_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("compatible");

    const QByteArray video = SamplePlatform::sampleVideo();
    QTest::newRow("sample video") << u"clip.mp4"_s << video << true;
    QTest::newRow("video without extension") << u"clip"_s << video << true;
    QTest::newRow("video named as text") << u"clip.txt"_s << video << true;
    QTest::newRow("text named as video") << u"fake.mp4"_s << QByteArray("just words\n") << false;
    QTest::newRow("HTML named as video")
        << u"page.mp4"_s << QByteArray("<!DOCTYPE html><html><body></body></html>") << false;
    QTest::newRow("JPEG") << u"cover.mp4"_s << QByteArray("\xff\xd8\xff\xe0\0\x10JFIF\0", 11)
                          << false;
    QTest::newRow("empty file") << u"empty.mp4"_s << QByteArray() << false;
    QTest::newRow("missing file") << u"missing.mp4"_s << QByteArray() << false;
}

void TestVideoAlbum::isCompatible()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, data);
    QFETCH(bool, compatible);
    QTemporaryDir dir;
    const QString path = sourceFile(dir, name, data);
    QVERIFY(!path.isEmpty());
    QCOMPARE(VideoAlbum::isCompatible(path), compatible);
    QVERIFY(!VideoAlbum::isCompatible(dir.path()));
}

void TestVideoAlbum::savedCopyIsIdenticalAndArrivesOnTheAlbumThread()
{
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath(u"视频 1.mp4"_s), SamplePlatform::sampleVideo());
    QVERIFY(!source.isEmpty());

    VideoAlbum album;
    QThread *signalThread = nullptr;
    connect(
        &album, &VideoAlbum::saved, this,
        [&signalThread] { signalThread = QThread::currentThread(); }, Qt::DirectConnection);
    QSignalSpy saved(&album, &VideoAlbum::saved);
    QSignalSpy failed(&album, &VideoAlbum::saveFailed);
    album.save(source);
    QCOMPARE(saved.size(), 0);
    QTRY_COMPARE(saved.size(), 1);
    QCOMPARE(failed.size(), 0);
    QCOMPARE(signalThread, album.thread());

    QCOMPARE(saved.constFirst().at(0).toString(), source);
    const QString albumPath = saved.constFirst().at(1).toString();
    QCOMPARE(albumPath, VideoAlbum::directory() + u"/视频 1.mp4"_s);
    QCOMPARE(contents(albumPath), SamplePlatform::sampleVideo());
    QCOMPARE(contents(source), SamplePlatform::sampleVideo());
    QCOMPARE(albumEntries(), QStringList { u"视频 1.mp4"_s });
}

void TestVideoAlbum::savesNeverOverwrite()
{
    QTemporaryDir dir;
    QDir().mkpath(VideoAlbum::directory());
    QVERIFY(!writeFile(VideoAlbum::directory() + u"/clip.mp4"_s, "the user's own clip").isEmpty());
    const QString source = writeFile(dir.filePath(u"clip.mp4"_s), SamplePlatform::sampleVideo());

    // Three saves at once: each must claim its own name.
    VideoAlbum album;
    QSignalSpy saved(&album, &VideoAlbum::saved);
    QSignalSpy failed(&album, &VideoAlbum::saveFailed);
    album.save(source);
    album.save(source);
    album.save(source);
    QTRY_COMPARE(saved.size(), 3);
    QCOMPARE(failed.size(), 0);

    QCOMPARE(
        albumEntries(),
        (QStringList { u"clip (1).mp4"_s, u"clip (2).mp4"_s, u"clip (3).mp4"_s, u"clip.mp4"_s }));
    QCOMPARE(contents(VideoAlbum::directory() + u"/clip.mp4"_s), QByteArray("the user's own clip"));
    QStringList paths;
    for (const QList<QVariant> &arguments : saved) {
        paths.append(arguments.at(1).toString());
        QCOMPARE(contents(paths.constLast()), SamplePlatform::sampleVideo());
    }
    paths.removeDuplicates();
    QCOMPARE(paths.size(), 3);
}

void TestVideoAlbum::refusedFilesLeaveNoEntry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("text") << u"notes.mp4"_s << QByteArray("not a video\n");
    QTest::newRow("empty") << u"empty.mp4"_s << QByteArray();
    QTest::newRow("missing") << u"missing.mp4"_s << QByteArray();
}

void TestVideoAlbum::refusedFilesLeaveNoEntry()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, data);
    QTemporaryDir dir;
    const QString path = sourceFile(dir, name, data);
    QVERIFY(!path.isEmpty());

    VideoAlbum album;
    QSignalSpy saved(&album, &VideoAlbum::saved);
    QSignalSpy failed(&album, &VideoAlbum::saveFailed);
    album.save(path);
    QTRY_COMPARE(failed.size(), 1);
    QCOMPARE(saved.size(), 0);
    QCOMPARE(failed.constFirst().at(0).toString(), path);
    QVERIFY(!failed.constFirst().at(1).toString().isEmpty());
    QCOMPARE(albumEntries(), QStringList());
}

void TestVideoAlbum::copyFailingHalfWayLeavesNoEntry()
{
    QTemporaryDir dir;
    QByteArray video = SamplePlatform::sampleVideo();
    video.append(1056768 - video.size(), '\0');
    const QString source = writeFile(dir.filePath(u"big.mp4"_s), video);
    QVERIFY(!source.isEmpty());
    SmallFileSystem disk;
    if (!disk.mount(2 * 1024 * 1024, VideoAlbum::directory()))
        QSKIP(qPrintable(u"no small file system to fill: "_s + disk.errorString()));
    QVERIFY(disk.leaveFree(video.size() / 2));

    VideoAlbum album;
    QSignalSpy saved(&album, &VideoAlbum::saved);
    QSignalSpy failed(&album, &VideoAlbum::saveFailed);
    album.save(source);
    QTRY_COMPARE(failed.size() + saved.size(), 1);
    QCOMPARE(saved.size(), 0);
    const QString reason = failed.constFirst().at(1).toString();
    QVERIFY2(reason.contains(u"No space left on device"_s), qPrintable(reason));
    QCOMPARE(albumEntries(), QStringList { SmallFileSystem::fillerName() });
    QCOMPARE(contents(source), video);
}

QTEST_GUILESS_MAIN(TestVideoAlbum)
#include "tst_videoalbum.moc"
