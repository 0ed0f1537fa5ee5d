#pragma once

#include "JpegStructure.h"
#include "Mp4BoxStructure.h"
#include "PngChunkStructure.h"
#include "RiffStructure.h"

#include <QByteArray>

#include <variant>

/*!
 * \brief Tells a whole media file from a cut one by the file's own structure, for bodies sent
 * without a length: MP4 boxes, JPEG markers up to the end-of-image marker, PNG chunks up to IEND,
 * or the size in WebP's RIFF header.
 *
 * The format is chosen by the first bytes (a JPEG, PNG or WebP signature; anything else is
 * followed as MP4 boxes); a format that shows no end of its own never ends cleanly.
 */
class MediaStructure
{
public:
    void feed(const char *data, qint64 size);
    /*! True when the bytes fed so far form a whole file of their format. */
    bool endsCleanly() const;

private:
    void chooseFormat();
    void feedFormat(const char *data, qint64 size);

    QByteArray m_prefix; // the first bytes, until they name the format
    std::variant<std::monostate, Mp4BoxStructure, JpegStructure, PngChunkStructure, RiffStructure>
        m_format;
};
