#include "Fen_QorProgressHUDVisibility.h"
#include "ManualClock.h"

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Steps that write down what the machine has them do. An animated dismissal stays pending until
// the test ends it (or a show step ends it early).
class RecordingSteps : public Fen_QorProgressHUDVisibility::Steps
{
public:
    bool endAnimations() override
    {
        endDismissal();
        return !machineGone;
    }
    void present(bool animated) override
    {
        log.append(animated ? u"present animated"_s : u"present"_s);
    }
    void dismiss(bool animated, std::function<void()> finished) override
    {
        log.append(animated ? u"dismiss animated"_s : u"dismiss"_s);
        if (animated)
            pendingDismissal = std::move(finished);
        else
            finished();
    }
    void done(bool finished) override
    {
        log.append(finished ? u"done"_s : u"done unfinished"_s);
        if (onDone)
            onDone();
    }

    void endDismissal()
    {
        if (const std::function<void()> finished = std::exchange(pendingDismissal, {}))
            finished();
    }

    QStringList log;
    std::function<void()> pendingDismissal;
    std::function<void()> onDone;
    bool machineGone = false;
};

// Runs one script line against the machine: "show", "show animated", "hide", "hide animated",
// "hide after SECONDS", "wait SECONDS" (written to the log as "~SECONDS" after the timers that
// fired) or "animation ends".
void run(const QString &line, Fen_QorProgressHUDVisibility &machine, ManualClock &clock,
         RecordingSteps &steps)
{
    const QStringList words = line.split(u' ');
    const bool animated = words.size() == 2 && words.at(1) == u"animated";
    if (words.first() == u"show") {
        machine.requestShow(animated);
    } else if (line.startsWith(u"hide after ")) {
        machine.requestHideAfterDelay(false, words.at(2).toDouble());
    } else if (words.first() == u"hide") {
        machine.requestHide(animated);
    } else if (words.first() == u"wait") {
        clock.advance(words.at(1).toDouble());
        steps.log.append(u'~' + words.at(1));
    } else if (line == u"animation ends") {
        steps.endDismissal();
    } else {
        QFAIL(qPrintable(u"unknown script line: "_s + line));
    }
}

} // namespace

class TestHUDVisibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void transitions_data()
    {
        QTest::addColumn<double>("graceTime");
        QTest::addColumn<double>("minShowTime");
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("shown at once") << 0.0 << 0.0 << QStringList { u"show animated"_s }
                                       << QStringList { u"present animated"_s };
        QTest::newRow("grace time passes")
            << 0.5 << 0.0 << QStringList { u"show animated"_s, u"wait 0.49"_s, u"wait 0.01"_s }
            << QStringList { u"~0.49"_s, u"present animated"_s, u"~0.01"_s };
        QTest::newRow("hidden within the grace time: done at once, never visible")
            << 0.5 << 0.0
            << QStringList { u"show animated"_s, u"wait 0.2"_s, u"hide animated"_s, u"wait 1"_s }
            << QStringList { u"~0.2"_s, u"dismiss"_s, u"done"_s, u"~1"_s };
        QTest::newRow("two shows in the grace time: both fire")
            << 1.0 << 0.0
            << QStringList { u"show"_s, u"wait 0.5"_s, u"show"_s, u"wait 0.5"_s, u"wait 0.5"_s }
            << QStringList { u"~0.5"_s, u"present"_s, u"~0.5"_s, u"present"_s, u"~0.5"_s };
        QTest::newRow("minimum show time: two waits, the latest flag")
            << 0.0 << 2.0 << QStringList { u"show"_s, u"wait 0.5"_s,  u"hide animated"_s,
                                           u"hide"_s, u"wait 1.49"_s, u"wait 0.01"_s }
            << QStringList { u"present"_s, u"~0.5"_s,    u"~1.49"_s, u"dismiss"_s,
                             u"done"_s,    u"dismiss"_s, u"done"_s,  u"~0.01"_s };
        QTest::newRow("minimum show time already over")
            << 0.0 << 2.0 << QStringList { u"show"_s, u"wait 2"_s, u"hide"_s }
            << QStringList { u"present"_s, u"~2"_s, u"dismiss"_s, u"done"_s };
        QTest::newRow("a show in the minimum-show wait cancels the hide")
            << 0.0 << 2.0
            << QStringList { u"show"_s, u"wait 0.5"_s, u"hide"_s, u"show"_s, u"wait 5"_s }
            << QStringList { u"present"_s, u"~0.5"_s, u"present"_s, u"~5"_s };
        QTest::newRow("grace show cancels a later delayed hide")
            << 1.0 << 0.0 << QStringList { u"show"_s, u"hide after 3"_s, u"wait 1"_s, u"wait 5"_s }
            << QStringList { u"present"_s, u"~1"_s, u"~5"_s };
        QTest::newRow("delayed hide before the grace ends: never visible")
            << 1.0 << 0.0 << QStringList { u"show"_s, u"hide after 0.5"_s, u"wait 2"_s }
            << QStringList { u"dismiss"_s, u"done"_s, u"~2"_s };
        QTest::newRow("a later delayed hide replaces the pending one")
            << 0.0 << 0.0 << QStringList { u"show"_s,         u"hide after 1"_s, u"wait 0.5"_s,
                                           u"hide after 1"_s, u"wait 0.9"_s,     u"wait 0.1"_s }
            << QStringList {
                   u"present"_s, u"~0.5"_s, u"~0.9"_s, u"dismiss"_s, u"done"_s, u"~0.1"_s
               };
        QTest::newRow("two hides: the second ends at once")
            << 0.0 << 0.0
            << QStringList { u"show"_s, u"hide animated"_s, u"hide animated"_s,
                             u"animation ends"_s }
            << QStringList { u"present"_s, u"dismiss animated"_s, u"dismiss"_s, u"done"_s,
                             u"done"_s };
        QTest::newRow("a show ends the hide animation first")
            << 0.0 << 0.0 << QStringList { u"show"_s, u"hide animated"_s, u"show animated"_s }
            << QStringList { u"present"_s, u"dismiss animated"_s, u"done unfinished"_s,
                             u"present animated"_s };
        QTest::newRow("hide on a hidden machine: done each time")
            << 0.0 << 0.0 << QStringList { u"hide"_s, u"hide animated"_s }
            << QStringList { u"dismiss"_s, u"done"_s, u"dismiss"_s, u"done"_s };
    }

    void transitions()
    {
        QFETCH(double, graceTime);
        QFETCH(double, minShowTime);
        QFETCH(QStringList, script);
        QFETCH(QStringList, expected);
        ManualClock clock;
        RecordingSteps steps;
        Fen_QorProgressHUDVisibility machine(steps, clock);
        machine.setGraceTime(graceTime);
        machine.setMinShowTime(minShowTime);
        for (const QString &line : script)
            run(line, machine, clock, steps);
        QCOMPARE(steps.log, expected);
    }

    // Busy from a show request until a hide ends finished: what a HUD destroyed meanwhile owes.
    void busyAndPendingState()
    {
        ManualClock clock;
        RecordingSteps steps;
        Fen_QorProgressHUDVisibility machine(steps, clock);
        machine.setGraceTime(1.0);
        QVERIFY(!machine.isBusy() && !machine.hasFinished() && !machine.isShown());

        machine.requestShow(true);
        QVERIFY(machine.isBusy() && !machine.isShown()); // grace wait
        clock.advance(1.0);
        QVERIFY(machine.isShown());
        machine.requestHideAfterDelay(true, 2.5);
        QCOMPARE(machine.pendingHideDelay(), std::optional<double>(2.5));

        machine.setGraceTime(0.0);
        machine.requestHide(true);
        QCOMPARE(machine.pendingHideDelay(), std::nullopt); // the hide step cancels it
        QVERIFY(machine.hasFinished() && !machine.isShown() && machine.isBusy()); // animating out
        machine.requestShow(false); // ends the hide animation: done unfinished, still busy
        QVERIFY(machine.isBusy() && machine.isShown());
        machine.requestHide(false);
        QVERIFY(!machine.isBusy());
        QCOMPARE(clock.pendingCount(), 0);
    }

    void destroyingTheMachineCancelsItsTimers()
    {
        ManualClock clock;
        RecordingSteps steps;
        {
            Fen_QorProgressHUDVisibility machine(steps, clock);
            machine.setGraceTime(1.0);
            machine.requestShow(false);
            machine.requestHideAfterDelay(false, 3.0);
            QCOMPARE(clock.pendingCount(), 2);
        }
        QCOMPARE(clock.pendingCount(), 0);
        clock.advance(5.0);
        QVERIFY(steps.log.isEmpty());
    }

    // The HUD's completion runs inside done() and may destroy the HUD, the machine with it;
    // nothing of the machine may be touched afterwards (AddressSanitizer builds catch it).
    void aStepMayDestroyTheMachine_data()
    {
        QTest::addColumn<double>("minShowTime");
        QTest::addColumn<QStringList>("script");
        QTest::newRow("plain hide") << 0.0 << QStringList { u"show"_s, u"hide"_s };
        QTest::newRow("animated hide")
            << 0.0 << QStringList { u"show"_s, u"hide animated"_s, u"animation ends"_s };
        QTest::newRow("minimum show time")
            << 1.0 << QStringList { u"show"_s, u"hide"_s, u"wait 2"_s };
        QTest::newRow("delayed hide")
            << 0.0 << QStringList { u"show"_s, u"hide after 1"_s, u"wait 2"_s };
        QTest::newRow("show ends the hide animation")
            << 0.0 << QStringList { u"show"_s, u"hide animated"_s, u"show"_s };
    }

    void aStepMayDestroyTheMachine()
    {
        QFETCH(double, minShowTime);
        QFETCH(QStringList, script);
        ManualClock clock;
        RecordingSteps steps;
        auto machine = std::make_unique<Fen_QorProgressHUDVisibility>(steps, clock);
        machine->setMinShowTime(minShowTime);
        steps.onDone = [&machine, &steps] {
            machine.reset();
            steps.machineGone = true;
        };
        for (const QString &line : script) {
            if (machine)
                run(line, *machine, clock, steps);
        }
        QVERIFY(!machine);
        QCOMPARE(steps.log.count(u"done"_s) + steps.log.count(u"done unfinished"_s), 1);
        QCOMPARE(clock.pendingCount(), 0);
    }
};

QTEST_APPLESS_MAIN(TestHUDVisibility)
#include "tst_hudvisibility.moc"
