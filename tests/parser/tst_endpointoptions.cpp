#include "EndpointOptions.h"

#include <QCommandLineParser>
#include <QTemporaryFile>
#include <QTest>

/*! The endpoint options the window app and the CLI share. */
class TestEndpointOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void apply_data();
    void apply();
    void caFileWithoutCertificateIsRefused();
};

void TestEndpointOptions::apply_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("endpoints"); // short-link host, share origin, web origin

    const Endpoints real;
    QTest::newRow("defaults are the real platform")
        << QStringList() << true
        << QStringList({ real.shortLinkHost, real.shareOrigin, real.webOrigin });
    QTest::newRow("local platform")
        << QStringList({ QStringLiteral("--short-link-host"), QStringLiteral("localhost:4443"),
                         QStringLiteral("--share-origin"),
                         QStringLiteral("https://localhost:4443/"), QStringLiteral("--web-origin"),
                         QStringLiteral("http://localhost:8080") })
        << true
        << QStringList({ QStringLiteral("localhost:4443"), QStringLiteral("https://localhost:4443"),
                         QStringLiteral("http://localhost:8080") });
    const auto refused = [](const char *option, const char *value) {
        return QStringList({ QString::fromLatin1(option), QString::fromLatin1(value) });
    };
    QTest::newRow("host with a scheme")
        << refused("--short-link-host", "https://v.douyin.com") << false << QStringList();
    QTest::newRow("host with a path")
        << refused("--short-link-host", "v.douyin.com/x") << false << QStringList();
    QTest::newRow("host with user info")
        << refused("--short-link-host", "me@v.douyin.com") << false << QStringList();
    QTest::newRow("empty host") << refused("--short-link-host", "") << false << QStringList();
    QTest::newRow("origin without scheme")
        << refused("--share-origin", "www.iesdouyin.com") << false << QStringList();
    QTest::newRow("origin with another scheme")
        << refused("--web-origin", "ftp://x") << false << QStringList();
    QTest::newRow("origin with a path")
        << refused("--web-origin", "https://x/y") << false << QStringList();
    QTest::newRow("origin with a query")
        << refused("--share-origin", "https://x/?a=1") << false << QStringList();
    QTest::newRow("missing CA file")
        << refused("--ca-certificates", "/nonexistent/ca.pem") << false << QStringList();
}

void TestEndpointOptions::apply()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, accepted);
    QFETCH(QStringList, endpoints);
    QCommandLineParser parser;
    EndpointOptions options;
    options.addOptions(parser);
    QVERIFY(parser.parse(QStringList(QStringLiteral("kivora")) + arguments));
    QString error;
    QCOMPARE(options.apply(parser, &error), accepted);
    if (!accepted) {
        QVERIFY2(error.startsWith(arguments.constFirst()), qPrintable(error));
        QCOMPARE(options.endpoints(), Endpoints());
        return;
    }
    QVERIFY(error.isEmpty());
    QCOMPARE(options.endpoints().shortLinkHost, endpoints.at(0));
    QCOMPARE(options.endpoints().shareOrigin, endpoints.at(1));
    QCOMPARE(options.endpoints().webOrigin, endpoints.at(2));
}

void TestEndpointOptions::caFileWithoutCertificateIsRefused()
{
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write("not a certificate\n");
    file.close();
    QCommandLineParser parser;
    EndpointOptions options;
    options.addOptions(parser);
    QVERIFY(parser.parse(
        { QStringLiteral("kivora"), QStringLiteral("--ca-certificates"), file.fileName() }));
    QString error;
    QVERIFY(!options.apply(parser, &error));
    QVERIFY2(error.contains(u"holds no PEM certificate"), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestEndpointOptions)
#include "tst_endpointoptions.moc"
