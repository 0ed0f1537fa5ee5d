#include "PngChunkStructure.h"

#include <QtEndian>

#include <algorithm>

namespace {

constexpr qsizetype signatureBytes = 8;
constexpr qsizetype chunkHeaderBytes = 8; // 32-bit length, 4-byte type
constexpr qint64 checksumBytes = 4;
constexpr quint32 largestChunk = 0x7FFFFFFF;

const QByteArray &signature()
{
    static const QByteArray bytes("\x89PNG\r\n\x1a\n", signatureBytes);
    return bytes;
}

} // namespace

void PngChunkStructure::feed(const char *data, qint64 size)
{
    while (size > 0 && !m_broken) {
        if (m_ended) {
            m_broken = true; // bytes after IEND
            return;
        }
        if (m_skip > 0) {
            const qint64 skipped = std::min(size, m_skip);
            m_skip -= skipped;
            data += skipped;
            size -= skipped;
            if (m_skip == 0 && m_inEnd)
                m_ended = true;
            continue;
        }
        if (!readHeader(data, size))
            return;
    }
}

// Takes the signature or a chunk header; true once it is complete.
bool PngChunkStructure::readHeader(const char *&data, qint64 &size)
{
    const qsizetype wanted = m_signatureRead ? chunkHeaderBytes : signatureBytes;
    const qint64 taken = std::min<qint64>(size, wanted - m_header.size());
    m_header.append(data, qsizetype(taken));
    data += taken;
    size -= taken;
    if (m_header.size() < wanted)
        return false;
    if (!m_signatureRead) {
        m_broken = m_header != signature();
        m_signatureRead = true;
    } else {
        const quint32 length = qFromBigEndian<quint32>(m_header.constData());
        m_broken = length > largestChunk;
        m_inEnd = m_header.mid(4, 4) == "IEND";
        m_skip = qint64(length) + checksumBytes;
    }
    m_header.clear();
    return !m_broken;
}

bool PngChunkStructure::endsCleanly() const
{
    return m_ended && !m_broken;
}
