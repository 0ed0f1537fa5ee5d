#pragma once

#include <QCoreApplication>
#include <QString>

class QFileDevice;

/*!
 * \brief The checks every file the download library writes goes through before it is called
 * saved, and the reasons they give.
 *
 * The files are written unbuffered, so a full disk fails the very write that meets it with the
 * system's reason; what a write cannot see, the checks before the final name catch.
 */
class CheckedWrites
{
    Q_DECLARE_TR_FUNCTIONS(CheckedWrites)

public:
    /*! Writes all \a size bytes of \a data to \a file, counting them in \a written: false after
     *  the first write that fails (a short write sets no error; the retry of the rest then fails
     *  with the system's reason). */
    static bool writeAll(QFileDevice &file, const char *data, qint64 size, qint64 &written);
    /*! Whether every write to the unbuffered \a file reached the system: flush() has nothing
     *  left to write, but it and error() still report a failed write that writeAll() did not
     *  see. */
    static bool allWritten(QFileDevice &file);
    /*! Empty when \a path holds the \a written bytes (\a onDisk of them); otherwise why not. */
    static QString sizeDifference(const QString &path, qint64 onDisk, qint64 written);
    /*! The reason of a failed write to \a path, with the system's \a reason when there is one. */
    static QString writeFailure(const QString &path, const QString &reason);
};
