#pragma once

#include <QFile>
#include <QSet>
#include <QString>

/*!
 * \brief The --download-archive file: one line "douyin ID" per item downloaded whole, so that a
 * batch run again skips what it has done.
 *
 * Lines are added as items finish and flushed at once, so an interrupted run keeps what it
 * finished. Lines of other forms are left as they are and ignored.
 */
class DownloadArchive
{
public:
    /*! Reads \a path (a missing file is an empty archive) and opens it for adding; false, with the
     *  system's reason in \a error, when it cannot be read or written. */
    bool open(const QString &path, QString *error);
    bool isOpen() const { return m_file.isOpen(); }

    bool contains(const QString &videoId) const;
    /*! Records \a videoId; false, with the reason in \a error, when the line cannot be written. */
    bool add(const QString &videoId, QString *error);

private:
    QFile m_file;
    QSet<QString> m_done;
};
