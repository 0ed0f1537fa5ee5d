#pragma once

#include <httplib.h>

#include <QByteArray>

#include <chrono>
#include <memory>

class StopSignal;

/*!
 * \brief A response body streamed to the client from shared bytes, with an optional run of
 * generated padding in its middle, that can be cut short on purpose.
 *
 * The bytes are never copied per request: the content provider writes straight from the shared
 * arrays, so large bodies cost nothing beyond the socket buffers.
 */
class ResponseBody
{
public:
    /*! How the body's delivery ends. */
    enum class Ending {
        Complete, //!< every byte is sent
        Stall, //!< part is sent, then nothing until the client leaves or the server stops
        Reset, //!< part is sent, then the connection is reset
        Close, //!< part is sent, then the connection is closed in order
        Endless, //!< part is sent, then padding as fast as the client reads, for ever (chunked)
        Dripping, //!< part is sent, then one byte per drip interval, for ever (chunked)
    };

    /*! How the body's end is marked. */
    enum class Framing {
        Length, //!< Content-Length
        Chunked, //!< chunked transfer coding
        UntilClose, //!< neither: the body ends when the connection closes
    };

    explicit ResponseBody(QByteArray first, qint64 paddingSize = 0, QByteArray second = {});

    qint64 size() const;
    /*! A strong entity tag and a Last-Modified date, both derived from the bytes: a body with
     *  other bytes has others. */
    std::string etag() const { return m_etag; }
    std::string lastModified() const { return m_lastModified; }
    /*! The whole body as one array (padding included); for small bodies. */
    QByteArray bytes() const;

    /*! Streams \a body as \a response's content of \a contentType. A successful answer to a
     *  request for one byte range carries that range (206), or says that it cannot (416). A
     *  dripping body sends a byte every \a dripInterval. */
    static void attach(const std::shared_ptr<const ResponseBody> &body,
                       const httplib::Request &request, httplib::Response &response,
                       const std::string &contentType, Ending ending, const StopSignal &stop,
                       Framing framing = Framing::Length,
                       std::chrono::milliseconds dripInterval = std::chrono::seconds(1));

private:
    struct ByteRange
    {
        enum Kind { Whole, Part, Unsatisfiable } kind;
        qint64 first;
        qint64 last;
    };

    static ByteRange byteRange(const QByteArray &header, qint64 size);
    bool write(qint64 offset, qint64 length, httplib::DataSink &sink) const;
    static void attachUnending(const std::shared_ptr<const ResponseBody> &body,
                               httplib::Response &response, const std::string &contentType,
                               Ending ending, const StopSignal &stop,
                               std::chrono::milliseconds dripInterval);
    static bool endEarly(Ending ending, httplib::DataSink &sink, const StopSignal &stop);

    QByteArray m_first;
    qint64 m_paddingSize;
    QByteArray m_second;
    std::string m_etag;
    std::string m_lastModified;
};
