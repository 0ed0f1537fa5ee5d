#pragma once

#include <QByteArray>

class QNetworkReply;

/*!
 * \brief What identifies the version of a file a download began with: the first answer's ETag,
 * Last-Modified and total size. A resumed transfer is appended to the bytes on disk only when
 * its answer names the same version.
 *
 * They are kept on disk beside the ".part" (PartFile), in a small text file of "name: value"
 * lines, so that a later run resumes against the same version. A file rather than an extended
 * attribute: tmpfs before Linux 6.6, FAT and many network file systems drop or refuse user
 * attributes, and a lost validator would silently turn every resume into a guess.
 */
class ResumeValidators
{
public:
    /*! Those of a successful answer: a 200 gives its Content-Length as the total (unless the
     *  body is encoded), a 206 the total of its Content-Range. */
    static ResumeValidators fromReply(const QNetworkReply &reply);
    /*! Reads what serialized() wrote; anything malformed or too large gives none. */
    static ResumeValidators parse(const QByteArray &text);
    QByteArray serialized() const;

    QByteArray etag() const { return m_etag; }
    QByteArray lastModified() const { return m_lastModified; }
    qint64 total() const { return m_total; }

    /*! Whether the server named the version: a strong or weak ETag, or a Last-Modified date. */
    bool identifiesVersion() const { return !m_etag.isEmpty() || !m_lastModified.isEmpty(); }
    /*! The If-Range value a resume sends: the ETag when strong, else the Last-Modified date;
     *  empty when there is neither. */
    QByteArray ifRange() const;
    /*! Whether \a answer, a resumed transfer's, names this same version: every validator known
     *  here is there and equal. */
    bool sameVersionAs(const ResumeValidators &answer) const;

    static constexpr qsizetype maximumSerializedSize = 4096;

private:
    QByteArray m_etag;
    QByteArray m_lastModified;
    qint64 m_total = -1;
};
