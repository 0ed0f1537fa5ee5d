#include "TemporaryHome.h"

#include <QFile>
#include <QStandardPaths>

bool TemporaryHome::activate()
{
    if (!m_directory.isValid())
        return false;
    qputenv("HOME", QFile::encodeName(m_directory.path()));
    QStandardPaths::setTestModeEnabled(true);
    const QString movies = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    const QString caches = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return movies.startsWith(path()) && caches.startsWith(path());
}
