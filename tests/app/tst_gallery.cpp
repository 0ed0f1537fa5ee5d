#include "Fen_QorProgressHUD.h"
#include "Fen_QorShortcuts.h"
#include "GalleryDownload.h"
#include "GalleryView.h"
#include "InterfaceLanguage.h"
#include "NetworkTrust.h"
#include "PlayerView.h"
#include "SamplePlatform.h"
#include "TemporaryHome.h"
#include "TestFiles.h"
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
    void picturesAreNumberedAndNeverReplaceAFile();
    void aFailedPictureEndsTheDownloadWithItsReason();
    void theFailureMessageSaysWhatWasSavedBeforeIt();

private:
    std::unique_ptr<ViewController> parsedGallery();

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
    QVERIFY(GalleryDownload::albumDirectory().startsWith(m_home.path()));
    QDir(GalleryDownload::albumDirectory()).removeRecursively();
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

    const QString album = GalleryDownload::albumDirectory();
    const QString stem = m_item.description;
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
    const QString album = GalleryDownload::albumDirectory();
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

void tst_Gallery::picturesAreNumberedAndNeverReplaceAFile()
{
    const QString album = GalleryDownload::albumDirectory();
    QVERIFY(QDir().mkpath(album));
    QFile taken(album + u"/夜景 01.jpg"_s);
    QVERIFY(taken.open(QIODevice::WriteOnly));
    QCOMPARE(taken.write("mine"), 4);
    taken.close();

    QStringList addresses;
    for (int i = 0; i < 10; ++i)
        addresses.append(m_item.imageUrls.at(i % 3));
    GalleryDownload download;
    QSignalSpy finished(&download, &GalleryDownload::finished);
    download.start(addresses, u"../夜景"_s); // a name is never a path
    QVERIFY(finished.isEmpty()); // never from inside start()
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
    QCOMPARE(finished.constFirst().at(1).toString(), QString());
    const QStringList saved = finished.constFirst().at(0).toStringList();
    QCOMPARE(saved.size(), 10);
    QCOMPARE(QFileInfo(saved.constFirst()).fileName(), u"夜景 01 (1).jpg"_s);
    QCOMPARE(QFileInfo(saved.constLast()).fileName(), u"夜景 10.jpg"_s);
    QCOMPARE(contents(taken.fileName()), QByteArray("mine"));
    for (int i = 0; i < 10; ++i)
        QCOMPARE(contents(saved.at(i)), servedImage(i % 3 + 1));
}

void tst_Gallery::aFailedPictureEndsTheDownloadWithItsReason()
{
    const QString text = m_platform.customMediaUrl("just text", "text/plain");
    GalleryDownload download;
    QSignalSpy finished(&download, &GalleryDownload::finished);
    download.start({ m_item.imageUrls.at(0), text, m_item.imageUrls.at(1) }, u"x"_s);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
    QCOMPARE(finished.constFirst().at(1).toString(), u"第 2 张图片：下载的内容不是图片"_s);
    // What was saved before the failure stays.
    QCOMPARE(entries(GalleryDownload::albumDirectory()), QStringList { u"x 1.jpg"_s });
}

void tst_Gallery::theFailureMessageSaysWhatWasSavedBeforeIt()
{
    const auto screen = parsedGallery();
    QVERIFY(screen);
    screen->download();
    auto *download = screen->findChild<GalleryDownload *>();
    QVERIFY(download);
    // The second picture's request meets a missing file; the first is saved by then.
    connect(download, &GalleryDownload::progress, this, [this](int index) {
        if (index == 1) {
            SamplePlatform::Faults missing;
            missing.errorStatus = 404;
            m_platform.setFaults(missing);
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(!screen->isBusy(), 20000);

    const QString album = GalleryDownload::albumDirectory();
    QCOMPARE(entries(album), QStringList { m_item.description + u" 1.jpg"_s });
    const Fen_QorProgressHUD *hud = Fen_QorProgressHUD::HUDForView(screen.get());
    QVERIFY(hud);
    QCOMPARE(hud->label()->text(), u"下载失败"_s);
    const QStringList details = hud->detailsLabel()->text().split(u'\n');
    QCOMPARE(details.size(), 2);
    QVERIFY2(details.at(0).startsWith(u"第 2 张图片："_s), qPrintable(details.at(0)));
    QCOMPARE(details.at(1), u"已保存 1 张图片到 "_s + QDir::toNativeSeparators(album));
}

QTEST_MAIN(tst_Gallery)
#include "tst_gallery.moc"
