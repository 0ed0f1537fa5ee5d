#include "JpegStructure.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr quint8 markerByte = 0xFF;
constexpr quint8 startOfImage = 0xD8;
constexpr quint8 endOfImage = 0xD9;
constexpr quint8 startOfScan = 0xDA;
constexpr quint8 temporary = 0x01;

bool isRestart(quint8 code)
{
    return code >= 0xD0 && code <= 0xD7;
}

} // namespace

void JpegStructure::feed(const char *data, qint64 size)
{
    while (size > 0 && m_state != State::Broken) {
        if (m_state == State::Payload) {
            const qint64 skipped = std::min(size, m_skip);
            m_skip -= skipped;
            data += skipped;
            size -= skipped;
            if (m_skip == 0)
                m_state = m_scanFollows ? State::Entropy : State::MarkerPrefix;
            continue;
        }
        if (m_state == State::Entropy) {
            // Scan data runs until the next 0xFF; everything before it is skipped at once.
            const void *found = std::memchr(data, markerByte, size_t(size));
            if (!found)
                return;
            const qint64 consumed = static_cast<const char *>(found) - data + 1;
            data += consumed;
            size -= consumed;
            m_state = State::EntropyMarker;
            continue;
        }
        takeByte(quint8(*data));
        ++data;
        --size;
    }
}

void JpegStructure::takeByte(quint8 byte)
{
    switch (m_state) {
    case State::Start0:
        m_state = byte == markerByte ? State::Start1 : State::Broken;
        break;
    case State::Start1:
        m_state = byte == startOfImage ? State::MarkerPrefix : State::Broken;
        break;
    case State::MarkerPrefix:
        m_state = byte == markerByte ? State::MarkerCode : State::Broken;
        break;
    case State::MarkerCode:
        if (byte != markerByte) // 0xFF before a marker code is fill
            onMarker(byte);
        break;
    case State::Length0:
        m_length = quint16(byte << 8);
        m_state = State::Length1;
        break;
    case State::Length1:
        m_length = quint16(m_length | byte);
        if (m_length < 2) {
            m_state = State::Broken;
            break;
        }
        m_skip = m_length - 2;
        m_state = m_skip > 0 ? State::Payload
            : m_scanFollows  ? State::Entropy
                             : State::MarkerPrefix;
        break;
    case State::EntropyMarker:
        // In scan data 0xFF 0x00 is a stuffed 0xFF and restart markers carry on the scan.
        if (byte == 0x00 || isRestart(byte))
            m_state = State::Entropy;
        else if (byte != markerByte)
            onMarker(byte);
        break;
    case State::Ended:
        m_state = State::Broken;
        break;
    case State::Payload:
    case State::Entropy:
    case State::Broken:
        break;
    }
}

void JpegStructure::onMarker(quint8 code)
{
    if (code == endOfImage) {
        m_state = State::Ended;
    } else if (isRestart(code) || code == temporary) {
        m_state = State::MarkerPrefix;
    } else if (code == startOfImage || code == 0x00) {
        m_state = State::Broken;
    } else {
        m_scanFollows = code == startOfScan;
        m_state = State::Length0;
    }
}
