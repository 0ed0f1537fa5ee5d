#include "ItemMusic.h"

#include <QUrl>

QString ItemMusic::galleryTrack(const QString &address)
{
    const QString name = QUrl(address).fileName();
    const bool isMp3 = name.endsWith(u".mp3", Qt::CaseInsensitive);
    return isMp3 && !name.contains(u"no_sound", Qt::CaseInsensitive) ? address : QString();
}

QJsonObject ItemMusic::toJson() const
{
    return { { QStringLiteral("url"), url },
             { QStringLiteral("title"), title },
             { QStringLiteral("duration"), duration } };
}
