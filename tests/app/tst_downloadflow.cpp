#include "BusyIndicator.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorProgressHUDRoundedButton.h"
#include "Fen_QorShortcuts.h"
#include "InterfaceLanguage.h"
#include "ItemDownloadJob.h"
#include "NetworkTrust.h"
#include "SamplePlatform.h"
#include "TemporaryHome.h"
#include "TestFiles.h"
#include "VideoAlbum.h"
#include "ViewController.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using TestFiles::contents;
using TestFiles::entries;

Q_DECLARE_METATYPE(SamplePlatform::Faults)

namespace {

QString cachesDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

// Every file below \a directory, however deep: a left-over download folder cannot hide.
QStringList filesBelow(const QString &directory)
{
    QStringList files;
    QDirIterator it(directory, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    return files;
}

qint64 albumBytes()
{
    qint64 total = 0;
    for (const QString &name : entries(VideoAlbum::directory()))
        total += QFileInfo(VideoAlbum::directory() + u'/' + name).size();
    return total;
}

// Every HUD the screen put on its host view, as it looked once set up (the shortcuts and the
// screen configure a HUD right after adding it), with what the album held at that moment: tells
// whether a confirmation came before or after the saved copy existed.
class HudRecorder : public QObject
{
public:
    explicit HudRecorder(QWidget *host) { host->installEventFilter(this); }

    struct Shown
    {
        Fen_QorProgressHUDMode mode;
        QString label;
        QString details;
        QString button;
        qint64 albumBytes;
    };

    QList<Shown> shown() const { return m_shown; }
    // The text HUDs, as "label | details".
    QStringList messages() const
    {
        QStringList texts;
        for (const Shown &entry : m_shown) {
            if (entry.mode == Fen_QorProgressHUDModeText)
                texts.append(entry.label + u" | "_s + entry.details);
        }
        return texts;
    }
    int indicators() const
    {
        return int(std::count_if(m_shown.cbegin(), m_shown.cend(), [](const Shown &entry) {
            return entry.mode != Fen_QorProgressHUDModeText;
        }));
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ChildAdded) {
            auto *hud
                = qobject_cast<Fen_QorProgressHUD *>(static_cast<QChildEvent *>(event)->child());
            if (hud)
                QMetaObject::invokeMethod(
                    this, [this, hud = QPointer<Fen_QorProgressHUD>(hud)] { record(hud); },
                    Qt::QueuedConnection);
        }
        return false;
    }

private:
    void record(Fen_QorProgressHUD *hud)
    {
        if (hud)
            m_shown.append({ hud->mode(), hud->label()->text(), hud->detailsLabel()->text(),
                             hud->button()->text(), albumBytes() });
    }

    QList<Shown> m_shown;
};

// Stands in for the desktop's file manager.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls.append(url); }
};

Fen_QorProgressHUD *shownHUD(QWidget *screen)
{
    return Fen_QorProgressHUD::HUDForView(Fen_QorHostView(screen));
}

bool indicatorShowing(ViewController &screen)
{
    return screen.busyIndicator()->isShowing();
}

QString savedMessage()
{
    return u"保存成功 | 已保存到相册文件夹 "_s + QDir::toNativeSeparators(VideoAlbum::directory());
}

} // namespace

class TestDownloadFlow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void downloadIsSavedThenConfirmed();
    void aParsedVideoIsNamedAfterItsItem();
    void progressIsShownUntilDone_data();
    void progressIsShownUntilDone();
    void cancelLeavesNothing_data();
    void cancelLeavesNothing();
    void repeatedDownloadsNeverStackSuffixes();
    void aPressWhileDownloadingIsIgnored();
    void failuresEndWithAnErrorAndNoFile_data();
    void failuresEndWithAnErrorAndNoFile();
    void albumRefusalEndsWithAnError();
    void withoutAnAddressNothingHappens();
    void afterTheSaveNothingIsATrap();

private:
    void download(ViewController &screen);

    TemporaryHome m_home;
};

void TestDownloadFlow::initTestCase()
{
    QVERIFY(m_home.activate());
    QVERIFY(InterfaceLanguage::install(InterfaceLanguage::chinese));
}

void TestDownloadFlow::init()
{
    QVERIFY(cachesDirectory().startsWith(m_home.path()));
    QVERIFY(VideoAlbum::directory().startsWith(m_home.path()));
    QDir(cachesDirectory()).removeRecursively();
    QDir(VideoAlbum::directory()).removeRecursively();
    QFile::remove(VideoAlbum::directory());
}

void TestDownloadFlow::download(ViewController &screen)
{
    auto *button = screen.findChild<QPushButton *>(u"downloadPushButton"_s);
    QVERIFY(button);
    QVERIFY(button->isEnabled());
    button->click();
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
    download(screen);
    QVERIFY(indicatorShowing(screen));
    QTRY_COMPARE(recorder.messages(), QStringList { savedMessage() });

    Fen_QorProgressHUD *message = shownHUD(&screen);
    QVERIFY(message);
    QCOMPARE(message->button()->text(), u"打开文件夹"_s);
    // The button opens the album's folder with the desktop's file manager.
    UrlCatcher opened;
    QDesktopServices::setUrlHandler(u"file"_s, &opened, "open");
    message->button()->click();
    QDesktopServices::unsetUrlHandler(u"file"_s);
    QCOMPARE(opened.urls, QList<QUrl> { QUrl::fromLocalFile(VideoAlbum::directory()) });
    QVERIFY(message->hasFinished()); // and the message goes
    const qint64 size = SamplePlatform::sampleVideo().size();
    QCOMPARE(recorder.shown().constLast().albumBytes, size); // confirmed only once saved
    QCOMPARE(recorder.indicators(), 1);
    QVERIFY(!indicatorShowing(screen));
    QCOMPARE(entries(VideoAlbum::directory()), QStringList { u"sample.mp4"_s });
    QCOMPARE(contents(VideoAlbum::directory() + u"/sample.mp4"_s), SamplePlatform::sampleVideo());
    // The album holds the file: the downloaded copy is gone from the caches.
    QCOMPARE(filesBelow(cachesDirectory()), QStringList());
}

// Named as the command-line tool names it by default, not after the server's file.
void TestDownloadFlow::aParsedVideoIsNamedAfterItsItem()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    QString error;
    QVERIFY2(NetworkTrust::addCaCertificates(SamplePlatform::caCertificatesPath(), &error),
             qPrintable(error));
    const SamplePlatform::Item item = platform.items().constFirst();
    ViewController screen;
    screen.setEndpoints(platform.endpoints());
    screen.textField()->setText(item.videoId);
    screen.parse();
    QTRY_VERIFY_WITH_TIMEOUT(!screen.isBusy(), 20000);
    download(screen);
    QTRY_VERIFY_WITH_TIMEOUT(!screen.isBusy(), 20000);
    const QString name
        = item.nickname + u" - "_s + item.description + u" ["_s + item.videoId + u"].mp4"_s;
    QCOMPARE(entries(VideoAlbum::directory()), QStringList { name });
    QCOMPARE(contents(VideoAlbum::directory() + u'/' + name), SamplePlatform::sampleVideo());
    QCOMPARE(filesBelow(cachesDirectory()), QStringList());
}

void TestDownloadFlow::progressIsShownUntilDone_data()
{
    QTest::addColumn<bool>("chunked"); // no length: the spinner, bytes only
    QTest::newRow("length known: the ring") << false;
    QTest::newRow("length unknown: the spinner") << true;
}

void TestDownloadFlow::progressIsShownUntilDone()
{
    QFETCH(bool, chunked);
    SamplePlatform platform;
    QVERIFY(platform.start());
    SamplePlatform::Faults faults;
    faults.chunked = chunked;
    platform.setFaults(faults);
    const qint64 size = 3 * 1024 * 1024;

    ViewController screen;
    screen.setVideoUrl(chunked ? platform.mediaUrl() : platform.paddedMediaUrl(size));
    download(screen);
    ItemDownloadJob *downloader = screen.currentDownload();
    QVERIFY(downloader);
    struct Step
    {
        Fen_QorProgressHUDMode mode;
        float progress;
        QString details;
    };
    QList<Step> steps;
    connect(downloader, &Job::progress, this, [&screen, &steps] {
        const Fen_QorProgressHUD *hud = screen.busyIndicator()->hud();
        if (hud)
            steps.append({ hud->mode(), hud->progress(), hud->detailsLabel()->text() });
    });
    QTRY_VERIFY_WITH_TIMEOUT(!screen.isBusy(), 20000);

    QVERIFY(!steps.isEmpty());
    if (chunked) {
        for (const Step &step : steps)
            QCOMPARE(step.mode, Fen_QorProgressHUDModeSpinner);
        QVERIFY2(!steps.constLast().details.contains(u'%'), qPrintable(steps.constLast().details));
        return;
    }
    float previous = 0;
    for (const Step &step : steps) {
        QCOMPARE(step.mode, Fen_QorProgressHUDModeAnnularProgress);
        QVERIFY(step.progress >= previous);
        previous = step.progress;
    }
    QCOMPARE(steps.constLast().progress, 1.0f);
    QCOMPARE(steps.constLast().details, BusyIndicator::progressText(size, size));
    QVERIFY2(steps.constLast().details.endsWith(u"（100%）"_s),
             qPrintable(steps.constLast().details));
    const QStringList saved = entries(VideoAlbum::directory());
    QCOMPARE(saved.size(), 1);
    QCOMPARE(QFileInfo(VideoAlbum::directory() + u'/' + saved.constFirst()).size(), size);
}

void TestDownloadFlow::cancelLeavesNothing_data()
{
    QTest::addColumn<bool>("byEscape"); // else by the indicator's button
    QTest::newRow("the indicator's button") << false;
    QTest::newRow("Escape") << true;
}

void TestDownloadFlow::cancelLeavesNothing()
{
    QFETCH(bool, byEscape);
    SamplePlatform platform;
    QVERIFY(platform.start());
    SamplePlatform::Faults stall; // half the video, then nothing
    stall.stall = true;
    platform.setFaults(stall);

    ViewController screen;
    screen.show();
    QVERIFY(QTest::qWaitForWindowActive(&screen));
    HudRecorder recorder(Fen_QorHostView(&screen));
    screen.setVideoUrl(platform.mediaUrl());
    download(screen);
    QTRY_VERIFY(screen.busyIndicator()->hud() && screen.busyIndicator()->hud()->progress() > 0);

    if (byEscape)
        QTest::keyClick(screen.textField(), Qt::Key_Escape);
    else
        screen.busyIndicator()->hud()->button()->click();
    QTRY_VERIFY(!screen.isBusy());
    QTRY_COMPARE(recorder.messages(), QStringList { u" | 已取消"_s });
    QCOMPARE(filesBelow(cachesDirectory()), QStringList());
    QCOMPARE(entries(VideoAlbum::directory()), QStringList());
}

// The downloaded copy leaves the caches after each save, so each download is "sample.mp4" there,
// and the album numbers its copies once: "sample (2).mp4", never "sample (1) (1).mp4".
void TestDownloadFlow::repeatedDownloadsNeverStackSuffixes()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    ViewController screen;
    screen.setVideoUrl(platform.mediaUrl());
    for (int i = 0; i < 3; ++i) {
        download(screen);
        QTRY_VERIFY(!screen.isBusy());
        Fen_QorClearHUD(&screen);
    }
    QCOMPARE(entries(VideoAlbum::directory()),
             (QStringList { u"sample (1).mp4"_s, u"sample (2).mp4"_s, u"sample.mp4"_s }));
    for (const QString &name : entries(VideoAlbum::directory()))
        QCOMPARE(contents(VideoAlbum::directory() + u'/' + name), SamplePlatform::sampleVideo());
    QCOMPARE(filesBelow(cachesDirectory()), QStringList());
}

void TestDownloadFlow::aPressWhileDownloadingIsIgnored()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    SamplePlatform::Faults slow;
    slow.latencyMs = 300;
    platform.setFaults(slow);
    ViewController screen;
    HudRecorder recorder(Fen_QorHostView(&screen));
    screen.setVideoUrl(platform.mediaUrl());
    download(screen);
    const ItemDownloadJob *first = screen.currentDownload();
    download(screen);
    QCOMPARE(screen.currentDownload(), first);
    QTRY_COMPARE(recorder.messages(), QStringList { savedMessage() });
    QCOMPARE(entries(VideoAlbum::directory()), QStringList { u"sample.mp4"_s });
}

void TestDownloadFlow::failuresEndWithAnErrorAndNoFile_data()
{
    QTest::addColumn<SamplePlatform::Faults>("faults");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("reason"); // part of the details, when the row checks it

    SamplePlatform::Faults notFound;
    notFound.errorStatus = 404;
    SamplePlatform::Faults reset;
    reset.resetMidBody = true;
    SamplePlatform::Faults empty;
    empty.emptyMedia = true;
    SamplePlatform::Faults text;
    text.nonVideoMedia = true;

    const QString media = u"{media}"_s; // the sample platform's media address
    QTest::newRow("404") << notFound << media << u"服务器返回状态 404"_s;
    QTest::newRow("reset mid-body") << reset << media << QString();
    QTest::newRow("empty body") << empty << media << u"服务器发送了空文件"_s;
    QTest::newRow("text body") << text << media << u"下载的内容不是视频"_s;
    QTest::newRow("nobody listening")
        << SamplePlatform::Faults() << u"http://localhost:1/media/sample.mp4"_s << QString();
    QTest::newRow("play address that is no URL")
        << SamplePlatform::Faults() << u"http://[::1"_s << u"播放地址无效"_s;
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
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    HudRecorder recorder(Fen_QorHostView(&screen));
    screen.setVideoUrl(address);
    download(screen);
    QTRY_COMPARE(recorder.messages().size(), 1);
    const QString message = recorder.messages().constFirst();
    QVERIFY2(message.startsWith(u"下载失败 | "_s) && message.contains(reason), qPrintable(message));
    QVERIFY(!indicatorShowing(screen));
    QCOMPARE(filesBelow(cachesDirectory()), QStringList());
    QCOMPARE(entries(VideoAlbum::directory()), QStringList());
    // The error stays until the user answers it.
    const QPointer<Fen_QorProgressHUD> error = shownHUD(&screen);
    QVERIFY(error);
    QTest::keyClick(screen.textField(), Qt::Key_Space);
    QTRY_VERIFY(error.isNull());
    QCOMPARE(recorder.shown().size(), recorder.indicators() + 1);
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
    download(screen);
    QTRY_COMPARE(recorder.messages().size(), 1);
    QVERIFY2(recorder.messages().constFirst().startsWith(u"保存失败 | "_s),
             qPrintable(recorder.messages().constFirst()));
    QVERIFY(!indicatorShowing(screen));
    QVERIFY(QFileInfo(VideoAlbum::directory()).isFile());
    QCOMPARE(filesBelow(cachesDirectory()), QStringList());
}

void TestDownloadFlow::withoutAnAddressNothingHappens()
{
    ViewController screen;
    HudRecorder recorder(Fen_QorHostView(&screen));
    QVERIFY(!screen.findChild<QPushButton *>(u"downloadPushButton"_s)->isEnabled());
    screen.download();
    QCoreApplication::sendPostedEvents();
    QVERIFY(recorder.shown().isEmpty());
    QCOMPARE(filesBelow(cachesDirectory()), QStringList());
}

// After "Saved": the focus is not left on the Download button, where Space would download the
// video again; the message sits away from where Cancel was; without a file manager, "Open folder"
// says where the folder is.
void TestDownloadFlow::afterTheSaveNothingIsATrap()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    SamplePlatform::Faults slow;
    slow.latencyMs = 300; // long enough to see where Cancel is
    platform.setFaults(slow);
    ViewController screen;
    screen.resize(390, 844);
    screen.show();
    QVERIFY(QTest::qWaitForWindowActive(&screen));
    HudRecorder recorder(Fen_QorHostView(&screen));
    screen.setVideoUrl(platform.mediaUrl());
    auto *downloadButton = screen.findChild<QPushButton *>(u"downloadPushButton"_s);
    downloadButton->setFocus();
    QTest::keyClick(downloadButton, Qt::Key_Space);
    QTRY_VERIFY(indicatorShowing(screen));
    const QPointer<QWidget> cancel = screen.busyIndicator()->hud()->button();
    QTRY_VERIFY(cancel->isVisible() && !cancel->geometry().isEmpty());
    const QRect cancelRect(cancel->mapTo(&screen, QPoint()), cancel->size());
    QTRY_COMPARE_WITH_TIMEOUT(recorder.messages(), QStringList { savedMessage() }, 20000);

    Fen_QorProgressHUD *saved = shownHUD(&screen);
    QWidget *openButton = saved->button();
    QTRY_VERIFY(openButton->isVisible() && !openButton->geometry().isEmpty());
    QVERIFY(
        !QRect(openButton->mapTo(&screen, QPoint()), openButton->size()).intersects(cancelRect));
    QVERIFY(screen.textField()->hasFocus());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(screen.state(), ViewController::State::Idle);
    QCOMPARE(recorder.indicators(), 1); // no second download
    QCOMPARE(entries(VideoAlbum::directory()), QStringList { u"sample.mp4"_s });

    // No launcher on the PATH: no file manager can answer.
    QTRY_VERIFY(!shownHUD(&screen));
    screen.setVideoUrl(platform.mediaUrl());
    download(screen);
    QTRY_COMPARE_WITH_TIMEOUT(recorder.messages().size(), 2, 20000);
    const QByteArray path = qgetenv("PATH");
    QTemporaryDir emptyPath;
    qputenv("PATH", emptyPath.path().toLocal8Bit());
    shownHUD(&screen)->button()->click();
    qputenv("PATH", path);
    const Fen_QorProgressHUD *where = shownHUD(&screen);
    QVERIFY(where);
    QCOMPARE(where->label()->text(), u"没有文件管理器打开该文件夹"_s);
    QCOMPARE(where->detailsLabel()->text(),
             u"文件在 "_s + QDir::toNativeSeparators(VideoAlbum::directory()));
}

QTEST_MAIN(TestDownloadFlow)
#include "tst_downloadflow.moc"
