#pragma once

#include <QByteArray>

/*!
 * \brief Checks a WebP file's RIFF header against its bytes as they stream by, to tell a whole
 * picture from a cut one when no length was sent.
 *
 * A WebP file is one RIFF chunk: "RIFF", its 32-bit little-endian size, "WEBP", and that many
 * bytes after the size field. A whole file ends exactly there; a shorter or longer run of bytes,
 * or a header that is not WebP's, makes endsCleanly() false.
 */
class RiffStructure
{
public:
    void feed(const char *data, qint64 size);
    /*! True when the bytes end exactly where the RIFF header says. */
    bool endsCleanly() const;

private:
    QByteArray m_header; // the first 12 bytes
    qint64 m_offset = 0;
};
