#include "Fen_QorProgressHUD.h"
#include "Fen_QorShortcuts.h"
#include "GalleryView.h"
#include "InterfaceLanguage.h"
#include "ItemDownloadJob.h"
#include "NetworkTrust.h"
#include "PlayerView.h"
#include "SamplePlatform.h"
#include "TemporaryHome.h"
#include "TestFiles.h"
#include "VideoAlbum.h"
#include "ViewController.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;
using TestFiles::contents;
using TestFiles::entries;

namespace {

QByteArray servedImage(int number)
{
    return contents(u":/sample-platform/image-"_s + QString::number(number) + u".jpg"_s);
}

bool allSettled(const GalleryView &gallery)
{
    for (int i = 0; i < gallery.images().size(); ++i) {
        if (gallery.image(i).isNull() && !gallery.hasFailed(i))
            return false;
    }
    return true;
}

} // namespace

class tst_Gallery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void galleryIsShownInThePlayersPlace();
    void galleryIsNavigated();
    void copyPutsEveryPictureAddressOnTheClipboard();
    void downloadSavesEveryPictureInOrder();
    void cancelRemovesWhatWasSaved();
    void theFailureMessageSaysWhatWasSavedBeforeIt();
    void aPictureRedirectedToPlainHttpFails();

private:
    std::unique_ptr<ViewController> parsedGallery();
    QString stem() const;

    TemporaryHome m_home;
    SamplePlatform m_platform;
    SamplePlatform::Item m_item;
};

void tst_Gallery::initTestCase()
{
    QVERIFY(m_home.activate());
    QVERIFY(InterfaceLanguage::install(InterfaceLanguage::chinese));
    QVERIFY(m_platform.start());
    QString error;
    QVERIFY2(NetworkTrust::addCaCertificates(SamplePlatform::caCertificatesPath(), &error),
             qPrintable(error));
    m_item = m_platform.item(SamplePlatform::PageVariant::Gallery);
    QCOMPARE(m_item.imageUrls.size(), 3);
}

void tst_Gallery::init()
{
    m_platform.setFaults({});
    QVERIFY(VideoAlbum::picturesDirectory().startsWith(m_home.path()));
    QDir(VideoAlbum::picturesDirectory()).removeRecursively();
}

// The pictures are named as every download is: "author - title [id] 1.jpg", ….
QString tst_Gallery::stem() const
{
    return m_item.nickname + u" - "_s + m_item.description + u" ["_s + m_item.videoId + u']';
}

std::unique_ptr<ViewController> tst_Gallery::parsedGallery()
{
    auto screen = std::make_unique<ViewController>();
    screen->setEndpoints(m_platform.endpoints());
    screen->resize(390, 844);
    screen->show();
    screen->textField()->setText(m_platform.shareText(m_item));
    screen->parse();
    if (!QTest::qWaitFor([&screen] { return !screen->isBusy(); }, 20000))
        return nullptr;
    return screen;
}

void tst_Gallery::galleryIsShownInThePlayersPlace()
{
    const auto screen = parsedGallery();
    QVERIFY(screen);
    GalleryView *gallery = screen->galleryView();
    QVERIFY(gallery);
    QVERIFY(gallery->isVisible());
    QVERIFY(!screen->playerView() || !screen->playerView()->isVisible());
    QCOMPARE(screen->mediaStack()->currentWidget(), gallery); // the page in the player's place
    QCOMPARE(screen->images(), m_item.imageUrls);
    QCOMPARE(gallery->images(), m_item.imageUrls);
    QCOMPARE(screen->videoUrl(), std::optional<QString>(QString())); // a gallery has no video
    QVERIFY(!Fen_QorHasHUD(screen.get())); // no failure message
    QTRY_VERIFY_WITH_TIMEOUT(allSettled(*gallery), 10000);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(gallery->image(i), QImage::fromData(servedImage(i + 1)));
    QVERIFY(!gallery->pictureView()->pixmap().isNull());

    auto *download = screen->findChild<QPushButton *>(u"downloadPushButton"_s);
    QVERIFY(download->isEnabled());
    QCOMPARE(download->text(), u"下载图片"_s);
    QVERIFY(screen->findChild<QPushButton *>(u"copyPushButton"_s)->isEnabled());
    QCOMPARE(screen->findChild<QLabel *>(u"itemLabel"_s)->text(),
             m_item.nickname + u'\n' + m_item.description);

    // A video parsed afterwards takes the place back.
    screen->textField()->setText(m_platform.items().constFirst().videoId);
    screen->parse();
    QTRY_VERIFY_WITH_TIMEOUT(!screen->isBusy(), 20000);
    QVERIFY(!gallery->isVisible());
    QVERIFY(screen->playerView()->isVisible());
    QVERIFY(screen->images().isEmpty());
    QCOMPARE(download->text(), u"下载视频"_s);
}

void tst_Gallery::galleryIsNavigated()
{
    const auto screen = parsedGallery();
    QVERIFY(screen);
    GalleryView *gallery = screen->galleryView();
    QVERIFY(QTest::qWaitForWindowActive(screen.get()));
    gallery->setFocus();
    QCOMPARE(gallery->currentIndex(), 0);
    QCOMPARE(gallery->counterLabel()->text(), u"1 / 3"_s);
    QVERIFY(!gallery->previousButton()->isEnabled());

    QTest::keyClick(gallery, Qt::Key_Right);
    QCOMPARE(gallery->currentIndex(), 1);
    QCOMPARE(gallery->counterLabel()->text(), u"2 / 3"_s);
    QCOMPARE(gallery->strip()->currentRow(), 1);
    gallery->nextButton()->click();
    QCOMPARE(gallery->currentIndex(), 2);
    QVERIFY(!gallery->nextButton()->isEnabled());
    QTest::keyClick(gallery, Qt::Key_Right); // stays at the last
    QCOMPARE(gallery->currentIndex(), 2);
    QTest::keyClick(gallery, Qt::Key_Left);
    QCOMPARE(gallery->currentIndex(), 1);
    QTest::keyClick(gallery, Qt::Key_Home);
    QCOMPARE(gallery->currentIndex(), 0);
    QTest::keyClick(gallery, Qt::Key_End);
    QCOMPARE(gallery->currentIndex(), 2);
    gallery->strip()->setCurrentRow(0); // a thumbnail clicked
    QCOMPARE(gallery->currentIndex(), 0);

    // The large picture is the current one.
    QTRY_VERIFY(allSettled(*gallery));
    gallery->setCurrentIndex(1);
    const QImage shown = gallery->pictureView()->pixmap().toImage();
    const QImage expected = gallery->image(1).scaled(gallery->pictureView()->size(),
                                                     Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
             expected.convertToFormat(QImage::Format_RGB32));
}

void tst_Gallery::copyPutsEveryPictureAddressOnTheClipboard()
{
    const auto screen = parsedGallery();
    QVERIFY(screen);
    screen->copyPlayAddress();
    QCOMPARE(QGuiApplication::clipboard()->text(), m_item.imageUrls.join(u'\n'));
    const Fen_QorProgressHUD *hud = Fen_QorProgressHUD::HUDForView(screen.get());
    QVERIFY(hud);
    QCOMPARE(hud->detailsLabel()->text(), u"保存成功\n3 个图片地址"_s);
}

void tst_Gallery::downloadSavesEveryPictureInOrder()
{
    const auto screen = parsedGallery();
    QVERIFY(screen);
    screen->findChild<QPushButton *>(u"downloadPushButton"_s)->click();
    QVERIFY(screen->isBusy());
    QTRY_VERIFY_WITH_TIMEOUT(!screen->isBusy(), 20000);

    const QString album = VideoAlbum::picturesDirectory();
    const QString stem = this->stem();
    QCOMPARE(entries(album),
             (QStringList { stem + u" 1.jpg"_s, stem + u" 2.jpg"_s, stem + u" 3.jpg"_s }));
    for (int i = 1; i <= 3; ++i)
        QCOMPARE(contents(album + u'/' + stem + u' ' + QString::number(i) + u".jpg"_s),
                 servedImage(i));
    const Fen_QorProgressHUD *hud = Fen_QorProgressHUD::HUDForView(screen.get());
    QVERIFY(hud);
    QCOMPARE(hud->label()->text(), u"保存成功"_s);
    QCOMPARE(hud->detailsLabel()->text(),
             u"已保存到相册文件夹 "_s + QDir::toNativeSeparators(album));
}

void tst_Gallery::cancelRemovesWhatWasSaved()
{
    const auto screen = parsedGallery();
    QVERIFY(screen);
    QVERIFY(QTest::qWaitForWindowActive(screen.get()));
    SamplePlatform::Faults slow;
    slow.latencyMs = 400;
    m_platform.setFaults(slow);
    screen->download();
    const QString album = VideoAlbum::picturesDirectory();
    QTRY_COMPARE_WITH_TIMEOUT(entries(album).size(), 1, 10000);
    QTest::keyClick(screen->textField(), Qt::Key_Escape);
    QTRY_VERIFY(!screen->isBusy());
    QCOMPARE(entries(album), QStringList());
    const Fen_QorProgressHUD *hud = Fen_QorProgressHUD::HUDForView(screen.get());
    QVERIFY(hud);
    QCOMPARE(hud->detailsLabel()->text(), u"已取消"_s);
    // What was still on its way is dropped.
    m_platform.setFaults({});
    QTest::qWait(1000);
    QCOMPARE(entries(album), QStringList());
}

void tst_Gallery::theFailureMessageSaysWhatWasSavedBeforeIt()
{
    const auto screen = parsedGallery();
    QVERIFY(screen);
    screen->download();
    auto *download = screen->findChild<ItemDownloadJob *>();
    QVERIFY(download);
    // The second picture's request meets a missing file; the first is saved by then.
    connect(download, &ItemDownloadJob::fileStarted, this, [this](int number) {
        if (number == 2) {
            SamplePlatform::Faults missing;
            missing.errorStatus = 404;
            m_platform.setFaults(missing);
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(!screen->isBusy(), 20000);

    const QString album = VideoAlbum::picturesDirectory();
    QCOMPARE(entries(album), QStringList { stem() + u" 1.jpg"_s });
    const Fen_QorProgressHUD *hud = Fen_QorProgressHUD::HUDForView(screen.get());
    QVERIFY(hud);
    QCOMPARE(hud->label()->text(), u"下载失败"_s);
    const QStringList details = hud->detailsLabel()->text().split(u'\n');
    QCOMPARE(details.size(), 2);
    QVERIFY2(details.at(0).startsWith(u"第 2 张图片："_s), qPrintable(details.at(0)));
    QCOMPARE(details.at(1), u"已保存 1 张图片到 "_s + QDir::toNativeSeparators(album));
}

// The view fetches through the library's media fetch, which refuses what every download refuses.
void tst_Gallery::aPictureRedirectedToPlainHttpFails()
{
    m_platform.clearRequests();
    GalleryView gallery;
    // The play address on the HTTPS side redirects to the media on the plain HTTP web origin.
    gallery.setImages({ m_platform.endpoints().shareOrigin + u"/aweme/v1/play/?video_id="_s
                        + m_platform.items().constFirst().playUri });
    QTRY_VERIFY_WITH_TIMEOUT(allSettled(gallery), 10000);
    QVERIFY(gallery.hasFailed(0));
    const QList<SamplePlatform::Request> requests = m_platform.requests();
    QVERIFY(!requests.isEmpty());
    QVERIFY(std::none_of(requests.cbegin(), requests.cend(),
                         [](const auto &request) { return !request.https; }));
}

QTEST_MAIN(tst_Gallery)
#include "tst_gallery.moc"
