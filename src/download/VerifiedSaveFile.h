#pragma once

#include <QSaveFile>
#include <QString>

/*!
 * \brief A file that is written in full or not at all, and called saved only after its bytes are
 * checked.
 *
 * Writes go straight to the system, unbuffered, so a full disk fails the very write that meets
 * it, with the system's reason ("No space left on device"), instead of a buffered flush that
 * QSaveFile::commit() may not report (Qt 6.4's commit() can return true although its final flush
 * failed). commit() checks the device once more, gives the data its final name, and then checks
 * that the file under that name holds exactly the bytes written. On any failure nothing is left
 * under the final name: the caller's claimed (empty) file there is removed too.
 */
class VerifiedSaveFile
{
public:
    explicit VerifiedSaveFile(const QString &path);
    ~VerifiedSaveFile();
    VerifiedSaveFile(const VerifiedSaveFile &) = delete;
    VerifiedSaveFile &operator=(const VerifiedSaveFile &) = delete;

    bool open();
    /*! False when not all \a size bytes were written; the save is then cancelled. */
    bool write(const char *data, qint64 size);
    bool write(const QByteArray &data) { return write(data.constData(), data.size()); }
    /*! Gives the bytes their final name after the checks above; false (and nothing left under
     *  the final name) when any of them fails. */
    bool commit();
    /*! Drops what was written and removes the final name. */
    void cancel();

    QString fileName() const { return m_path; }
    qint64 bytesWritten() const { return m_written; }
    /*! What failed, with the system's reason. */
    QString errorString() const { return m_error; }

private:
    bool fail(const QString &reason);

    QString m_path;
    QSaveFile m_file;
    qint64 m_written = 0;
    QString m_error;
    bool m_done = false;
};
