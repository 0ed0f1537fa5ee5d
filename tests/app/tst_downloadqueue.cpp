#include "DownloadQueue.h"
#include "NetworkTrust.h"
#include "QueuePanel.h"
#include "SamplePlatform.h"
#include "ShareText.h"
#include "TemporaryHome.h"
#include "VideoAlbum.h"

#include <QDir>
#include <QMimeData>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using State = DownloadQueue::State;

Q_DECLARE_METATYPE(SamplePlatform::Faults)

/*! The download queue against the sample platform: rows resolved and saved by the real jobs. */
class TestDownloadQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void rowsEndInTheirState_data();
    void rowsEndInTheirState();
    void neverMoreThanParallelAtOnce();
    void pauseAndResumeGoOnFromThePart();
    void retryResolvesAgain();
    void removeCancelsARunningRow();
    void itemSavedBeforeWaitsForTheUser();
    void inputsFromADrop_data();
    void inputsFromADrop();

private:
    DownloadQueue::Options options() const;
    QList<State> states(const DownloadQueue &queue) const;

    TemporaryHome m_home;
    SamplePlatform m_platform;
    QTemporaryDir m_staging;
    int m_nextId = 1000;
};

void TestDownloadQueue::initTestCase()
{
    QVERIFY(m_home.activate());
    QString error;
    QVERIFY2(NetworkTrust::addCaCertificates(SamplePlatform::caCertificatesPath(), &error),
             qPrintable(error));
    QVERIFY(m_platform.start());
    QVERIFY(m_staging.isValid());
}

void TestDownloadQueue::init()
{
    m_platform.setFaults({});
    m_platform.clearRequests();
}

DownloadQueue::Options TestDownloadQueue::options() const
{
    DownloadQueue::Options options;
    options.endpoints = m_platform.endpoints();
    options.stagingFolder = m_staging.path();
    options.retries = 0;
    return options;
}

QList<State> TestDownloadQueue::states(const DownloadQueue &queue) const
{
    QList<State> states;
    for (int row = 0; row < queue.rowCount(); ++row)
        states.append(queue.state(row));
    return states;
}

void TestDownloadQueue::rowsEndInTheirState_data()
{
    QTest::addColumn<int>("items"); // share texts of the plain video item, each a new item
    QTest::addColumn<SamplePlatform::Faults>("faults");
    QTest::addColumn<State>("state");
    QTest::addColumn<int>("filesPerRow");

    QTest::newRow("three share texts are three saved videos")
        << 3 << SamplePlatform::Faults() << State::Saved << 1;
    SamplePlatform::Faults missing;
    missing.errorStatus = 404;
    QTest::newRow("a media error fails every row with its reason")
        << 2 << missing << State::Failed << 0;
}

void TestDownloadQueue::rowsEndInTheirState()
{
    QFETCH(int, items);
    QFETCH(SamplePlatform::Faults, faults);
    QFETCH(State, state);
    QFETCH(int, filesPerRow);

    QStringList texts;
    for (int i = 0; i < items; ++i) {
        SamplePlatform::Item item = m_platform.items().first();
        item.videoId = u"730000000000%1"_s.arg(++m_nextId);
        item.shortCode = u"q%1x%2"_s.arg(items).arg(i);
        item.description = u"queued %1 of %2"_s.arg(i + 1).arg(items);
        texts.append(m_platform.shareText(m_platform.addItem(item)));
    }
    const QStringList inputs = ShareText::queueInputs(texts.join(u'\n'), m_platform.endpoints());
    QCOMPARE(inputs.size(), items);

    // Only media fail: the share pages answer.
    faults.bodyFaultSteps = SamplePlatform::MediaStep;
    m_platform.setFaults(faults);
    DownloadQueue queue;
    queue.setOptions(options());
    QSignalSpy drained(&queue, &DownloadQueue::drained);
    queue.add(inputs);
    QTRY_COMPARE_WITH_TIMEOUT(drained.count(), 1, 30000);
    QCOMPARE(states(queue), QList<State>(items, state));
    for (int row = 0; row < items; ++row) {
        const QStringList files = queue.index(row).data(DownloadQueue::FilesRole).toStringList();
        QCOMPARE(files.size(), filesPerRow);
        for (const QString &file : files)
            QCOMPARE(QFileInfo(file).absolutePath(), QDir(VideoAlbum::directory()).absolutePath());
        if (state == State::Failed)
            QVERIFY(queue.statusText(row).contains(u"404"_s));
    }
}

void TestDownloadQueue::neverMoreThanParallelAtOnce()
{
    SamplePlatform::Faults slow;
    slow.latencyMs = 150;
    m_platform.setFaults(slow);
    DownloadQueue queue;
    queue.setOptions(options());
    queue.setParallel(2);
    int most = 0;
    connect(&queue, &QAbstractItemModel::dataChanged, this, [&] {
        const QList<State> now = states(queue);
        most = std::max(most, int(now.count(State::Resolving) + now.count(State::Downloading)));
    });
    QSignalSpy drained(&queue, &DownloadQueue::drained);
    const QString id = m_platform.items().first().videoId;
    queue.add({ id, id + u"1"_s, id + u"2"_s, id + u"3"_s, id + u"4"_s });
    QTRY_COMPARE_WITH_TIMEOUT(drained.count(), 1, 30000);
    QCOMPARE(most, 2);
}

void TestDownloadQueue::pauseAndResumeGoOnFromThePart()
{
    SamplePlatform::Item item = m_platform.items().first();
    item.videoId = u"7300000000000777"_s;
    item.shortCode = u"bigOne"_s;
    item = m_platform.addItem(item);
    SamplePlatform::Faults faults;
    faults.bodyFault = SamplePlatform::BodyFault::Dripping;
    faults.bodyFaultSteps = SamplePlatform::MediaStep;
    faults.dripIntervalMs = 20;
    m_platform.setFaults(faults);

    DownloadQueue queue;
    queue.setOptions(options());
    queue.add({ item.videoId });
    QTRY_COMPARE_WITH_TIMEOUT(queue.state(0), State::Downloading, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(queue.index(0).data(DownloadQueue::ReceivedRole).toLongLong() > 0,
                             10000);
    QSignalSpy finished(&queue, &DownloadQueue::rowFinished);
    queue.pause(0);
    QTRY_COMPARE(queue.state(0), State::Stopped);
    const qint64 kept = queue.index(0).data(DownloadQueue::ReceivedRole).toLongLong();
    QVERIFY(kept > 0);

    m_platform.setFaults({});
    m_platform.clearRequests();
    queue.resume(0);
    QTRY_COMPARE_WITH_TIMEOUT(queue.state(0), State::Saved, 20000);
    bool resumed = false;
    for (const SamplePlatform::Request &request : m_platform.requests())
        resumed = resumed || request.header("Range").startsWith("bytes=");
    QVERIFY2(resumed, "the second run asks only for the rest");
    const QStringList files = queue.index(0).data(DownloadQueue::FilesRole).toStringList();
    QCOMPARE(files.size(), 1);
    QFile saved(files.first());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    // The dripping fault sends filler bytes after the first part, so only the length and the
    // start can be compared here; the downloader's own tests compare every byte of a resume.
    const QByteArray bytes = saved.readAll();
    QCOMPARE(bytes.size(), SamplePlatform::sampleVideo().size());
    QVERIFY(SamplePlatform::sampleVideo().startsWith(bytes.left(64)));
}

void TestDownloadQueue::retryResolvesAgain()
{
    SamplePlatform::Faults refused;
    refused.errorStatus = 403;
    refused.bodyFaultSteps = SamplePlatform::MediaStep;
    m_platform.setFaults(refused);
    DownloadQueue queue;
    queue.setOptions(options());
    queue.add({ m_platform.items().first().videoId });
    QTRY_COMPARE_WITH_TIMEOUT(queue.state(0), State::Failed, 20000);

    m_platform.setFaults({});
    m_platform.clearRequests();
    queue.retry(0);
    QTRY_COMPARE_WITH_TIMEOUT(queue.state(0), State::Saved, 20000);
    bool pageAgain = false;
    for (const SamplePlatform::Request &request : m_platform.requests())
        pageAgain = pageAgain || request.target.contains("/share/");
    QVERIFY2(pageAgain, "a retry asks for the item again: its address may have expired");
}

void TestDownloadQueue::removeCancelsARunningRow()
{
    SamplePlatform::Faults faults;
    faults.bodyFault = SamplePlatform::BodyFault::Dripping;
    faults.bodyFaultSteps = SamplePlatform::MediaStep;
    m_platform.setFaults(faults);
    DownloadQueue queue;
    queue.setOptions(options());
    queue.add({ m_platform.items().first().videoId });
    QTRY_COMPARE_WITH_TIMEOUT(queue.state(0), State::Downloading, 10000);
    queue.remove(0);
    QCOMPARE(queue.rowCount(), 0);
    QTRY_VERIFY(QDir(m_staging.path()).entryList(QDir::Files).isEmpty());
}

void TestDownloadQueue::itemSavedBeforeWaitsForTheUser()
{
    DownloadQueue queue;
    queue.setOptions(options());
    const QDateTime before = QDateTime::currentDateTime().addDays(-1);
    queue.setSavedBeforeLookup([before](const QString &, const auto &answer) {
        QTimer::singleShot(0, [answer, before] { answer(before); }); // as the history answers
    });
    queue.add({ m_platform.items().first().videoId });
    QTRY_COMPARE_WITH_TIMEOUT(queue.state(0), State::SavedBefore, 10000);
    QCOMPARE(queue.index(0).data(DownloadQueue::SavedBeforeRole).toDateTime(), before);
    QCOMPARE(queue.activeCount(), 0);
    queue.resume(0);
    QTRY_COMPARE_WITH_TIMEOUT(queue.state(0), State::Saved, 20000);
}

void TestDownloadQueue::inputsFromADrop_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("links");
    QTest::newRow("text with three links") << u"text"_s << 3;
    QTest::newRow("a text file of twenty links") << u"file"_s << 20;
    QTest::newRow("a link") << u"url"_s << 1;
}

void TestDownloadQueue::inputsFromADrop()
{
    QFETCH(QString, kind);
    QFETCH(int, links);
    QStringList lines;
    for (int i = 0; i < links; ++i)
        lines.append(u"看看 https://v.douyin.com/code%1/ 复制打开抖音"_s.arg(i));
    QMimeData data;
    QTemporaryDir folder;
    if (kind == u"text"_s) {
        data.setText(lines.join(u'\n'));
    } else if (kind == u"file"_s) {
        QFile file(folder.filePath(u"links.txt"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(lines.join(u"\r\n"_s).toUtf8());
        file.close();
        data.setUrls({ QUrl::fromLocalFile(file.fileName()) });
    } else {
        data.setUrls({ QUrl(u"https://v.douyin.com/code0/"_s) });
    }
    const QStringList inputs = QueuePanel::inputsFrom(&data, Endpoints());
    QCOMPARE(inputs.size(), links);
    QCOMPARE(inputs.first(), u"https://v.douyin.com/code0/"_s);
}

QTEST_MAIN(TestDownloadQueue)
#include "tst_downloadqueue.moc"
