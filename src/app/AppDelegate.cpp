#include "AppDelegate.h"

using namespace Qt::StringLiterals;

AppDelegate::AppDelegate(QObject *parent) : QObject(parent) { }

bool AppDelegate::didFinishLaunchingWithOptions(const QVariantMap &)
{
    return true;
}

SceneConfiguration AppDelegate::configurationForConnectingSceneSession(const QString &role) const
{
    return SceneConfiguration(u"Default Configuration"_s, role);
}

void AppDelegate::didDiscardSceneSessions(const QStringList &) { }

QWidget *AppDelegate::window() const
{
    return nullptr;
}
