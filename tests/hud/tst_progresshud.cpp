#include "AssertionRecorder.h"
#include "ManualClock.h"

#include "Fen_QorAlphaTransformEffect.h"
#include "Fen_QorBackgroundView.h"
#include "Fen_QorProgress.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorProgressHUDPrivate.h"
#include "Fen_QorProgressSampler.h"
#include "Fen_QorSpringEasing.h"

#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <thread>

using namespace Qt::StringLiterals;

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

qreal bezelAlpha(Fen_QorProgressHUD *hud)
{
    return Fen_QorAlphaTransformEffect::of(hud->bezelView())->alpha();
}

qreal bezelScale(Fen_QorProgressHUD *hud)
{
    return Fen_QorAlphaTransformEffect::of(hud->bezelView())->scale();
}

Fen_QorProgressSampler *samplerOf(Fen_QorProgressHUD *hud)
{
    return Fen_QorProgressHUDPrivate::get(hud)->sampler;
}

// A HUD added to \a host whose completions and delegate notices are counted, its timing on a
// clock the test moves. The fixture deletes the HUD when it goes (a HUD destroyed while it shows
// still tells its completion, which counts into the fixture).
struct Fixture
{
    explicit Fixture(QWidget *host) : hud(new Fen_QorProgressHUD(host))
    {
        Fen_QorProgressHUDPrivate::get(hud)->setClock(clock);
        hud->setParent(host);
        hud->show();
        hud->setDelegate(&delegate);
        hud->setCompletionBlock([this] { ++completions; });
    }
    ~Fixture() { delete hud.data(); }
    Fixture(const Fixture &) = delete;
    Fixture &operator=(const Fixture &) = delete;

    ManualClock clock;
    RecordingDelegate delegate;
    QPointer<Fen_QorProgressHUD> hud;
    int completions = 0;
};

void deleteDeferred()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

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
        QVERIFY(!samplerOf(&hud)->isTracking());
    }

    // The enumerations are known to Qt by their names, keep their values and stay 64-bit.
    void registeredEnums_data()
    {
        QTest::addColumn<QMetaEnum>("metaEnum");
        QTest::addColumn<QStringList>("keys"); // in value order from 0
        QTest::newRow("mode") << QMetaEnum::fromType<Fen_QorProgressHUDMode>()
                              << QStringList { u"Fen_QorProgressHUDModeSpinner"_s,
                                               u"Fen_QorProgressHUDModeRoundProgress"_s,
                                               u"Fen_QorProgressHUDModeBarProgress"_s,
                                               u"Fen_QorProgressHUDModeAnnularProgress"_s,
                                               u"Fen_QorProgressHUDModeCustomView"_s,
                                               u"Fen_QorProgressHUDModeText"_s };
        QTest::newRow("animation") << QMetaEnum::fromType<Fen_QorProgressHUDAnimation>()
                                   << QStringList { u"Fen_QorProgressHUDAnimationFade"_s,
                                                    u"Fen_QorProgressHUDAnimationGrowShrink"_s,
                                                    u"Fen_QorProgressHUDAnimationShrink"_s,
                                                    u"Fen_QorProgressHUDAnimationGrow"_s };
        QTest::newRow("background style")
            << QMetaEnum::fromType<Fen_QorProgressHUDBackgroundStyle>()
            << QStringList { u"Fen_QorProgressHUDBackgroundStyleSolidColor"_s,
                             u"Fen_QorProgressHUDBackgroundStyleBlur"_s };
        QTest::newRow("blur style")
            << QMetaEnum::fromType<Fen_QorBlurEffectStyle>()
            << QStringList { u"Fen_QorBlurEffectStyleExtraLight"_s,
                             u"Fen_QorBlurEffectStyleLight"_s, u"Fen_QorBlurEffectStyleDark"_s };
    }

    void registeredEnums()
    {
        QFETCH(QMetaEnum, metaEnum);
        QFETCH(QStringList, keys);
        QVERIFY(metaEnum.isValid());
        QCOMPARE(metaEnum.keyCount(), keys.size());
        for (int value = 0; value < keys.size(); ++value)
            QCOMPARE(QString::fromLatin1(metaEnum.valueToKey(value)), keys.at(value));
        static_assert(std::is_same_v<std::underlying_type_t<Fen_QorProgressHUDMode>, qint64>);
        static_assert(std::is_same_v<std::underlying_type_t<Fen_QorProgressHUDAnimation>, qint64>);
        static_assert(
            std::is_same_v<std::underlying_type_t<Fen_QorProgressHUDBackgroundStyle>, qint64>);
        static_assert(std::is_same_v<std::underlying_type_t<Fen_QorBlurEffectStyle>, qint64>);
    }

    void enumProperties()
    {
        QWidget host;
        Fen_QorProgressHUD hud(&host);
        QVERIFY(hud.setProperty("mode", QVariant::fromValue(Fen_QorProgressHUDModeText)));
        QCOMPARE(hud.mode(), Fen_QorProgressHUDModeText);
        QCOMPARE(hud.property("mode").toString(), u"Fen_QorProgressHUDModeText"_s);
        hud.setAnimationType(Fen_QorProgressHUDAnimationGrow);
        QCOMPARE(hud.property("animationType").value<Fen_QorProgressHUDAnimation>(),
                 Fen_QorProgressHUDAnimationGrow);
    }

    void frameConstructor()
    {
        {
            const AssertionRecorder assertions;
            Fen_QorProgressHUD loose(QRect(10, 20, 150, 90));
            QVERIFY(assertions.failures().isEmpty()); // no host needed
            QCOMPARE(loose.geometry(), QRect(10, 20, 150, 90));
            QCOMPARE(loose.parentWidget(), nullptr);
            QCOMPARE(loose.alpha(), 0.0); // the common set-up ran
            QVERIFY(Fen_QorProgressHUDPrivate::get(&loose)->indicator());
        }

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
        const AssertionRecorder assertions;
        Fen_QorProgressHUD hud(nullptr);
        QCOMPARE(assertions.failures(), QStringList { u"View must not be nil."_s });
    }

    void offMainThreadAsserts()
    {
        QWidget host;
        Fixture f(&host);
        const AssertionRecorder assertions;
        QThread *worker = QThread::create([&f] {
            f.hud->showAnimated(false);
            f.hud->hideAnimated(false);
            f.hud->hideAnimated(false, 0.01);
        });
        worker->start();
        QVERIFY(worker->wait(5000));
        delete worker;
        const QString message = u"Fen_QorProgressHUD needs to be accessed on the main thread."_s;
        QCOMPARE(assertions.failures(), QStringList({ message, message, message }));
        // The requests were dropped: nothing was shown, hidden, scheduled or completed.
        QCOMPARE(f.hud->alpha(), 0.0);
        QVERIFY(!f.hud->hasFinished());
        QCOMPARE(f.clock.pendingCount(), 0);
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
        f.clock.advance(1.0); // the cancelled grace wait never shows it
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
        f.hud->hideAnimated(true);
        f.hud->hideAnimated(false); // two waits, both pending; the latest flag counts
        QCOMPARE(f.hud->alpha(), 1.0);
        QCOMPARE(f.completions, 0);
        if (showAgain) {
            f.hud->showAnimated(false);
            f.clock.advance(1.0);
            QCOMPARE(f.hud->alpha(), 1.0);
            QCOMPARE(f.completions, 0);
            return;
        }
        f.clock.advance(0.14);
        QCOMPARE(f.completions, 0);
        f.clock.advance(0.01);
        QCOMPARE(f.completions, 2); // not animated: done at once, twice
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
        f.clock.advance(1.0);
        QCOMPARE(f.hud->alpha(), visibleAtEnd ? 1.0 : 0.0);
        QCOMPARE(f.completions, visibleAtEnd ? 0 : 1);
    }

    // shown() when the HUD becomes visible; hidden() after the completion and the delegate.
    void shownAndHiddenSignals()
    {
        QWidget host;
        Fixture f(&host);
        QStringList told;
        f.hud->setCompletionBlock([&told] { told.append(u"completion"_s); });
        f.delegate.onHidden = [&told] { told.append(u"delegate"_s); };
        connect(f.hud, &Fen_QorProgressHUD::hidden, this, [&told] { told.append(u"hidden"_s); });
        QSignalSpy shown(f.hud.data(), &Fen_QorProgressHUD::shown);
        f.hud->setGraceTime(0.5);
        f.hud->showAnimated(false);
        QCOMPARE(shown.size(), 0);
        f.clock.advance(0.5);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(f.hud->alpha(), 1.0);
        f.hud->hideAnimated(false);
        QCOMPARE(told, QStringList({ u"completion"_s, u"delegate"_s, u"hidden"_s }));
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

    // A HUD the caller constructed is hidden and taken off its host, and stays the caller's.
    void hideHUDForViewDetachesACallersHUD()
    {
        QWidget host;
        QVERIFY(!Fen_QorProgressHUD::hideHUDForView(&host, false));
        Fixture f(&host);
        QVERIFY(!f.hud->removeFromSuperViewOnHide());
        f.hud->showAnimated(false);
        QVERIFY(Fen_QorProgressHUD::hideHUDForView(&host, true));
        QTRY_COMPARE(f.completions, 1);
        QVERIFY(host.findChildren<Fen_QorProgressHUD *>().isEmpty());
        QCOMPARE(f.hud->parentWidget(), nullptr);
        QVERIFY(f.hud->isHidden());
        deleteDeferred();
        QVERIFY(f.hud); // never deleted by the kit
    }

    void callersHUDOnTheStack_data()
    {
        QTest::addColumn<bool>("throughTheClass");
        QTest::newRow("removeFromSuperViewOnHide") << false;
        QTest::newRow("hideHUDForView") << true;
    }

    void callersHUDOnTheStack()
    {
        QFETCH(bool, throughTheClass);
        QWidget host;
        int completions = 0;
        {
            Fen_QorProgressHUD hud(&host);
            hud.setParent(&host);
            hud.setCompletionBlock([&completions] { ++completions; });
            hud.showAnimated(false);
            if (throughTheClass) {
                QVERIFY(Fen_QorProgressHUD::hideHUDForView(&host, false));
            } else {
                hud.setRemoveFromSuperViewOnHide(true);
                hud.hideAnimated(false);
            }
            QCOMPARE(hud.parentWidget(), nullptr);
            deleteDeferred(); // nothing of the kit may delete a stack object
            QCOMPARE(completions, 1);
        }
        QCOMPARE(completions, 1); // told once, at the hide
        QVERIFY(host.children().isEmpty());
    }

    // A HUD the kit made is the kit's: it leaves its host when hidden and is deleted after its
    // completion, its delegate and hidden() were told.
    void kitHUDIsDeletedAfterItsNotices_data()
    {
        QTest::addColumn<bool>("throughTheClass");
        QTest::newRow("hideAnimated") << false;
        QTest::newRow("hideHUDForView") << true;
    }

    void kitHUDIsDeletedAfterItsNotices()
    {
        QFETCH(bool, throughTheClass);
        QWidget host;
        RecordingDelegate delegate;
        const QPointer<Fen_QorProgressHUD> hud = Fen_QorProgressHUD::showHUDAddedTo(&host, false);
        QVERIFY(hud->removeFromSuperViewOnHide());
        QCOMPARE(hud->parentWidget(), &host);
        bool aliveInCompletion = false;
        hud->setCompletionBlock([&] { aliveInCompletion = !hud.isNull(); });
        hud->setDelegate(&delegate);
        QSignalSpy hidden(hud.data(), &Fen_QorProgressHUD::hidden);
        if (throughTheClass)
            QVERIFY(Fen_QorProgressHUD::hideHUDForView(&host, false));
        else
            hud->hideAnimated(false);
        QVERIFY(aliveInCompletion);
        QCOMPARE(delegate.hidden.size(), 1);
        QCOMPARE(hidden.size(), 1);
        QVERIFY(host.children().isEmpty());
        deleteDeferred();
        QVERIFY(hud.isNull());
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
        QVERIFY(samplerOf(f.hud)->isTracking()); // sampling starts before any show
        // Written from another thread while the HUD samples on this one.
        std::thread writer([progress] {
            for (int i = 0; i < 1000; ++i)
                progress->incrementCompletedUnitCount(1);
        });
        writer.join();
        QTRY_COMPARE(f.hud->progress(), 1.0f);
        QWidget *indicator = Fen_QorProgressHUDPrivate::get(f.hud)->indicator();
        QCOMPARE(indicator->property("progress").toFloat(), 1.0f);

        f.hud->showAnimated(false);
        f.hud->hideAnimated(false);
        QVERIFY(!samplerOf(f.hud)->isTracking()); // done stops it

        f.hud->showAnimated(false);
        QVERIFY(samplerOf(f.hud)->isTracking());
        f.hud->setProgressObject(nullptr);
        QVERIFY(!samplerOf(f.hud)->isTracking());
    }

    void samplerAlone()
    {
        QWidget view;
        Fen_QorProgressSampler sampler(&view);
        QSignalSpy sampled(&sampler, &Fen_QorProgressSampler::sampled);
        sampler.setTracking(true);
        QVERIFY(!sampler.isTracking()); // nothing to sample
        auto progress = std::make_shared<Fen_QorProgress>(4);
        progress->setCompletedUnitCount(1);
        sampler.setProgressObject(progress);
        QVERIFY(sampler.isTracking());
        QVERIFY(sampler.displayLink()->interval() >= 1);
        QTRY_VERIFY(!sampled.isEmpty());
        QCOMPARE(sampled.constLast().at(0).toFloat(), 0.25f);
        sampler.setTracking(false);
        QVERIFY(!sampler.isTracking());
        QCOMPARE(sampler.progressObject(), progress);
        sampler.setProgressObject(nullptr);
        QVERIFY(!sampler.isTracking());
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

    // Every show is answered once: a HUD destroyed before its hide was told tells from its
    // destructor; one with nothing pending tells nothing.
    void destroyedWhileBusyTellsOnce_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("notices");
        QTest::newRow("new") << u"new"_s << 0;
        QTest::newRow("grace wait") << u"grace wait"_s << 1;
        QTest::newRow("shown") << u"shown"_s << 1;
        QTest::newRow("minimum-show wait") << u"minimum-show wait"_s << 1;
        QTest::newRow("animating out") << u"animating out"_s << 1;
        QTest::newRow("hidden") << u"hidden"_s << 0;
    }

    void destroyedWhileBusyTellsOnce()
    {
        QFETCH(QString, state);
        QFETCH(int, notices);
        QWidget host;
        Fixture f(&host);
        QSignalSpy hidden(f.hud.data(), &Fen_QorProgressHUD::hidden);
        f.hud->setProgressObject(std::make_shared<Fen_QorProgress>(10));
        f.hud->setMinShowTime(state == u"minimum-show wait" ? 1.0 : 0.0);
        f.hud->setGraceTime(state == u"grace wait" ? 1.0 : 0.0);
        if (state != u"new")
            f.hud->showAnimated(state != u"minimum-show wait" && state != u"hidden");
        if (state == u"minimum-show wait" || state == u"hidden")
            f.hud->hideAnimated(false);
        else if (state == u"animating out")
            f.hud->hideAnimated(true);
        const int before = f.completions;
        QCOMPARE(f.hud->alpha(),
                 state == u"shown" || state == u"minimum-show wait" || state == u"animating out"
                     ? 1.0
                     : 0.0);

        delete f.hud.data();
        QCOMPARE(f.completions - before, notices);
        QCOMPARE(f.delegate.hidden.size(), before + notices);
        QCOMPARE(hidden.size(), before + notices);
        f.clock.advance(5.0); // no timer of the HUD survives it
        QCOMPARE(f.completions, before + notices);
    }

    // The hide's notices call out to user code, which may delete the HUD or its host; nothing
    // of the HUD may be touched afterwards (ASan builds catch it), and the notices not yet told
    // are told by the destructor, so the delegate still hears of the hide once.
    void noticeMayDeleteTheHUD_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("fromDelegate");
        QTest::addColumn<bool>("deleteHost");
        const QStringList endings { u"plain"_s, u"animated"_s, u"minimum show time"_s, u"delayed"_s,
                                    u"show ends the hide animation"_s };
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
        QSignalSpy hidden(f.hud.data(), &Fen_QorProgressHUD::hidden);
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
        if (ending == u"plain") {
            f.hud->hideAnimated(false);
        } else if (ending == u"animated") {
            f.hud->hideAnimated(true);
        } else if (ending == u"minimum show time") {
            f.hud->setMinShowTime(0.05);
            f.hud->showAnimated(false);
            f.hud->hideAnimated(false);
            f.clock.advance(0.05);
        } else if (ending == u"delayed") {
            f.hud->hideAnimated(false, 0.02);
            f.clock.advance(0.02);
        } else {
            f.hud->hideAnimated(true);
            f.hud->showAnimated(true);
        }
        QTRY_VERIFY(f.hud.isNull());
        deleteDeferred();
        QCOMPARE(hostAlive.isNull(), deleteHost);
        QCOMPARE(fromDelegate ? f.completions : completions, 1);
        QCOMPARE(f.delegate.hidden.size(), 1);
        QCOMPARE(hidden.size(), 1);
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
