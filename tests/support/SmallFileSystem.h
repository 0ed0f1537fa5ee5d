#pragma once

#include <QString>
#include <QTemporaryDir>

/*!
 * \brief A real, small tmpfs for tests that need a full disk, mounted by the test itself in a
 * private mount namespace (so nothing outside the test process sees it, and it goes with the
 * process).
 *
 * Mounting needs root; mount() returns false with the reason otherwise, and the suite skips
 * those tests with that reason. A mount namespace belongs to a thread and is inherited by the
 * threads it starts: a suite whose files are written on worker threads calls isolateMounts()
 * before it starts any (in initTestCase()).
 */
class SmallFileSystem
{
public:
    SmallFileSystem() = default;
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    /*! Moves the calling thread into a private mount namespace, once per process; false with
     *  the reason in \a error where that is not allowed. mount() calls it too. */
    static bool isolateMounts(QString *error);

    /*! Mounts a tmpfs of \a bytes at \a where (made when missing), or at a fresh temporary folder
     *  when \a where is empty. */
    bool mount(qint64 bytes, const QString &where = {});
    /*! Why mount() failed. */
    QString errorString() const { return m_error; }
    QString path() const { return m_path; }

    /*! Fills the file system with a hidden filler file until only \a bytes are free (rounded
     *  down to whole blocks); 0 fills it completely. */
    bool leaveFree(qint64 bytes);
    qint64 freeBytes() const;
    /*! The name of the filler file, to tell it from what a test wrote. */
    static QString fillerName();

private:
    QTemporaryDir m_temporary;
    QString m_path;
    QString m_error;
    bool m_mounted = false;
};
