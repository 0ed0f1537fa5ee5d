#pragma once

#include "ResumeValidators.h"

#include <QFile>
#include <QString>

#include <chrono>
#include <memory>

/*!
 * \brief The file a download writes into: "NAME.part" beside the final name, renamed to NAME only
 * once it is complete and checked, so that nothing ever stands under a final name half-written.
 *
 * claim() picks the first numbered variant of the name ("name (1).mp4", …) whose final file is
 * free, or whose ".part" may be taken over for a resume. A claimed file is locked (flock) for as
 * long as this object holds it, so two downloads, in this process or another, never write into the
 * same ".part". Writes go straight to the system, unbuffered, so a full disk fails the very write
 * that meets it with the system's reason.
 *
 * Beside the ".part" stands "NAME.part.meta" with the validators of the version its bytes are
 * of (ResumeValidators); it goes wherever the ".part" goes and is emptied with it.
 *
 * commit() checks the bytes on disk and renames the file to the first free numbered variant of
 * the final name without ever replacing a file; keep() leaves the ".part" for a later resume;
 * anything else (discard(), or destroying the object) removes it.
 */
class PartFile
{
public:
    /*! What claim() does with a ".part" that is there already and not locked. */
    enum class Existing {
        Avoid, //!< leaves it alone and takes the next free name
        Resume, //!< takes it over with its bytes
        Restart, //!< takes it over, emptied
    };

    static QString suffix();
    /*! What the file of a ".part"'s validators adds to the ".part"'s name. */
    static QString validatorsSuffix();

    /*! Removes from \a directory the ".part" files (and their validators) last written before
     *  \a maximumAge ago that no download holds, and validators left without their ".part";
     *  returns how many ".part" files went. Runs on the calling thread. */
    static int removeStale(const QString &directory,
                           std::chrono::seconds maximumAge = std::chrono::hours(24));
    /*! removeStale() for each of \a directories, on a worker thread. */
    static void removeStaleInBackground(const QStringList &directories);

    /*! Claims the partial file for the final name \a name (made safe) in \a directory; null,
     *  with the reason in \a error, when none could be created. */
    static std::unique_ptr<PartFile> claim(const QString &directory, const QString &name,
                                           Existing existing, QString *error);

    ~PartFile();
    PartFile(const PartFile &) = delete;
    PartFile &operator=(const PartFile &) = delete;

    QString path() const { return m_file.fileName(); }
    /*! The bytes in the file: those taken over by a resume, and those written since. */
    qint64 size() const { return m_size; }
    /*! The first \a bytes of the file (fewer when it is shorter). */
    QByteArray head(qint64 bytes) { return read(0, bytes); }
    /*! Up to \a bytes of the file from \a offset on. */
    QByteArray read(qint64 offset, qint64 bytes);

    /*! The version the bytes are of, as kept beside the file; none for a file begun anew or
     *  one whose validators were lost. */
    ResumeValidators validators() const { return m_validators; }
    /*! Keeps \a validators beside the file; false, with the system's reason in errorString(),
     *  when they cannot be written (the ".part" is then dropped like after any failed write). */
    bool setValidators(const ResumeValidators &validators);

    /*! False, with the system's reason in errorString(), when not all bytes were written. */
    bool write(const char *data, qint64 size);
    bool write(const QByteArray &data) { return write(data.constData(), data.size()); }
    /*! Empties the file and forgets its validators, for a transfer that starts over. */
    bool truncate();

    /*!
     * Checks that the file holds size() bytes, renames it to the first free numbered variant of
     * \a finalName beside it and checks the size there once more. Returns the final path, or an
     * empty text (and nothing left under a final name or as ".part") when a check fails.
     */
    QString commit(const QString &finalName);
    /*! Closes the file and leaves it for a later resume (an empty one is removed). */
    void keep();
    /*! Closes and removes the file. */
    void discard();

    QString errorString() const { return m_error; }

private:
    explicit PartFile(const QString &path);
    bool takeOver(bool emptied);
    bool fail(const QString &reason);
    QString validatorsPath() const { return path() + validatorsSuffix(); }
    void loadValidators();

    QFile m_file;
    ResumeValidators m_validators;
    qint64 m_size = 0;
    QString m_error;
    bool m_done = true; // nothing of this object's own stands on disk
};
