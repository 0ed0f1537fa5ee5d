#include "BusyIndicator.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorProgressHUDRoundedButton.h"
#include "Fen_QorShortcuts.h"
#include "InterfaceLanguage.h"
#include "LogCapture.h"
#include "MediaBackend.h"
#include "NetworkTrust.h"
#include "PlayerView.h"
#include "SamplePlatform.h"
#include "VideoFrameView.h"
#include "VideoInfo.h"
#include "ViewController.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMediaPlayer>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QSlider>
#include <QStandardPaths>
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
    void playerFollowsThePlaceholder();
    void layoutBeforePlaybackMakesNoPlayer();
    void copy_data();
    void copy();
    void aPassingNoteLetsClicksThrough();
    void failuresShowTheirReason_data();
    void failuresShowTheirReason();
    void failureStaysUntilTheUserAnswers_data();
    void failureStaysUntilTheUserAnswers();
    void cancelAParse_data();
    void cancelAParse();
    void keyboardIsIgnoredUnderTheWaitingIndicator();
    void pressOnTheBackgroundEndsEditing();
    void keyboard();
    void ctrlVInTheField_data();
    void ctrlVInTheField();
    void mediaBackendRanks_data();
    void mediaBackendRanks();

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

    const QString before = u"before"_s;
    QTest::newRow("empty") << QString() << before << false;
    QTest::newRow("one character") << u"h"_s << before << false;
    QTest::newRow("no link") << u"just some words / and a slash"_s << before << false;
    QTest::newRow("exactly 10 characters") << u"https://a/"_s << before << false;
    QTest::newRow("11 characters") << u"https://00/"_s << u"https://00/"_s << true;
    QTest::newRow("direct play address, kept whole")
        << u"看 https://x.test/aweme/v1/play/?video_id=v1&line=1 好"_s
        << u"看 https://x.test/aweme/v1/play/?video_id=v1&line=1 好"_s << false;
    QTest::newRow("own play address, without the line feed of a copy")
        << u"https://x.test/aweme/v1/play/?video_id=v0200fg1\n"_s
        << u"https://x.test/aweme/v1/play/?video_id=v0200fg1"_s << false;
    QTest::newRow("up to the last slash of the line")
        << u"复制打开抖音 https://localhost:1/Ab1/ 12/05 xSd:/ tail"_s
        << u"https://localhost:1/Ab1/ 12/05 xSd:/"_s << true;
    QTest::newRow("two lines: the first link")
        << u"a https://localhost:1/first/\nb https://localhost:1/second/"_s
        << u"https://localhost:1/first/"_s << true;
    QTest::newRow("short first line, long second")
        << u"https://a/\nhttps://localhost:1/second/"_s << u"https://localhost:1/second/"_s << true;
    const QString longLink = m_platform.longLink(m_platform.items().constFirst(),
                                                 SamplePlatform::LongLinkForm::Jingxuan);
    QTest::newRow("long link of the platform, whole") << longLink << longLink << true;
    QTest::newRow("http is not picked") << u"http://localhost:1/abc/"_s << before << false;
    QTest::newRow("capital scheme is not picked")
        << u"HTTPS://localhost:1/abc/"_s << before << false;
}

void tst_ViewController::paste()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, field);
    QFETCH(bool, parsed);

    const auto screen = makeScreen();
    screen->textField()->setText(u"before"_s);
    QGuiApplication::clipboard()->setText(clipboard);
    LogCapture log;
    ChildAddedRecorder recorder(screen.get());

    screen->paste();

    QCOMPARE(screen->textField()->text(), field);
    QCOMPARE(log.linesStartingWith(u"srcUrl: "_s),
             parsed ? QStringList { u"srcUrl: "_s + field } : QStringList {});
    QCOMPARE(screen->videoUrl(), std::nullopt); // the paste itself stores nothing
    // A parse shows the waiting indicator and ends in a playback request.
    if (parsed)
        QTRY_VERIFY_WITH_TIMEOUT(screen->player(), 20000);
    else
        QCoreApplication::sendPostedEvents(); // a parse would have queued its show step
    QCOMPARE(recorder.steps().contains(u"show"_s), parsed);
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

    QTRY_VERIFY(screen->player()); // every parse ends in a playback request
    QTRY_VERIFY(!screen->isBusy());
    QCOMPARE(screen->videoUrl(), videoUrl);
    QCOMPARE(screen->player()->source(),
             videoUrl && !videoUrl->isEmpty() ? QUrl(*videoUrl) : QUrl());
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
    // The failure's message comes last, over the (empty) player.
    QTest::newRow("no video ID: answered at once")
        << u"抖音 no link"_s << played + QStringList { u"show after play"_s };
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
    QTRY_VERIFY(screen->player());
    QTRY_VERIFY(!screen->isBusy());
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
    const QObjectList children = screen->children();
    QVERIFY(children.indexOf(hud) > children.indexOf(screen->playerView()));
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

void tst_ViewController::playerFollowsThePlaceholder()
{
    const auto screen = makeScreen();
    screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen.get()));
    screen->play(u"http://localhost:1/x.mp4"_s);
    QTRY_VERIFY(screen->playerView());
    const auto placeholderRect = [&screen] {
        return QRect(screen->videoView()->mapTo(screen.get(), QPoint()),
                     screen->videoView()->size());
    };
    QCOMPARE(screen->playerView()->geometry(), placeholderRect());
    QWidget *topmost = nullptr;
    for (QObject *child : screen->children())
        topmost = child->isWidgetType() ? static_cast<QWidget *>(child) : topmost;
    QCOMPARE(topmost, screen->playerView());

    const QRect before = placeholderRect();
    screen->resize(700, 500); // a rotation
    QTRY_VERIFY(placeholderRect() != before);
    QTRY_COMPARE(screen->playerView()->geometry(), placeholderRect());
}

void tst_ViewController::layoutBeforePlaybackMakesNoPlayer()
{
    const auto screen = makeScreen();
    screen->show();
    screen->resize(500, 600);
    screen->followPlaceholder();
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
    QCOMPARE(screen->textField()->text(), before); // the answer does nothing else
    QTRY_VERIFY(hud.isNull());
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

    QTest::newRow("share text: the link is picked and parsed")
        << u"看看 https://localhost:1/Ab1/ 吧"_s << u"https://localhost:1/Ab1/"_s << true;
    const QString direct = u"http://localhost:1/aweme/v1/play/?video_id=k&line=1"_s;
    QTest::newRow("direct play address: taken whole") << direct << direct << false;
    QTest::newRow("video ID: pasted as usual")
        << u"7300000000000000001"_s << u"id 7300000000000000001"_s << false;
    QTest::newRow("http link: pasted as usual")
        << u"http://localhost:1/abc/"_s << u"id http://localhost:1/abc/"_s << false;
    QTest::newRow("other text: pasted as usual") << u"some words"_s << u"id some words"_s << false;
    QTest::newRow("one character: pasted as usual") << u"7"_s << u"id 7"_s << false;
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

    // The paste button keeps its rules: it leaves the field alone when it takes nothing.
    screen->textField()->setText(u"id "_s);
    screen->findChild<QPushButton *>(u"pastePushButton"_s)->click();
    QCOMPARE(screen->textField()->text(), field.startsWith(u"id "_s) ? u"id "_s : field);
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

QTEST_MAIN(tst_ViewController)
#include "tst_viewcontroller.moc"
