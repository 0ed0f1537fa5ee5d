#pragma once

#include <QByteArray>

/*!
 * \brief Follows the top-level boxes of an MP4 (ISO base media) file as its bytes stream by, to
 * tell a whole file from a cut one when no length was sent.
 *
 * An MP4 file is a run of boxes, each starting with its own size; a whole file ends exactly where
 * its last box ends. A box whose size is 0 ("up to the end of the file") or too small to be a box,
 * or bytes that are no MP4 at all, make the end unknowable: endsCleanly() is then false.
 */
class Mp4BoxStructure
{
public:
    void feed(const char *data, qint64 size);
    /*! True when at least one box has been seen and the bytes end where the last box ends. */
    bool endsCleanly() const;

private:
    bool readHeader(const char *&data, qint64 &size);

    qint64 m_offset = 0; // bytes fed so far
    qint64 m_boxStart = 0; // where the box whose header is being read starts
    qint64 m_nextBox = 0; // where the box after the current one starts
    QByteArray m_header; // the current box's header bytes while incomplete
    int m_boxes = 0;
    bool m_unknowable = false;
};
