#pragma once

#include <QtGlobal>

/*!
 * \brief Follows the markers of a JPEG file as its bytes stream by, to tell a whole picture from a
 * cut one when no length was sent.
 *
 * A JPEG file is a run of marker segments, each with its own length, and entropy-coded scans in
 * which a 0xFF byte is always followed by 0x00 or a restart marker; the file ends with the
 * end-of-image marker (FF D9). Segment lengths are followed rather than searched, so an embedded
 * thumbnail's end-of-image marker (inside an APP1 segment) is not taken for the file's end.
 * Anything after the end-of-image marker, or bytes that break the structure, make the end
 * unknowable: endsCleanly() is then false.
 */
class JpegStructure
{
public:
    void feed(const char *data, qint64 size);
    /*! True when the bytes end right after the end-of-image marker. */
    bool endsCleanly() const { return m_state == State::Ended; }

private:
    enum class State {
        Start0,
        Start1,
        MarkerPrefix,
        MarkerCode,
        Length0,
        Length1,
        Payload,
        Entropy,
        EntropyMarker,
        Ended,
        Broken,
    };

    void takeByte(quint8 byte);
    void onMarker(quint8 code);

    State m_state = State::Start0;
    quint16 m_length = 0;
    qint64 m_skip = 0; // payload bytes of the current segment still to pass
    bool m_scanFollows = false; // the current segment is a start-of-scan header
};
