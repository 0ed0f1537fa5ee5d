#include "CliRun.h"
#include "Console.h"
#include "SamplePlatform.h"
#include "SmallFileSystem.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

using PageVariant = SamplePlatform::PageVariant;
using PageShape = SamplePlatform::PageShape;
using Faults = SamplePlatform::Faults;

namespace {

using CliRun::contentOf;
using CliRun::endpointOptions;
using CliRun::filesBelow;
using CliRun::printedPaths;
using CliRun::Run;

// Runs the built kivora-cli with \a arguments; \a loggingRules replaces QT_LOGGING_RULES. A
// \a sandbox folder, when given, is the working directory and the home (so the album is below it).
// Standard output goes to \a outputFile when one is given.
Run runCli(const QStringList &arguments, const QString &loggingRules = QString(),
           const QString &sandbox = QString(), const QString &outputFile = QString())
{
    CliRun::Options options;
    options.loggingRules = loggingRules;
    options.sandbox = sandbox;
    options.outputFile = outputFile;
    return CliRun::run(arguments, options);
}

// "parse --json TEXT" against \a platform.
Run runParse(const SamplePlatform &platform, const QString &text)
{
    return runCli(endpointOptions(platform)
                  << QStringLiteral("parse") << QStringLiteral("--json") << text);
}

QJsonObject jsonLine(const QByteArray &out)
{
    if (!out.endsWith('\n') || out.count('\n') != 1)
        return {};
    return QJsonDocument::fromJson(out).object();
}

QString playAddress(const SamplePlatform &platform, const SamplePlatform::Item &item)
{
    return platform.endpoints().webOrigin + u"/aweme/v1/play/?video_id=" + item.playUri;
}

// The TEXT a download test passes for \a item: its video ID, share text, or play address in the
// form that is used as it is.
QString downloadText(const SamplePlatform &platform, const SamplePlatform::Item &item,
                     const QString &form)
{
    if (form == u"video ID")
        return item.videoId;
    if (form == u"share text")
        return platform.shareText(item);
    return playAddress(platform, item) + u"&line=1";
}

// Runs "download" in \a sandbox with \a options before the TEXT.
Run runDownload(const SamplePlatform &platform, const QString &sandbox, const QStringList &options,
                const QString &text)
{
    return runCli(endpointOptions(platform) << QStringLiteral("download") << options << text,
                  QString(), sandbox);
}

// The cells a live line takes at most: CJK ideographs and pictographs two each, the emoji
// presentation selector none, everything else one.
int cellsAtMost(const QString &line)
{
    int cells = 0;
    for (const char32_t code : line.toUcs4())
        cells += code == 0xFE0F ? 0 : (code >= 0x2E80 && code <= 0x9FFF) || code >= 0x1F300 ? 2 : 1;
    return cells;
}

} // namespace

/*! kivora-cli as a user runs it, against the sample platform. */
class TestKivoraCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void jsonRecord_data();
    void jsonRecord();
    void readableSummary();
    void failureRecordExitsWithOne();
    void textsWithoutVideoId_data();
    void textsWithoutVideoId();
    void reasonsReachStandardError_data();
    void reasonsReachStandardError();
    void directPlayAddressNeedsNoRequest();
    void ownPlayAddressRoundTrip();
    void textFromTheNetworkIsEscaped_data();
    void textFromTheNetworkIsEscaped();
    void diagnosticsGoToStandardError();
    void download_data();
    void download();
    void twoDownloadsMakeTwoFiles();
    void albumCopy_data();
    void albumCopy();
    void downloadFailures_data();
    void downloadFailures();
    void progressLineOnlyOnTerminal_data();
    void progressLineOnlyOnTerminal();
    void runsEndWithoutQtWarnings_data();
    void runsEndWithoutQtWarnings();
    void outputThatCannotBeWrittenFails_data();
    void outputThatCannotBeWrittenFails();
    void downloadToAFullDiskFails();
    void usageErrors_data();
    void usageErrors();
    void help_data();
    void help();
    void manualAndCompletion();
};

void TestKivoraCli::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(QFile::exists(QStringLiteral(KIVORA_CLI_PATH)));
}

void TestKivoraCli::jsonRecord_data()
{
    QTest::addColumn<PageVariant>("variant");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("video, options first")
        << PageVariant::Real << u"options first"_s << u"localhost"_s << 0;
    QTest::newRow("video, options after the command")
        << PageVariant::Real << u"options last"_s << u"localhost"_s << 0;
    QTest::newRow("gallery") << PageVariant::Gallery << u"options first"_s << u"localhost"_s << 0;
    QTest::newRow("item without author")
        << PageVariant::MissingFields << u"options first"_s << u"localhost"_s << 1;
    QTest::newRow("video, platform on an IP address")
        << PageVariant::Real << u"options first"_s << u"127.0.0.1"_s << 0;
    QTest::newRow("gallery, platform on an IP address")
        << PageVariant::Gallery << u"options last"_s << u"127.0.0.1"_s << 0;
}

void TestKivoraCli::jsonRecord()
{
    QFETCH(PageVariant, variant);
    QFETCH(QString, order);
    QFETCH(QString, host);
    QFETCH(int, exitCode);
    SamplePlatform platform;
    platform.setHostName(host);
    QVERIFY(platform.start());
    const SamplePlatform::Item item = platform.item(variant);
    const QStringList command
        = { QStringLiteral("parse"), platform.shareText(item), QStringLiteral("--json") };
    const Run run = runCli(order == u"options first" ? endpointOptions(platform) + command
                                                     : command + endpointOptions(platform));

    QCOMPARE(run.exitCode, exitCode);
    // One line of UTF-8, the Chinese and emoji not escaped.
    QVERIFY2(run.out.contains(item.description.toUtf8()), run.out.constData());
    const QJsonObject record = jsonLine(run.out);
    // The record's eight entries, the clips and renditions beside them, the music where the item
    // has some, its ID and, for a failed parse, the reason, its code and the input.
    QStringList keys { u"clips"_s, u"cover"_s, u"gears"_s, u"id"_s,   u"images"_s, u"msg"_s,
                       u"name"_s,  u"tips"_s,  u"title"_s, u"type"_s, u"video"_s };
    if (exitCode != 0)
        keys << u"error"_s << u"input"_s;
    if (item.music)
        keys.append(u"music"_s);
    keys.sort();
    QCOMPARE(record.keys(), keys);
    if (exitCode != 0)
        QCOMPARE(record.value(u"input").toString(), platform.shareText(item));
    QCOMPARE(record.value(u"id").toString(), item.videoId);
    QCOMPARE(record.value(u"name").toString(), item.nickname);
    QCOMPARE(record.value(u"title").toString(), item.description);
    QCOMPARE(record.value(u"video").toString(),
             item.playUri.isEmpty() ? QString() : playAddress(platform, item));
    QCOMPARE(record.value(u"images").toArray(), QJsonArray::fromStringList(item.imageUrls));
    // The same verdict as download: a record whose "msg" says failure has its reason told.
    QCOMPARE(run.err.contains("kivora-cli: parse: The item has no author"), exitCode != 0);
}

void TestKivoraCli::readableSummary()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    const SamplePlatform::Item item = platform.item(PageVariant::Gallery);
    const Run run
        = runCli(endpointOptions(platform) << QStringLiteral("parse") << platform.shortLink(item));
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QStringList lines = QString::fromUtf8(run.out).split(u'\n');
    QVERIFY(lines.contains(u"name: " + item.nickname));
    QVERIFY(lines.contains(QStringLiteral("type: 图集")));
    QVERIFY(lines.contains(QStringLiteral("images:")));
    for (const QString &image : item.imageUrls)
        QVERIFY(lines.contains(u"  " + image));
    QVERIFY(lines.contains(QStringLiteral("tips: 数据来自抖音公开分享页 localhost")));
}

void TestKivoraCli::failureRecordExitsWithOne()
{
    // A share text whose short link is not on the short-link host: nothing to resolve.
    const Run run = runCli({ QStringLiteral("parse"), QStringLiteral("--json"),
                             QStringLiteral("复制打开抖音，看看 https://example.invalid/abc/") });
    QCOMPARE(run.exitCode, 1);
    const QJsonObject record = jsonLine(run.out);
    QCOMPARE(record.keys(),
             QStringList({ u"error"_s, u"input"_s, u"msg"_s, u"reason"_s, u"tips"_s }));
    QCOMPARE(record.value(u"reason").toString(), u"no_video_id"_s);
    QCOMPARE(record.value(u"msg").toString(), QStringLiteral("解析失败！💦"));
    QCOMPARE(record.value(u"tips").toString(),
             QStringLiteral("数据来自抖音公开分享页 www.iesdouyin.com"));
}

void TestKivoraCli::textsWithoutVideoId_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");
    const QString noLink = u"No video ID: the text is neither a video ID nor holds a link"_s;
    QTest::newRow("Arabic-Indic digits") << u"١٢٣"_s << noLink;
    QTest::newRow("full-width digits") << u"１２３"_s << noLink;
    QTest::newRow("decoys") << u"复制打开抖音 05/17 E@U.lp AgB:/"_s << noLink;
}

// No request, the failure record on stdout, why on stderr.
void TestKivoraCli::textsWithoutVideoId()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);
    SamplePlatform platform;
    QVERIFY(platform.start());
    const Run run
        = runCli(endpointOptions(platform) << u"parse"_s << u"--json"_s << text, QString());
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(jsonLine(run.out).keys(),
             QStringList({ u"error"_s, u"input"_s, u"msg"_s, u"reason"_s, u"tips"_s }));
    QCOMPARE(jsonLine(run.out).value(u"error").toString(), reason);
    QCOMPARE(jsonLine(run.out).value(u"reason").toString(), u"no_video_id"_s);
    QCOMPARE(jsonLine(run.out).value(u"input").toString(), text);
    QCOMPARE(QString::fromUtf8(run.err), u"kivora-cli: parse: "_s + reason + u'\n');
    QVERIFY(platform.requests().isEmpty());
}

void TestKivoraCli::reasonsReachStandardError_data()
{
    // LINK: the short link of the real page's item; SHARE: the share origin (also in the reason)
    QTest::addColumn<QString>("text");
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<bool>("trusted"); // --ca-certificates given
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("code"); // the row's name up to a colon, its spaces as "_"

    const QString link = u"LINK"_s;
    const auto add = [](const char *name, const QString &text, const Faults &faults,
                        const char *reason, bool trusted = true) {
        QTest::newRow(name) << text << faults << trusted << QString::fromUtf8(reason)
                            << QString::fromLatin1(name).section(u':', 0, 0).replace(u' ', u'_');
    };
    // Why the platform gave no item: the plain sentence alone, the rest for --verbose.
    const char notFound[]
        = "The post could not be found: the platform may have changed how it serves posts\n";
    Faults faults;
    faults.redirectLoop = true;
    add("redirect loop", link, faults, "The short link redirects in a loop: back to https://");
    faults = {};
    faults.redirectHops = 12;
    add("too many redirects", link, faults, "The short link redirects too many times");
    faults = {};
    faults.insecureRedirect = true;
    add("refused redirect", link, faults, "A redirect was refused: from https to http://");
    add("tls error", link, {}, "The secure connection failed: https://", false);
    add("connection refused", u"https://CLOSED/AbC/"_s, {}, "The connection was refused");
    // The inactivity time-out is 15 s and cannot be changed: this case takes that long.
    faults.latencyMs = 16000;
    add("timed out", link, faults, "The server stopped answering: no progress from https://");
    add("platform changed: unknown ID, 404 page", u"123"_s, {}, notFound);
    // A link that leads to no item (here an error page) is not a post, whatever digits it holds.
    add("not a post: a link that ends at an error status", u"SHARE/nothing%1Ahere%01/"_s, {},
        "This is not a post link\n");
    faults = {};
    faults.hugePage = true;
    add("too large", link, faults, "The answer is too large");
    faults = {};
    faults.invalidUtf8 = true;
    add("platform changed: page not UTF-8", u"7367890123456789012"_s, faults, notFound);
    faults = {};
    faults.brokenCompression = true;
    add("decompression failed", link, faults, "The answer could not be decompressed");
    add("platform changed: no router data", u"7367890123456789012"_s, {}, notFound);
    add("removed", u"7378901234567890123"_s, {}, "The post has been deleted\n");
    faults = {};
    faults.pageShape = PageShape::ErrorPage;
    faults.itemEndpoint = SamplePlatform::ItemEndpointMode::Forbidden;
    add("refused", link, faults, "The platform refused to answer a program\n");
    faults.itemEndpoint = SamplePlatform::ItemEndpointMode::FriendsOnly;
    add("friends only", link, faults, "Only the author's friends can see this post\n");
    faults = {};
    faults.resetMidBody = true;
    add("network error", link, faults, "The request failed");
}

void TestKivoraCli::reasonsReachStandardError()
{
    QFETCH(QString, text);
    QFETCH(Faults, faults);
    QFETCH(bool, trusted);
    QFETCH(QString, reason);
    QFETCH(QString, code);
    SamplePlatform platform;
    platform.setFaults(faults);
    QVERIFY(platform.start());
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    text.replace(u"LINK"_s, platform.shortLink(platform.item(PageVariant::Real)))
        .replace(u"CLOSED"_s, u"localhost:"_s + QString::number(closed.serverPort()))
        .replace(u"SHARE"_s, platform.endpoints().shareOrigin);
    reason.replace(u"SHARE"_s, platform.endpoints().shareOrigin);
    closed.close();
    QStringList options = endpointOptions(platform);
    if (!trusted)
        options = options.mid(0, options.size() - 2);

    const Run run = runCli(options << u"parse"_s << u"--json"_s << text);
    QCOMPARE(run.exitCode, 1);
    // The failure record, its reason, its code, its input, and the video ID when one was found.
    QStringList keys = jsonLine(run.out).keys();
    keys.removeOne(u"id"_s);
    QCOMPARE(keys,
             QStringList({ u"error"_s, u"input"_s, u"msg"_s, u"reason"_s, u"tips"_s }));
    QCOMPARE(jsonLine(run.out).value(u"reason").toString(), code);
    QCOMPARE(jsonLine(run.out).value(u"input").toString(), text);
    QVERIFY2(QString::fromUtf8(run.err).startsWith(u"kivora-cli: parse: "_s + reason),
             run.err.constData());
    QCOMPARE(run.err.count('\n'), 1); // and no warning of Qt's
}

void TestKivoraCli::directPlayAddressNeedsNoRequest()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    const QString address = QStringLiteral("https://localhost:1/aweme/v1/play/?video_id=a&line=1");
    const Run json = runCli(endpointOptions(platform)
                            << QStringLiteral("parse") << QStringLiteral("--json") << address);
    QVERIFY2(json.exitCode == 0, json.err.constData());
    QCOMPARE(jsonLine(json.out), QJsonObject({ { QStringLiteral("video"), address } }));
    const Run text = runCli({ QStringLiteral("parse"), address });
    QVERIFY2(text.exitCode == 0, text.err.constData());
    QCOMPARE(text.out, QByteArray("video: " + address.toUtf8() + '\n'));
    QVERIFY(platform.requests().isEmpty());
}

// What parse prints as the play address, parse and download take back as it is.
void TestKivoraCli::ownPlayAddressRoundTrip()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    QTemporaryDir sandbox;
    QVERIFY(sandbox.isValid());
    const Run parsed = runParse(platform, platform.shareText(platform.item(PageVariant::Real)));
    QVERIFY2(parsed.exitCode == 0, parsed.err.constData());
    const QString address = jsonLine(parsed.out).value(u"video").toString();
    QVERIFY(address.startsWith(platform.endpoints().webOrigin + u"/aweme/v1/play/?video_id="_s));
    platform.clearRequests();

    const Run again = runParse(platform, address + u'\n');
    QVERIFY2(again.exitCode == 0, again.err.constData());
    QCOMPARE(jsonLine(again.out), QJsonObject({ { u"video"_s, address } }));
    QVERIFY(platform.requests().isEmpty());

    const Run download = runDownload(platform, sandbox.path(), {}, address);
    QVERIFY2(download.exitCode == 0, download.err.constData());
    QCOMPARE(contentOf(printedPaths(download).value(0)), SamplePlatform::sampleVideo());
    for (const SamplePlatform::Request &request : platform.requests())
        QVERIFY2(!request.target.startsWith("/share/"), request.target.constData());
}

void TestKivoraCli::textFromTheNetworkIsEscaped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain text and emoji") << u"小鹿 🦌 a/b"_s << u"小鹿 🦌 a/b"_s;
    QTest::newRow("escape sequence") << u"a\x1b[2Jb"_s << u"a\\u001b[2Jb"_s;
    QTest::newRow("line break and tab") << u"a\nb\tc"_s << u"a\\u000ab\\u0009c"_s;
    QTest::newRow("C1 control and DEL") << u"a\u009bb\u007f"_s << u"a\\u009bb\\u007f"_s;
    QTest::newRow("bidirectional override") << u"a\u202eb"_s << u"a\\u202eb"_s;
    QTest::newRow("direction marks and isolates")
        << u"\u200fa\u200eb\u2066c\u2069\u061c"_s << u"\\u200fa\\u200eb\\u2066c\\u2069\\u061c"_s;
    QTest::newRow("zero-width characters and byte order mark")
        << u"a\u200bb\u2060c\ufeffd\u200ce"_s << u"a\\u200bb\\u2060c\\ufeffd\\u200ce"_s;
    QTest::newRow("line and paragraph separators") << u"a\u2028b\u2029"_s << u"a\\u2028b\\u2029"_s;
    QTest::newRow("invisible tag beyond the first plane")
        << u"a\U000E0041b"_s << u"a\\udb40\\udc41b"_s;
    QTest::newRow("joiner between letters") << u"a\u200db"_s << u"a\\u200db"_s;
    QTest::newRow("joiner inside an emoji stays")
        << u"\U0001F468\u200d\U0001F469\u200d\U0001F467 \u2764\ufe0f\u200d\U0001F525"_s
        << u"\U0001F468\u200d\U0001F469\u200d\U0001F467 \u2764\ufe0f\u200d\U0001F525"_s;
}

void TestKivoraCli::textFromTheNetworkIsEscaped()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(Console::escaped(text), shown);
}

void TestKivoraCli::diagnosticsGoToStandardError()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    const SamplePlatform::Item item = platform.item(PageVariant::Real);
    const QStringList arguments = endpointOptions(platform)
        << QStringLiteral("parse") << QStringLiteral("--json") << item.videoId;

    // Off by default; -v turns them on, at debug level, in their formats.
    const Run logged = runCli(QStringList(arguments) << u"-v"_s);
    QVERIFY2(logged.exitCode == 0, logged.err.constData());
    QVERIFY(!logged.out.contains("Kivora"));
    const QByteArrayList formats
        = { QByteArray("Kivora  ") + item.videoId.toUtf8(), "Kivora2  <!DOCTYPE", "Kivora3  {",
            "Kivora4  {", "Kivora5  {" };
    for (const QByteArray &format : formats)
        QVERIFY2(logged.err.contains(format), format.constData());

    const Run quiet = runCli(arguments);
    QVERIFY2(quiet.exitCode == 0, quiet.err.constData());
    QCOMPARE(quiet.out, logged.out);
    QVERIFY2(!quiet.err.contains("Kivora"), quiet.err.constData());
}

void TestKivoraCli::download_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("outOption");
    QTest::newRow("video ID into a new nested folder")
        << QStringLiteral("video ID") << QStringLiteral("new/nested");
    QTest::newRow("share text into the current folder")
        << QStringLiteral("share text") << QString();
    QTest::newRow("play address as it is") << QStringLiteral("play address") << QStringLiteral(".");
}

void TestKivoraCli::download()
{
    QFETCH(QString, form);
    QFETCH(QString, outOption);
    SamplePlatform platform;
    QVERIFY(platform.start());
    QTemporaryDir sandbox;
    QVERIFY(sandbox.isValid());
    const SamplePlatform::Item item = platform.item(PageVariant::Real);
    const QStringList options
        = outOption.isEmpty() ? QStringList() : QStringList({ QStringLiteral("--out"), outOption });

    const Run run
        = runDownload(platform, sandbox.path(), options, downloadText(platform, item, form));
    QVERIFY2(run.exitCode == 0, run.err.constData());
    // Not a terminal: plain progress lines, no diagnostics, and the summary last.
    QVERIFY2(run.err.startsWith("kivora-cli: downloading "), run.err.constData());
    QVERIFY2(!run.err.contains("Kivora"), run.err.constData());
    QVERIFY2(run.err.endsWith("kivora-cli: 1 saved, 0 skipped, 0 failed\n"), run.err.constData());
    const QStringList paths = printedPaths(run);
    QCOMPARE(paths.size(), 1);
    const QString folder = QDir(sandbox.path()).filePath(outOption.isEmpty() ? u"."_s : outOption);
    QCOMPARE(QFileInfo(paths.constFirst()).dir().canonicalPath(), QDir(folder).canonicalPath());
    QCOMPARE(contentOf(paths.constFirst()), SamplePlatform::sampleVideo());
    QCOMPARE(filesBelow(sandbox.path()).size(), 1);

    const QList<SamplePlatform::Request> requests = platform.requests();
    const bool parsed = std::any_of(requests.cbegin(), requests.cend(), [](const auto &request) {
        return request.target.startsWith("/share/");
    });
    QCOMPARE(parsed, form != u"play address");
}

void TestKivoraCli::twoDownloadsMakeTwoFiles()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    QTemporaryDir sandbox;
    QVERIFY(sandbox.isValid());
    const QString text = platform.shareText(platform.item(PageVariant::Real));
    const Run first = runDownload(platform, sandbox.path(), {}, text);
    const Run second = runDownload(platform, sandbox.path(), {}, text);
    QVERIFY2(first.exitCode == 0, first.err.constData());
    QVERIFY2(second.exitCode == 0, second.err.constData());

    const QStringList firstPaths = printedPaths(first);
    const QStringList secondPaths = printedPaths(second);
    QCOMPARE(firstPaths.size(), 1);
    QCOMPARE(secondPaths.size(), 1);
    QVERIFY(firstPaths != secondPaths);
    QCOMPARE(contentOf(firstPaths.constFirst()), SamplePlatform::sampleVideo());
    QCOMPARE(contentOf(secondPaths.constFirst()), SamplePlatform::sampleVideo());
    QCOMPARE(filesBelow(sandbox.path()).size(), 2);
}

void TestKivoraCli::albumCopy_data()
{
    QTest::addColumn<bool>("albumBlocked");
    QTest::newRow("copied") << false;
    // A file where the album's parent folder belongs: the album cannot be created.
    QTest::newRow("album folder cannot be created") << true;
}

void TestKivoraCli::albumCopy()
{
    QFETCH(bool, albumBlocked);
    SamplePlatform platform;
    QVERIFY(platform.start());
    QTemporaryDir sandbox;
    QVERIFY(sandbox.isValid());
    const QString videos = QDir(sandbox.path()).filePath(u"Videos"_s);
    if (albumBlocked) {
        QFile blocker(videos);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    const Run run = runDownload(
        platform, sandbox.path(),
        { QStringLiteral("--album"), QStringLiteral("--out"), QStringLiteral("saved") },
        platform.item(PageVariant::Real).videoId);

    const QStringList paths = printedPaths(run);
    QCOMPARE(paths.size(), albumBlocked ? 1 : 2);
    QCOMPARE(contentOf(paths.constFirst()), SamplePlatform::sampleVideo());
    if (albumBlocked) {
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("kivora-cli: download: The copy into the album failed: "),
                 run.err.constData());
        return;
    }
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(QFileInfo(paths.at(1)).dir().canonicalPath(),
             QDir(videos + u"/Kivora"_s).canonicalPath());
    QCOMPARE(contentOf(paths.at(1)), SamplePlatform::sampleVideo());
}

void TestKivoraCli::downloadFailures_data()
{
    QTest::addColumn<PageVariant>("variant");
    QTest::addColumn<QString>("form");
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QString>("reason");
    Faults notFound;
    notFound.errorStatus = 404;
    Faults textMedia;
    textMedia.nonVideoMedia = true;
    Faults emptyMedia;
    emptyMedia.emptyMedia = true;
    QTest::newRow("media answers 404") << PageVariant::Real << QStringLiteral("play address")
                                       << notFound << QStringLiteral("status 404");
    QTest::newRow("media is text") << PageVariant::Real << QStringLiteral("video ID") << textMedia
                                   << QStringLiteral("not a video");
    QTest::newRow("media is empty") << PageVariant::Real << QStringLiteral("share text")
                                    << emptyMedia << QStringLiteral("empty file");
    QTest::newRow("item without author: the parse failed")
        << PageVariant::MissingFields << QStringLiteral("video ID") << Faults()
        << QStringLiteral("the parse failed: The item has no author");
    QTest::newRow("page without router data")
        << PageVariant::NoRouterData << QStringLiteral("share text") << Faults()
        << QStringLiteral("the parse failed: The post could not be found: the platform may have "
                          "changed how it serves posts");
}

void TestKivoraCli::downloadFailures()
{
    QFETCH(PageVariant, variant);
    QFETCH(QString, form);
    QFETCH(Faults, faults);
    QFETCH(QString, reason);
    SamplePlatform platform;
    QVERIFY(platform.start());
    platform.setFaults(faults);
    QTemporaryDir sandbox;
    QVERIFY(sandbox.isValid());

    const Run run = runDownload(platform, sandbox.path(), {},
                                downloadText(platform, platform.item(variant), form));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    const QString message = QString::fromUtf8(run.err);
    QVERIFY2(message.contains(u"kivora-cli: download: ") && message.contains(reason),
             run.err.constData());
    QVERIFY2(message.endsWith(u"kivora-cli: 0 saved, 0 skipped, 1 failed\n"_s),
             run.err.constData());
    QCOMPARE(filesBelow(sandbox.path()), QStringList());
}

void TestKivoraCli::outputThatCannotBeWrittenFails_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("version") << QStringList { QStringLiteral("--version") };
    QTest::newRow("parse of a play address")
        << QStringList { QStringLiteral("parse"), QStringLiteral("--json"),
                         QStringLiteral("https://localhost:1/aweme/v1/play/?video_id=a&line=1") };
}

void TestKivoraCli::outputThatCannotBeWrittenFails()
{
    QFETCH(QStringList, arguments);
    const Run run = runCli(arguments, QString(), QString(), QStringLiteral("/dev/full"));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("kivora-cli: cannot write the output: No space left on device"),
             run.err.constData());
}

void TestKivoraCli::downloadToAFullDiskFails()
{
    SmallFileSystem disk;
    if (!disk.mount(1024 * 1024))
        QSKIP(qPrintable(u"no small file system to fill: "_s + disk.errorString()));
    QVERIFY(disk.leaveFree(0));
    SamplePlatform platform;
    QVERIFY(platform.start());
    QTemporaryDir sandbox;
    QVERIFY(sandbox.isValid());

    const Run run = runDownload(platform, sandbox.path(), { QStringLiteral("--out"), disk.path() },
                                platform.item(PageVariant::Real).videoId);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(run.err.contains("No space left on device"), run.err.constData());
    QCOMPARE(filesBelow(disk.path()),
             QStringList { disk.path() + u'/' + SmallFileSystem::fillerName() });
}

void TestKivoraCli::progressLineOnlyOnTerminal_data()
{
    QTest::addColumn<QString>("description"); // empty: the sample item's
    QTest::newRow("the sample's name") << QString();
    QTest::newRow("a Chinese name wider than the terminal") << QString(150, QChar(0x957F));
}

void TestKivoraCli::progressLineOnlyOnTerminal()
{
    QFETCH(QString, description);
    // script(1) gives the tool a terminal; stdout and stderr then share it.
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty())
        QSKIP("script(1) is not installed");
    SamplePlatform platform;
    QVERIFY(platform.start());
    SamplePlatform::Faults slow;
    slow.latencyMs = 400;
    platform.setFaults(slow);
    QTemporaryDir sandbox;
    QVERIFY(sandbox.isValid());
    const QString videoId = description.isEmpty()
        ? platform.item(PageVariant::Real).videoId
        : CliRun::addedItem(
              platform, PageVariant::Real,
              [&description](SamplePlatform::Item &item) { item.description = description; })
              .videoId;
    QStringList command = QStringList(QStringLiteral(KIVORA_CLI_PATH)) + endpointOptions(platform)
        << QStringLiteral("download") << videoId;
    for (QString &word : command)
        word = u'\'' + word + u'\'';
    QProcess process;
    process.setWorkingDirectory(sandbox.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_LOGGING_RULES"_s, QString());
    process.setProcessEnvironment(environment);
    process.start(script,
                  { QStringLiteral("-qec"), command.join(u' '), QStringLiteral("/dev/null") });
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    const QByteArray transcript = process.readAllStandardOutput();
    // Live lines, redrawn in place (the latency keeps the transfer on screen for a while); no
    // plain progress lines; the path and the summary stay.
    const QByteArray name = " [" + videoId.toUtf8() + "].mp4";
    QVERIFY2(transcript.contains(name), transcript.constData());
    QVERIFY2(transcript.contains("total: 1 running, 0 saved, 0 skipped, 0 failed"),
             transcript.constData());
    QVERIFY2(transcript.contains("\x1b[J"), transcript.constData());
    QVERIFY2(!transcript.contains("kivora-cli: downloading"), transcript.constData());
    QVERIFY2(transcript.contains(QByteArray(name + "\r\n")), transcript.constData());
    QVERIFY2(transcript.endsWith("kivora-cli: 1 saved, 0 skipped, 0 failed\r\n"),
             transcript.constData());
    // script(1) has no window size to give: the tool draws for 80 columns, and no live line (a
    // transfer's, or the total) fills a row, so each redraw takes the place of the last.
    static const QRegularExpression escapes(u"\x1b\\[[0-9]*[A-Za-z]"_s);
    for (QString line : QString::fromUtf8(transcript).split(u"\r\n"_s)) {
        line.remove(escapes);
        if (line.startsWith(u"  "_s) || line.startsWith(u"total: "_s))
            QVERIFY2(cellsAtMost(line) < 80, qPrintable(line));
    }
}

void TestKivoraCli::runsEndWithoutQtWarnings_data()
{
    QTest::addColumn<QStringList>("pictures"); // on the platform's https origin
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<QString>("errors"); // all of standard error when quiet
    QTest::newRow("gallery over https")
        << QStringList { u"image-1.jpg"_s, u"image-2.jpg"_s } << false << QString();
    QTest::newRow("gallery over https, quiet")
        << QStringList { u"image-1.jpg"_s, u"image-2.jpg"_s } << true << QString();
    QTest::newRow("a picture answers 404, quiet")
        << QStringList { u"image-1.jpg"_s, u"missing.jpg"_s } << true
        << u"kivora-cli: download: The server answered with an error status: The server answered "
           u"with status 404\n"_s;
}

// The run's own lines only: nothing from Qt on the way out, and with -q nothing but errors.
void TestKivoraCli::runsEndWithoutQtWarnings()
{
    QFETCH(QStringList, pictures);
    QFETCH(bool, quiet);
    QFETCH(QString, errors);
    SamplePlatform platform;
    QVERIFY(platform.start());
    const QString origin = platform.endpoints().shareOrigin;
    const SamplePlatform::Item item = CliRun::addedItem(
        platform, PageVariant::Gallery, [&pictures, &origin](SamplePlatform::Item &item) {
            item.imageUrls.clear();
            for (const QString &picture : pictures)
                item.imageUrls << origin + u"/media/"_s + picture;
        });
    QTemporaryDir sandbox;
    QVERIFY(sandbox.isValid());

    const Run run = runDownload(platform, sandbox.path(),
                                quiet ? QStringList { u"-q"_s } : QStringList(), item.videoId);
    QCOMPARE(run.exitCode, errors.isEmpty() ? 0 : 1);
    QCOMPARE(printedPaths(run).size(), 1 + int(errors.isEmpty()));
    if (quiet)
        QCOMPARE(QString::fromUtf8(run.err), errors);
    for (const QByteArray &line : run.err.split('\n'))
        QVERIFY2(!line.startsWith("qt.") && !line.contains("QObject"), line.constData());
}

void TestKivoraCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no command") << QStringList() << QStringLiteral("no command given");
    QTest::newRow("unknown command") << QStringList({ QStringLiteral("play"), QStringLiteral("1") })
                                     << QStringLiteral("unknown command \"play\"");
    QTest::newRow("parse without input")
        << QStringList({ QStringLiteral("parse") }) << QStringLiteral("parse: expected an INPUT");
    QTest::newRow("parse with an empty input")
        << QStringList({ u"parse"_s, u"1"_s, QString() }) << u"parse: an INPUT is empty"_s;
    QTest::newRow("download with a blank input")
        << QStringList({ u"download"_s, u" \n"_s }) << u"download: an INPUT is empty"_s;
    QTest::newRow("unknown option")
        << QStringList({ QStringLiteral("--yaml"), QStringLiteral("parse"), QStringLiteral("1") })
        << QStringLiteral("yaml");
    QTest::newRow("share origin with another scheme")
        << QStringList({ QStringLiteral("--share-origin"), QStringLiteral("ftp://x"),
                         QStringLiteral("parse"), QStringLiteral("1") })
        << QStringLiteral("--share-origin: \"ftp://x\"");
    QTest::newRow("web origin with a path")
        << QStringList({ QStringLiteral("parse"), QStringLiteral("1"),
                         QStringLiteral("--web-origin"), QStringLiteral("https://x/y") })
        << QStringLiteral("--web-origin: \"https://x/y\"");
    QTest::newRow("short-link host with a scheme") << QStringList(
        { QStringLiteral("--short-link-host"), QStringLiteral("https://v.douyin.com"),
          QStringLiteral("parse"), QStringLiteral("1") })
                                                   << QStringLiteral("--short-link-host");
    QTest::newRow("missing CA file")
        << QStringList({ QStringLiteral("--ca-certificates"), QStringLiteral("/nonexistent/ca.pem"),
                         QStringLiteral("parse"), QStringLiteral("1") })
        << QStringLiteral("--ca-certificates: cannot read /nonexistent/ca.pem");
    QTest::newRow("download without input")
        << QStringList({ QStringLiteral("download"), QStringLiteral("--album") })
        << QStringLiteral("download: expected an INPUT");
    QTest::newRow("download: --out without a value")
        << QStringList({ QStringLiteral("download"), QStringLiteral("1"), QStringLiteral("--out") })
        << QStringLiteral("out");
    QTest::newRow("download: --out empty") << QStringList(
        { QStringLiteral("download"), QStringLiteral("--out"), QString(), QStringLiteral("1") })
                                           << QStringLiteral("download: --paths needs a folder");
    const auto add = [](const char *name, const QStringList &arguments, const QString &message) {
        QTest::newRow(name) << arguments << message;
    };
    add("no jobs", { u"parse"_s, u"--jobs"_s, u"0"_s, u"1"_s }, u"--jobs takes a number"_s);
    add("too many jobs", { u"parse"_s, u"-j"_s, u"1000"_s, u"1"_s }, u"--jobs takes a number"_s);
    add("negative retries", { u"download"_s, u"--retries"_s, u"-1"_s, u"1"_s },
        u"download: --retries takes a number"_s);
    add("time-out of zero", { u"parse"_s, u"--timeout"_s, u"0"_s, u"1"_s },
        u"--timeout takes a number of seconds"_s);
    add("unknown template field", { u"download"_s, u"-o"_s, u"{author}.{ext}"_s, u"1"_s },
        u"download: --output: unknown field {author}"_s);
    add("template with a folder", { u"download"_s, u"-o"_s, u"../{id}.{ext}"_s, u"1"_s },
        u"--output names a file"_s);
    add("proxy that is no address", { u"parse"_s, u"--proxy"_s, u"nowhere"_s, u"1"_s },
        u"--proxy takes http://HOST"_s);
    add("continue and no-continue", { u"download"_s, u"--continue"_s, u"--no-continue"_s, u"1"_s },
        u"exclude each other"_s);
    add("missing batch file", { u"parse"_s, u"-a"_s, u"/nonexistent/list.txt"_s },
        u"parse: cannot read the batch file /nonexistent/list.txt"_s);
    add("help for an unknown command", { u"help"_s, u"play"_s }, u"no help for \"play\""_s);
    add("parse does not take --cover", { u"parse"_s, u"--cover"_s, u"1"_s },
        u"parse does not take --cover"_s);
    QTest::newRow("parse does not take --album")
        << QStringList({ QStringLiteral("parse"), QStringLiteral("--album"), QStringLiteral("1") })
        << QStringLiteral("parse does not take --album");
    QTest::newRow("option value missing") << QStringList(
        { QStringLiteral("parse"), QStringLiteral("1"), QStringLiteral("--share-origin") })
                                          << QStringLiteral("share-origin");
}

void TestKivoraCli::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run run = runCli(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
    QVERIFY(run.err.contains("--help"));
}

void TestKivoraCli::help_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("notShown");
    const QStringList program { u"Usage: kivora-cli [OPTIONS] COMMAND"_s,
                                u"parse [OPTIONS] INPUT..."_s,
                                u"download [OPTIONS] INPUT..."_s,
                                u"-a, --batch-file <FILE>"_s,
                                u"-j, --jobs <N>"_s,
                                u"--short-link-host <HOST>"_s,
                                u"Exit status: 0"_s };
    const QStringList download { u"Usage: kivora-cli download [OPTIONS] INPUT..."_s,
                                 u"-o, --output <TEMPLATE>"_s,
                                 u"-P, --paths <DIR>"_s,
                                 u"--download-archive <FILE>"_s,
                                 u"--retries <N>"_s,
                                 u"--no-continue"_s,
                                 u"Examples:"_s,
                                 u"kivora-cli download -a links.txt"_s,
                                 u"xclip -o"_s,
                                 u"wl-paste"_s };
    const QStringList hidden { u"--man-page"_s, u"--bash-completion"_s, u"--out <DIR>"_s,
                               u"pbpaste"_s };
    QTest::newRow("--help") << QStringList { u"--help"_s } << program
                            << hidden + QStringList { u"--output"_s };
    QTest::newRow("help") << QStringList { u"help"_s } << program << hidden;
    QTest::newRow("help download")
        << QStringList { u"help"_s, u"download"_s } << download << hidden;
    QTest::newRow("download --help")
        << QStringList { u"download"_s, u"--help"_s } << download << hidden;
    QTest::newRow("parse --help") << QStringList { u"parse"_s, u"-h"_s }
                                  << QStringList { u"Usage: kivora-cli parse"_s, u"--json"_s }
                                  << QStringList { u"--output"_s };
}

void TestKivoraCli::help()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, notShown);
    const Run run = runCli(arguments);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(run.err, QByteArray());
    const QString text = QString::fromUtf8(run.out);
    for (const QString &expected : shown)
        QVERIFY2(text.contains(expected), qPrintable(expected));
    for (const QString &unexpected : notShown)
        QVERIFY2(!text.contains(unexpected), qPrintable(unexpected));
}

// The manual page is built from the help text; the completion knows the commands' options.
void TestKivoraCli::manualAndCompletion()
{
    QFile manual(QStringLiteral(KIVORA_CLI_MAN_PAGE));
    QVERIFY2(manual.open(QIODevice::ReadOnly), qPrintable(manual.fileName()));
    const QString page = QString::fromUtf8(manual.readAll());
    QVERIFY(page.startsWith(u".TH KIVORA\\-CLI 1"_s));
    for (const QString &expected :
         { u".SH DOWNLOAD"_s, u".B \\-o, \\-\\-output <TEMPLATE>"_s, u".SH EXIT STATUS"_s,
           u".B \\-a, \\-\\-batch\\-file <FILE>"_s })
        QVERIFY2(page.contains(expected), qPrintable(expected));

    const QString bash = QStandardPaths::findExecutable(u"bash"_s);
    if (bash.isEmpty())
        QSKIP("bash is not installed");
    const auto complete = [&bash](const QString &words) {
        QProcess process;
        process.start(bash,
                      { u"-c"_s,
                        u"source '%1'; COMP_WORDS=(%2); COMP_CWORD=$((${#COMP_WORDS[@]}-1)); "
                        "_kivora_cli; echo \"${COMPREPLY[*]}\""_s.arg(
                            QStringLiteral(KIVORA_CLI_COMPLETION), words) });
        process.waitForFinished();
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    };
    QCOMPARE(complete(u"kivora-cli dow"_s), u"download"_s);
    QCOMPARE(complete(u"kivora-cli download --re"_s), u"--retries"_s);
    QCOMPARE(complete(u"kivora-cli parse --re"_s), QString());
    QCOMPARE(complete(u"kivora-cli --jo"_s), u"--jobs"_s);
}

QTEST_GUILESS_MAIN(TestKivoraCli)
#include "tst_kivoracli.moc"
