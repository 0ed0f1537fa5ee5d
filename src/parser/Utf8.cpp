#include "Utf8.h"

#include <cstdint>
#include <cstring>

namespace Utf8 {

namespace {

constexpr std::uint64_t highBits = 0x8080808080808080ULL;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the well-formed sequence at bytes[pos], or 0 when it is not one. The bounds on the
// second byte rule out overlong forms, surrogates and code points above U+10FFFF.
qsizetype sequenceLength(const unsigned char *bytes, qsizetype pos, qsizetype size)
{
    const unsigned char lead = bytes[pos];
    qsizetype length = 0;
    unsigned char secondMin = 0x80, secondMax = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            secondMin = 0xA0;
        else if (lead == 0xED)
            secondMax = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            secondMin = 0x90;
        else if (lead == 0xF4)
            secondMax = 0x8F;
    } else {
        return 0;
    }
    if (size - pos < length || bytes[pos + 1] < secondMin || bytes[pos + 1] > secondMax)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (!isContinuation(bytes[pos + i]))
            return 0;
    }
    return length;
}

} // namespace

bool isValid(QByteArrayView view) noexcept
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(view.data());
    const qsizetype size = view.size();
    qsizetype pos = 0;
    while (pos < size) {
        // Pages are mostly ASCII: skip it sixteen bytes at a time.
        while (size - pos >= 16) {
            std::uint64_t first, second;
            std::memcpy(&first, bytes + pos, 8);
            std::memcpy(&second, bytes + pos + 8, 8);
            if ((first | second) & highBits)
                break;
            pos += 16;
        }
        if (pos >= size)
            break;
        if (bytes[pos] < 0x80) {
            ++pos;
            continue;
        }
        const qsizetype length = sequenceLength(bytes, pos, size);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

char32_t decodeAt(QByteArrayView view, qsizetype pos, qsizetype *length) noexcept
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(view.data());
    const unsigned char lead = bytes[pos];
    if (lead < 0x80) {
        *length = 1;
        return lead;
    }
    const qsizetype count = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    char32_t codePoint = lead & (0x7F >> count);
    for (qsizetype i = 1; i < count && pos + i < view.size(); ++i)
        codePoint = (codePoint << 6) | (bytes[pos + i] & 0x3F);
    *length = count;
    return codePoint;
}

} // namespace Utf8
