#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

/*!
 * \brief Undoes a response's Content-Encoding (gzip or deflate) as the bytes arrive, in bounded
 * memory and up to a maximum decoded size.
 *
 * A body counts as decoded only when its compressed stream has ended cleanly (finish()); a
 * damaged or cut stream fails with zlib's reason. Decoded bytes go to the sink in pieces of at
 * most 64 KiB, however much one compressed piece expands.
 */
class ContentDecoder
{
public:
    /*! Receives decoded bytes; returns false to stop decoding. */
    using Sink = std::function<bool(const char *data, qint64 size)>;

    /*! A decoder for \a contentEncoding, or null when it is none that this class undoes (see
     *  isSupported()). */
    static std::unique_ptr<ContentDecoder> create(const QByteArray &contentEncoding,
                                                  qint64 maximumSize);
    /*! True for "gzip", "x-gzip" and "deflate", and for no encoding at all ("" or "identity"). */
    static bool isSupported(const QByteArray &contentEncoding);
    /*! True when \a contentEncoding means the bytes are sent as they are. */
    static bool isIdentity(const QByteArray &contentEncoding);

    ~ContentDecoder();
    ContentDecoder(const ContentDecoder &) = delete;
    ContentDecoder &operator=(const ContentDecoder &) = delete;

    /*! Decodes \a size bytes into \a sink; false on damaged data, past the maximum size, or when
     *  the sink stopped. */
    bool decode(const char *data, qint64 size, const Sink &sink);
    /*! True when the compressed stream has ended cleanly. */
    bool finish();
    qint64 decodedSize() const { return m_decoded; }
    QString errorString() const { return m_error; }

private:
    explicit ContentDecoder(qint64 maximumSize);
    bool fail(const QString &reason);

    struct Stream;
    std::unique_ptr<Stream> m_stream;
    qint64 m_maximumSize;
    qint64 m_decoded = 0;
    bool m_ended = false;
    QString m_error;
};
