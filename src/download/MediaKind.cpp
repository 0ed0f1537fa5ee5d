#include "MediaKind.h"

#include <QMimeDatabase>

using namespace Qt::StringLiterals;

bool isMediaOfKind(const QByteArray &head, MediaKind kind)
{
    if (head.isEmpty())
        return false;
    const QString type = QMimeDatabase().mimeTypeForData(head).name();
    switch (kind) {
    case MediaKind::Video:
        return type.startsWith(u"video/"_s);
    case MediaKind::Image:
        return type == u"image/jpeg"_s || type == u"image/png"_s || type == u"image/webp"_s;
    }
    return false;
}

QString mediaKindName(MediaKind kind)
{
    return kind == MediaKind::Image ? u"image"_s : u"video"_s;
}
