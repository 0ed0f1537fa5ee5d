#pragma once

#include <QByteArray>
#include <QString>

/*! \brief What a download is expected to be: a video, or a picture of a gallery. */
enum class MediaKind {
    Video, //!< any video/… type (the players open MP4)
    Image, //!< JPEG, PNG or WebP
};

/*! The first bytes that are enough to tell a file's type. */
constexpr qint64 mediaSniffingBytes = 16 * 1024;

/*! True when content starting with \a head is of \a kind, by its sniffed MIME type. */
bool isMediaOfKind(const QByteArray &head, MediaKind kind);

/*! "video" or "image", as messages and JSON name the kind. */
QString mediaKindName(MediaKind kind);
