#include "DesktopNotifier.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace {
const QString openFolderAction = u"open-folder"_s;
}

DesktopNotifier::DesktopNotifier(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_openFolder([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    if (!m_bus.isConnected())
        return;
    const QString serviceName = QString::fromLatin1(service);
    const QString pathName = QString::fromLatin1(path);
    const QString interfaceName = QString::fromLatin1(interface);
    m_bus.connect(serviceName, pathName, interfaceName, u"ActionInvoked"_s, this,
                  SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(serviceName, pathName, interfaceName, u"NotificationClosed"_s, this,
                  SLOT(onClosed(uint, uint)));
}

void DesktopNotifier::setFolderOpener(std::function<bool(const QUrl &)> opener)
{
    m_openFolder = std::move(opener);
}

bool DesktopNotifier::notify(const QString &summary, const QString &body, const QString &folder)
{
    if (!m_bus.isConnected() || !m_bus.interface()
        || !m_bus.interface()->isServiceRegistered(QString::fromLatin1(service)).value())
        return false;
    QDBusMessage call
        = QDBusMessage::createMethodCall(QString::fromLatin1(service), QString::fromLatin1(path),
                                         QString::fromLatin1(interface), u"Notify"_s);
    const QStringList actions
        = folder.isEmpty() ? QStringList() : QStringList({ openFolderAction, tr("Open folder") });
    QVariantMap hints;
    hints.insert(u"desktop-entry"_s, QGuiApplication::desktopFileName());
    call << QGuiApplication::applicationDisplayName() << uint(0) << u"folder-download"_s << summary
         << body << actions << hints << int(-1);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, folder] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError())
            return;
        if (!folder.isEmpty())
            m_folders.insert(reply.value(), folder);
        Q_EMIT shown(reply.value());
    });
    return true;
}

void DesktopNotifier::onActionInvoked(uint id, const QString &actionKey)
{
    const QString folder = m_folders.value(id);
    if (actionKey != openFolderAction || folder.isEmpty())
        return;
    if (m_openFolder(QUrl::fromLocalFile(folder)))
        Q_EMIT folderOpened(folder);
}

void DesktopNotifier::onClosed(uint id, uint reason)
{
    Q_UNUSED(reason)
    m_folders.remove(id);
}
