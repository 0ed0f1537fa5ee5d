#include "CliRun.h"
#include "SamplePlatform.h"

#include <QDir>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Writes \a text as the settings file of a user whose home is \a sandbox.
bool writeSettings(const QTemporaryDir &sandbox, const QString &text)
{
    QFile file(sandbox.filePath(u".config/Kivora/Kivora.conf"_s));
    return QDir(sandbox.path()).mkpath(u".config/Kivora"_s) && file.open(QIODevice::WriteOnly)
        && file.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

/*! kivora-cli takes its defaults from the user's settings file; its options override them. */
class TestCliSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void defaultsFromTheSettingsFile_data();
    void defaultsFromTheSettingsFile();
    void proxyFromTheSettingsFile_data();
    void proxyFromTheSettingsFile();
};

void TestCliSettings::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestCliSettings::defaultsFromTheSettingsFile_data()
{
    QTest::addColumn<QString>("settings"); // the [downloads] and [network] lines of the file
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("nameEnd"); // of the saved file; %1: the item's ID
    QTest::addColumn<QString>("warning"); // on standard error

    const QString fileTemplate = u"[downloads]\nnameTemplate={id} from file.{ext}\n"_s;
    QTest::newRow("template from the file")
        << fileTemplate << QStringList() << 0 << u"%1 from file.mp4"_s << QString();
    QTest::newRow("--output overrides the file")
        << fileTemplate << QStringList({ u"-o"_s, u"{id} option.{ext}"_s }) << 0
        << u"%1 option.mp4"_s << QString();
    QTest::newRow("a bad template in the file falls back to the default")
        << u"[downloads]\nnameTemplate={nope}.{ext}\n"_s << QStringList() << 0 << u"[%1].mp4"_s
        << u"downloads/nameTemplate: "_s;
    QTest::newRow("parallel out of range is passed over")
        << u"[downloads]\nparallel=99\n"_s << QStringList() << 0 << u"[%1].mp4"_s
        << u"downloads/parallel: "_s;
    QTest::newRow("the file's parallel is taken as --jobs")
        << u"[downloads]\nparallel=1\n"_s << QStringList() << 0 << u"[%1].mp4"_s << QString();
    QTest::newRow("a bad proxy in the file is passed over")
        << u"[network]\nproxy=ftp://nowhere\n"_s << QStringList() << 0 << u"[%1].mp4"_s
        << u"network/proxy: "_s;
}

void TestCliSettings::defaultsFromTheSettingsFile()
{
    QFETCH(QString, settings);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, nameEnd);
    QFETCH(QString, warning);
    SamplePlatform platform;
    QVERIFY(platform.start());
    QTemporaryDir sandbox;
    QVERIFY(sandbox.isValid());
    QVERIFY(writeSettings(sandbox, settings));

    const SamplePlatform::Item item = platform.item(SamplePlatform::PageVariant::Real);
    const CliRun::Run run
        = CliRun::download(platform, sandbox.path(), options << platform.shareText(item));
    QVERIFY2(run.exitCode == exitCode, run.err.constData());
    const QStringList paths = CliRun::printedPaths(run);
    if (!nameEnd.isEmpty()) {
        QCOMPARE(paths.size(), 1);
        QVERIFY2(paths.constFirst().endsWith(u'/' + nameEnd.arg(item.videoId))
                     || paths.constFirst().endsWith(u' ' + nameEnd.arg(item.videoId)),
                 qPrintable(paths.constFirst()));
    } else {
        QVERIFY(paths.isEmpty());
    }
    QCOMPARE(QString::fromUtf8(run.err).contains(warning), true);
    QCOMPARE(run.err.contains(": downloads/") || run.err.contains(": network/"),
             !warning.isEmpty());
}

// Requests to the sample platform on this machine never go through a proxy, so these go to the
// real platform's hosts through a proxy that refuses them: no request leaves the machine.
void TestCliSettings::proxyFromTheSettingsFile_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("http") << u"http"_s << u"Proxy connection refused"_s;
    QTest::newRow("socks5") << u"socks5"_s << u"Connection to proxy refused"_s;
}

void TestCliSettings::proxyFromTheSettingsFile()
{
    QFETCH(QString, scheme);
    QFETCH(QString, refusal);
    QTemporaryDir sandbox;
    QVERIFY(sandbox.isValid());
    // A port nothing listens on.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 closedPort = closed.serverPort();
    closed.close();
    QVERIFY(writeSettings(sandbox,
                          u"[network]\nproxy=%1://127.0.0.1:%2\n"_s.arg(scheme).arg(closedPort)));
    CliRun::Options options;
    options.sandbox = sandbox.path();
    const CliRun::Run run = CliRun::run({ u"parse"_s, u"7301234567890123456"_s }, options);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(refusal.toUtf8()), run.err.constData());
}

QTEST_GUILESS_MAIN(TestCliSettings)
#include "tst_clisettings.moc"
