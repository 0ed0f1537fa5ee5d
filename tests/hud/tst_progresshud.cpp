#include "Fen_QorAlphaTransformEffect.h"
#include "Fen_QorAssert.h"
#include "Fen_QorBackgroundView.h"
#include "Fen_QorProgress.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorSpringEasing.h"

#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <mutex>
#include <thread>

namespace {

class RecordingDelegate : public Fen_QorProgressHUDDelegate
{
public:
    void hudWasHidden(Fen_QorProgressHUD *hud) override
    {
        hidden.append(hud);
        if (onHidden)
            onHidden();
    }
    QList<Fen_QorProgressHUD *> hidden;
    std::function<void()> onHidden;
};

class DerivedHUD : public Fen_QorProgressHUD
{
public:
    using Fen_QorProgressHUD::Fen_QorProgressHUD;
};

std::mutex failuresMutex;
QStringList failures;

void recordingHandler(const char *message, const char *, int)
{
    std::lock_guard<std::mutex> lock(failuresMutex);
    failures.append(QString::fromUtf8(message));
}

qreal bezelAlpha(Fen_QorProgressHUD *hud)
{
    return Fen_QorAlphaTransformEffect::of(hud->bezelView())->alpha();
}

qreal bezelScale(Fen_QorProgressHUD *hud)
{
    return Fen_QorAlphaTransformEffect::of(hud->bezelView())->scale();
}

// A HUD added to \a host whose completions and delegate notices are counted.
struct Fixture
{
    explicit Fixture(QWidget *host) : hud(new Fen_QorProgressHUD(host))
    {
        hud->setParent(host);
        hud->show();
        hud->setDelegate(&delegate);
        hud->setCompletionBlock([this] { ++completions; });
    }
    RecordingDelegate delegate;
    QPointer<Fen_QorProgressHUD> hud;
    int completions = 0;
};

} // namespace

class TestProgressHUD : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void defaults()
    {
        QWidget host;
        host.resize(300, 400);
        Fen_QorProgressHUD hud(&host);
        QCOMPARE(hud.parentWidget(), nullptr); // not added by the constructor
        QCOMPARE(hud.geometry(), host.rect());
        QCOMPARE(hud.alpha(), 0.0);
        QCOMPARE(hud.mode(), Fen_QorProgressHUDModeSpinner);
        QCOMPARE(hud.animationType(), Fen_QorProgressHUDAnimationFade);
        QCOMPARE(hud.margin(), 20.0);
        QCOMPARE(hud.minSize(), QSizeF(0, 0));
        QCOMPARE(hud.offset(), QPointF(0, 0));
        QCOMPARE(hud.contentColor(), QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.7f));
        QVERIFY(!hud.removeFromSuperViewOnHide());
        QVERIFY(!hud.hasFinished());
        QVERIFY(hud.isUserInteractionEnabled());
        QVERIFY(!hud.areDefaultMotionEffectsEnabled());
        QCOMPARE(hud.progressObjectDisplayLink(), nullptr);
    }

    void frameConstructor()
    {
        failures.clear();
        const Fen_QorAssertionHandler previous = Fen_QorSetAssertionHandler(&recordingHandler);
        Fen_QorProgressHUD loose(QRect(10, 20, 150, 90));
        Fen_QorSetAssertionHandler(previous);
        QVERIFY(failures.isEmpty()); // no host needed
        QCOMPARE(loose.geometry(), QRect(10, 20, 150, 90));
        QCOMPARE(loose.parentWidget(), nullptr);
        QCOMPARE(loose.alpha(), 0.0); // the common set-up ran
        QVERIFY(loose.indicator());

        QWidget host;
        host.resize(300, 200);
        auto *added = new Fen_QorProgressHUD(QRect(0, 0, 10, 10), &host);
        QCOMPARE(added->parentWidget(), &host);
        QCOMPARE(added->geometry(), host.rect());
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        host.resize(240, 320);
        QCOMPARE(added->geometry(), QRect(0, 0, 240, 320)); // follows its host
    }

    void missingViewAsserts()
    {
        failures.clear();
        const Fen_QorAssertionHandler previous = Fen_QorSetAssertionHandler(&recordingHandler);
        Fen_QorProgressHUD hud(nullptr);
        Fen_QorSetAssertionHandler(previous);
        QCOMPARE(failures, QStringList { QStringLiteral("View must not be nil.") });
    }

    void offMainThreadAsserts()
    {
        QWidget host;
        Fixture f(&host);
        failures.clear();
        const Fen_QorAssertionHandler previous = Fen_QorSetAssertionHandler(&recordingHandler);
        QThread *worker = QThread::create([&f] {
            f.hud->showAnimated(false);
            f.hud->hideAnimated(false);
            f.hud->hideAnimated(false, 0.01);
        });
        worker->start();
        QVERIFY(worker->wait(5000));
        delete worker;
        Fen_QorSetAssertionHandler(previous);
        const QString message
            = QStringLiteral("Fen_QorProgressHUD needs to be accessed on the main thread.");
        QCOMPARE(failures, QStringList({ message, message, message }));
        // The requests were dropped: nothing was shown, hidden or completed.
        QCOMPARE(f.hud->alpha(), 0.0);
        QVERIFY(!f.hud->hasFinished());
        QTest::qWait(50);
        QCOMPARE(f.completions, 0);
    }

    void graceThenEarlyHide()
    {
        QWidget host;
        Fixture f(&host);
        f.hud->setGraceTime(0.1);
        f.hud->showAnimated(true);
        QCOMPARE(f.hud->alpha(), 0.0);
        f.hud->hideAnimated(true);
        // Completion and delegate run at the hide request although nothing became visible.
        QCOMPARE(f.completions, 1);
        QCOMPARE(f.delegate.hidden, QList<Fen_QorProgressHUD *>({ f.hud.data() }));
        QTest::qWait(200);
        QCOMPARE(f.hud->alpha(), 0.0);
        QCOMPARE(bezelAlpha(f.hud), 0.0);
        QCOMPARE(f.completions, 1);
    }

    void minimumShowTime_data()
    {
        QTest::addColumn<bool>("showAgain");
        QTest::newRow("hide waits") << false;
        QTest::newRow("show during the wait cancels the hide") << true;
    }

    void minimumShowTime()
    {
        QFETCH(bool, showAgain);
        QWidget host;
        Fixture f(&host);
        f.hud->setMinShowTime(0.15);
        f.hud->showAnimated(false);
        QElapsedTimer clock;
        clock.start();
        f.hud->hideAnimated(true);
        f.hud->hideAnimated(false); // two waits, both pending; the latest flag counts
        QCOMPARE(f.hud->alpha(), 1.0);
        QCOMPARE(f.completions, 0);
        if (showAgain) {
            f.hud->showAnimated(false);
            QTest::qWait(250);
            QCOMPARE(f.hud->alpha(), 1.0);
            QCOMPARE(f.completions, 0);
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(f.completions, 2, 1000);
        QVERIFY(clock.elapsed() >= 140);
        QCOMPARE(f.hud->alpha(), 0.0);
    }

    void delayedHideAndGrace_data()
    {
        QTest::addColumn<double>("delay");
        QTest::addColumn<bool>("visibleAtEnd");
        QTest::newRow("grace show cancels a later hide") << 0.2 << true;
        QTest::newRow("hide before the grace ends") << 0.03 << false;
    }

    void delayedHideAndGrace()
    {
        QFETCH(double, delay);
        QFETCH(bool, visibleAtEnd);
        QWidget host;
        Fixture f(&host);
        f.hud->setGraceTime(0.08);
        f.hud->showAnimated(false);
        f.hud->hideAnimated(false, delay);
        QTest::qWait(300);
        QCOMPARE(f.hud->alpha(), visibleAtEnd ? 1.0 : 0.0);
        QCOMPARE(f.completions, visibleAtEnd ? 0 : 1);
    }

    void twoHidesCallDoneTwice()
    {
        QWidget host;
        Fixture f(&host);
        f.hud->showAnimated(false);
        f.hud->hideAnimated(true);
        QCOMPARE(f.completions, 0); // animating out
        f.hud->hideAnimated(true); // the first cleared the show instant: no animation
        QCOMPARE(f.completions, 1);
        QTRY_COMPARE(f.completions, 2);
        QCOMPARE(f.delegate.hidden.size(), 2);
        f.hud->hideAnimated(true); // already hidden: done again at once
        QCOMPARE(f.completions, 3);
    }

    void showDuringHideAnimation()
    {
        QWidget host;
        Fixture f(&host);
        f.hud->setRemoveFromSuperViewOnHide(true);
        f.hud->showAnimated(false);
        f.hud->hideAnimated(true);
        f.hud->showAnimated(true);
        // The hide animation ended at once and its done() saw a shown HUD: it stays attached.
        QCOMPARE(f.completions, 1);
        QCOMPARE(f.hud->parentWidget(), &host);
        QCOMPARE(f.hud->alpha(), 1.0);
        QCOMPARE(bezelAlpha(f.hud), 0.0); // the show starts from the hidden pose
        QTRY_COMPARE(bezelAlpha(f.hud), 1.0);
        QVERIFY(f.hud);
    }

    void hudForView()
    {
        QWidget host;
        Fixture lower(&host);
        auto *upper = new DerivedHUD(&host);
        upper->setParent(&host);
        upper->showAnimated(false);
        QCOMPARE(Fen_QorProgressHUD::HUDForView(&host), upper);
        QCOMPARE(Fen_QorProgressHUD::HUDForView<DerivedHUD>(&host), upper);
        upper->hideAnimated(true);
        QCOMPARE(Fen_QorProgressHUD::HUDForView(&host), lower.hud.data());
        QCOMPARE(Fen_QorProgressHUD::HUDForView<DerivedHUD>(&host), nullptr);
    }

    void hideHUDForViewRemovesTheHUD()
    {
        QWidget host;
        QVERIFY(!Fen_QorProgressHUD::hideHUDForView(&host, false));
        Fixture f(&host);
        QVERIFY(!f.hud->removeFromSuperViewOnHide());
        f.hud->showAnimated(false);
        QVERIFY(Fen_QorProgressHUD::hideHUDForView(&host, true));
        QTRY_COMPARE(f.completions, 1);
        QVERIFY(host.findChildren<Fen_QorProgressHUD *>().isEmpty());
        QTRY_VERIFY(f.hud.isNull());
    }

    void animationTypes_data()
    {
        QTest::addColumn<qint64>("type");
        QTest::addColumn<qreal>("showStartScale");
        QTest::addColumn<qreal>("hideEndScale");
        QTest::newRow("fade") << qint64(0) << 1.0 << 1.0;
        QTest::newRow("grow-shrink") << qint64(1) << 0.5 << 0.5;
        QTest::newRow("shrink") << qint64(2) << 1.5 << 0.5;
        QTest::newRow("grow") << qint64(3) << 0.5 << 1.5;
        QTest::newRow("unknown fades") << qint64(7) << 1.0 << 1.0;
    }

    void animationTypes()
    {
        QFETCH(qint64, type);
        QFETCH(qreal, showStartScale);
        QFETCH(qreal, hideEndScale);
        QWidget host;
        Fixture f(&host);
        f.hud->setAnimationType(Fen_QorProgressHUDAnimation(type));
        f.hud->showAnimated(true);
        QCOMPARE(bezelScale(f.hud), showStartScale);
        QCOMPARE(bezelAlpha(f.hud), 0.0);
        QTRY_COMPARE(bezelAlpha(f.hud), 1.0);
        QCOMPARE(bezelScale(f.hud), 1.0);
        f.hud->hideAnimated(true);
        QTRY_COMPARE(f.completions, 1);
        QCOMPARE(bezelAlpha(f.hud), 0.0);
        QCOMPARE(bezelScale(f.hud), hideEndScale);
        // Only the animation changes the scale: a plain show keeps what the hide left.
        f.hud->showAnimated(false);
        QCOMPARE(bezelScale(f.hud), hideEndScale);
        QCOMPARE(bezelAlpha(f.hud), 1.0);
    }

    void springEasing()
    {
        QCOMPARE(Fen_QorSpringEasing::valueForProgress(0.0), 0.0);
        QCOMPARE(Fen_QorSpringEasing::valueForProgress(1.0), 1.0);
        qreal previous = 0.0;
        for (int i = 1; i <= 100; ++i) {
            const qreal value = Fen_QorSpringEasing::curve().valueForProgress(i / 100.0);
            QVERIFY2(value >= previous && value <= 1.0, qPrintable(QString::number(i)));
            previous = value;
        }
        QVERIFY(Fen_QorSpringEasing::valueForProgress(0.5) > 0.95); // mostly settled by half-time
    }

    void progressFraction_data()
    {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("completed");
        QTest::addColumn<double>("fraction");
        QTest::newRow("no total") << qint64(0) << qint64(5) << 0.0;
        QTest::newRow("half") << qint64(200) << qint64(100) << 0.5;
        QTest::newRow("done") << qint64(3) << qint64(3) << 1.0;
    }

    void progressFraction()
    {
        QFETCH(qint64, total);
        QFETCH(qint64, completed);
        QFETCH(double, fraction);
        Fen_QorProgress progress(total);
        progress.setCompletedUnitCount(completed);
        QCOMPARE(progress.fractionCompleted(), fraction);
    }

    void progressSamplingFollowsObjectUntilDone()
    {
        QWidget host;
        Fixture f(&host);
        f.hud->setMode(Fen_QorProgressHUDModeBarProgress);
        auto progress = std::make_shared<Fen_QorProgress>(1000);
        f.hud->setProgressObject(progress);
        QVERIFY(f.hud->progressObjectDisplayLink()); // sampling starts before any show
        // Written from another thread while the HUD samples on this one.
        std::thread writer([progress] {
            for (int i = 0; i < 1000; ++i)
                progress->incrementCompletedUnitCount(1);
        });
        writer.join();
        QTRY_COMPARE(f.hud->progress(), 1.0f);
        QCOMPARE(f.hud->indicator()->property("progress").toFloat(), 1.0f);

        f.hud->showAnimated(false);
        f.hud->hideAnimated(false);
        QCOMPARE(f.hud->progressObjectDisplayLink(), nullptr); // done stops it
        progress->setCompletedUnitCount(250);
        QTest::qWait(60);
        QCOMPARE(f.hud->progress(), 1.0f);

        f.hud->showAnimated(false);
        QVERIFY(f.hud->progressObjectDisplayLink());
        f.hud->setProgressObject(nullptr);
        QCOMPARE(f.hud->progressObjectDisplayLink(), nullptr);
    }

    void followsHostSize()
    {
        QWidget host;
        host.resize(200, 300);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        auto *hud = Fen_QorProgressHUD::showHUDAddedTo(&host, false);
        QCOMPARE(hud->geometry(), host.rect());
        host.resize(320, 240);
        QCOMPARE(hud->geometry(), QRect(0, 0, 320, 240));
        QCOMPARE(hud->backgroundView()->geometry(), QRect(0, 0, 320, 240));
        hud->setGeometry(0, 0, 10, 10);
        Q_EMIT host.screen()->orientationChanged(Qt::LandscapeOrientation);
        QCOMPARE(hud->geometry(), QRect(0, 0, 320, 240)); // taken again on rotation
    }

    void mouseOverHost_data()
    {
        QTest::addColumn<bool>("interaction");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("reachesHost");
        QTest::newRow("shown HUD takes the click") << true << true << false;
        QTest::newRow("pass-through") << false << true << true;
        QTest::newRow("invisible HUD") << true << false << true;
    }

    void mouseOverHost()
    {
        QFETCH(bool, interaction);
        QFETCH(bool, shown);
        QFETCH(bool, reachesHost);
        QWidget host;
        host.resize(200, 200);
        QPushButton button(&host);
        button.setGeometry(10, 10, 60, 30);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        Fixture f(&host);
        f.hud->setUserInteractionEnabled(interaction);
        if (shown)
            f.hud->showAnimated(false);
        QSignalSpy clicked(&button, &QPushButton::clicked);
        QTest::mouseClick(host.windowHandle(), Qt::LeftButton, {}, QPoint(30, 20));
        QCOMPARE(clicked.size(), reachesHost ? 1 : 0);
    }

    void destroyedWhileBusyDropsNotices_data()
    {
        QTest::addColumn<bool>("animatingOut");
        QTest::newRow("timers pending") << false;
        QTest::newRow("animating out") << true;
    }

    void destroyedWhileBusyDropsNotices()
    {
        QFETCH(bool, animatingOut);
        QWidget host;
        Fixture f(&host);
        f.hud->setProgressObject(std::make_shared<Fen_QorProgress>(10));
        if (animatingOut) {
            f.hud->showAnimated(false);
            f.hud->hideAnimated(true);
            QCOMPARE(f.hud->alpha(), 1.0); // still animating
        } else {
            f.hud->setMinShowTime(0.05);
            f.hud->setGraceTime(0.05);
            f.hud->showAnimated(true); // grace timer
            f.hud->hideAnimated(true, 0.05);
            QTRY_COMPARE(bezelAlpha(f.hud) > 0.0, true); // shown, animating in
            f.hud->hideAnimated(true); // minimum-show timer pending
        }
        delete f.hud.data();
        QTest::qWait(400); // past the animation and every timer
        QCOMPARE(f.completions, 0);
        QVERIFY(f.delegate.hidden.isEmpty());
    }

    // The hide's notices call out to user code, which may delete the HUD or its host; nothing
    // of the HUD may be touched afterwards (ASan builds catch it), nor the delegate be told.
    void noticeMayDeleteTheHUD_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("fromDelegate");
        QTest::addColumn<bool>("deleteHost");
        const QStringList endings { QStringLiteral("plain"), QStringLiteral("animated"),
                                    QStringLiteral("minimum show time"), QStringLiteral("delayed"),
                                    QStringLiteral("show ends the hide animation") };
        for (const QString &ending : endings) {
            const QByteArray name = ending.toUtf8();
            QTest::addRow("%s, completion deletes the HUD", name.constData())
                << ending << false << false;
            QTest::addRow("%s, completion deletes the host", name.constData())
                << ending << false << true;
            QTest::addRow("%s, delegate deletes the HUD", name.constData())
                << ending << true << false;
        }
    }

    void noticeMayDeleteTheHUD()
    {
        QFETCH(QString, ending);
        QFETCH(bool, fromDelegate);
        QFETCH(bool, deleteHost);
        auto *host = new QWidget;
        QPointer<QWidget> hostAlive(host);
        Fixture f(host);
        const auto deleter = [&f, host, deleteHost] {
            if (deleteHost)
                delete host;
            else
                delete f.hud.data();
        };
        int completions = 0;
        if (fromDelegate)
            f.delegate.onHidden = deleter;
        else
            f.hud->setCompletionBlock([&completions, deleter] {
                ++completions;
                deleter();
            });

        f.hud->showAnimated(false);
        if (ending == QLatin1String("plain")) {
            f.hud->hideAnimated(false);
        } else if (ending == QLatin1String("animated")) {
            f.hud->hideAnimated(true);
        } else if (ending == QLatin1String("minimum show time")) {
            f.hud->setMinShowTime(0.05);
            f.hud->showAnimated(false);
            f.hud->hideAnimated(false);
        } else if (ending == QLatin1String("delayed")) {
            f.hud->hideAnimated(false, 0.02);
        } else {
            f.hud->hideAnimated(true);
            f.hud->showAnimated(true);
        }
        QTRY_VERIFY(f.hud.isNull());
        QTest::qWait(50); // deferred deletions and any late timer
        QCOMPARE(hostAlive.isNull(), deleteHost);
        if (!fromDelegate) {
            QCOMPARE(completions, 1);
            QVERIFY(f.delegate.hidden.isEmpty()); // the HUD was gone before its delegate's turn
        } else {
            QCOMPARE(f.delegate.hidden.size(), 1);
        }
        delete hostAlive.data();
    }

    void delegateIsHeldWeakly()
    {
        QWidget host;
        Fixture f(&host);
        {
            RecordingDelegate shortLived;
            f.hud->setDelegate(&shortLived);
        }
        QCOMPARE(f.hud->delegate(), nullptr);
        f.hud->hideAnimated(false);
        QCOMPARE(f.completions, 1);
    }
};

QTEST_MAIN(TestProgressHUD)
#include "tst_progresshud.moc"
