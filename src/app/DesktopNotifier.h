#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

/*!
 * \brief Tells the desktop that a download ended, through the freedesktop notification service on
 * the session bus, with an action that opens the folder of what was saved.
 *
 * Everything is asynchronous: a call never waits for the service. Where no session bus or no
 * notification service is there, notify() does nothing and says so by returning false, so the
 * window works the same without one.
 */
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *service = "org.freedesktop.Notifications";
    static constexpr const char *path = "/org/freedesktop/Notifications";
    static constexpr const char *interface = "org.freedesktop.Notifications";

    /*! Talks to the service over \a bus; the session bus by default. */
    explicit DesktopNotifier(const QDBusConnection &bus = QDBusConnection::sessionBus(),
                             QObject *parent = nullptr);

    /*! How a folder is opened when the user picks the action; QDesktopServices by default. */
    void setFolderOpener(std::function<bool(const QUrl &)> opener);

    /*! Shows \a summary and \a body; with a \a folder, the action "Open folder" opens it. */
    bool notify(const QString &summary, const QString &body, const QString &folder = QString());

Q_SIGNALS:
    /*! The service took the notification and numbered it \a id. */
    void shown(uint id);
    /*! The user picked the action of notification \a id and \a folder was handed to the opener. */
    void folderOpened(const QString &folder);

private Q_SLOTS:
    // Connected by name: QtDBus delivers remote signals only to slots named that way.
    void onActionInvoked(uint id, const QString &actionKey);
    void onClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    std::function<bool(const QUrl &)> m_openFolder;
    QHash<uint, QString> m_folders; // notification → folder its action opens
};
