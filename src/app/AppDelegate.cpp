#include "AppDelegate.h"

#include "PartFile.h"
#include "VideoAlbum.h"

#include <QStandardPaths>

using namespace Qt::StringLiterals;

AppDelegate::AppDelegate(QObject *parent) : QObject(parent) { }

bool AppDelegate::didFinishLaunchingWithOptions(const QVariantMap &)
{
    // What downloads of a window that was killed left behind.
    PartFile::removeStaleInBackground(
        { QStandardPaths::writableLocation(QStandardPaths::CacheLocation), VideoAlbum::directory(),
          VideoAlbum::picturesDirectory() });
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
