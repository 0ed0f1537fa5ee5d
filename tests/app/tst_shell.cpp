#include "AppDelegate.h"
#include "ApplicationShell.h"
#include "DemoPlatform.h"
#include "LaunchOptions.h"
#include "SamplePlatform.h"
#include "SceneConfiguration.h"
#include "SceneDelegate.h"
#include "ViewController.h"

#include <QIcon>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_Shell : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void defaultConfigurationNamesTheSceneAndTheInterface();
    void unknownConfigurationIsInvalid();
    void launchShowsTheMainScreenInAPhoneSizedWindow();
    void demoUsesTheSamplePlatform();
    void windowHasTheIconAndQuitsOnCtrlQ();
    void launchOptions_data();
    void launchOptions();
    void programCommandLine_data();
    void programCommandLine();
};

void tst_Shell::defaultConfigurationNamesTheSceneAndTheInterface()
{
    AppDelegate delegate;
    QVERIFY(delegate.didFinishLaunchingWithOptions({}));
    const SceneConfiguration configuration = delegate.configurationForConnectingSceneSession(
        SceneConfiguration::windowApplicationRole());
    QCOMPARE(configuration.name(), u"Default Configuration"_s);
    QCOMPARE(configuration.role(), SceneConfiguration::windowApplicationRole());
    QCOMPARE(configuration.delegateClassName(), u"SceneDelegate"_s);
    QCOMPARE(configuration.storyboardName(), u"ViewController.ui"_s);
    QVERIFY(configuration.isValid());
    QCOMPARE(delegate.window(), nullptr);
}

void tst_Shell::unknownConfigurationIsInvalid()
{
    QVERIFY(!SceneConfiguration(u"Other"_s, SceneConfiguration::windowApplicationRole()).isValid());
    QVERIFY(!SceneConfiguration(u"Default Configuration"_s, u"externalDisplay"_s).isValid());
}

void tst_Shell::launchShowsTheMainScreenInAPhoneSizedWindow()
{
    ApplicationShell shell;
    QVERIFY(shell.launch(LaunchOptions()));
    QWidget *window = shell.sceneDelegate()->window();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->size(), QSize(390, 844));
    QVERIFY(window->minimumWidth() < 390 && window->maximumWidth() > 390); // resizable
    ViewController *screen = shell.mainScreen();
    QVERIFY(screen);
    QVERIFY(window->isAncestorOf(screen));
    QCOMPARE(screen->endpoints(), Endpoints());
    QVERIFY(screen->textField()->text().isEmpty());
    QCOMPARE(shell.demoPlatform(), nullptr);

    // Scene notices change nothing.
    shell.sceneDelegate()->sceneWillResignActive();
    shell.sceneDelegate()->sceneDidEnterBackground();
    QCOMPARE(shell.mainScreen(), screen);
}

void tst_Shell::demoUsesTheSamplePlatform()
{
    LaunchOptions options;
    options.demo = true;
    ApplicationShell shell;
    QVERIFY(shell.launch(options));
    DemoPlatform *platform = shell.demoPlatform();
    QVERIFY(platform);
    ViewController *screen = shell.mainScreen();
    QCOMPARE(screen->endpoints(), platform->endpoints());
    QCOMPARE(screen->textField()->text(), platform->sampleShareText());
    // The first item of every sample platform; this one is not started.
    const SamplePlatform::Item item = SamplePlatform().items().constFirst();
    QVERIFY(platform->sampleShareText().contains(item.shortCode));

    // The whole road works offline: short link, share page (trusted HTTPS), record, playback.
    screen->parse();
    QTRY_VERIFY_WITH_TIMEOUT(screen->videoUrl().has_value(), 10000);
    QCOMPARE(*screen->videoUrl(),
             platform->endpoints().webOrigin + u"/aweme/v1/play/?video_id="_s + item.playUri);
}

void tst_Shell::windowHasTheIconAndQuitsOnCtrlQ()
{
    ApplicationShell shell;
    QVERIFY(shell.launch(LaunchOptions()));
    QWidget *window = shell.sceneDelegate()->window();
    QVERIFY(QTest::qWaitForWindowActive(window));
    // The installed SVG, drawn: the icon engine is there and the file is the one compiled in.
    const QImage icon = window->windowIcon().pixmap(64, 64).toImage();
    QVERIFY(!icon.isNull());
    QVERIFY(qAlpha(icon.pixel(32, 32)) > 0);
    QCOMPARE(QGuiApplication::desktopFileName(), u"io.kivora.Kivora"_s);

    shell.mainScreen()->textField()->setFocus();
    QTest::keyClick(shell.mainScreen()->textField(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!window->isVisible());
}

void tst_Shell::launchOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("demo");
    QTest::addColumn<QString>("screenshot");
    QTest::addColumn<QString>("shortLinkHost");
    QTest::addColumn<QString>("webOrigin");
    QTest::addColumn<QString>("language"); // empty: the system's

    const Endpoints real;
    QTest::newRow("none") << QStringList { u"kivora"_s } << true << false << QString()
                          << real.shortLinkHost << real.webOrigin << QString();
    QTest::newRow("demo and screenshot")
        << QStringList { u"kivora"_s, u"--demo"_s, u"--screenshot"_s, u"/tmp/x.png"_s } << true
        << true << u"/tmp/x.png"_s << real.shortLinkHost << real.webOrigin << QString();
    QTest::newRow("endpoints") << QStringList { u"kivora"_s, u"--short-link-host"_s,
                                                u"localhost:4443"_s, u"--web-origin"_s,
                                                u"http://localhost:8080"_s }
                               << true << false << QString() << u"localhost:4443"_s
                               << u"http://localhost:8080"_s << QString();
    QTest::newRow("unknown option") << QStringList { u"kivora"_s, u"--frobnicate"_s } << false
                                    << false << QString() << QString() << QString() << QString();
    QTest::newRow("demo with a web origin")
        << QStringList { u"kivora"_s, u"--demo"_s, u"--web-origin"_s, u"http://localhost:8080"_s }
        << false << false << QString() << QString() << QString() << QString();
    QTest::newRow("demo with a short-link host")
        << QStringList { u"kivora"_s, u"--short-link-host"_s, u"localhost:1"_s, u"--demo"_s }
        << false << false << QString() << QString() << QString() << QString();
    QTest::newRow("demo with a CA file")
        << QStringList { u"kivora"_s, u"--demo"_s, u"--ca-certificates"_s,
                         SamplePlatform::caCertificatesPath() }
        << true << true << QString() << real.shortLinkHost << real.webOrigin << QString();
    QTest::newRow("language") << QStringList { u"kivora"_s, u"--lang"_s, u"zh-Hans"_s } << true
                              << false << QString() << real.shortLinkHost << real.webOrigin
                              << u"zh_CN"_s;
    QTest::newRow("unknown language") << QStringList { u"kivora"_s, u"--lang"_s, u"fr"_s } << false
                                      << false << QString() << QString() << QString() << QString();
    QTest::newRow("missing CA file")
        << QStringList { u"kivora"_s, u"--ca-certificates"_s, u"/nonexistent/ca.pem"_s } << false
        << false << QString() << QString() << QString() << QString();
}

void tst_Shell::launchOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, valid);
    QFETCH(bool, demo);
    QFETCH(QString, screenshot);
    QFETCH(QString, shortLinkHost);
    QFETCH(QString, webOrigin);
    QFETCH(QString, language);

    QString error;
    const std::optional<LaunchOptions> options = LaunchOptions::parse(arguments, &error);
    QCOMPARE(options.has_value(), valid);
    QCOMPARE(error.isEmpty(), valid);
    if (!options)
        return;
    QCOMPARE(options->demo, demo);
    QCOMPARE(options->screenshotPath, screenshot);
    QCOMPARE(options->endpoints.shortLinkHost, shortLinkHost);
    QCOMPARE(options->endpoints.webOrigin, webOrigin);
    QCOMPARE(options->language.value_or(QString()), language);
}

// These answers come before the window system is needed: the program runs without a display.
void tst_Shell::programCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("output"); // expected in stdout (or stderr for errors)
    QTest::newRow("version") << QStringList { u"--version"_s } << 0
                             << QStringList { u"Kivora 0.1.0"_s };
    QTest::newRow("help") << QStringList { u"--help"_s } << 0
                          << QStringList { u"kivora [options]"_s, u"--demo"_s };
    QTest::newRow("help with Qt's options")
        << QStringList { u"--help-all"_s } << 0 << QStringList { u"-platform"_s, u"--lang"_s };
    QTest::newRow("unknown language")
        << QStringList { u"--lang"_s, u"xx"_s } << 2 << QStringList { u"--lang"_s, u"zh_CN"_s };
    QTest::newRow("Qt's own options are taken out first")
        << QStringList { u"-platform"_s, u"offscreen"_s, u"--version"_s } << 0
        << QStringList { u"Kivora 0.1.0"_s };
    QTest::newRow("unknown option")
        << QStringList { u"--frobnicate"_s } << 2 << QStringList { u"frobnicate"_s };
    QTest::newRow("bad origin") << QStringList { u"--web-origin"_s, u"not an origin"_s } << 2
                                << QStringList { u"--web-origin"_s };
    QTest::newRow("demo with an origin")
        << QStringList { u"--demo"_s, u"--share-origin"_s, u"https://localhost:1"_s } << 2
        << QStringList { u"--demo"_s, u"--share-origin"_s };
    QTest::newRow("missing CA file")
        << QStringList { u"--ca-certificates"_s, u"/nonexistent/ca.pem"_s } << 2
        << QStringList { u"--ca-certificates"_s };
}

void tst_Shell::programCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QStringList, output);

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, QString());
    environment.insert(u"DISPLAY"_s, QString());
    environment.remove(u"WAYLAND_DISPLAY"_s);
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(KIVORA_APP_PATH), arguments);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    const QString printed
        = QString::fromUtf8(program.readAllStandardOutput() + program.readAllStandardError());
    for (const QString &text : output)
        QVERIFY2(printed.contains(text), qPrintable(printed));
}

QTEST_MAIN(tst_Shell)
#include "tst_shell.moc"
