#pragma once

#include <QByteArray>
#include <QFile>
#include <QtEndian>

// Small pictures of each format the downloads accept, built by hand, and the sample platform's
// JPEG. The checksums of the PNG chunks are not computed: nothing here reads them.
namespace TestMedia {

inline QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray length(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), length.data());
    return length + type + data + QByteArray(4, '\x5a');
}

inline QByteArray png()
{
    const QByteArray header = QByteArray::fromHex("00000001000000010806000000");
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header)
        + pngChunk("IDAT", QByteArray::fromHex("789c6300010000050001")) + pngChunk("IEND", {});
}

inline QByteArray webp()
{
    const QByteArray payload = QByteArray("VP8L") + QByteArray::fromHex("0a000000")
        + QByteArray::fromHex("2f0000000000000000ff");
    QByteArray size(4, '\0');
    qToLittleEndian<quint32>(quint32(4 + payload.size()), size.data());
    return "RIFF" + size + "WEBP" + payload;
}

// A gallery picture the sample platform serves (\a number 1 to 3).
inline QByteArray sampleJpeg(int number = 1)
{
    QFile file(QStringLiteral(":/sample-platform/image-%1.jpg").arg(number));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace TestMedia
