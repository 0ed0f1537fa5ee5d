#include "SamplePlatform.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using PageVariant = SamplePlatform::PageVariant;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the built kivora-cli with \a arguments; \a loggingRules replaces QT_LOGGING_RULES.
Run runCli(const QStringList &arguments, const QString &loggingRules = QString())
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), loggingRules);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KIVORA_CLI_PATH), arguments);
    Run run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QStringList endpointOptions(const SamplePlatform &platform)
{
    const Endpoints endpoints = platform.endpoints();
    return { QStringLiteral("--short-link-host"), endpoints.shortLinkHost,
             QStringLiteral("--share-origin"),    endpoints.shareOrigin,
             QStringLiteral("--web-origin"),      endpoints.webOrigin,
             QStringLiteral("--ca-certificates"), SamplePlatform::caCertificatesPath() };
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
    void directPlayAddressNeedsNoRequest();
    void diagnosticsGoToStandardError();
    void usageErrors_data();
    void usageErrors();
    void help();
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
    QTest::addColumn<int>("exitCode");
    QTest::newRow("video, options first")
        << PageVariant::Real << QStringLiteral("options first") << 0;
    QTest::newRow("video, options after the command")
        << PageVariant::Real << QStringLiteral("options last") << 0;
    QTest::newRow("gallery") << PageVariant::Gallery << QStringLiteral("options first") << 0;
    QTest::newRow("item without author")
        << PageVariant::MissingFields << QStringLiteral("options first") << 1;
}

void TestKivoraCli::jsonRecord()
{
    QFETCH(PageVariant, variant);
    QFETCH(QString, order);
    QFETCH(int, exitCode);
    SamplePlatform platform;
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
    QCOMPARE(record.keys(),
             QStringList({ QStringLiteral("cover"), QStringLiteral("images"), QStringLiteral("msg"),
                           QStringLiteral("name"), QStringLiteral("tips"), QStringLiteral("title"),
                           QStringLiteral("type"), QStringLiteral("video") }));
    QCOMPARE(record.value(u"name").toString(), item.nickname);
    QCOMPARE(record.value(u"title").toString(), item.description);
    QCOMPARE(record.value(u"video").toString(),
             item.playUri.isEmpty() ? QString() : playAddress(platform, item));
    QCOMPARE(record.value(u"images").toArray(), QJsonArray::fromStringList(item.imageUrls));
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
    QCOMPARE(record.keys(), QStringList({ QStringLiteral("msg"), QStringLiteral("tips") }));
    QCOMPARE(record.value(u"msg").toString(), QStringLiteral("解析失败！💦"));
    QCOMPARE(record.value(u"tips").toString(),
             QStringLiteral("数据来自抖音公开分享页 www.iesdouyin.com"));
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

void TestKivoraCli::diagnosticsGoToStandardError()
{
    SamplePlatform platform;
    QVERIFY(platform.start());
    const SamplePlatform::Item item = platform.item(PageVariant::Real);
    const QStringList arguments = endpointOptions(platform)
        << QStringLiteral("parse") << QStringLiteral("--json") << item.videoId;

    const Run logged = runCli(arguments);
    QVERIFY2(logged.exitCode == 0, logged.err.constData());
    QVERIFY(!logged.out.contains("Kivora"));
    const QByteArrayList formats
        = { QByteArray("Kivora  ") + item.videoId.toUtf8(), "Kivora2  <!DOCTYPE", "Kivora3  {",
            "Kivora4  {", "Kivora5  {" };
    for (const QByteArray &format : formats)
        QVERIFY2(logged.err.contains(format), format.constData());

    const Run quiet = runCli(arguments, QStringLiteral("kivora.info=false"));
    QVERIFY2(quiet.exitCode == 0, quiet.err.constData());
    QCOMPARE(quiet.out, logged.out);
    QVERIFY2(!quiet.err.contains("Kivora"), quiet.err.constData());
}

void TestKivoraCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no command") << QStringList() << QStringLiteral("no command given");
    QTest::newRow("unknown command") << QStringList({ QStringLiteral("play"), QStringLiteral("1") })
                                     << QStringLiteral("unknown command \"play\"");
    QTest::newRow("parse without text")
        << QStringList({ QStringLiteral("parse") }) << QStringLiteral("expected one TEXT, got 0");
    QTest::newRow("parse with two texts")
        << QStringList({ QStringLiteral("parse"), QStringLiteral("a"), QStringLiteral("b") })
        << QStringLiteral("expected one TEXT, got 2");
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

void TestKivoraCli::help()
{
    const Run run = runCli({ QStringLiteral("--help") });
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QString text = QString::fromUtf8(run.out);
    for (const char *expected : { "parse [--json] TEXT", "--short-link-host", "--share-origin",
                                  "--web-origin", "--ca-certificates" })
        QVERIFY2(text.contains(QString::fromLatin1(expected)), expected);
}

QTEST_GUILESS_MAIN(TestKivoraCli)
#include "tst_kivoracli.moc"
