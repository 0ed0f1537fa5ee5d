#include "TemporaryHome.h"
#include "TestFiles.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorShortcuts.h"
#include "SamplePlatform.h"
#include "VideoAlbum.h"
#include "ViewController.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using TestFiles::contents;
using TestFiles::entries;

Q_DECLARE_METATYPE(SamplePlatform::Faults)

namespace {

QString cachesDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

// Every HUD the screen put on its host view, with what the album held at that moment: tells
// whether a confirmation came before or after the saved copy existed.
class HudRecorder : public QObject
{
public:
    explicit HudRecorder(QWidget *host) { host->installEventFilter(this); }

    struct Shown
    {
        QPointer<Fen_QorProgressHUD> hud;
        Fen_QorProgressHUDMode mode;
        QString details;
        qint64 albumBytes;
    };

    QList<Shown> shown() const { return m_shown; }
    QStringList messages() const
    {
        QStringList texts;
        for (const Shown &entry : m_shown) {
            if (entry.mode == Fen_QorProgressHUDModeText)
                texts.append(entry.details);
        }
        return texts;
    }
    int spinners() const
    {
        return int(std::count_if(m_shown.cbegin(), m_shown.cend(), [](const Shown &entry) {
            return entry.mode == Fen_QorProgressHUDModeSpinner;
        }));
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // The shortcuts configure a HUD completely before they add it to the host.
        if (event->type() == QEvent::ChildAdded) {
            auto *hud
                = qobject_cast<Fen_QorProgressHUD *>(static_cast<QChildEvent *>(event)->child());
            if (hud)
                m_shown.append({ hud, hud->mode(), hud->detailsLabel()->text(), albumBytes() });
        }
        return false;
    }

private:
    static qint64 albumBytes()
    {
        qint64 total = 0;
        for (const QString &name : entries(VideoAlbum::directory()))
            total += QFileInfo(VideoAlbum::directory() + u'/' + name).size();
        return total;
    }

    QList<Shown> m_shown;
};

bool spinnerShowing(QWidget *screen)
{
    const Fen_QorProgressHUD *hud = Fen_QorProgressHUD::HUDForView(Fen_QorHostView(screen));
    return hud && hud->mode() == Fen_QorProgressHUDModeSpinner;
}

void pressDownload(ViewController &screen)
{
    auto *button = screen.findChild<QPushButton *>(u"downloadPushButton"_s);
    QVERIFY(button);
    button->click();
}

} // namespace

class TestDownloadFlow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void downloadIsSavedThenConfirmed();
    void twoPressesGiveTwoFilesAndTwoMessages();
    void failuresEndWithAnErrorAndNoFile_data();
    void failuresEndWithAnErrorAndNoFile();
    void albumRefusalEndsWithAnError();
    void withoutAnAddressNothingHappens();

private:
    TemporaryHome m_home;
};

void TestDownloadFlow::initTestCase()
{
    QVERIFY(m_home.activate());
}

void TestDownloadFlow::init()
{
    QVERIFY(cachesDirectory().startsWith(m_home.path()));
    QVERIFY(VideoAlbum::directory().startsWith(m_home.path()));
    QDir(cachesDirectory()).removeRecursively();
    QDir(VideoAlbum::directory()).removeRecursively();
    QFile::remove(VideoAlbum::directory());
}

void TestDownloadFlow::downloadIsSavedThenConfirmed()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    SamplePlatform::Faults slow;
    slow.latencyMs = 200; // long enough to see the indicator
    platform.setFaults(slow);

    ViewController screen;
    HudRecorder recorder(Fen_QorHostView(&screen));
    screen.setVideoUrl(platform.endpoints().webOrigin + u"/aweme/v1/play/?video_id="_s
                       + platform.items().constFirst().playUri);
    pressDownload(screen);
    QTRY_VERIFY(spinnerShowing(&screen));
    QTRY_COMPARE(recorder.messages(), QStringList { u"保存成功"_s });

    const qint64 size = SamplePlatform::sampleVideo().size();
    QCOMPARE(recorder.shown().constLast().albumBytes, size); // confirmed only once saved
    QCOMPARE(recorder.spinners(), 1);
    QVERIFY(!spinnerShowing(&screen));
    QCOMPARE(entries(cachesDirectory()), QStringList { u"sample.mp4"_s });
    QCOMPARE(entries(VideoAlbum::directory()), QStringList { u"sample.mp4"_s });
    QCOMPARE(contents(cachesDirectory() + u"/sample.mp4"_s), SamplePlatform::sampleVideo());
    QCOMPARE(contents(VideoAlbum::directory() + u"/sample.mp4"_s), SamplePlatform::sampleVideo());
}

void TestDownloadFlow::twoPressesGiveTwoFilesAndTwoMessages()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    ViewController screen;
    HudRecorder recorder(Fen_QorHostView(&screen));
    screen.setVideoUrl(platform.mediaUrl());
    pressDownload(screen);
    pressDownload(screen);
    QTRY_COMPARE(recorder.messages(), (QStringList { u"保存成功"_s, u"保存成功"_s }));

    const QStringList names { u"sample (1).mp4"_s, u"sample.mp4"_s };
    QCOMPARE(entries(cachesDirectory()), names);
    QTRY_COMPARE(entries(VideoAlbum::directory()), names);
    for (const QString &name : names) {
        QCOMPARE(contents(cachesDirectory() + u'/' + name), SamplePlatform::sampleVideo());
        QCOMPARE(contents(VideoAlbum::directory() + u'/' + name), SamplePlatform::sampleVideo());
    }
}

void TestDownloadFlow::failuresEndWithAnErrorAndNoFile_data()
{
    QTest::addColumn<SamplePlatform::Faults>("faults");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("reason"); // part of the message, when the row checks it

    SamplePlatform::Faults notFound;
    notFound.errorStatus = 404;
    SamplePlatform::Faults reset;
    reset.resetMidBody = true;
    SamplePlatform::Faults empty;
    empty.emptyMedia = true;
    SamplePlatform::Faults text;
    text.nonVideoMedia = true;

    const QString media = u"{media}"_s; // the sample platform's media address
    QTest::newRow("404") << notFound << media << u"status 404"_s;
    QTest::newRow("reset mid-body") << reset << media << QString();
    QTest::newRow("empty body") << empty << media << QString();
    QTest::newRow("text body") << text << media << QString();
    QTest::newRow("nobody listening")
        << SamplePlatform::Faults() << u"http://localhost:1/media/sample.mp4"_s << QString();
    QTest::newRow("empty play address") << SamplePlatform::Faults() << QString() << u"empty"_s;
    QTest::newRow("play address that is no URL")
        << SamplePlatform::Faults() << u"http://[::1"_s << u"not a valid address"_s;
}

void TestDownloadFlow::failuresEndWithAnErrorAndNoFile()
{
    QFETCH(SamplePlatform::Faults, faults);
    QFETCH(QString, address);
    QFETCH(QString, reason);
    SamplePlatform platform;
    QVERIFY(platform.start());
    platform.setFaults(faults);
    address.replace(u"{media}"_s, platform.mediaUrl());

    ViewController screen;
    HudRecorder recorder(Fen_QorHostView(&screen));
    screen.setVideoUrl(address);
    pressDownload(screen);
    QTRY_COMPARE(recorder.messages().size(), 1);
    const QString message = recorder.messages().constFirst();
    QVERIFY2(message.startsWith(u"下载失败"_s) && message.contains(reason), qPrintable(message));
    QCOMPARE(recorder.spinners(), 1);
    QVERIFY(!spinnerShowing(&screen));
    QCOMPARE(entries(cachesDirectory()), QStringList());
    QCOMPARE(entries(VideoAlbum::directory()), QStringList());
    // The error leaves by itself, and nothing else follows it.
    QTRY_VERIFY_WITH_TIMEOUT(!Fen_QorProgressHUD::HUDForView(Fen_QorHostView(&screen)), 5000);
    QCOMPARE(recorder.shown().size(), 2);
}

void TestDownloadFlow::albumRefusalEndsWithAnError()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    // A plain file where the album's folder belongs: the album cannot take anything.
    QVERIFY(QDir().mkpath(QFileInfo(VideoAlbum::directory()).absolutePath()));
    QFile blocker(VideoAlbum::directory());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    ViewController screen;
    HudRecorder recorder(Fen_QorHostView(&screen));
    screen.setVideoUrl(platform.mediaUrl());
    pressDownload(screen);
    QTRY_COMPARE(recorder.messages().size(), 1);
    QVERIFY2(!recorder.messages().constFirst().contains(u"保存成功"_s),
             qPrintable(recorder.messages().constFirst()));
    QVERIFY(!spinnerShowing(&screen));
    QVERIFY(QFileInfo(VideoAlbum::directory()).isFile());
    // The download itself worked: the caches directory keeps it, as after a save.
    QCOMPARE(entries(cachesDirectory()), QStringList { u"sample.mp4"_s });
}

void TestDownloadFlow::withoutAnAddressNothingHappens()
{
    ViewController screen;
    HudRecorder recorder(Fen_QorHostView(&screen));
    pressDownload(screen);
    QCoreApplication::sendPostedEvents(); // a download would have queued its waiting indicator
    QVERIFY(recorder.shown().isEmpty());
    QCOMPARE(entries(cachesDirectory()), QStringList());
}

QTEST_MAIN(TestDownloadFlow)
#include "tst_downloadflow.moc"
