#include "Mp4BoxStructure.h"

#include <QtEndian>

#include <algorithm>

namespace {

constexpr qsizetype compactHeaderBytes = 8; // 32-bit size, 4-byte type
constexpr qsizetype largeHeaderBytes = 16; // size 1, then a 64-bit size after the type

} // namespace

void Mp4BoxStructure::feed(const char *data, qint64 size)
{
    while (size > 0 && !m_unknowable) {
        if (m_offset < m_nextBox) {
            const qint64 skipped = std::min(size, m_nextBox - m_offset);
            m_offset += skipped;
            data += skipped;
            size -= skipped;
            continue;
        }
        if (m_header.isEmpty())
            m_boxStart = m_offset;
        if (!readHeader(data, size))
            return;
    }
}

// Takes header bytes of the box at m_boxStart; true once its size is known.
bool Mp4BoxStructure::readHeader(const char *&data, qint64 &size)
{
    const bool large = m_header.size() >= 4 && qFromBigEndian<quint32>(m_header.constData()) == 1;
    const qsizetype wanted = large ? largeHeaderBytes : compactHeaderBytes;
    const qint64 taken = std::min<qint64>(size, wanted - m_header.size());
    m_header.append(data, qsizetype(taken));
    m_offset += taken;
    data += taken;
    size -= taken;
    if (m_header.size() < compactHeaderBytes)
        return false;
    const quint64 compact = qFromBigEndian<quint32>(m_header.constData());
    if (compact == 1 && m_header.size() < largeHeaderBytes)
        return size > 0; // the 64-bit size follows
    const quint64 boxSize
        = compact == 1 ? qFromBigEndian<quint64>(m_header.constData() + 8) : compact;
    if (boxSize < quint64(m_header.size()) || boxSize > quint64(1) << 62) {
        m_unknowable = true;
        return false;
    }
    m_nextBox = m_boxStart + qint64(boxSize);
    m_header.clear();
    ++m_boxes;
    return true;
}

bool Mp4BoxStructure::endsCleanly() const
{
    return !m_unknowable && m_boxes > 0 && m_header.isEmpty() && m_offset == m_nextBox;
}
