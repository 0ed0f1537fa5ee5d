#include "RiffStructure.h"

#include <QtEndian>

#include <algorithm>

namespace {

constexpr qsizetype headerBytes = 12; // "RIFF", size, "WEBP"
constexpr qint64 sizeFieldEnd = 8;

} // namespace

void RiffStructure::feed(const char *data, qint64 size)
{
    const qint64 wanted = std::min<qint64>(size, headerBytes - m_header.size());
    if (wanted > 0)
        m_header.append(data, qsizetype(wanted));
    m_offset += size;
}

bool RiffStructure::endsCleanly() const
{
    if (m_header.size() < headerBytes || !m_header.startsWith("RIFF")
        || m_header.mid(8, 4) != "WEBP")
        return false;
    return m_offset == sizeFieldEnd + qFromLittleEndian<quint32>(m_header.constData() + 4);
}
