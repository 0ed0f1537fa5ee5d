#pragma once

#include <QFuture>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <memory>

/*!
 * \brief The --download-archive file: one line "douyin ID" per item downloaded whole, and for an
 * item of several files "douyin ID KEY" per file saved (KEY: "video", a picture's number,
 * "cover"), so that a batch run again skips what it has done, and fetches of a partial item only
 * the files it lacks.
 *
 * Several processes may share the file: each line is appended with one write() and made durable
 * with fsync() under an exclusive flock(), and every look-up first reads what others appended
 * meanwhile, under a shared lock. A line that cannot be written whole is taken back and its
 * reason returned. The reads and writes run in order on the archive's own thread, never on the
 * caller's. Lines of other forms are left as they are and ignored.
 */
class DownloadArchive
{
public:
    /*! What the archive holds of one item. */
    struct Record
    {
        bool whole = false; //!< the item is saved whole
        QSet<QString> files; //!< the keys of its files saved so far
    };

    DownloadArchive();
    /*! Waits for the writes still queued. */
    ~DownloadArchive();
    DownloadArchive(const DownloadArchive &) = delete;
    DownloadArchive &operator=(const DownloadArchive &) = delete;

    /*! Reads \a path (a missing file is an empty archive) and opens it for adding; false, with the
     *  system's reason in \a error, when it cannot be read or written. */
    bool open(const QString &path, QString *error);
    bool isOpen() const;

    /*! What the archive, with what was added since by anyone, holds of \a videoId. */
    QFuture<Record> lookUp(const QString &videoId);
    /*! Records \a videoId as saved whole, or with a \a fileKey one file of it; the future holds
     *  the reason when the line could not be written, else an empty text. */
    QFuture<QString> add(const QString &videoId, const QString &fileKey = QString());

private:
    class File;

    std::shared_ptr<File> m_file;
    QThreadPool m_thread;
};
