#include "DesktopNotifier.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

/*! A notification service as desktops run it: it numbers what it is told and keeps it. */
class NotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown
    {
        QString summary, body;
        QStringList actions;
    };
    QList<Shown> shown;

public Q_SLOTS:
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &, int)
    {
        shown.append({ summary, body, actions });
        return uint(shown.size());
    }
};

} // namespace

/*! Desktop notifications over a real session bus of the test's own. */
class TestDesktopNotifier : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void withoutServiceNothingIsSent();
    void actionOpensTheFolder();

private:
    void emitFromService(const char *signal, const QVariantList &arguments);

    QProcess m_daemon;
    QString m_address;
};

void TestDesktopNotifier::initTestCase()
{
    const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
    if (daemon.isEmpty())
        QSKIP("dbus-daemon is not installed");
    m_daemon.start(daemon, { u"--session"_s, u"--nofork"_s, u"--print-address=1"_s });
    QVERIFY(m_daemon.waitForStarted());
    QTRY_VERIFY(m_daemon.canReadLine());
    m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    QVERIFY(!m_address.isEmpty());
}

void TestDesktopNotifier::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(u"client"_s);
    QDBusConnection::disconnectFromBus(u"service"_s);
    m_daemon.terminate();
    m_daemon.waitForFinished();
}

void TestDesktopNotifier::withoutServiceNothingIsSent()
{
    DesktopNotifier offBus(QDBusConnection(u"not connected"_s));
    QVERIFY(!offBus.notify(u"Saved"_s, u"a.mp4"_s, u"/tmp"_s));

    DesktopNotifier noService(QDBusConnection::connectToBus(m_address, u"client"_s));
    QVERIFY(!noService.notify(u"Saved"_s, u"a.mp4"_s, u"/tmp"_s));
}

void TestDesktopNotifier::actionOpensTheFolder()
{
    QDBusConnection serviceBus = QDBusConnection::connectToBus(m_address, u"service"_s);
    NotificationService service;
    QVERIFY(serviceBus.registerObject(QString::fromLatin1(DesktopNotifier::path), &service,
                                      QDBusConnection::ExportAllSlots));
    QVERIFY(serviceBus.registerService(QString::fromLatin1(DesktopNotifier::service)));

    DesktopNotifier notifier(QDBusConnection::connectToBus(m_address, u"client"_s));
    QList<QUrl> opened;
    notifier.setFolderOpener([&opened](const QUrl &url) {
        opened.append(url);
        return true;
    });
    QSignalSpy shown(&notifier, &DesktopNotifier::shown);
    QSignalSpy folderOpened(&notifier, &DesktopNotifier::folderOpened);

    QVERIFY(notifier.notify(u"Saved"_s, u"title.mp4"_s, u"/tmp/album"_s));
    QVERIFY(notifier.notify(u"Failed"_s, u"no folder to open"_s));
    QTRY_COMPARE(shown.count(), 2);
    QCOMPARE(service.shown.at(0).summary, u"Saved"_s);
    QCOMPARE(service.shown.at(0).body, u"title.mp4"_s);
    QCOMPARE(service.shown.at(0).actions.size(), 2);
    QVERIFY(service.shown.at(1).actions.isEmpty());

    const uint first = shown.at(0).at(0).toUInt();
    const uint second = shown.at(1).at(0).toUInt();
    emitFromService("ActionInvoked", { second, service.shown.at(0).actions.at(0) });
    emitFromService("ActionInvoked", { first, u"some-other-action"_s });
    emitFromService("ActionInvoked", { first, service.shown.at(0).actions.at(0) });
    QTRY_COMPARE(folderOpened.count(), 1);
    QCOMPARE(opened, QList<QUrl>({ QUrl::fromLocalFile(u"/tmp/album"_s) }));

    // Once closed, a late action of the same number opens nothing.
    emitFromService("NotificationClosed", { first, uint(2) });
    emitFromService("ActionInvoked", { first, service.shown.at(0).actions.at(0) });
    notifier.notify(u"Marker"_s, QString());
    QTRY_COMPARE(shown.count(), 3);
    QCOMPARE(folderOpened.count(), 1);
}

void TestDesktopNotifier::emitFromService(const char *signal, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createSignal(
        QString::fromLatin1(DesktopNotifier::path), QString::fromLatin1(DesktopNotifier::interface),
        QString::fromLatin1(signal));
    message.setArguments(arguments);
    QVERIFY(QDBusConnection(u"service"_s).send(message));
}

QTEST_MAIN(TestDesktopNotifier)
#include "tst_desktopnotifier.moc"
