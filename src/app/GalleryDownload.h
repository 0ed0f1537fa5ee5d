#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class VideoDownloader;

/*!
 * \brief Saves the pictures of a gallery, one after the other and in their order, into the
 * picture album (QStandardPaths::PicturesLocation + "/Kivora").
 *
 * Each picture is a download of its own (VideoDownloader, expecting a JPEG, PNG or WebP picture)
 * straight into the album under "NAME 1.jpg", "NAME 2.jpg", … (the numbers padded to the same
 * width, the extension of what the bytes are). The downloader writes into a ".part" file that
 * takes its name only once the picture is complete and checked on disk, and never replaces a
 * file: a name that is taken becomes "NAME 1 (1).jpg".
 *
 * The first failure ends the download with its reason; the pictures saved before it stay. cancel()
 * ends it and removes the pictures it had saved: a cancelled download leaves nothing behind, and
 * finished() says so only once that is true. finished() comes exactly once per start(), never
 * from inside start().
 */
class GalleryDownload : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 maximumPictureBytes = 64 * 1024 * 1024;

    explicit GalleryDownload(QObject *parent = nullptr);
    ~GalleryDownload() override;

    static QString albumDirectory();

    /*! Starts saving the pictures at \a addresses under names made from \a name. */
    void start(const QStringList &addresses, const QString &name);
    /*! Stops and removes what was saved; finished() follows with the reason "Cancelled". */
    void cancel();
    bool isRunning() const;

Q_SIGNALS:
    /*! Picture \a index of \a count: \a received of \a total bytes (total -1: not known). */
    void progress(int index, int count, qint64 received, qint64 total);
    /*! \a savedPaths in order; \a errorString empty when every picture was saved. */
    void finished(const QStringList &savedPaths, const QString &errorString);

private:
    void downloadNext();
    void pictureFinished(bool ok, const QString &filePath, const QString &errorString);
    QString pictureName() const;
    void dropSaved();
    void finish(const QString &errorString);

    QStringList m_addresses;
    QString m_name;
    QStringList m_saved;
    QPointer<VideoDownloader> m_downloader;
    bool m_running = false;
    bool m_cancelled = false;
};
