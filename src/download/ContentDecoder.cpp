#include "ContentDecoder.h"

#include <QCoreApplication>

#include <zlib.h>

namespace {

constexpr int outputBytes = 64 * 1024;
// 15 window bits, +32: zlib tells a gzip header from a zlib one ("deflate") by itself.
constexpr int detectHeaderWindowBits = 15 + 32;

QString tr(const char *text)
{
    return QCoreApplication::translate("ContentDecoder", text);
}

QByteArray normalized(const QByteArray &contentEncoding)
{
    return contentEncoding.trimmed().toLower();
}

} // namespace

struct ContentDecoder::Stream
{
    z_stream z {};
    bool open = false;

    bool init()
    {
        open = inflateInit2(&z, detectHeaderWindowBits) == Z_OK;
        return open;
    }
    ~Stream()
    {
        if (open)
            inflateEnd(&z);
    }
};

bool ContentDecoder::isIdentity(const QByteArray &contentEncoding)
{
    const QByteArray encoding = normalized(contentEncoding);
    return encoding.isEmpty() || encoding == "identity";
}

bool ContentDecoder::isSupported(const QByteArray &contentEncoding)
{
    const QByteArray encoding = normalized(contentEncoding);
    return isIdentity(encoding) || encoding == "gzip" || encoding == "x-gzip"
        || encoding == "deflate";
}

std::unique_ptr<ContentDecoder> ContentDecoder::create(const QByteArray &contentEncoding,
                                                       qint64 maximumSize)
{
    if (isIdentity(contentEncoding) || !isSupported(contentEncoding))
        return nullptr;
    std::unique_ptr<ContentDecoder> decoder(new ContentDecoder(maximumSize));
    if (!decoder->m_stream->init())
        return nullptr;
    return decoder;
}

ContentDecoder::ContentDecoder(qint64 maximumSize)
    : m_stream(std::make_unique<Stream>()), m_maximumSize(maximumSize)
{ }

ContentDecoder::~ContentDecoder() = default;

bool ContentDecoder::decode(const char *data, qint64 size, const Sink &sink)
{
    if (!m_error.isEmpty())
        return false;
    z_stream &z = m_stream->z;
    char output[outputBytes];
    const char *input = data;
    qint64 left = size;
    while (left > 0 && !m_ended) {
        const uInt piece = uInt(std::min<qint64>(left, 1 << 30));
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input));
        z.avail_in = piece;
        do {
            z.next_out = reinterpret_cast<Bytef *>(output);
            z.avail_out = outputBytes;
            const int status = inflate(&z, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
                return fail(z.msg ? QString::fromUtf8(z.msg)
                                  : tr("the compressed data is damaged"));
            const qint64 produced = outputBytes - qint64(z.avail_out);
            if (produced > 0) {
                m_decoded += produced;
                if (m_decoded > m_maximumSize)
                    return fail(tr("it expands past %1 bytes").arg(m_maximumSize));
                if (!sink(output, produced))
                    return false;
            }
            if (status == Z_STREAM_END) {
                m_ended = true;
                break;
            }
        } while (z.avail_out == 0);
        const qint64 consumed = qint64(piece) - qint64(z.avail_in);
        input += consumed;
        left -= consumed;
        if (consumed == 0 && !m_ended)
            break;
    }
    // Bytes after the end of the compressed stream are not part of the body.
    if (m_ended && (left > 0 || z.avail_in > 0))
        return fail(tr("data follows the end of the compressed stream"));
    return true;
}

bool ContentDecoder::finish()
{
    if (!m_error.isEmpty())
        return false;
    if (!m_ended)
        return fail(tr("the compressed data ends early"));
    return true;
}

bool ContentDecoder::fail(const QString &reason)
{
    if (m_error.isEmpty())
        m_error = reason;
    return false;
}
