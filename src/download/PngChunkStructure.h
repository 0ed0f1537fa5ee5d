#pragma once

#include <QByteArray>

/*!
 * \brief Follows the chunks of a PNG file as its bytes stream by, to tell a whole picture from a
 * cut one when no length was sent.
 *
 * A PNG file is its 8-byte signature and a run of chunks (length, type, data, checksum); a whole
 * file ends exactly where its IEND chunk ends. Bytes after IEND, a bad signature or an impossible
 * length make the end unknowable: endsCleanly() is then false.
 */
class PngChunkStructure
{
public:
    void feed(const char *data, qint64 size);
    /*! True when the bytes end exactly where the IEND chunk ends. */
    bool endsCleanly() const;

private:
    bool readHeader(const char *&data, qint64 &size);

    QByteArray m_header; // the signature, then each chunk's length and type while incomplete
    bool m_signatureRead = false;
    qint64 m_skip = 0; // data and checksum bytes of the current chunk still to pass
    bool m_inEnd = false; // the current chunk is IEND
    bool m_ended = false;
    bool m_broken = false;
};
