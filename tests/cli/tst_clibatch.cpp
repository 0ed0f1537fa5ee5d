#include "CliRun.h"
#include "SamplePlatform.h"
#include "SmallFileSystem.h"
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

// \a process set up to run kivora-cli in \a folder and be stopped by a signal. Under the leak
// checker: when the process ends right after aborting a stalled transfer, Qt 6.4's HTTP thread
// sometimes leaves that reply and its connection in a cycle of Qt's own objects, which would turn
// the exit status into the checker's. The runs that end normally are still checked for leaks.
void prepareStoppable(QProcess &process, const QString &folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_LOGGING_RULES"_s, QString());
    environment.insert(u"ASAN_OPTIONS"_s,
                       environment.value(u"ASAN_OPTIONS"_s) + u":detect_leaks=0"_s);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
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
    void batchLinesAreBounded_data();
    void batchLinesAreBounded();
    void stoppedItemIsPartialAndTheRerunFetchesTheRest_data();
    void stoppedItemIsPartialAndTheRerunFetchesTheRest();
    void archiveSharedByTwoProcesses();
    void archiveWriteFailureFailsTheItem_data();
    void archiveWriteFailureFailsTheItem();
    void errorStatusesLeaveNoQtWarning();
    void quotedTextIsNotRewritten_data();
    void quotedTextIsNotRewritten();
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

// 20 inputs in every form, three of them bad and three repeated: the bad ones are reported, the
// repeats skipped, the rest saved.
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
    QStringList repeated;
    while (good.size() < 17) {
        repeated << good.at(good.size() % 12);
        good << repeated.constLast();
    }
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
    QMap<QString, QStringList> inputsBy;
    for (const QJsonObject &line : lines) {
        QVERIFY2(!line.isEmpty(), run.out.constData());
        const QString status = line.value(u"status").toString();
        QVERIFY2(status == u"skipped"
                     || line.value(u"error").toString().isEmpty() == (status == u"saved"),
                 qPrintable(status));
        inputsBy[status] << line.value(u"input").toString();
    }
    QStringList expectedFailures = bad;
    for (QStringList *inputs :
         { &inputsBy[u"failed"_s], &expectedFailures, &inputsBy[u"skipped"_s], &repeated })
        inputs->sort();
    QCOMPARE(inputsBy.value(u"failed"_s), expectedFailures);
    QCOMPARE(inputsBy.value(u"skipped"_s), repeated);
    QCOMPARE(inputsBy.value(u"saved"_s).size(), 14);
    QCOMPARE(run.err.count("kivora-cli: download: "), 6);
    QCOMPARE(run.err.count("the same input as an earlier one, skipped\n"), 3);
    QVERIFY2(run.err.endsWith("kivora-cli: 14 saved, 3 skipped, 3 failed\n"), run.err.constData());
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
    prepareStoppable(process, sandbox.path());
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
    QVERIFY2(err.endsWith("kivora-cli: 0 saved, 0 skipped, 0 failed, 1 stopped\n"),
             err.constData());

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
    item.description
        = u"标题\nvideo: https://evil.example/\x1b[2J\u202E\u200F"_s + QString(150, u'长');
    item = platform.addItem(item);
    QTemporaryDir sandbox;

    CliRun::Options options;
    const Run parsed
        = CliRun::run(endpointOptions(platform) << u"parse"_s << u"-v"_s << item.videoId, options);
    QVERIFY2(parsed.exitCode == 0, parsed.err.constData());
    const QString out = QString::fromUtf8(parsed.out);
    QVERIFY2(
        out.contains(u"title: 标题\\u000avideo: https://evil.example/\\u001b[2J\\u202e\\u200f"_s),
        parsed.out.constData());
    for (const QString &line : out.split(u'\n'))
        QVERIFY2(!line.startsWith(u"video: https://evil"_s), qPrintable(line));
    const Run json
        = CliRun::run(endpointOptions(platform) << u"parse"_s << u"--json"_s << item.videoId);
    QVERIFY2(json.out.contains("\\u202e\\u200f"), json.out.constData());
    for (const QByteArray &raw :
         { QByteArray("\x1b"), QByteArray("\u202E"), QByteArray("\u200F") }) {
        for (const QByteArray &written : { parsed.out, parsed.err, json.out })
            QVERIFY(!written.contains(raw));
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

void TestCliBatch::batchLinesAreBounded_data()
{
    QTest::addColumn<QByteArray>("line"); // FIRST, SECOND: two items' short links
    QTest::addColumn<int>("paddedTo"); // the line's size, spaces added after the links
    QTest::addColumn<bool>("refused");
    const int longest = 64 * 1024;
    QTest::newRow("two links: the first is the input") << QByteArray("FIRST SECOND") << 0 << false;
    QTest::newRow("64 KiB") << QByteArray("FIRST") << longest << false;
    QTest::newRow("one byte over 64 KiB") << QByteArray("FIRST") << longest + 1 << true;
    QByteArray links;
    while (links.size() < 4 * 1024 * 1024)
        links += "FIRST SECOND ";
    QTest::newRow("4 MiB of links") << links << 0 << true;
}

// A batch line is one input, or refused whole when too long; the next line is read either way.
void TestCliBatch::batchLinesAreBounded()
{
    QFETCH(QByteArray, line);
    QFETCH(int, paddedTo);
    QFETCH(bool, refused);
    SamplePlatform platform;
    QVERIFY(platform.start());
    QTemporaryDir sandbox;
    const SamplePlatform::Item first = platform.item(PageVariant::Real);
    const SamplePlatform::Item second = platform.item(PageVariant::WithSemicolon);
    const SamplePlatform::Item next = platform.item(PageVariant::Gallery);
    line.replace("FIRST", platform.shortLink(first).toUtf8())
        .replace("SECOND", platform.shortLink(second).toUtf8());
    line += QByteArray(std::max<qsizetype>(0, paddedTo - line.size()), ' ');
    const QString list = writeFile(QDir(sandbox.path()).filePath(u"list.txt"_s),
                                   line + '\n' + next.videoId.toUtf8());

    const Run run = CliRun::run(endpointOptions(platform) << u"parse"_s << u"--json"_s << u"-j"_s
                                                          << u"1"_s << u"-a"_s << list);
    QCOMPARE(run.exitCode, refused ? 1 : 0);
    const QList<QJsonObject> lines = jsonLines(run.out);
    QCOMPARE(lines.size(), 2);
    if (refused) {
        QCOMPARE(lines.constFirst(),
                 QJsonObject(
                     { { u"line"_s, 1 },
                       { u"status"_s, u"failed"_s },
                       { u"error"_s, u"the line is longer than 65536 bytes; it is no input"_s } }));
        QVERIFY2(
            run.err.startsWith("kivora-cli: parse: line 1: the line is longer than 65536 bytes"),
            run.err.constData());
    } else {
        QCOMPARE(lines.constFirst().value(u"id").toString(), first.videoId);
    }
    QCOMPARE(lines.constLast().value(u"id").toString(), next.videoId);
    for (const SamplePlatform::Request &request : platform.requests()) {
        QVERIFY2(!request.target.contains(second.shortCode.toUtf8()), request.target.constData());
        QVERIFY2(!refused || !request.target.contains(first.shortCode.toUtf8()),
                 request.target.constData());
    }
}

void TestCliBatch::stoppedItemIsPartialAndTheRerunFetchesTheRest_data()
{
    QTest::addColumn<PageVariant>("variant");
    QTest::addColumn<QStringList>("savedFirst"); // the end of each name, in the order saved
    QTest::addColumn<QStringList>("savedAgain");
    QTest::addColumn<QByteArray>("entry"); // the archive's line for the file saved first
    QTest::newRow("gallery stopped at its second picture")
        << PageVariant::Gallery << QStringList { u"] 1.jpg"_s }
        << QStringList { u"] 2.jpg"_s, u"] 3.jpg"_s, u"] cover.jpg"_s } << QByteArray(" 1");
    QTest::newRow("video stopped at its cover")
        << PageVariant::Real << QStringList { u"].mp4"_s } << QStringList { u"] cover.jpg"_s }
        << QByteArray(" video");
}

// A stop after some of an item's files: the item is partial, the archive lists those files, and
// the next run fetches only the others (no "(1)" copy).
void TestCliBatch::stoppedItemIsPartialAndTheRerunFetchesTheRest()
{
    QFETCH(PageVariant, variant);
    QFETCH(QStringList, savedFirst);
    QFETCH(QStringList, savedAgain);
    QFETCH(QByteArray, entry);
    SamplePlatform platform;
    QVERIFY(platform.start());
    // The second file comes from a server whose first media answer stalls.
    SamplePlatform stalling;
    QVERIFY(stalling.start());
    Faults stall;
    stall.stall = true;
    stall.faultyMediaAnswers = 1;
    stalling.setFaults(stall);
    const QString stalled = stalling.endpoints().webOrigin + u"/media/image-2.jpg"_s;
    const SamplePlatform::Item item
        = CliRun::addedItem(platform, variant, [&stalled](SamplePlatform::Item &item) {
              if (item.imageUrls.isEmpty())
                  item.coverUrl = stalled;
              else
                  item.imageUrls[1] = stalled;
          });
    QTemporaryDir sandbox;
    const QString archive = QDir(sandbox.path()).filePath(u"done.txt"_s);
    const QString folder = QDir(sandbox.path()).filePath(u"out"_s);
    const QStringList arguments { u"--json"_s, u"--cover"_s, u"--download-archive"_s,
                                  archive,     u"-P"_s,      folder,
                                  item.videoId };

    QProcess process;
    prepareStoppable(process, sandbox.path());
    process.start(QStringLiteral(KIVORA_CLI_PATH),
                  endpointOptions(platform) << u"download"_s << arguments);
    QTRY_VERIFY_WITH_TIMEOUT(!mediaRequests(stalling).isEmpty(), 15000);
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(10000));
    const QByteArray err = process.readAllStandardError();
    QVERIFY2(process.exitCode() == 128 + SIGINT, err.constData());
    const QJsonObject stopped = jsonLines(process.readAllStandardOutput()).value(0);
    QCOMPARE(stopped.value(u"status").toString(), u"partial"_s);
    QCOMPARE(stopped.value(u"files").toArray().size(), savedFirst.size());
    QVERIFY2(err.endsWith("kivora-cli: 0 saved, 0 skipped, 0 failed, 1 partial\n"),
             err.constData());
    QCOMPARE(contentOf(archive), "douyin " + item.videoId.toUtf8() + entry + '\n');

    const Run again = CliRun::download(platform, sandbox.path(), arguments);
    QVERIFY2(again.exitCode == 0, again.err.constData());
    const QJsonObject rerun = jsonLines(again.out).value(0);
    QCOMPARE(rerun.value(u"status").toString(), u"saved"_s);
    QStringList names;
    for (const QJsonValue file : rerun.value(u"files").toArray())
        names << QFileInfo(file.toObject().value(u"path").toString()).fileName();
    QCOMPARE(names.size(), savedAgain.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        QVERIFY2(names.at(i).endsWith(savedAgain.at(i)), qPrintable(names.at(i)));
    QCOMPARE(namesIn(folder).size(), savedFirst.size() + savedAgain.size());
    for (const QString &name : namesIn(folder))
        QVERIFY2(!name.contains(u"(1)"_s) && !name.endsWith(u".part"_s), qPrintable(name));
    QVERIFY(contentOf(archive).endsWith(QByteArray("douyin " + item.videoId.toUtf8() + '\n')));
}

// Two runs share one archive: what one saved, the other skips even when it read the archive
// before, and no entry is written twice.
void TestCliBatch::archiveSharedByTwoProcesses()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    QTemporaryDir sandbox;
    const QString archive = QDir(sandbox.path()).filePath(u"done.txt"_s);
    const QString video = platform.item(PageVariant::Real).videoId;
    const QString gallery = platform.item(PageVariant::Gallery).videoId;
    const QStringList shared { u"--json"_s, u"--download-archive"_s, archive };

    // The later run opens the archive, then waits for its second input on standard input.
    QProcess later;
    later.setWorkingDirectory(sandbox.path());
    later.start(QStringLiteral(KIVORA_CLI_PATH),
                endpointOptions(platform)
                    << u"download"_s << shared << u"-P"_s << u"later"_s << u"-a"_s << u"-"_s);
    later.write(video.toUtf8() + '\n');
    QTRY_VERIFY_WITH_TIMEOUT(later.canReadLine(), 15000);
    const Run earlier = CliRun::download(platform, sandbox.path(),
                                         shared + QStringList { u"-P"_s, u"earlier"_s, gallery });
    QVERIFY2(earlier.exitCode == 0, earlier.err.constData());
    later.write(gallery.toUtf8() + '\n');
    later.closeWriteChannel();
    QVERIFY(later.waitForFinished(15000));
    QCOMPARE(later.exitCode(), 0);
    const QList<QJsonObject> lines = jsonLines(later.readAllStandardOutput());
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(1).value(u"status").toString(), u"skipped"_s);
    QCOMPARE(namesIn(QDir(sandbox.path()).filePath(u"later"_s)).size(), 1);

    // Both at once, over the same items: each entry is written once.
    QFile::remove(archive);
    const QStringList items { video, gallery, platform.item(PageVariant::WithSemicolon).videoId };
    QList<QProcess *> runs;
    for (const QString &folder : { u"one"_s, u"two"_s }) {
        auto *run = new QProcess(this);
        run->setWorkingDirectory(sandbox.path());
        run->start(QStringLiteral(KIVORA_CLI_PATH),
                   endpointOptions(platform)
                       << u"download"_s << shared << u"-P"_s << folder << items);
        runs << run;
    }
    for (QProcess *run : std::as_const(runs)) {
        QVERIFY(run->waitForFinished(30000));
        QCOMPARE(run->exitCode(), 0);
        delete run;
    }
    QByteArrayList entries = contentOf(archive).split('\n');
    QCOMPARE(entries.takeLast(), QByteArray());
    QCOMPARE(QSet<QByteArray>(entries.cbegin(), entries.cend()).size(), entries.size());
    for (const QString &id : items)
        QVERIFY2(entries.contains("douyin " + id.toUtf8()), qPrintable(id));
    QCOMPARE(entries.size(), items.size() + 3); // and one entry per picture of the gallery
}

void TestCliBatch::archiveWriteFailureFailsTheItem_data()
{
    QTest::addColumn<PageVariant>("variant");
    QTest::addColumn<int>("filesSaved");
    QTest::newRow("video: its line") << PageVariant::Real << 1;
    QTest::newRow("gallery: its first picture's line") << PageVariant::Gallery << 1;
}

// The files fit on the disk, the archive's line does not: the item fails, and no torn line stays.
void TestCliBatch::archiveWriteFailureFailsTheItem()
{
    QFETCH(PageVariant, variant);
    QFETCH(int, filesSaved);
    SmallFileSystem disk;
    if (!disk.mount(1024 * 1024))
        QSKIP(qPrintable(u"no small file system to fill: "_s + disk.errorString()));
    const QString archive = writeFile(QDir(disk.path()).filePath(u"done.txt"_s), {});
    QVERIFY(!archive.isEmpty());
    QVERIFY(disk.leaveFree(0));
    SamplePlatform platform;
    QVERIFY(platform.start());
    QTemporaryDir sandbox;

    const Run run = CliRun::download(
        platform, sandbox.path(),
        { u"--json"_s, u"--download-archive"_s, archive, platform.item(variant).videoId });
    QCOMPARE(run.exitCode, 1);
    const QJsonObject line = jsonLines(run.out).value(0);
    QCOMPARE(line.value(u"status").toString(), u"failed"_s);
    QCOMPARE(line.value(u"error").toString(),
             u"cannot write the download archive %1: No space left on device"_s.arg(archive));
    QCOMPARE(line.value(u"files").toArray().size(), filesSaved);
    QVERIFY2(run.err.endsWith("kivora-cli: 0 saved, 0 skipped, 1 failed\n"), run.err.constData());
    QCOMPARE(contentOf(archive), QByteArray());
}

// Twenty links that end at an error status: twenty reasons and the summary, not a word from Qt.
void TestCliBatch::errorStatusesLeaveNoQtWarning()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    CliRun::Options options;
    for (char letter = 'a'; letter < 'a' + 20; ++letter)
        options.input += platform.endpoints().shareOrigin.toUtf8() + "/nothing-" + letter + "/\n";

    const Run run
        = CliRun::run(endpointOptions(platform) << u"parse"_s << u"-a"_s << u"-"_s, options);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.count("(HTTP 404), which holds no video ID\n"), 20);
    QVERIFY2(run.err.count('\n') == 21, run.err.constData());
}

void TestCliBatch::quotedTextIsNotRewritten_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("numbered markers") << u"百分之%1的%2"_s;
    QTest::newRow("localised and two-digit markers") << u"%L1 %99 %0"_s;
}

// A title that reads like a message template reaches the messages as it is.
void TestCliBatch::quotedTextIsNotRewritten()
{
    QFETCH(QString, title);
    SamplePlatform platform;
    QVERIFY(platform.start());
    Faults unavailable;
    unavailable.errorStatus = 503;
    unavailable.faultyMediaAnswers = 1;
    platform.setFaults(unavailable);
    const SamplePlatform::Item item
        = CliRun::addedItem(platform, PageVariant::Real,
                            [&title](SamplePlatform::Item &item) { item.description = title; });
    QTemporaryDir sandbox;

    const Run run = CliRun::download(platform, sandbox.path(), { item.videoId });
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QString name = QFileInfo(CliRun::printedPaths(run).value(0)).fileName();
    QVERIFY2(name.contains(title), qPrintable(name));
    QVERIFY2(
        QString::fromUtf8(run.err).contains(
            name + u": The server answered with status 503; trying again in 1 s (retry 1 of 3)"_s),
        run.err.constData());
}

QTEST_GUILESS_MAIN(TestCliBatch)
#include "tst_clibatch.moc"
