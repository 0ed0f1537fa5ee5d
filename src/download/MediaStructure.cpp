#include "MediaStructure.h"

#include <type_traits>

namespace {

constexpr qsizetype signatureBytes = 12; // enough for every signature below

} // namespace

void MediaStructure::feed(const char *data, qint64 size)
{
    if (std::holds_alternative<std::monostate>(m_format)) {
        const qint64 taken = std::min<qint64>(size, signatureBytes - m_prefix.size());
        m_prefix.append(data, qsizetype(taken));
        data += taken;
        size -= taken;
        if (m_prefix.size() < signatureBytes)
            return;
        chooseFormat();
    }
    feedFormat(data, size);
}

void MediaStructure::feedFormat(const char *data, qint64 size)
{
    std::visit(
        [data, size](auto &format) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(format)>, std::monostate>)
                format.feed(data, size);
        },
        m_format);
}

void MediaStructure::chooseFormat()
{
    if (m_prefix.startsWith("\xFF\xD8\xFF"))
        m_format = JpegStructure();
    else if (m_prefix.startsWith("\x89PNG\r\n\x1a\n"))
        m_format = PngChunkStructure();
    else if (m_prefix.startsWith("RIFF") && m_prefix.mid(8, 4) == "WEBP")
        m_format = RiffStructure();
    else
        m_format = Mp4BoxStructure();
    feedFormat(m_prefix.constData(), m_prefix.size());
}

bool MediaStructure::endsCleanly() const
{
    return std::visit(
        [](const auto &format) {
            if constexpr (std::is_same_v<std::decay_t<decltype(format)>, std::monostate>)
                return false;
            else
                return format.endsCleanly();
        },
        m_format);
}
