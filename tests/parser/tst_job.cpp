#include "Job.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

/*! A job whose ending the test chooses: at once from begin(), later from a timer, or never. */
class ScriptedJob : public Job
{
public:
    enum class Ending { AtOnce, Later, Never };

    explicit ScriptedJob(Ending ending) : m_ending(ending) { }

    int begun = 0;
    int abandoned = 0;

protected:
    void begin() override
    {
        ++begun;
        if (m_ending == Ending::AtOnce) {
            finish(JobOutcome::done());
            finish(JobOutcome::failed(FailureReason(FailureReason::Kind::NetworkError, {})));
        } else if (m_ending == Ending::Later) {
            QTimer::singleShot(0, this, [this] { finish(JobOutcome::done()); });
        }
    }
    void abandon() override
    {
        ++abandoned;
        finish(JobOutcome::cancelled());
    }

private:
    Ending m_ending;
};

} // namespace

/*! The job shape every piece of work shares: one finished() per start, never from inside it. */
class TestJob : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void endsOncePerStart_data();
    void endsOncePerStart();
    void startWhileRunningIsIgnored();
    void destroyedBeforeDeliveryStaysSilent();
};

void TestJob::endsOncePerStart_data()
{
    QTest::addColumn<int>("ending");
    QTest::addColumn<QString>("action"); // what the caller does right after start()
    QTest::addColumn<JobOutcome::Status>("status");

    const int atOnce = int(ScriptedJob::Ending::AtOnce);
    const int later = int(ScriptedJob::Ending::Later);
    const int never = int(ScriptedJob::Ending::Never);
    QTest::newRow("done at once, the second finish ignored")
        << atOnce << QString() << JobOutcome::Status::Done;
    QTest::newRow("done later") << later << QString() << JobOutcome::Status::Done;
    QTest::newRow("cancelled") << never << QStringLiteral("cancel")
                               << JobOutcome::Status::Cancelled;
    QTest::newRow("stop falls back to cancel")
        << never << QStringLiteral("stop") << JobOutcome::Status::Cancelled;
    QTest::newRow("cancel after an outcome at once is too late")
        << atOnce << QStringLiteral("cancel") << JobOutcome::Status::Done;
}

void TestJob::endsOncePerStart()
{
    QFETCH(int, ending);
    QFETCH(QString, action);
    QFETCH(JobOutcome::Status, status);

    ScriptedJob job { ScriptedJob::Ending(ending) };
    QSignalSpy finished(&job, &Job::finished);
    for (int run = 1; run <= 2; ++run) {
        job.start();
        QCOMPARE(finished.count(), run - 1); // never from inside start()
        QVERIFY(job.isRunning());
        if (action == QStringLiteral("cancel"))
            job.cancel();
        else if (action == QStringLiteral("stop"))
            job.stop();
        QTRY_COMPARE(finished.count(), run);
        QVERIFY(!job.isRunning());
        QCOMPARE(finished.last().at(0).value<JobOutcome>().status(), status);
        QCOMPARE(job.outcome().status(), status);
        QCOMPARE(job.begun, run);
    }
    job.cancel(); // not running: nothing happens
    QTest::qWait(10);
    QCOMPARE(finished.count(), 2);
}

void TestJob::startWhileRunningIsIgnored()
{
    ScriptedJob job { ScriptedJob::Ending::Never };
    QSignalSpy finished(&job, &Job::finished);
    job.start();
    job.start();
    QCOMPARE(job.begun, 1);
    job.cancel();
    job.cancel();
    QCOMPARE(job.abandoned, 1);
    QCOMPARE(finished.count(), 1);
}

void TestJob::destroyedBeforeDeliveryStaysSilent()
{
    int deliveries = 0;
    {
        ScriptedJob job { ScriptedJob::Ending::AtOnce };
        connect(&job, &Job::finished, this, [&deliveries] { ++deliveries; });
        job.start();
    }
    QTest::qWait(10);
    QCOMPARE(deliveries, 0);
}

QTEST_GUILESS_MAIN(TestJob)
#include "tst_job.moc"
