#include "BusyIndicator.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorProgressHUDRoundedButton.h"
#include "Fen_QorShortcuts.h"
#include "GalleryView.h"
#include "InterfaceLanguage.h"
#include "LogCapture.h"
#include "MediaBackend.h"
#include "NetworkTrust.h"
#include "PlayerView.h"
#include "SamplePlatform.h"
#include "StickyMessage.h"
#include "VideoFrameView.h"
#include "VideoInfo.h"
#include "ViewController.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMediaPlayer>
#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

using OptionalText = std::optional<QString>;

QPushButton *button(const ViewController &screen, const QString &name)
{
    return screen.findChild<QPushButton *>(name);
}

Fen_QorProgressHUD *shownHUD(QWidget *screen)
{
    return Fen_QorProgressHUD::HUDForView(Fen_QorHostView(screen));
}

// Pixels of a widget, as painted, that stand out on black.
int brightPixels(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += qGray(image.pixel(x, y)) > 200 ? 1 : 0;
    }
    return count;
}

int sharePageRequests(const SamplePlatform &platform)
{
    const QList<SamplePlatform::Request> requests = platform.requests();
    QSet<QByteArray> targets;
    for (const SamplePlatform::Request &request : requests) {
        if (request.target.startsWith("/share/"))
            targets.insert(request.target);
    }
    return int(targets.size());
}

// What the screen looked like each time a child was added to it: whether a HUD was live, whether
// a player existed and the stored address. Tells the order of show, store, play and hide. A child
// is told apart only afterwards, since a QObject announces itself to its parent before it is fully
// constructed.
class ChildAddedRecorder : public QObject
{
public:
    explicit ChildAddedRecorder(ViewController *screen) : m_screen(screen)
    {
        screen->installEventFilter(this);
    }

    QStringList steps() const
    {
        QStringList steps;
        for (const Snapshot &snapshot : m_snapshots) {
            if (qobject_cast<QMediaPlayer *>(snapshot.child))
                steps.append(
                    (snapshot.hudLive ? u"play under HUD"_s : u"play"_s)
                    + (snapshot.videoUrl == m_screen->videoUrl() ? u""_s : u" before the store"_s));
            else if (qobject_cast<Fen_QorProgressHUD *>(snapshot.child))
                steps.append(snapshot.hadPlayer ? u"show after play"_s : u"show"_s);
        }
        return steps;
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ChildAdded)
            m_snapshots.append({ static_cast<QChildEvent *>(event)->child(),
                                 Fen_QorHasHUD(m_screen), m_screen->player() != nullptr,
                                 m_screen->videoUrl() });
        return false;
    }

private:
    struct Snapshot
    {
        QPointer<QObject> child;
        bool hudLive;
        bool hadPlayer;
        std::optional<QString> videoUrl;
    };
    ViewController *m_screen;
    QList<Snapshot> m_snapshots;
};

} // namespace

class tst_ViewController : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void controlsComeFromTheInterface();
    void paste_data();
    void paste();
    void parse_data();
    void parse();
    void failedParseClearsTheAddress();
    void showPlayHideOrder_data();
    void showPlayHideOrder();
    void twoPlaybacksShareOnePlayerView();
    void firstPlaybackKeepsTheHUDOnTop();
    void playerControls();
    void timeText_data();
    void timeText();
    void absentOrEmptyAddressPlaysNothing_data();
    void absentOrEmptyAddressPlaysNothing();
    void playerIsAPageOfTheMediaStack();
    void layoutBeforePlaybackMakesNoPlayer();
    void copy_data();
    void copy();
    void aPassingNoteLetsClicksThrough();
    void failuresShowTheirReason_data();
    void failuresShowTheirReason();
    void failureStaysUntilTheUserAnswers_data();
    void failureStaysUntilTheUserAnswers();
    void messageAnswers_data();
    void messageAnswers();
    void cancelAParse_data();
    void cancelAParse();
    void keyboardIsIgnoredUnderTheWaitingIndicator();
    void pressOnTheBackgroundEndsEditing();
    void keyboard();
    void ctrlVInTheField_data();
    void ctrlVInTheField();
    void mediaBackendRanks_data();
    void mediaBackendRanks();
    void stateTransitions_data();
    void stateTransitions();
    void seekBarMovesTheVideo_data();
    void seekBarMovesTheVideo();
    void playerSaysWhatItWaitsForOrWhyItFailed_data();
    void playerSaysWhatItWaitsForOrWhyItFailed();
    void playsFromAPlatformWithItsOwnCertificate_data();
    void playsFromAPlatformWithItsOwnCertificate();
    void everyTabStopShowsItsFocus_data();
    void everyTabStopShowsItsFocus();
    void overlayButtonsKeepTheirSymbolOnHover_data();
    void overlayButtonsKeepTheirSymbolOnHover();
    void everyControlHasAName();
    void messagesAreAnnounced_data();
    void messagesAreAnnounced();

private:
    std::unique_ptr<ViewController> makeScreen() const;
    QString playAddress(const SamplePlatform::Item &item) const;

    SamplePlatform m_platform;
};

void tst_ViewController::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // The Chinese interface: the system's own texts appear exactly as they are given.
    QVERIFY(InterfaceLanguage::install(InterfaceLanguage::chinese));
    QVERIFY(m_platform.start());
    QString error;
    QVERIFY2(NetworkTrust::addCaCertificates(SamplePlatform::caCertificatesPath(), &error),
             qPrintable(error));
}

void tst_ViewController::cleanup()
{
    m_platform.setFaults({});
    m_platform.clearRequests();
}

std::unique_ptr<ViewController> tst_ViewController::makeScreen() const
{
    auto screen = std::make_unique<ViewController>();
    screen->setEndpoints(m_platform.endpoints());
    screen->resize(390, 844);
    return screen;
}

QString tst_ViewController::playAddress(const SamplePlatform::Item &item) const
{
    return m_platform.endpoints().webOrigin + u"/aweme/v1/play/?video_id="_s + item.playUri;
}

void tst_ViewController::controlsComeFromTheInterface()
{
    const auto screen = makeScreen();
    QVERIFY(screen->textField());
    QCOMPARE(screen->textField()->parentWidget(), screen.get());
    QVERIFY(screen->videoView());
    QCOMPARE(screen->playerView(), nullptr);
    QCOMPARE(screen->player(), nullptr);
    QCOMPARE(screen->videoUrl(), std::nullopt);
    QCOMPARE(screen->currentDownload(), nullptr);
    const QList<QPair<QString, QString>> buttons { { u"pastePushButton"_s, u"粘贴"_s },
                                                   { u"parsePushButton"_s, u"解析"_s },
                                                   { u"copyPushButton"_s, u"复制链接"_s },
                                                   { u"downloadPushButton"_s, u"下载视频"_s } };
    for (const auto &[name, text] : buttons) {
        const auto *button = screen->findChild<QPushButton *>(name);
        QVERIFY2(button, qPrintable(name));
        QCOMPARE(button->text(), text);
    }
    // Nothing to copy or download yet.
    QVERIFY(!button(*screen, u"copyPushButton"_s)->isEnabled());
    QVERIFY(!button(*screen, u"downloadPushButton"_s)->isEnabled());
}

void tst_ViewController::paste_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("field"); // after the paste; the field starts as "before"
    QTest::addColumn<bool>("parsed"); // a "srcUrl: " line and a parse
    QTest::addColumn<QString>("note"); // why nothing was taken; empty when something was

    const QString before = u"before"_s;
    const QString noLink = u"剪贴板里没有链接或视频 ID"_s;
    QTest::newRow("empty") << QString() << before << false << u"剪贴板是空的"_s;
    QTest::newRow("one character") << u"h"_s << before << false << noLink;
    QTest::newRow("no link") << u"just some words / and a slash"_s << before << false << noLink;
    // What the field would take is taken too: any link, a video ID.
    QTest::newRow("exactly 10 characters: any link")
        << u"https://a/"_s << u"https://a/"_s << true << QString();
    QTest::newRow("video ID") << u" 7300000000000000001\n"_s << u"7300000000000000001"_s << true
                              << QString();
    QTest::newRow("words and digits are no video ID")
        << u"call 7300000000000000001"_s << before << false << noLink;
    QTest::newRow("11 characters") << u"https://00/"_s << u"https://00/"_s << true << QString();
    QTest::newRow("direct play address, kept whole")
        << u"看 https://x.test/aweme/v1/play/?video_id=v1&line=1 好"_s
        << u"看 https://x.test/aweme/v1/play/?video_id=v1&line=1 好"_s << false << QString();
    QTest::newRow("own play address, without the line feed of a copy")
        << u"https://x.test/aweme/v1/play/?video_id=v0200fg1\n"_s
        << u"https://x.test/aweme/v1/play/?video_id=v0200fg1"_s << false << QString();
    QTest::newRow("up to the last slash of the line")
        << u"复制打开抖音 https://localhost:1/Ab1/ 12/05 xSd:/ tail"_s
        << u"https://localhost:1/Ab1/ 12/05 xSd:/"_s << true << QString();
    QTest::newRow("two lines: the first link")
        << u"a https://localhost:1/first/\nb https://localhost:1/second/"_s
        << u"https://localhost:1/first/"_s << true << QString();
    QTest::newRow("short first line, long second")
        << u"https://a/\nhttps://localhost:1/second/"_s << u"https://localhost:1/second/"_s << true
        << QString();
    const QString longLink = m_platform.longLink(m_platform.items().constFirst(),
                                                 SamplePlatform::LongLinkForm::Jingxuan);
    QTest::newRow("long link of the platform, whole") << longLink << longLink << true << QString();
    QTest::newRow("http link") << u"see http://localhost:1/abc/ now"_s
                               << u"http://localhost:1/abc/"_s << true << QString();
    QTest::newRow("capital scheme")
        << u"HTTPS://localhost:1/abc/"_s << u"HTTPS://localhost:1/abc/"_s << true << QString();
}

void tst_ViewController::paste()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, field);
    QFETCH(bool, parsed);
    QFETCH(QString, note);

    const auto screen = makeScreen();
    screen->textField()->setText(u"before"_s);
    QGuiApplication::clipboard()->setText(clipboard);
    LogCapture log;
    QSignalSpy states(screen.get(), &ViewController::stateChanged);

    screen->paste();

    QCOMPARE(screen->textField()->text(), field);
    QCOMPARE(log.linesStartingWith(u"srcUrl: "_s),
             parsed ? QStringList { u"srcUrl: "_s + field } : QStringList {});
    QCOMPARE(screen->videoUrl(), std::nullopt); // the paste itself stores nothing
    // A parse puts the screen under the waiting indicator at once.
    QCOMPARE(screen->isBusy(), parsed);
    QCOMPARE(states.isEmpty(), !parsed);
    if (parsed) {
        QTRY_VERIFY_WITH_TIMEOUT(!screen->isBusy(), 20000);
    } else {
        const Fen_QorProgressHUD *hud = shownHUD(screen.get());
        QCOMPARE(hud ? hud->detailsLabel()->text() : QString(), note);
    }
}

void tst_ViewController::parse_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<OptionalText>("videoUrl");
    QTest::addColumn<bool>("parserUsed"); // requests reached the short-link and share-page side
    QTest::addColumn<int>("recordsLogged");

    const SamplePlatform::Item item = m_platform.items().constFirst();
    const QString address = playAddress(item);
    QTest::newRow("share text") << m_platform.shareText(item) << OptionalText(address) << true << 1;
    QTest::newRow("bare short link")
        << m_platform.shortLink(item) << OptionalText(address) << true << 1;
    QTest::newRow("video ID") << item.videoId << OptionalText(address) << true << 1;
    const SamplePlatform::Item noPlay = m_platform.item(SamplePlatform::PageVariant::MissingFields);
    QTest::newRow("record without play identifier: empty address")
        << noPlay.videoId << OptionalText(QString()) << true << 1;
    QTest::newRow("empty field: failure record, no request")
        << QString() << OptionalText() << false << 1;
    QTest::newRow("抖音 without a short link")
        << u"复制打开抖音，看看 https://other.test/x"_s << OptionalText() << false << 1;
    const QString direct
        = m_platform.endpoints().webOrigin + u"/aweme/v1/play/?video_id=direct&ratio=720p&line=1"_s;
    QTest::newRow("direct play address: no parser") << direct << OptionalText(direct) << false << 0;
    // What a parse stores and the copy button copies is taken back as it is.
    QTest::newRow("own play address: no parser") << address << OptionalText(address) << false << 0;
}

void tst_ViewController::parse()
{
    QFETCH(QString, field);
    QFETCH(OptionalText, videoUrl);
    QFETCH(bool, parserUsed);
    QFETCH(int, recordsLogged);

    const auto screen = makeScreen();
    screen->textField()->setText(field);
    LogCapture log;

    screen->parse();

    QTRY_VERIFY_WITH_TIMEOUT(!screen->isBusy(), 20000);
    QCOMPARE(screen->videoUrl(), videoUrl);
    // An address plays; without one the placeholder stays, under the failure, and no player is
    // made to show black.
    const bool plays = videoUrl && !videoUrl->isEmpty();
    QCOMPARE(screen->state(),
             plays ? ViewController::State::ShowingVideo : ViewController::State::Failed);
    QCOMPARE(screen->player() ? screen->player()->source() : QUrl(),
             plays ? QUrl(*videoUrl) : QUrl());
    const QList<SamplePlatform::Request> requests = m_platform.requests();
    QCOMPARE(std::any_of(requests.cbegin(), requests.cend(),
                         [](const SamplePlatform::Request &r) { return r.https; }),
             parserUsed);
    // Every road through the parser logs the record it got; a direct address has none.
    QCOMPARE(log.linesStartingWith(u"Kivora {"_s).size(), recordsLogged);
}

void tst_ViewController::failedParseClearsTheAddress()
{
    const auto screen = makeScreen();
    screen->setVideoUrl(u"http://earlier.test/aweme/v1/play/?video_id=1&line=1"_s);
    screen->textField()->setText(u"9"_s); // all digits: a video ID the platform does not know
    screen->parse();
    QTRY_VERIFY_WITH_TIMEOUT(!screen->videoUrl().has_value(), 10000);
    QTRY_VERIFY(!screen->isBusy());
}

void tst_ViewController::showPlayHideOrder_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("steps");
    const QStringList played { u"show"_s, u"play under HUD"_s };
    QTest::newRow("direct play address")
        << u"http://localhost:1/aweme/v1/play/?video_id=x&line=1"_s << played;
    // The failure's message comes last, over the placeholder: no player is made.
    QTest::newRow("no video ID: answered at once")
        << u"抖音 no link"_s << QStringList { u"show"_s, u"show"_s };
    QTest::newRow("share text: completes on the parser's thread")
        << m_platform.shareText(m_platform.items().constFirst()) << played;
}

void tst_ViewController::showPlayHideOrder()
{
    QFETCH(QString, field);
    QFETCH(QStringList, steps);
    const auto screen = makeScreen();
    screen->textField()->setText(field);
    screen->setVideoUrl(u"http://earlier.test/aweme/v1/play/?video_id=0&line=1"_s);
    ChildAddedRecorder recorder(screen.get());

    screen->parse();
    // The indicator is up at once; the answer, the playback and the hide come through the queue.
    QCOMPARE(recorder.steps(), QStringList { u"show"_s });
    QTRY_VERIFY_WITH_TIMEOUT(!screen->isBusy(), 20000);
    QCOMPARE(recorder.steps(), steps);
}

void tst_ViewController::twoPlaybacksShareOnePlayerView()
{
    const auto screen = makeScreen();
    screen->show();
    screen->play(u"http://localhost:1/nothing.mp4"_s);
    QCOMPARE(screen->playerView(), nullptr); // queued, not done at once
    QTRY_VERIFY(screen->playerView());
    PlayerView *view = screen->playerView();
    const QPointer<QMediaPlayer> first = screen->player();

    screen->play(m_platform.mediaUrl());
    QTRY_VERIFY(screen->player() != first.data());
    QCOMPARE(screen->playerView(), view);
    QCOMPARE(screen->findChildren<PlayerView *>().size(), 1);
    QCOMPARE(view->player(), screen->player());
    QCOMPARE(view->videoGravity(), Qt::KeepAspectRatio);
    QVERIFY(view->showsPlaybackControls());
    QTRY_VERIFY(first.isNull()); // the previous player is released
    QCOMPARE(screen->player()->source(), QUrl(m_platform.mediaUrl()));

    // The newest address plays: its picture reaches the view and the controls follow it.
    QTRY_VERIFY_WITH_TIMEOUT(view->videoSurface()->hasFrame(), 10000);
    QTRY_VERIFY(screen->player()->duration() > 0);
    QCOMPARE(view->seekBar()->maximum(), screen->player()->duration());
}

void tst_ViewController::firstPlaybackKeepsTheHUDOnTop()
{
    const auto screen = makeScreen();
    screen->show();
    qor_showWaiting(screen.get()); // e.g. a download's or the parse's own indicator
    Fen_QorProgressHUD *hud = Fen_QorProgressHUD::HUDForView(Fen_QorHostView(screen.get()));
    QVERIFY(hud);
    QCOMPARE(hud->parentWidget(), screen.get());

    screen->play(u"http://localhost:1/nothing.mp4"_s);
    QTRY_VERIFY(screen->playerView());
    // The player is a page of the stack, below every child of the screen that comes after it.
    QCOMPARE(screen->playerView()->parentWidget(), screen->mediaStack());
    const QObjectList children = screen->children();
    QVERIFY(children.indexOf(hud) > children.indexOf(screen->mediaStack()));
    QVERIFY(hud->isVisible());
}

void tst_ViewController::playerControls()
{
    const auto screen = makeScreen();
    screen->show();
    screen->play(m_platform.mediaUrl());
    QTRY_VERIFY(screen->playerView());
    PlayerView *view = screen->playerView();
    QMediaPlayer *player = screen->player();
    QTRY_COMPARE_WITH_TIMEOUT(player->playbackState(), QMediaPlayer::PlayingState, 10000);
    QTRY_VERIFY(player->duration() > 0);
    QCOMPARE(view->playPauseButton()->accessibleName(), u"暂停"_s);
    QVERIFY(brightPixels(view->playPauseButton()) > 20); // seen on the player's black

    view->playPauseButton()->click();
    QTRY_COMPARE(player->playbackState(), QMediaPlayer::PausedState);
    QCOMPARE(view->playPauseButton()->accessibleName(), u"播放"_s);
    QVERIFY(brightPixels(view->playPauseButton()) > 20);

    // Dragging the seek bar moves the player; the time follows the player.
    view->seekBar()->setSliderDown(true);
    view->seekBar()->setSliderPosition(static_cast<int>(player->duration() / 2));
    view->seekBar()->setSliderDown(false);
    QTRY_COMPARE(player->position(), player->duration() / 2);
    QTRY_COMPARE(view->timeLabel()->text(),
                 PlayerView::timeText(player->position(), player->duration()));

    view->playPauseButton()->click();
    QTRY_COMPARE(player->playbackState(), QMediaPlayer::PlayingState);
}

void tst_ViewController::timeText_data()
{
    QTest::addColumn<qint64>("position");
    QTest::addColumn<qint64>("duration");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << qint64(0) << qint64(0) << u"0:00 / 0:00"_s;
    QTest::newRow("seconds round down") << qint64(1999) << qint64(2000) << u"0:01 / 0:02"_s;
    QTest::newRow("minutes") << qint64(61000) << qint64(600000) << u"1:01 / 10:00"_s;
    QTest::newRow("an hour or more") << qint64(65000) << qint64(3723000) << u"0:01:05 / 1:02:03"_s;
    QTest::newRow("unknown position") << qint64(-5) << qint64(1000) << u"0:00 / 0:01"_s;
}

void tst_ViewController::timeText()
{
    QFETCH(qint64, position);
    QFETCH(qint64, duration);
    QFETCH(QString, text);
    QCOMPARE(PlayerView::timeText(position, duration), text);
}

void tst_ViewController::absentOrEmptyAddressPlaysNothing_data()
{
    QTest::addColumn<OptionalText>("address");
    QTest::newRow("absent") << OptionalText();
    QTest::newRow("empty") << OptionalText(QString());
    QTest::newRow("no URL") << OptionalText(u"http://[::1"_s);
}

void tst_ViewController::absentOrEmptyAddressPlaysNothing()
{
    QFETCH(OptionalText, address);
    const auto screen = makeScreen();
    screen->play(address);
    QTRY_VERIFY(screen->player());
    QCOMPARE(screen->player()->source(), QUrl());
    // Proves that no picture arrives within a short bound.
    QTest::qWait(100);
    QVERIFY(!screen->playerView()->videoSurface()->hasFrame());
}

void tst_ViewController::playerIsAPageOfTheMediaStack()
{
    const auto screen = makeScreen();
    screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen.get()));
    QCOMPARE(screen->mediaStack()->currentWidget(), screen->videoView());
    screen->play(u"http://localhost:1/x.mp4"_s);
    QTRY_VERIFY(screen->playerView());
    QCOMPARE(screen->mediaStack()->currentWidget(), screen->playerView());
    QCOMPARE(screen->state(), ViewController::State::ShowingVideo);

    const QSize before = screen->mediaStack()->size();
    screen->resize(700, 500); // a rotation
    QTRY_VERIFY(screen->mediaStack()->size() != before);
    QTRY_COMPARE(screen->playerView()->size(), screen->mediaStack()->size());
}

void tst_ViewController::layoutBeforePlaybackMakesNoPlayer()
{
    const auto screen = makeScreen();
    screen->show();
    screen->resize(500, 600);
    QCoreApplication::processEvents();
    QCOMPARE(screen->playerView(), nullptr);
    QVERIFY(screen->findChildren<PlayerView *>().isEmpty());
}

void tst_ViewController::copy_data()
{
    QTest::addColumn<OptionalText>("videoUrl");
    QTest::addColumn<QString>("clipboard"); // after the copy; it starts as "unchanged"
    QTest::addColumn<QString>("message"); // empty: no message
    QTest::addColumn<bool>("enabled"); // the copy button

    const QString address = u"http://h.test/aweme/v1/play/?video_id=v"_s;
    QTest::newRow("before any parse") << OptionalText() << u"unchanged"_s << QString() << false;
    QTest::newRow("after a parse")
        << OptionalText(address) << address << u"保存成功\n"_s + address << true;
    // Not "保存成功" with an emptied clipboard: there is nothing to copy, and the screen says so.
    QTest::newRow("empty address")
        << OptionalText(QString()) << u"unchanged"_s << u"没有可复制的链接"_s << false;
}

void tst_ViewController::copy()
{
    QFETCH(OptionalText, videoUrl);
    QFETCH(QString, clipboard);
    QFETCH(QString, message);
    QFETCH(bool, enabled);
    const auto screen = makeScreen();
    screen->setVideoUrl(videoUrl);
    QGuiApplication::clipboard()->setText(u"unchanged"_s);
    QCOMPARE(button(*screen, u"copyPushButton"_s)->isEnabled(), enabled);
    QCOMPARE(button(*screen, u"downloadPushButton"_s)->isEnabled(), enabled);

    screen->copyPlayAddress();

    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
    Fen_QorProgressHUD *hud = Fen_QorProgressHUD::HUDForView(screen.get());
    QCOMPARE(hud ? hud->detailsLabel()->text() : QString(), message);
    if (hud)
        QCOMPARE(hud->mode(), Fen_QorProgressHUDModeText);
}

// "Copied" goes by itself after 1.5 s; a click meanwhile reaches the window below it (through
// the window system, where the HUD covering the screen would catch it).
void tst_ViewController::aPassingNoteLetsClicksThrough()
{
    const auto screen = makeScreen();
    screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen.get()));
    screen->setVideoUrl(u"http://h.test/aweme/v1/play/?video_id=v"_s);
    screen->copyPlayAddress();
    const QPointer<Fen_QorProgressHUD> note = shownHUD(screen.get());
    QVERIFY(note);
    QTRY_VERIFY(note->alpha() > 0.5); // shown enough to catch clicks, were it to

    QPushButton *copy = button(*screen, u"copyPushButton"_s);
    QSignalSpy clicked(copy, &QPushButton::clicked);
    const QPoint centre = copy->mapTo(screen.get(), copy->rect().center());
    QVERIFY(!note->hasFinished());
    QTest::mouseClick(screen->windowHandle(), Qt::LeftButton, {}, centre);
    QCOMPARE(clicked.count(), 1);
}

void tst_ViewController::failuresShowTheirReason_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("reason"); // the details: the reason, in Chinese

    QTest::newRow("random text") << u"随便一些文字"_s << u"没有视频 ID"_s;
    QTest::newRow("dead link") << u"https://localhost:1/AbCdEf/"_s << u"连接被拒绝"_s;
    const SamplePlatform::Item noRouterData
        = m_platform.item(SamplePlatform::PageVariant::NoRouterData);
    QTest::newRow("item found on no road") << m_platform.shareText(noRouterData) << u"找不到作品"_s;
    const SamplePlatform::Item noPlay = m_platform.item(SamplePlatform::PageVariant::MissingFields);
    QTest::newRow("item without a video") << noPlay.videoId << u"该作品既没有视频也没有图片"_s;
}

void tst_ViewController::failuresShowTheirReason()
{
    QFETCH(QString, field);
    QFETCH(QString, reason);
    const auto screen = makeScreen();
    screen->setVideoUrl(u"http://earlier.test/aweme/v1/play/?video_id=1&line=1"_s);
    screen->textField()->setText(field);

    screen->parse();
    QTRY_VERIFY_WITH_TIMEOUT(!screen->isBusy(), 20000);
    const Fen_QorProgressHUD *hud = shownHUD(screen.get());
    QVERIFY(hud);
    QCOMPARE(hud->mode(), Fen_QorProgressHUDModeText);
    QCOMPARE(hud->label()->text(), VideoInfo::failureMessage()); // the record's message
    QVERIFY2(hud->detailsLabel()->text().startsWith(reason),
             qPrintable(hud->detailsLabel()->text()));
    // The earlier address is gone, and with it what could be copied or downloaded.
    QVERIFY(!screen->videoUrl().value_or(QString()).size());
    QVERIFY(!button(*screen, u"copyPushButton"_s)->isEnabled());
    QVERIFY(!button(*screen, u"downloadPushButton"_s)->isEnabled());
}

void tst_ViewController::failureStaysUntilTheUserAnswers_data()
{
    QTest::addColumn<bool>("byKey"); // else by a click
    QTest::newRow("a key") << true;
    QTest::newRow("a click") << false;
}

void tst_ViewController::failureStaysUntilTheUserAnswers()
{
    QFETCH(bool, byKey);
    const auto screen = makeScreen();
    screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen.get()));
    screen->textField()->setText(u"no link here"_s);
    screen->parse();
    QTRY_VERIFY(!screen->isBusy());
    const QPointer<Fen_QorProgressHUD> hud = shownHUD(screen.get());
    QVERIFY(hud);
    // Proves that the message outlives the timed messages' 1.5 s by a good margin.
    QTest::qWait(2500);
    QVERIFY(hud && !hud->hasFinished());

    const QString before = screen->textField()->text();
    if (byKey)
        QTest::keyClick(screen->textField(), Qt::Key_A);
    else
        QTest::mouseClick(hud, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(hud->hasFinished());
    // The key also reaches the field; the click, on the background, reaches the background.
    QCOMPARE(screen->textField()->text(), byKey ? before + u"a"_s : before);
    QTRY_VERIFY(hud.isNull());
}

void tst_ViewController::messageAnswers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("downloadFocused"); // else the field has the focus
    QTest::addColumn<QString>("field"); // the field's text after the answer; it starts as "abc"
    QTest::addColumn<bool>("fieldFocused");
    QTest::addColumn<int>("copyClicks");
    QTest::addColumn<int>("downloadClicks");

    QTest::newRow("a letter is typed") << u"x"_s << false << u"abcx"_s << true << 0 << 0;
    QTest::newRow("Escape only closes") << u"Escape"_s << false << u"abc"_s << true << 0 << 0;
    QTest::newRow("Ctrl+V pastes in the field")
        << u"Ctrl+V"_s << false << u"abc7300000000000000001"_s << true << 0 << 0;
    QTest::newRow("Space does not press the hidden button")
        << u"Space"_s << true << u"abc"_s << false << 0 << 0;
    QTest::newRow("a click on the field in the first 1.5 s focuses it")
        << u"click field"_s << true << u"abc"_s << true << 0 << 0;
    QTest::newRow("a click on a button presses it")
        << u"click copy"_s << false << u"abc"_s << false << 1 << 0;
    QTest::newRow("a second click during the fade is not lost")
        << u"click field, click copy"_s << false << u"abc"_s << false << 1 << 0;
}

// The trap was a message that ate the answer: the click that closed it did not reach the field,
// keys went to the button that had the focus before, Escape did nothing.
void tst_ViewController::messageAnswers()
{
    QFETCH(QString, answer);
    QFETCH(bool, downloadFocused);
    QFETCH(QString, field);
    QFETCH(bool, fieldFocused);
    QFETCH(int, copyClicks);
    QFETCH(int, downloadClicks);

    SamplePlatform::Faults slow; // a parse that Ctrl+V starts stays under its indicator
    slow.latencyMs = 3000;
    m_platform.setFaults(slow);
    const auto screen = makeScreen();
    screen->show();
    QVERIFY(QTest::qWaitForWindowActive(screen.get()));
    screen->setVideoUrl(u"http://h.test/aweme/v1/play/?video_id=v"_s);
    screen->textField()->setText(u"abc"_s);
    QPushButton *download = button(*screen, u"downloadPushButton"_s);
    (downloadFocused ? static_cast<QWidget *>(download) : screen->textField())->setFocus();
    QTRY_VERIFY(QApplication::focusWidget());
    QGuiApplication::clipboard()->setText(u"7300000000000000001"_s);
    QSignalSpy copyClicked(button(*screen, u"copyPushButton"_s), &QPushButton::clicked);
    QSignalSpy downloadClicked(download, &QPushButton::clicked);
    const QPointer<Fen_QorProgressHUD> message = StickyMessage::show(
        screen.get(), u"Saved"_s, u"In the album folder /x"_s, u"Open folder"_s, [] {});
    QTRY_VERIFY(message->alpha() > 0.5); // shown enough to catch clicks, were it to

    const auto clickOn = [&screen](QWidget *widget) {
        QTest::mouseClick(screen->windowHandle(), Qt::LeftButton, {},
                          widget->mapTo(screen.get(), widget->rect().center()));
    };
    for (const QString &step : answer.split(u", "_s)) {
        if (step == u"click field"_s)
            clickOn(screen->textField());
        else if (step == u"click copy"_s)
            clickOn(button(*screen, u"copyPushButton"_s));
        else
            QTest::keySequence(QApplication::focusWidget(), QKeySequence(step));
    }

    QVERIFY(message->hasFinished());
    QTRY_COMPARE(screen->textField()->text(), field); // a button's shortcut clicks a bit later
    QCOMPARE(screen->textField()->hasFocus(), fieldFocused);
    QCOMPARE(copyClicked.count(), copyClicks);
    QCOMPARE(downloadClicked.count(), downloadClicks);
    QCOMPARE(screen->currentDownload(), nullptr);
    screen->cancel();
}

void tst_ViewController::cancelAParse_data()
{
    QTest::addColumn<bool>("byEscape"); // else by the indicator's button
    QTest::newRow("Escape") << true;
    QTest::newRow("the indicator's button") << false;
}

void tst_ViewController::cancelAParse()
{
    QFETCH(bool, byEscape);
    SamplePlatform::Faults dripping;
    dripping.bodyFault = SamplePlatform::BodyFault::Dripping;
    dripping.bodyFaultSteps = SamplePlatform::SharePageStep;
    dripping.dripIntervalMs = 50;
    m_platform.setFaults(dripping);
    const auto screen = makeScreen();
    screen->show();
    QVERIFY(QTest::qWaitForWindowActive(screen.get()));
    const QString earlier = u"http://earlier.test/aweme/v1/play/?video_id=1&line=1"_s;
    screen->setVideoUrl(earlier);
    screen->textField()->setText(m_platform.shareText(m_platform.items().constFirst()));
    screen->textField()->setFocus();

    screen->parse();
    Fen_QorProgressHUD *waiting = screen->busyIndicator()->hud();
    QVERIFY(waiting);
    QCOMPARE(waiting->button()->text(), u"取消"_s);
    QTRY_VERIFY_WITH_TIMEOUT(m_platform.connectionOf("/share/video/") != 0, 20000);
    const int sharePageConnection = m_platform.connectionOf("/share/video/");
    if (byEscape)
        QTest::keyClick(screen->textField(), Qt::Key_Escape);
    else
        waiting->button()->click();

    QVERIFY(!screen->isBusy());
    const Fen_QorProgressHUD *message = shownHUD(screen.get());
    QVERIFY(message && message != waiting);
    QCOMPARE(message->detailsLabel()->text(), u"已取消"_s);
    QCOMPARE(screen->videoUrl(), OptionalText(earlier)); // a cancel keeps what was there
    QVERIFY(button(*screen, u"copyPushButton"_s)->isEnabled());
    // The parse's request ends with it: the server sees the client leave at once.
    QTRY_VERIFY_WITH_TIMEOUT(m_platform.closedConnections().contains(sharePageConnection), 1000);
}

void tst_ViewController::keyboardIsIgnoredUnderTheWaitingIndicator()
{
    SamplePlatform::Faults slow;
    slow.latencyMs = 300;
    m_platform.setFaults(slow);
    const auto screen = makeScreen();
    screen->show();
    QVERIFY(QTest::qWaitForWindowActive(screen.get()));
    const SamplePlatform::Item item = m_platform.items().constFirst();
    screen->textField()->setText(item.videoId);
    screen->textField()->setFocus();

    QTest::keyClick(screen->textField(), Qt::Key_Return);
    QVERIFY(screen->isBusy());
    // Under the indicator: Enter, Ctrl+V with a share text, and the buttons' own shortcuts.
    QTest::keyClick(screen->textField(), Qt::Key_Return);
    QGuiApplication::clipboard()->setText(m_platform.shareText(m_platform.items().at(1)));
    QTest::keyClick(screen->textField(), Qt::Key_V, Qt::ControlModifier);
    screen->download();
    screen->copyPlayAddress();
    QCOMPARE(screen->textField()->text(), item.videoId);
    QCOMPARE(screen->currentDownload(), nullptr);

    QTRY_VERIFY_WITH_TIMEOUT(!screen->isBusy(), 20000);
    QCOMPARE(screen->videoUrl(), OptionalText(playAddress(item)));
    QCOMPARE(sharePageRequests(m_platform), 1);
}

void tst_ViewController::pressOnTheBackgroundEndsEditing()
{
    const auto screen = makeScreen();
    screen->show();
    QVERIFY(QTest::qWaitForWindowActive(screen.get()));
    screen->textField()->setFocus();
    QTRY_VERIFY(screen->textField()->hasFocus());
    QTest::mouseClick(screen.get(), Qt::LeftButton, {}, QPoint(2, 2));
    QVERIFY(!screen->textField()->hasFocus());
}

void tst_ViewController::keyboard()
{
    const auto screen = makeScreen();
    screen->show();
    QVERIFY(QTest::qWaitForWindowActive(screen.get()));
    screen->textField()->setFocus();
    QTRY_VERIFY(screen->textField()->hasFocus());

    // Ctrl+V goes through the paste action, which picks the link out of the text.
    QGuiApplication::clipboard()->setText(u"看看 https://localhost:1/Ab1/ 吧"_s);
    QTest::keyClick(screen->textField(), Qt::Key_V, Qt::ControlModifier);
    QTRY_COMPARE(screen->textField()->text(), u"https://localhost:1/Ab1/"_s);
    QTRY_VERIFY(!screen->isBusy());
    Fen_QorClearHUD(screen.get()); // the failure's message (nobody listens at port 1)

    // Enter parses.
    const QString direct = u"http://localhost:1/aweme/v1/play/?video_id=k&line=1"_s;
    screen->textField()->setText(direct);
    QTest::keyClick(screen->textField(), Qt::Key_Return);
    QTRY_COMPARE(screen->videoUrl(), OptionalText(direct));

    // Tab walks field → paste → parse → the player's controls → copy → download.
    QTRY_VERIFY(screen->playerView());
    QTRY_VERIFY(!Fen_QorHasHUD(screen.get()));
    screen->textField()->setFocus();
    QList<QWidget *> order;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget());
    }
    const QList<QWidget *> expected {
        button(*screen, u"pastePushButton"_s),   button(*screen, u"parsePushButton"_s),
        screen->playerView()->playPauseButton(), screen->playerView()->seekBar(),
        button(*screen, u"copyPushButton"_s),    button(*screen, u"downloadPushButton"_s)
    };
    QCOMPARE(order, expected);
}

void tst_ViewController::ctrlVInTheField_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("field"); // after Ctrl+V at the end of "id " (a paste inserts)
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<QString>("byButton"); // the field after the paste button instead

    const QString shareLink = u"https://localhost:1/Ab1/"_s;
    QTest::newRow("share text: the link is picked and parsed")
        << u"看看 https://localhost:1/Ab1/ 吧"_s << shareLink << true << shareLink;
    const QString direct = u"http://localhost:1/aweme/v1/play/?video_id=k&line=1"_s;
    QTest::newRow("direct play address: taken whole") << direct << direct << false << direct;
    // The button takes what the field takes; Ctrl+V in the field inserts it as usual.
    QTest::newRow("video ID: pasted as usual")
        << u"7300000000000000001"_s << u"id 7300000000000000001"_s << false
        << u"7300000000000000001"_s;
    QTest::newRow("http link: pasted as usual")
        << u"http://localhost:1/abc/"_s << u"id http://localhost:1/abc/"_s << false
        << u"http://localhost:1/abc/"_s;
    QTest::newRow("other text: pasted as usual")
        << u"some words"_s << u"id some words"_s << false << u"id "_s;
    QTest::newRow("one character: pasted as usual") << u"7"_s << u"id 7"_s << false << u"7"_s;
}

void tst_ViewController::ctrlVInTheField()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, field);
    QFETCH(bool, parsed);

    const auto screen = makeScreen();
    screen->show();
    QVERIFY(QTest::qWaitForWindowActive(screen.get()));
    screen->textField()->setText(u"id "_s);
    screen->textField()->setFocus();
    QTRY_VERIFY(screen->textField()->hasFocus());
    QGuiApplication::clipboard()->setText(clipboard);
    LogCapture log;

    QTest::keyClick(screen->textField(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(screen->textField()->text(), field);
    QCOMPARE(log.linesStartingWith(u"srcUrl: "_s).size(), parsed ? 1 : 0);
    QTRY_VERIFY(!screen->isBusy());

    // The paste button replaces the field's text, or leaves it alone when it takes nothing.
    QFETCH(QString, byButton);
    screen->textField()->setText(u"id "_s);
    screen->findChild<QPushButton *>(u"pastePushButton"_s)->click();
    QCOMPARE(screen->textField()->text(), byButton);
    QTRY_VERIFY(!screen->isBusy());
}

void tst_ViewController::mediaBackendRanks_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("nothing set") << QByteArray() << QByteArray("curlhttpsrc:MAX");
    QTest::newRow("other ranks kept")
        << QByteArray("pulsesink:NONE") << QByteArray("pulsesink:NONE,curlhttpsrc:MAX");
    QTest::newRow("the user's soup rank wins")
        << QByteArray("souphttpsrc:MAX") << QByteArray("souphttpsrc:MAX");
    QTest::newRow("the user's curl rank wins")
        << QByteArray("curlhttpsrc:NONE") << QByteArray("curlhttpsrc:NONE");
}

void tst_ViewController::mediaBackendRanks()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    const QByteArray saved = qgetenv("GST_PLUGIN_FEATURE_RANK");
    qputenv("GST_PLUGIN_FEATURE_RANK", before);
    MediaBackend::preferCurlHttpSource();
    const QByteArray ranks = qgetenv("GST_PLUGIN_FEATURE_RANK");
    qputenv("GST_PLUGIN_FEATURE_RANK", saved);
    QCOMPARE(ranks, after);
}

QString stateName(ViewController::State state)
{
    return QString::fromLatin1(QMetaEnum::fromType<ViewController::State>().valueToKey(int(state)));
}

void tst_ViewController::stateTransitions_data()
{
    QTest::addColumn<QStringList>("steps"); // "parse TEXT", "cancel", "download"
    QTest::addColumn<QStringList>("states"); // every state the screen went through, in order

    const QString video = m_platform.items().constFirst().videoId;
    const QString gallery = m_platform.item(SamplePlatform::PageVariant::Gallery).videoId;
    const QString parseVideo = u"parse "_s + video;
    QTest::newRow("a video") << QStringList { parseVideo }
                             << QStringList { u"Resolving"_s, u"ShowingVideo"_s };
    QTest::newRow("a gallery") << QStringList { u"parse "_s + gallery }
                               << QStringList { u"Resolving"_s, u"ShowingGallery"_s };
    QTest::newRow("a failure") << QStringList { u"parse no link"_s }
                               << QStringList { u"Resolving"_s, u"Failed"_s };
    QTest::newRow("a cancelled parse goes back")
        << QStringList { parseVideo, u"parse "_s + gallery, u"cancel"_s }
        << QStringList { u"Resolving"_s, u"ShowingVideo"_s, u"Resolving"_s, u"ShowingVideo"_s };
    QTest::newRow("a video after a failure")
        << QStringList { u"parse no link"_s, parseVideo }
        << QStringList { u"Resolving"_s, u"Failed"_s, u"Resolving"_s, u"ShowingVideo"_s };
    QTest::newRow("a failure after a gallery")
        << QStringList { u"parse "_s + gallery, u"parse no link"_s }
        << QStringList { u"Resolving"_s, u"ShowingGallery"_s, u"Resolving"_s, u"Failed"_s };
    QTest::newRow("a cancelled download goes back")
        << QStringList { parseVideo, u"download"_s, u"cancel"_s }
        << QStringList { u"Resolving"_s, u"ShowingVideo"_s, u"Downloading"_s, u"ShowingVideo"_s };
}

// The page of the media stack, the waiting indicator and the actions follow every state.
void tst_ViewController::stateTransitions()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, states);

    const auto screen = makeScreen();
    QStringList seen;
    connect(screen.get(), &ViewController::stateChanged, screen.get(),
            [&seen](ViewController::State state) { seen.append(stateName(state)); });
    for (const QString &step : steps) {
        const bool cancels = steps.indexOf(step) + 1 < steps.size()
            && steps.at(steps.indexOf(step) + 1) == u"cancel"_s;
        SamplePlatform::Faults faults;
        faults.latencyMs = cancels ? 3000 : 0; // a step to cancel is still running then
        m_platform.setFaults(faults);
        if (step.startsWith(u"parse "_s)) {
            screen->textField()->setText(step.mid(6));
            screen->parse();
        } else if (step == u"download"_s) {
            screen->download();
        } else {
            screen->cancel();
        }
        QVERIFY(screen->isBusy() == (step != u"cancel"_s));
        if (!cancels)
            QTRY_VERIFY_WITH_TIMEOUT(!screen->isBusy(), 20000);
    }
    Fen_QorClearHUD(screen.get());

    QCOMPARE(seen, states);
    const ViewController::State last = screen->state();
    QCOMPARE(stateName(last), states.constLast());
    const QHash<ViewController::State, QWidget *> pages {
        { ViewController::State::ShowingVideo, static_cast<QWidget *>(screen->playerView()) },
        { ViewController::State::ShowingGallery, static_cast<QWidget *>(screen->galleryView()) }
    };
    QWidget *page = pages.value(last, screen->videoView());
    QCOMPARE(screen->mediaStack()->currentWidget(), page);
    QVERIFY(!screen->busyIndicator()->isShowing());
    const bool playing
        = screen->player() && screen->player()->playbackState() != QMediaPlayer::StoppedState;
    QCOMPARE(playing, last == ViewController::State::ShowingVideo);
    QCOMPARE(button(*screen, u"downloadPushButton"_s)->isEnabled(),
             last != ViewController::State::Failed);
}

void tst_ViewController::seekBarMovesTheVideo_data()
{
    QTest::addColumn<QString>("input"); // a key, or "click" at the given part of the bar
    QTest::addColumn<double>("part"); // where the video is then, a part of its duration
    QTest::addColumn<bool>("fromTheEnd"); // played to its end first; else paused in the middle

    QTest::newRow("a click at a quarter") << u"click"_s << 0.25 << false;
    QTest::newRow("a click at three quarters") << u"click"_s << 0.75 << false;
    QTest::newRow("End") << u"End"_s << 1.0 << false;
    QTest::newRow("Home") << u"Home"_s << 0.0 << false;
    QTest::newRow("Left, from the middle") << u"Left"_s << -1.0 << false; // an arrow step back
    QTest::newRow("a click after the end shows the picture") << u"click"_s << 0.25 << true;
}

// The trap: a click on the bar or an arrow key moved the handle but not the video.
void tst_ViewController::seekBarMovesTheVideo()
{
    QFETCH(QString, input);
    QFETCH(double, part);
    QFETCH(bool, fromTheEnd);

    const auto screen = makeScreen();
    screen->show();
    QVERIFY(QTest::qWaitForWindowActive(screen.get()));
    screen->play(m_platform.mediaUrl());
    QTRY_VERIFY(screen->playerView());
    QMediaPlayer *player = screen->player();
    QTRY_VERIFY_WITH_TIMEOUT(player->duration() > 0, 10000);
    QSlider *bar = screen->playerView()->seekBar();
    const qint64 duration = player->duration();
    const qint64 middle = duration / 2;
    if (fromTheEnd) {
        QTRY_COMPARE_WITH_TIMEOUT(player->mediaStatus(), QMediaPlayer::EndOfMedia, 10000);
        QCOMPARE(player->playbackState(), QMediaPlayer::StoppedState);
    } else {
        player->pause();
        QTRY_COMPARE(player->playbackState(), QMediaPlayer::PausedState);
        bar->setSliderDown(true);
        bar->setSliderPosition(int(middle));
        bar->setSliderDown(false);
        QTRY_COMPARE(player->position(), middle);
    }

    if (input == u"click"_s) {
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = bar->orientation();
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        const QRect groove = bar->style()->subControlRect(QStyle::CC_Slider, &option,
                                                          QStyle::SC_SliderGroove, bar);
        const int x = QStyle::sliderPositionFromValue(0, 1000, int(part * 1000), groove.width());
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(groove.left() + x, groove.center().y()));
    } else {
        bar->setFocus();
        QTest::keyClick(bar, QKeySequence(input)[0].key());
    }
    const qint64 target = part < 0 ? middle - PlayerView::arrowStep : qint64(part * duration);
    const qint64 expected = qBound<qint64>(0, target, duration);
    // Within a tenth of the video: the click lands on a pixel of the groove.
    QTRY_VERIFY2(std::abs(player->position() - expected) <= duration / 10,
                 qPrintable(u"%1 of %2"_s.arg(player->position()).arg(expected)));
    QCOMPARE(player->playbackState(), QMediaPlayer::PausedState); // a picture, not black
}

void tst_ViewController::playerSaysWhatItWaitsForOrWhyItFailed_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("status"); // the start of what the picture says in the end

    QTest::newRow("not a video") << m_platform.customMediaUrl("just text", "text/plain")
                                 << u"无法播放该视频\n"_s;
    QTest::newRow("nobody listens") << u"http://localhost:1/x.mp4"_s << u"无法播放该视频\n"_s;
    QTest::newRow("a video") << m_platform.mediaUrl() << QString();
}

// The trap: a video that cannot be played showed black, 0:00 / 0:00 and a pause symbol.
void tst_ViewController::playerSaysWhatItWaitsForOrWhyItFailed()
{
    QFETCH(QString, address);
    QFETCH(QString, status);

    const auto screen = makeScreen();
    screen->show();
    screen->play(address);
    QTRY_VERIFY(screen->playerView());
    const QLabel *label = screen->playerView()->statusLabel();
    QTRY_VERIFY_WITH_TIMEOUT(screen->player()->error() != QMediaPlayer::NoError
                                 || screen->player()->mediaStatus() == QMediaPlayer::BufferedMedia,
                             10000);
    if (status.isEmpty())
        QTRY_COMPARE(label->text(), QString());
    else
        QTRY_VERIFY2(label->text().startsWith(status) && label->text().size() > status.size(),
                     qPrintable(label->text()));
}

void tst_ViewController::playsFromAPlatformWithItsOwnCertificate_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("relayed"); // read by the player through Kivora's network layer

    const QString https = u"https://localhost:%1/media/sample.mp4"_s.arg(m_platform.httpsPort());
    QTest::newRow("https, trusted by Kivora only") << https << true;
    QTest::newRow("plain http, as it is") << m_platform.mediaUrl() << false;
}

// The trap: the player's own HTTP stack trusts the system's authorities only, and played nothing
// from a platform whose certificate came with --ca-certificates (as the sample platform's here).
void tst_ViewController::playsFromAPlatformWithItsOwnCertificate()
{
    QFETCH(QString, address);
    QFETCH(bool, relayed);

    const auto screen = makeScreen();
    screen->show();
    screen->play(address);
    QTRY_VERIFY(screen->player());
    const QUrl source = screen->player()->source();
    QCOMPARE(source == QUrl(address), !relayed);
    QCOMPARE(source.host() == u"127.0.0.1"_s, relayed);
    QTRY_VERIFY_WITH_TIMEOUT(screen->playerView()->videoSurface()->hasFrame(), 10000);
    QCOMPARE(screen->player()->error(), QMediaPlayer::NoError);
    // Seeking asks for a range: the relay passes it on.
    QTRY_VERIFY(screen->player()->duration() > 0);
    screen->player()->setPosition(screen->player()->duration() / 2);
    QTRY_VERIFY(screen->player()->position() >= screen->player()->duration() / 2);

    // The relay serves the addresses it was given, nothing else.
    if (relayed) {
        QUrl other = source;
        other.setPath(u"/0123"_s);
        QNetworkAccessManager manager;
        QNetworkReply *reply = manager.get(QNetworkRequest(other));
        QTRY_VERIFY(reply->isFinished());
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 404);
        delete reply;
    }
}

void tst_ViewController::everyTabStopShowsItsFocus_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("stops"); // Tab stops from the field round to it again

    QTest::newRow("video") << m_platform.items().constFirst().videoId << 7;
    // The previous button is disabled on the first picture.
    QTest::newRow("gallery") << m_platform.item(SamplePlatform::PageVariant::Gallery).videoId << 8;
}

// The trap: two Tab stops (the gallery and its strip, on black) looked the same with the focus.
void tst_ViewController::everyTabStopShowsItsFocus()
{
    QFETCH(QString, field);
    QFETCH(int, stops);

    const auto screen = makeScreen();
    screen->show();
    QVERIFY(QTest::qWaitForWindowActive(screen.get()));
    screen->textField()->setText(field);
    screen->parse();
    QTRY_VERIFY_WITH_TIMEOUT(!screen->isBusy(), 20000);
    if (screen->player())
        screen->player()->pause(); // a still picture
    Fen_QorClearHUD(screen.get());
    QTRY_VERIFY(screen->findChildren<Fen_QorProgressHUD *>().isEmpty());
    screen->textField()->setFocus();

    QList<QWidget *> walked;
    for (int i = 0; i < stops; ++i) {
        QWidget *stop = QApplication::focusWidget();
        QVERIFY(stop);
        walked.append(stop);
        const QImage focused = stop->grab().toImage();
        screen->setFocus(); // the screen takes no focus mark of its own
        QTRY_VERIFY(!stop->hasFocus());
        QVERIFY2(stop->grab().toImage() != focused, stop->metaObject()->className());
        stop->setFocus(Qt::TabFocusReason);
        QTest::keyClick(stop, Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), screen->textField()); // round again
    QCOMPARE(QSet<QWidget *>(walked.cbegin(), walked.cend()).size(), stops);
}

void tst_ViewController::overlayButtonsKeepTheirSymbolOnHover_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("play/pause") << u"play"_s;
    QTest::newRow("next picture") << u"next"_s;
}

// The trap: the style's light hover panel under a white symbol: the symbol vanished.
void tst_ViewController::overlayButtonsKeepTheirSymbolOnHover()
{
    QFETCH(QString, button);
    PlayerView player;
    GalleryView gallery;
    gallery.setImages({ u"http://localhost:1/1.jpg"_s, u"http://localhost:1/2.jpg"_s });
    QToolButton *hovered = button == u"play"_s ? player.playPauseButton() : gallery.nextButton();
    hovered->window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(hovered->window()));
    hovered->setEnabled(true);
    hovered->setAttribute(Qt::WA_UnderMouse, true);
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(hovered, &enter);

    // As painted over the view's black, not on the button's own.
    QWidget *view = hovered->window();
    const QImage picture
        = view->grab(QRect(hovered->mapTo(view, QPoint()), hovered->size())).toImage();
    const QPoint inside(picture.width() / 6, picture.height() / 2); // beside the symbol
    QVERIFY2(qGray(picture.pixel(inside)) < 128, "the hover fill stays dark");
    int white = 0; // the symbol
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            white += qGray(picture.pixel(x, y)) > 200 ? 1 : 0;
    }
    QVERIFY(white > 20);
    QVERIFY(hovered->iconSize().width() >= 24);
}

// Whatever a screen reader can reach on the screen, the player and the gallery included, has a
// name: buttons, fields, sliders and lists (the field's clear button was Qt's, unnamed).
void tst_ViewController::everyControlHasAName()
{
    const auto screen = makeScreen();
    screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen.get()));
    screen->textField()->setText(m_platform.item(SamplePlatform::PageVariant::Gallery).videoId);
    screen->parse();
    QTRY_VERIFY_WITH_TIMEOUT(!screen->isBusy(), 20000);
    screen->play(m_platform.mediaUrl());
    QTRY_VERIFY(screen->playerView());
    StickyMessage::show(screen.get(), u"Saved"_s, u"details"_s, u"Open folder"_s, [] {});

    const QSet<QAccessible::Role> controls { QAccessible::PushButton, QAccessible::ButtonMenu,
                                             QAccessible::CheckBox,   QAccessible::EditableText,
                                             QAccessible::List,       QAccessible::ListItem,
                                             QAccessible::Slider,     QAccessible::ComboBox };
    QStringList unnamed;
    int named = 0;
    QList<QAccessibleInterface *> pending { QAccessible::queryAccessibleInterface(screen.get()) };
    while (!pending.isEmpty()) {
        QAccessibleInterface *node = pending.takeLast();
        if (!node || !node->isValid())
            continue;
        for (int i = 0; i < node->childCount(); ++i)
            pending.append(node->child(i));
        if (!controls.contains(node->role()))
            continue;
        if (node->text(QAccessible::Name).trimmed().isEmpty())
            unnamed.append(node->object()
                               ? QString::fromLatin1(node->object()->metaObject()->className())
                               : QString::number(node->role()));
        else
            ++named;
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", "_s)));
    // field, its clear button, 4 buttons, play/pause, seek bar, 2 arrows, strip and 3 pictures,
    // the message's button
    QVERIFY2(named >= 15, qPrintable(QString::number(named)));
}

void tst_ViewController::messagesAreAnnounced_data()
{
    QTest::addColumn<QString>("field"); // parsed first; empty: no parse
    QTest::addColumn<bool>("copy"); // then the copy button
    QTest::addColumn<QString>("name"); // what a screen reader reads with the alert
    QTest::addColumn<QString>("description");

    const QString address = u"http://h.test/aweme/v1/play/?video_id=v"_s;
    QTest::newRow("a failure") << u"no link here"_s << false << VideoInfo::failureMessage()
                               << u"没有视频 ID"_s;
    QTest::newRow("a note") << QString() << true << u"保存成功\n"_s + address << QString();
}

// A HUD's texts are painted, not read: the message is put into the HUD's accessible name and
// description, which the alert sent with them points the screen reader to.
void tst_ViewController::messagesAreAnnounced()
{
    QFETCH(QString, field);
    QFETCH(bool, copy);
    QFETCH(QString, name);
    QFETCH(QString, description);

    const auto screen = makeScreen();
    screen->show();
    if (!field.isEmpty()) {
        screen->textField()->setText(field);
        screen->parse();
        QTRY_VERIFY(!screen->isBusy());
    }
    if (copy) {
        screen->setVideoUrl(u"http://h.test/aweme/v1/play/?video_id=v"_s);
        screen->copyPlayAddress();
    }
    Fen_QorProgressHUD *hud = shownHUD(screen.get());
    QVERIFY(hud);
    QAccessibleInterface *node = QAccessible::queryAccessibleInterface(hud);
    QVERIFY(node);
    QCOMPARE(node->text(QAccessible::Name), name);
    QVERIFY2(node->text(QAccessible::Description).startsWith(description),
             qPrintable(node->text(QAccessible::Description)));
}

QTEST_MAIN(tst_ViewController)
#include "tst_viewcontroller.moc"
