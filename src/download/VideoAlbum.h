#pragma once

#include "MediaKind.h"

#include <QObject>
#include <QString>

/*!
 * \brief The albums downloads are saved to: videos in QStandardPaths::MoviesLocation + "/Kivora",
 * pictures in QStandardPaths::PicturesLocation + "/Kivora".
 *
 * save() copies a file into the album of its kind on a worker thread and reports back on the
 * album's thread. A save never replaces anything: a name that is taken becomes "name (1).mp4", and
 * a copy that fails half-way leaves nothing behind.
 */
class VideoAlbum : public QObject
{
    Q_OBJECT
public:
    explicit VideoAlbum(QObject *parent = nullptr);

    /*! The video album. */
    static QString directory();
    /*! Puts the albums in \a videos and \a pictures (full paths) for the rest of the process;
     *  an empty path keeps the standard folder. */
    static void setFolders(const QString &videos, const QString &pictures);
    /*! The picture album. */
    static QString picturesDirectory();
    /*! The album that takes files of \a kind. */
    static QString directoryFor(MediaKind kind);
    /*! True when the content of \a path is a video (its sniffed MIME type is video/…). */
    static bool isCompatible(const QString &path);
    /*! The same test on the first bytes of a file (sniffingBytes are enough). */
    static bool isCompatibleData(const QByteArray &head);
    static constexpr qint64 sniffingBytes = mediaSniffingBytes;

    /*! Copies \a path, which must be of \a kind, into its album; saved() or saveFailed()
     *  follows. */
    void save(const QString &path, MediaKind kind = MediaKind::Video);

Q_SIGNALS:
    void saved(const QString &sourcePath, const QString &albumPath);
    void saveFailed(const QString &sourcePath, const QString &errorString);
};
