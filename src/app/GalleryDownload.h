#pragma once

#include <QObject>
#include <QStringList>

/*!
 * \brief Saves the pictures of a gallery, one after the other and in their order, into the
 * picture album (QStandardPaths::PicturesLocation + "/Kivora").
 *
 * Each picture is fetched whole, bounded in size and time like every request, must be a JPEG, PNG
 * or WebP picture, and is written straight into the album under "NAME 1.jpg", "NAME 2.jpg", …
 * (the numbers padded to the same width, the extension of what the bytes are). A name that is
 * taken becomes "NAME 1 (1).jpg": nothing is ever replaced. A picture counts as saved only once
 * its bytes are checked on disk.
 *
 * The first failure ends the download with its reason; the pictures saved before it stay. cancel()
 * ends it and removes the pictures it had saved: a cancelled download leaves nothing behind.
 * finished() comes exactly once per start(), never from inside start().
 */
class GalleryDownload : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 maximumPictureBytes = 32 * 1024 * 1024;

    explicit GalleryDownload(QObject *parent = nullptr);
    ~GalleryDownload() override;

    static QString albumDirectory();

    /*! Starts saving the pictures at \a addresses under names made from \a name. */
    void start(const QStringList &addresses, const QString &name);
    /*! Stops and removes what was saved; finished() follows with the reason "Cancelled", once
     *  a picture being written has been removed too. */
    void cancel();
    bool isRunning() const;

Q_SIGNALS:
    /*! \a saved pictures of \a count are in the album, \a bytes in all. */
    void progress(int saved, int count, qint64 bytes);
    /*! \a savedPaths in order; \a errorString empty when every picture was saved. */
    void finished(const QStringList &savedPaths, const QString &errorString);

private:
    void fetchNext();
    void fetch(const QUrl &url, int redirectsLeft);
    void received(const QByteArray &bytes);
    QString pictureName(const QString &suffix) const;
    void dropSaved();
    void finish(const QString &errorString);

    QStringList m_addresses;
    QString m_name;
    QStringList m_saved;
    qint64 m_bytes = 0;
    quint64 m_generation = 0; // answers of a cancelled run are dropped
    bool m_running = false;
    bool m_cancelled = false;
    bool m_writing = false; // a picture is being written on a worker thread
};
