#include "CliRun.h"
#include "SamplePlatform.h"
#include "TestMedia.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;
using CliRun::contentOf;
using CliRun::endpointOptions;
using CliRun::filesBelow;
using CliRun::jsonLines;
using CliRun::Run;
using PageVariant = SamplePlatform::PageVariant;
using Faults = SamplePlatform::Faults;

namespace {

QString playAddress(const SamplePlatform &platform, const SamplePlatform::Item &item)
{
    return platform.endpoints().webOrigin + u"/aweme/v1/play/?video_id="_s + item.playUri
        + u"&line=1"_s;
}

QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

// Requests of the media (not the play address that redirects to it).
QList<SamplePlatform::Request> mediaRequests(const SamplePlatform &platform)
{
    QList<SamplePlatform::Request> found;
    for (const SamplePlatform::Request &request : platform.requests()) {
        if (request.target.startsWith("/media/"))
            found.append(request);
    }
    return found;
}

} // namespace

/*! kivora-cli as a batch downloader: many inputs, galleries, names, resume, retries, signals. */
class TestCliBatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void galleryPicturesInOrder();
    void batchOfMixedInputs();
    void standardInputAsTheBatch();
    void resumesAfterAResetMidBody();
    void retriesAfterServerErrors();
    void signalStopsCleanlyAndTheNextRunResumes_data();
    void signalStopsCleanlyAndTheNextRunResumes();
    void archiveSkipsDoneItems();
    void hostileFieldsMakeSafeNames_data();
    void hostileFieldsMakeSafeNames();
    void serverTextIsEscapedEverywhere();
};

void TestCliBatch::initTestCase()
{
    QVERIFY(QFile::exists(QStringLiteral(KIVORA_CLI_PATH)));
}

void TestCliBatch::galleryPicturesInOrder()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    QTemporaryDir sandbox;
    const SamplePlatform::Item gallery = platform.item(PageVariant::Gallery);

    const Run run = CliRun::download(platform, sandbox.path(),
                                     { u"--json"_s, u"--cover"_s, u"-P"_s, u"pictures"_s, u"-o"_s,
                                       u"{id} {index}.{ext}"_s, gallery.videoId });
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QList<QJsonObject> lines = jsonLines(run.out);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines.constFirst().value(u"status").toString(), u"saved"_s);
    QCOMPARE(lines.constFirst().value(u"id").toString(), gallery.videoId);
    const QJsonArray files = lines.constFirst().value(u"files").toArray();
    QCOMPARE(files.size(), 4);
    const QString folder = QDir(sandbox.path()).filePath(u"pictures"_s);
    for (int number = 1; number <= 3; ++number) {
        const QJsonObject file = files.at(number - 1).toObject();
        const QString expected
            = QDir(folder).filePath(u"%1 %2.jpg"_s.arg(gallery.videoId).arg(number));
        QCOMPARE(file.value(u"path").toString(), expected);
        QCOMPARE(file.value(u"kind").toString(), u"image"_s);
        QCOMPARE(contentOf(expected), TestMedia::sampleJpeg(number));
        QCOMPARE(file.value(u"size").toInteger(), TestMedia::sampleJpeg(number).size());
    }
    QCOMPARE(files.at(3).toObject().value(u"path").toString(),
             QDir(folder).filePath(gallery.videoId + u" cover.jpg"_s));
    QCOMPARE(namesIn(folder).size(), 4);
}

// 20 inputs in every form, three of them bad: the bad ones are reported, the rest saved.
void TestCliBatch::batchOfMixedInputs()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    QTemporaryDir sandbox;
    const SamplePlatform::Item video = platform.item(PageVariant::Real);
    const SamplePlatform::Item other = platform.item(PageVariant::WithSemicolon);
    const SamplePlatform::Item gallery = platform.item(PageVariant::Gallery);
    QStringList good;
    for (const SamplePlatform::Item &item : { video, other, gallery }) {
        good << item.videoId << platform.shareText(item) << platform.shortLink(item)
             << platform.longLink(item, SamplePlatform::LongLinkForm::WebVideo);
    }
    good << playAddress(platform, video) << playAddress(platform, other);
    while (good.size() < 17)
        good << good.at(good.size() % 12);
    const QStringList bad { platform.item(PageVariant::NoRouterData).videoId,
                            platform.item(PageVariant::MissingFields).videoId,
                            u"复制打开抖音，没有链接"_s };
    QByteArray batch = "# twenty inputs, three of them bad\n\n";
    for (int i = 0; i < 20; ++i)
        batch += (i % 7 == 3 ? bad.at(i / 7) : good.at(i - (i + 4) / 7)).toUtf8() + "\n";
    const QString list = writeFile(QDir(sandbox.path()).filePath(u"list.txt"_s), batch);

    const Run run
        = CliRun::download(platform, sandbox.path(),
                           { u"-a"_s, list, u"--jobs"_s, u"6"_s, u"--json"_s, u"-P"_s, u"out"_s });
    QVERIFY2(run.exitCode == 1, run.err.constData());
    const QList<QJsonObject> lines = jsonLines(run.out);
    QCOMPARE(lines.size(), 20);
    QStringList failedInputs;
    for (const QJsonObject &line : lines) {
        QVERIFY2(!line.isEmpty(), run.out.constData());
        if (line.value(u"status").toString() != u"saved") {
            QCOMPARE(line.value(u"status").toString(), u"failed"_s);
            QVERIFY(!line.value(u"error").toString().isEmpty());
            failedInputs << line.value(u"input").toString();
        }
    }
    failedInputs.sort();
    QStringList expectedFailures = bad;
    expectedFailures.sort();
    QCOMPARE(failedInputs, expectedFailures);
    QCOMPARE(run.err.count("kivora-cli: download: "), 3);
    QVERIFY2(run.err.endsWith("kivora-cli: 17 saved, 0 skipped, 3 failed\n"), run.err.constData());
    for (const QString &path : filesBelow(QDir(sandbox.path()).filePath(u"out"_s)))
        QVERIFY2(!path.endsWith(u".part"_s), qPrintable(path));
}

void TestCliBatch::standardInputAsTheBatch()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    QTemporaryDir sandbox;
    const SamplePlatform::Item video = platform.item(PageVariant::Real);
    const QByteArray input = "# from a pipe\n" + video.videoId.toUtf8() + "\r\n\n   \n"
        + platform.shortLink(platform.item(PageVariant::WithSemicolon)).toUtf8();

    const Run run = CliRun::download(platform, sandbox.path(),
                                     { u"--json"_s, u"--batch-file"_s, u"-"_s }, input);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QList<QJsonObject> lines = jsonLines(run.out);
    QCOMPARE(lines.size(), 2);
    for (const QJsonObject &line : lines) {
        QCOMPARE(line.value(u"status").toString(), u"saved"_s);
        const QString path
            = line.value(u"files").toArray().at(0).toObject().value(u"path").toString();
        QCOMPARE(contentOf(path), SamplePlatform::sampleVideo());
    }
    QVERIFY2(run.err.endsWith("kivora-cli: 2 saved, 0 skipped, 0 failed\n"), run.err.constData());
}

void TestCliBatch::resumesAfterAResetMidBody()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    Faults reset;
    reset.resetMidBody = true;
    reset.faultyMediaAnswers = 1;
    platform.setFaults(reset);
    QTemporaryDir sandbox;

    // The play address: the share page would be cut too.
    const Run run = CliRun::download(platform, sandbox.path(),
                                     { u"--json"_s, u"-o"_s, u"clip.{ext}"_s,
                                       playAddress(platform, platform.item(PageVariant::Real)) });
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QString path = jsonLines(run.out)
                             .value(0)
                             .value(u"files")
                             .toArray()
                             .at(0)
                             .toObject()
                             .value(u"path")
                             .toString();
    QCOMPARE(contentOf(path), SamplePlatform::sampleVideo());
    const QList<SamplePlatform::Request> media = mediaRequests(platform);
    QCOMPARE(media.size(), 2);
    const QByteArray range = media.constLast().header("Range");
    QVERIFY2(range.startsWith("bytes=") && range != "bytes=0-", range.constData());
    QVERIFY2(run.err.contains("trying again in 1 s (retry 1 of 3)"), run.err.constData());
    QCOMPARE(namesIn(sandbox.path()), QStringList { QFileInfo(path).fileName() });
}

void TestCliBatch::retriesAfterServerErrors()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    Faults unavailable;
    unavailable.errorStatus = 503;
    unavailable.faultyMediaAnswers = 2;
    platform.setFaults(unavailable);
    QTemporaryDir sandbox;

    const Run run
        = CliRun::download(platform, sandbox.path(), { platform.item(PageVariant::Real).videoId });
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(mediaRequests(platform).size(), 3);
    QCOMPARE(run.err.count("The server answered with status 503; trying again"), 2);
    QVERIFY2(run.err.contains("in 2 s (retry 2 of 3)"), run.err.constData());
    QCOMPARE(contentOf(CliRun::printedPaths(run).value(0)), SamplePlatform::sampleVideo());
}

void TestCliBatch::signalStopsCleanlyAndTheNextRunResumes_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestCliBatch::signalStopsCleanlyAndTheNextRunResumes()
{
    QFETCH(int, signalNumber);
    SamplePlatform platform;
    QVERIFY(platform.start());
    Faults stall;
    stall.stall = true;
    stall.faultyMediaAnswers = 1;
    platform.setFaults(stall);
    QTemporaryDir sandbox;
    // The play address: the share page would stall too.
    const QStringList arguments = endpointOptions(platform)
        << u"download"_s << u"-o"_s << u"clip.{ext}"_s
        << playAddress(platform, platform.item(PageVariant::Real));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_LOGGING_RULES"_s, QString());
    // Under the leak checker: when the process ends right after aborting the stalled transfer,
    // Qt 6.4's HTTP thread sometimes leaves that reply and its connection in a cycle of Qt's own
    // objects, which would turn the exit status into the checker's. The next run below, which
    // resumes and ends normally, is still checked for leaks.
    environment.insert(u"ASAN_OPTIONS"_s,
                       environment.value(u"ASAN_OPTIONS"_s) + u":detect_leaks=0"_s);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(sandbox.path());
    process.start(QStringLiteral(KIVORA_CLI_PATH), arguments);
    const QString part = QDir(sandbox.path()).filePath(u"clip.mp4.part"_s);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(part).size() > 0, 15000);
    ::kill(pid_t(process.processId()), signalNumber);
    QVERIFY(process.waitForFinished(10000));
    const QByteArray err = process.readAllStandardError();
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == 128 + signalNumber, err.constData());
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    // Nothing under the final name: only the .part and its validators, kept for the next run.
    QCOMPARE(namesIn(sandbox.path()),
             (QStringList { QFileInfo(part).fileName(), QFileInfo(part).fileName() + u".meta"_s }));
    const qint64 kept = QFileInfo(part).size();
    QVERIFY2(err.contains("is kept for resuming"), err.constData());

    platform.clearRequests();
    const Run again = CliRun::download(platform, sandbox.path(), arguments.mid(9));
    QVERIFY2(again.exitCode == 0, again.err.constData());
    const QString saved = part.chopped(5);
    QCOMPARE(CliRun::printedPaths(again), QStringList { saved });
    QCOMPARE(contentOf(saved), SamplePlatform::sampleVideo());
    QCOMPARE(namesIn(sandbox.path()), QStringList { QFileInfo(saved).fileName() });
    QCOMPARE(mediaRequests(platform).value(0).header("Range"),
             "bytes=" + QByteArray::number(kept) + '-');
}

void TestCliBatch::archiveSkipsDoneItems()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    QTemporaryDir sandbox;
    const SamplePlatform::Item video = platform.item(PageVariant::Real);
    const SamplePlatform::Item gallery = platform.item(PageVariant::Gallery);
    const QString archive = QDir(sandbox.path()).filePath(u"done.txt"_s);
    // Edited by hand: a line of another tool, and no newline after the last line.
    QVERIFY(!writeFile(archive, "youtube abc\ndouyin " + gallery.videoId.toUtf8()).isEmpty());
    const QStringList arguments {
        u"--download-archive"_s,    archive, u"-P"_s, u"out"_s, video.videoId,
        platform.shortLink(gallery)
    };

    const Run first = CliRun::download(platform, sandbox.path(), arguments);
    QVERIFY2(first.exitCode == 0, first.err.constData());
    QVERIFY2(first.err.contains(
                 QByteArray(gallery.videoId.toUtf8() + " is in the download archive, skipped")),
             first.err.constData());
    QVERIFY2(first.err.endsWith("kivora-cli: 1 saved, 1 skipped, 0 failed\n"),
             first.err.constData());
    QCOMPARE(contentOf(archive),
             "youtube abc\ndouyin " + gallery.videoId.toUtf8() + "\ndouyin "
                 + video.videoId.toUtf8() + '\n');

    const Run second = CliRun::download(platform, sandbox.path(), arguments);
    QVERIFY2(second.exitCode == 0, second.err.constData());
    QCOMPARE(second.out, QByteArray());
    QVERIFY2(second.err.endsWith("kivora-cli: 0 saved, 2 skipped, 0 failed\n"),
             second.err.constData());
    QCOMPARE(namesIn(QDir(sandbox.path()).filePath(u"out"_s)).size(), 1);
}

void TestCliBatch::hostileFieldsMakeSafeNames_data()
{
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("nameTemplate");
    QTest::addColumn<QString>("expected"); // the saved name; "…" stands for the video ID

    QTest::newRow("path and escape in the author")
        << u"../../etc\x1b[2J"_s << u"a\nb"_s << QString() << u"_.._etc[2J - a b […].mp4"_s;
    QTest::newRow("direction override and zero-width")
        << u"x\u202Egpj.exe"_s << u"\u200Bclip"_s << u"{name}{title}.{ext}"_s
        << u"xgpj.execlip.mp4"_s;
    QTest::newRow("zero-width characters do not count against the length")
        << u"x"_s << QString(300, QChar(0x200B)) + u"Hello"_s << u"{title} [{id}].{ext}"_s
        << u"Hello […].mp4"_s;
    QTest::newRow("Windows device name and reserved characters")
        << u"CON"_s << u"a<b>:c|d?"_s << u"{name}.{title}.{ext}"_s << u"_CON.a_b__c_d_.mp4"_s;
    QTest::newRow("leading dots") << u"..."_s << u"hidden"_s << u"{name}{title}.{ext}"_s
                                  << u"hidden.mp4"_s;
}

// Fields from the server cannot leave the folder, hide, or steer a terminal.
void TestCliBatch::hostileFieldsMakeSafeNames()
{
    QFETCH(QString, nickname);
    QFETCH(QString, description);
    QFETCH(QString, nameTemplate);
    QFETCH(QString, expected);
    SamplePlatform platform;
    QVERIFY(platform.start());
    SamplePlatform::Item item = platform.item(PageVariant::Real);
    item.videoId = u"7399999999999999999"_s;
    item.shortCode = u"Hx-Tq_9Zk2w"_s;
    item.nickname = nickname;
    item.description = description;
    item = platform.addItem(item);
    QTemporaryDir sandbox;
    QStringList arguments { u"-P"_s, u"inner"_s, item.videoId };
    if (!nameTemplate.isEmpty())
        arguments = QStringList { u"-o"_s, nameTemplate } + arguments;

    const Run run = CliRun::download(platform, sandbox.path(), arguments);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(namesIn(QDir(sandbox.path()).filePath(u"inner"_s)),
             QStringList { expected.replace(u"…"_s, item.videoId) });
    QCOMPARE(filesBelow(sandbox.path()).size(), 1);
}

// A title that forges a line and clears the screen reaches the terminal escaped: in the parse
// summary, in the diagnostic lines, and in a long title's shortened file name the ID survives.
void TestCliBatch::serverTextIsEscapedEverywhere()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    SamplePlatform::Item item = platform.item(PageVariant::Real);
    item.videoId = u"7388888888888888888"_s;
    item.shortCode = u"Qw-Er_5Ty7u"_s;
    item.description = u"标题\nvideo: https://evil.example/\x1b[2J\u202E"_s + QString(150, u'长');
    item = platform.addItem(item);
    QTemporaryDir sandbox;

    CliRun::Options options;
    const Run parsed
        = CliRun::run(endpointOptions(platform) << u"parse"_s << u"-v"_s << item.videoId, options);
    QVERIFY2(parsed.exitCode == 0, parsed.err.constData());
    const QString out = QString::fromUtf8(parsed.out);
    QVERIFY2(out.contains(u"title: 标题\\u000avideo: https://evil.example/\\u001b[2J\\u202e"_s),
             parsed.out.constData());
    for (const QString &line : out.split(u'\n'))
        QVERIFY2(!line.startsWith(u"video: https://evil"_s), qPrintable(line));
    for (const QByteArray &raw : { QByteArray("\x1b"), QByteArray("\u202E") }) {
        QVERIFY(!parsed.out.contains(raw));
        QVERIFY(!parsed.err.contains(raw));
    }
    QVERIFY2(parsed.err.contains("Kivora5  {"), parsed.err.constData());

    const Run saved = CliRun::download(platform, sandbox.path(), { item.videoId });
    QVERIFY2(saved.exitCode == 0, saved.err.constData());
    const QString name = namesIn(sandbox.path()).value(0);
    QVERIFY2(name.endsWith(u" [%1].mp4"_s.arg(item.videoId)), qPrintable(name));
    QVERIFY(name.toUtf8().size() <= 200);
    QVERIFY2(!name.contains(u'\n') && !name.contains(u'\x1b') && !name.contains(u'\u202E'),
             qPrintable(name));
}

QTEST_GUILESS_MAIN(TestCliBatch)
#include "tst_clibatch.moc"
