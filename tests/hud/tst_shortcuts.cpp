#include "Fen_QorBackgroundView.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorProgressHUDPrivate.h"
#include "Fen_QorProgressHUDRoundedButton.h"
#include "Fen_QorShortcuts.h"
#include "NavigationController.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using Shortcut = std::function<void(QWidget *)>;

// A screen with an action for the exit button.
class ExitScreen : public QWidget
{
public:
    int exits = 0;
    void leave()
    {
        ++exits;
        qor_hideHUD(this);
    }
};

Fen_QorProgressHUD *liveHUD(QWidget *host)
{
    return Fen_QorProgressHUD::HUDForView(host);
}

// The delay of the hide the HUD has scheduled for itself, if any.
std::optional<double> pendingHideDelay(Fen_QorProgressHUD *hud)
{
    return Fen_QorProgressHUDPrivate::get(hud)->visibility.pendingHideDelay();
}

const QColor veil = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.2f);

} // namespace

class tst_Shortcuts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void showFamily_data();
    void showFamily();
    void timedMessagesHideAfterOneAndAHalfSeconds_data();
    void timedMessagesHideAfterOneAndAHalfSeconds();
    void kitHUDsAreDeletedButACallersHUDIsNot();
    void delayedSpinnerHidesItself();
    void enableLetsTouchesThrough_data();
    void enableLetsTouchesThrough();
    void showReplacesTheLiveHUD();
    void hasHUDIsFalseRightAfterHide();
    void hideWithoutHUDDoesNothing();
    void navigationContainerIsTheHost();
    void exitButtonRunsTheScreensAction();
    void exitButtonRunsAFunction();
};

void tst_Shortcuts::showFamily_data()
{
    QTest::addColumn<Shortcut>("shortcut");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("details");
    QTest::addColumn<int>("detailsPixelSize"); // 0: the font is left as the HUD made it
    QTest::addColumn<qint64>("mode");
    QTest::addColumn<bool>("veilSet");
    QTest::addColumn<bool>("takesTouches");

    const qint64 spinner = Fen_QorProgressHUDModeSpinner;
    const qint64 text = Fen_QorProgressHUDModeText;
    QTest::newRow("waiting") << Shortcut(qor_showWaiting) << QString() << QString() << 0 << spinner
                             << true << true;
    QTest::newRow("waiting, enabled")
        << Shortcut([](QWidget *s) { qor_showWaitingDelay(s, 0, true); }) << QString() << QString()
        << 0 << spinner << true << false;
    QTest::newRow("loading") << Shortcut(qor_showLoading) << u"正在加载"_s << QString() << 0
                             << spinner << true << true;
    QTest::newRow("loading, enabled")
        << Shortcut([](QWidget *s) { qor_showLoadingDelay(s, 0, true); }) << u"正在加载"_s
        << QString() << 0 << spinner << true << false;
    QTest::newRow("loading with message")
        << Shortcut([](QWidget *s) { qor_showLoadingWithMessage(s, u"稍等"_s); }) << QString()
        << u"稍等"_s << 14 << spinner << true << true;
    QTest::newRow("loading with message, enabled")
        << Shortcut([](QWidget *s) { qor_showLoadingWithMessage(s, u"稍等"_s, 0, true); })
        << QString() << u"稍等"_s << 14 << spinner << true << false;
    QTest::newRow("saving") << Shortcut(qor_showSaving) << u"正在保存"_s << QString() << 0
                            << spinner << true << true;
    QTest::newRow("saving, enabled")
        << Shortcut([](QWidget *s) { qor_showSavingDelay(s, 0, true); }) << u"正在保存"_s
        << QString() << 0 << spinner << true << false;
    QTest::newRow("success") << Shortcut([](QWidget *s) { qor_showSuccess(s, u"好了"_s); })
                             << u"好了"_s << QString() << 0 << text << false << true;
    QTest::newRow("error") << Shortcut([](QWidget *s) { qor_showError(s, u"坏了"_s); }) << QString()
                           << u"坏了"_s << 16 << text << false << true;
    QTest::newRow("message") << Shortcut([](QWidget *s) { qor_showMessage(s, u"你好"_s); })
                             << QString() << u"你好"_s << 16 << text << false << true;
}

void tst_Shortcuts::showFamily()
{
    QFETCH(Shortcut, shortcut);
    QFETCH(QString, title);
    QFETCH(QString, details);
    QFETCH(int, detailsPixelSize);
    QFETCH(qint64, mode);
    QFETCH(bool, veilSet);
    QFETCH(bool, takesTouches);

    QWidget screen;
    screen.resize(300, 500);
    auto *other = new QLabel(&screen);
    QWidget referenceHost;
    const Fen_QorProgressHUD reference(&referenceHost);

    shortcut(&screen);

    Fen_QorProgressHUD *hud = liveHUD(&screen);
    QVERIFY(hud);
    QCOMPARE(hud->parentWidget(), &screen);
    QCOMPARE(screen.children().constLast(), hud);
    QVERIFY(screen.children().indexOf(other) < screen.children().indexOf(hud));
    QCOMPARE(qint64(hud->mode()), mode);
    QCOMPARE(hud->label()->text(), title);
    QCOMPARE(hud->detailsLabel()->text(), details);
    if (detailsPixelSize) {
        QVERIFY(hud->detailsLabel()->font().bold());
        QCOMPARE(hud->detailsLabel()->font().pixelSize(), detailsPixelSize);
    } else {
        QCOMPARE(hud->detailsLabel()->font(), reference.detailsLabel()->font());
    }
    QCOMPARE(hud->label()->font(), reference.label()->font());
    QCOMPARE(hud->contentColor(), QColor(Qt::white));
    QCOMPARE(hud->bezelView()->color(), QColor(Qt::black));
    QCOMPARE(hud->backgroundView()->color(), veilSet ? veil : reference.backgroundView()->color());
    QCOMPARE(hud->isUserInteractionEnabled(), takesTouches);
    QVERIFY(hud->removeFromSuperViewOnHide());
    QVERIFY(Fen_QorHasHUD(&screen));
}

void tst_Shortcuts::timedMessagesHideAfterOneAndAHalfSeconds_data()
{
    QTest::addColumn<Shortcut>("shortcut");
    QTest::newRow("success") << Shortcut([](QWidget *s) { qor_showSuccess(s, u"a"_s); });
    QTest::newRow("error") << Shortcut([](QWidget *s) { qor_showError(s, u"b"_s); });
    QTest::newRow("message") << Shortcut([](QWidget *s) { qor_showMessage(s, u"c"_s); });
}

void tst_Shortcuts::timedMessagesHideAfterOneAndAHalfSeconds()
{
    QFETCH(Shortcut, shortcut);
    QWidget screen;
    shortcut(&screen);
    const QPointer<Fen_QorProgressHUD> hud = liveHUD(&screen);
    QVERIFY(hud);
    QCOMPARE(pendingHideDelay(hud), std::optional<double>(1.5));
    QTRY_VERIFY_WITH_TIMEOUT(!Fen_QorHasHUD(&screen), 5000);
    QTRY_VERIFY(hud.isNull()); // removed from the screen and released once hidden
}

// The shortcuts' HUDs are the kit's and go once hidden; a HUD the caller made and a shortcut
// hides only leaves the screen.
void tst_Shortcuts::kitHUDsAreDeletedButACallersHUDIsNot()
{
    QWidget screen;
    Fen_QorProgressHUD own(&screen);
    own.setParent(&screen);
    own.showAnimated(false);
    qor_showWaiting(&screen); // hides the caller's HUD first
    const QPointer<Fen_QorProgressHUD> waiting = liveHUD(&screen);
    QVERIFY(waiting && waiting != &own);
    QTRY_COMPARE(own.parentWidget(), nullptr);
    qor_hideHUD(&screen);
    QTRY_VERIFY(waiting.isNull());
    QCOMPARE(own.alpha(), 0.0);
    QVERIFY(screen.children().isEmpty());
}

void tst_Shortcuts::delayedSpinnerHidesItself()
{
    QWidget screen;
    qor_showWaitingDelay(&screen, 0.1, false);
    const QPointer<Fen_QorProgressHUD> hud = liveHUD(&screen);
    QVERIFY(hud);
    QCOMPARE(pendingHideDelay(hud), std::optional<double>(0.1));
    QTRY_VERIFY_WITH_TIMEOUT(hud.isNull(), 2000);
    QVERIFY(!Fen_QorHasHUD(&screen));

    // A negative delay is not 0 either: the HUD goes at once.
    qor_showLoadingWithMessage(&screen, u"x"_s, -1, false);
    QTRY_VERIFY_WITH_TIMEOUT(!Fen_QorHasHUD(&screen), 2000);
}

void tst_Shortcuts::enableLetsTouchesThrough_data()
{
    QTest::addColumn<bool>("enable");
    QTest::addColumn<int>("clicksReachingTheScreen");
    QTest::newRow("enabled: touches pass") << true << 1;
    QTest::newRow("not enabled: the HUD takes them") << false << 0;
}

void tst_Shortcuts::enableLetsTouchesThrough()
{
    QFETCH(bool, enable);
    QFETCH(int, clicksReachingTheScreen);

    QWidget screen;
    screen.resize(300, 400);
    auto *button = new QPushButton(u"under"_s, &screen);
    button->setGeometry(10, 10, 120, 40);
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    QSignalSpy clicks(button, &QPushButton::clicked);

    qor_showWaitingDelay(&screen, 0, enable);
    QTRY_COMPARE(liveHUD(&screen)->alpha(), 1.0);
    QTest::mouseClick(screen.windowHandle(), Qt::LeftButton, {}, QPoint(40, 30));
    QCOMPARE(clicks.size(), clicksReachingTheScreen);
}

void tst_Shortcuts::showReplacesTheLiveHUD()
{
    QWidget screen;
    qor_showWaiting(&screen);
    const QPointer<Fen_QorProgressHUD> spinner = liveHUD(&screen);
    qor_showMessage(&screen, u"done"_s);
    Fen_QorProgressHUD *message = liveHUD(&screen);
    QVERIFY(spinner);
    QVERIFY(spinner->hasFinished()); // hiding, animated
    QVERIFY(message != spinner.data());
    QCOMPARE(message->detailsLabel()->text(), u"done"_s);
    QTRY_VERIFY(spinner.isNull());
    QVERIFY(Fen_QorHasHUD(&screen));
}

void tst_Shortcuts::hasHUDIsFalseRightAfterHide()
{
    QWidget screen;
    qor_showWaiting(&screen);
    const QPointer<Fen_QorProgressHUD> hud = liveHUD(&screen);
    qor_hideHUD(&screen);
    QVERIFY(!Fen_QorHasHUD(&screen));
    QVERIFY(hud); // still fading out on the screen
    QCOMPARE(hud->parentWidget(), &screen);
    QTRY_VERIFY(hud.isNull());
}

void tst_Shortcuts::hideWithoutHUDDoesNothing()
{
    QWidget screen;
    auto *child = new QLabel(&screen);
    qor_hideHUD(&screen);
    Fen_QorClearHUD(&screen);
    QCOMPARE(screen.children(), QObjectList { child });
    QVERIFY(!Fen_QorHasHUD(&screen));
}

void tst_Shortcuts::navigationContainerIsTheHost()
{
    auto *screen = new QWidget;
    NavigationController navigation(screen);
    QCOMPARE(Fen_QorHostView(screen), &navigation);

    qor_showWaiting(screen);
    QVERIFY(liveHUD(&navigation));
    QVERIFY(!liveHUD(screen));
    QVERIFY(Fen_QorHasHUD(screen));
    qor_hideHUD(screen);
    QVERIFY(!Fen_QorHasHUD(screen));

    // A screen pushed on top sees the same host; a popped one is on its own again.
    auto *second = new QWidget;
    navigation.pushViewController(second);
    QCOMPARE(navigation.topViewController(), second);
    QCOMPARE(Fen_QorHostView(second), &navigation);
    std::unique_ptr<QWidget> popped(navigation.popViewController());
    QCOMPARE(popped.get(), second);
    QCOMPARE(Fen_QorHostView(second), second);
    QCOMPARE(navigation.popViewController(), nullptr); // the root stays
}

void tst_Shortcuts::exitButtonRunsTheScreensAction()
{
    ExitScreen screen;
    qor_showMessage(&screen, u"再见"_s, &ExitScreen::leave);
    Fen_QorProgressHUD *hud = liveHUD(&screen);
    QVERIFY(hud);
    QCOMPARE(hud->mode(), Fen_QorProgressHUDModeCustomView);
    QCOMPARE(hud->detailsLabel()->text(), u"再见"_s);
    QCOMPARE(hud->detailsLabel()->font().pixelSize(), 16);
    QVERIFY(hud->detailsLabel()->font().bold());
    QCOMPARE(hud->button()->text(), u"退出"_s);
    QVERIFY(hud->button()->hasAction());
    QVERIFY(hud->removeFromSuperViewOnHide());
    QCOMPARE(pendingHideDelay(hud), std::nullopt); // it never hides by itself

    hud->button()->click();
    QCOMPARE(screen.exits, 1);
    QVERIFY(!Fen_QorHasHUD(&screen)); // the action hid it
}

void tst_Shortcuts::exitButtonRunsAFunction()
{
    int runs = 0;
    auto screen = std::make_unique<QWidget>();
    qor_showMessage(screen.get(), u"x"_s, std::function<void()>([&runs] { ++runs; }));
    const QPointer<Fen_QorProgressHUD> hud = liveHUD(screen.get());
    hud->button()->click();
    QCOMPARE(runs, 1);
    QVERIFY(Fen_QorHasHUD(screen.get())); // this action does not hide it
}

QTEST_MAIN(tst_Shortcuts)
#include "tst_shortcuts.moc"
