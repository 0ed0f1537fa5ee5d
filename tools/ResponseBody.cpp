#include "ResponseBody.h"

#include "RecordingServer.h"
#include "StopSignal.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QLocale>

#include <algorithm>

namespace {

using namespace std::chrono_literals;

constexpr qint64 chunkSize = 64 * 1024;
// A cut-short body stops after half its length, and never later than this.
constexpr qint64 maximumPartBeforeFault = 64 * 1024;

const QByteArray &padding()
{
    static const QByteArray bytes = QByteArray("/* padding */ ").repeated(int(chunkSize / 14) + 1);
    return bytes;
}

} // namespace

ResponseBody::ResponseBody(QByteArray first, qint64 paddingSize, QByteArray second)
    : m_first(std::move(first)), m_paddingSize(paddingSize), m_second(std::move(second))
{
    // The padding is the same for the same size: its size stands for its bytes.
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(m_first);
    hash.addData(QByteArray::number(m_paddingSize));
    hash.addData(m_second);
    const QByteArray digest = hash.result();
    m_etag = '"' + digest.toHex().left(16).toStdString() + '"';
    const quint32 seconds = quint32(digest.at(0) & 0x7f) << 16 | quint32(quint8(digest.at(1))) << 8
        | quint8(digest.at(2));
    const QDateTime modified = QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC).addSecs(seconds);
    m_lastModified
        = QLocale::c().toString(modified, u"ddd, dd MMM yyyy hh:mm:ss 'GMT'").toStdString();
}

qint64 ResponseBody::size() const
{
    return m_first.size() + m_paddingSize + m_second.size();
}

QByteArray ResponseBody::bytes() const
{
    QByteArray all = m_first;
    for (qint64 left = m_paddingSize; left > 0; left -= padding().size())
        all += padding().left(qsizetype(std::min<qint64>(left, padding().size())));
    all += m_second;
    return all;
}

void ResponseBody::attach(const std::shared_ptr<const ResponseBody> &body,
                          const httplib::Request &request, httplib::Response &response,
                          const std::string &contentType, Ending ending, const StopSignal &stop,
                          Framing framing, std::chrono::milliseconds dripInterval)
{
    if (ending == Ending::Endless || ending == Ending::Dripping)
        return attachUnending(body, response, contentType, ending, stop, dripInterval);
    qint64 first = 0;
    qint64 length = body->size();
    if (response.status == -1 && framing == Framing::Length && request.has_header("Range")) {
        const ByteRange range
            = byteRange(QByteArray::fromStdString(request.get_header_value("Range")), length);
        const std::string size = std::to_string(body->size());
        if (range.kind == ByteRange::Unsatisfiable) {
            response.status = 416;
            response.set_header("Content-Range", "bytes */" + size);
            response.set_content(std::string(), contentType);
            return;
        }
        if (range.kind == ByteRange::Part) {
            response.status = 206;
            response.set_header("Content-Range",
                                "bytes " + std::to_string(range.first) + '-'
                                    + std::to_string(range.last) + '/' + size);
            first = range.first;
            length = range.last - range.first + 1;
        }
    }
    if (length == 0 && framing == Framing::Length) {
        response.set_content(std::string(), contentType);
        return;
    }
    const qint64 cutAt = std::min(length / 2, maximumPartBeforeFault);
    // The next piece of the body from \a sent on, or the planned early end once cutAt is reached.
    auto send = [body, ending, first, length, cutAt, &stop](qint64 sent, qint64 wanted,
                                                            httplib::DataSink &sink) {
        if (ending == Ending::Complete || sent < cutAt) {
            const qint64 limit = (ending == Ending::Complete ? length : cutAt) - sent;
            return body->write(first + sent, std::min<qint64>({ limit, wanted, chunkSize }), sink);
        }
        return endEarly(ending, sink, stop);
    };
    if (framing == Framing::Length) {
        response.set_content_provider(
            size_t(length), contentType,
            [send](size_t offset, size_t wanted, httplib::DataSink &sink) {
                return send(qint64(offset), qint64(wanted), sink);
            });
        return;
    }
    auto provider = [send, length](size_t offset, httplib::DataSink &sink) {
        if (qint64(offset) < length)
            return send(qint64(offset), length, sink);
        sink.done();
        return true;
    };
    if (framing == Framing::Chunked) {
        response.set_chunked_content_provider(contentType, std::move(provider));
        return;
    }
    RecordingServer::closeCurrentConnection();
    response.set_header("Connection", "close");
    response.set_content_provider(contentType, std::move(provider));
}

void ResponseBody::attachUnending(const std::shared_ptr<const ResponseBody> &body,
                                  httplib::Response &response, const std::string &contentType,
                                  Ending ending, const StopSignal &stop,
                                  std::chrono::milliseconds dripInterval)
{
    // Without a length, so that no client can tell from the headers that it will never end.
    const qint64 cutAt = std::min(body->size() / 2, maximumPartBeforeFault);
    auto provider
        = [body, ending, cutAt, dripInterval, &stop](size_t offset, httplib::DataSink &sink) {
              const qint64 sent = qint64(offset);
              if (sent < cutAt)
                  return body->write(sent, std::min(cutAt - sent, chunkSize), sink);
              if (ending == Ending::Endless)
                  return !stop.isRaised() && sink.write(padding().constData(), size_t(chunkSize));
              return stop.waitFor(dripInterval) && sink.write(padding().constData(), 1);
          };
    response.set_chunked_content_provider(contentType, std::move(provider));
}

ResponseBody::ByteRange ResponseBody::byteRange(const QByteArray &header, qint64 size)
{
    const ByteRange whole { ByteRange::Whole, 0, size - 1 };
    // Several ranges are answered with the whole body, which HTTP allows.
    if (!header.startsWith("bytes=") || header.contains(','))
        return whole;
    const QByteArray bounds = header.mid(6).trimmed();
    const qsizetype dash = bounds.indexOf('-');
    if (dash < 0)
        return whole;
    bool startValid = false;
    bool endValid = false;
    const qint64 start = bounds.left(dash).toLongLong(&startValid);
    const qint64 end = bounds.mid(dash + 1).toLongLong(&endValid);
    if (dash == 0) {
        // "bytes=-n": the last n bytes.
        if (!endValid)
            return whole;
        if (end <= 0 || size == 0)
            return { ByteRange::Unsatisfiable, 0, 0 };
        return { ByteRange::Part, std::max<qint64>(0, size - end), size - 1 };
    }
    if (!startValid || (dash + 1 < bounds.size() && (!endValid || end < start)))
        return whole;
    if (start >= size)
        return { ByteRange::Unsatisfiable, 0, 0 };
    const qint64 last = dash + 1 < bounds.size() ? std::min(end, size - 1) : size - 1;
    return { ByteRange::Part, start, last };
}

bool ResponseBody::write(qint64 offset, qint64 length, httplib::DataSink &sink) const
{
    if (offset < m_first.size()) {
        const qint64 count = std::min(length, m_first.size() - offset);
        return sink.write(m_first.constData() + offset, size_t(count));
    }
    offset -= m_first.size();
    if (offset < m_paddingSize) {
        const qint64 start = offset % 14;
        const qint64 count = std::min({ length, m_paddingSize - offset, padding().size() - start });
        return sink.write(padding().constData() + start, size_t(count));
    }
    offset -= m_paddingSize;
    const qint64 count = std::min(length, m_second.size() - offset);
    return count > 0 && sink.write(m_second.constData() + offset, size_t(count));
}

bool ResponseBody::endEarly(Ending ending, httplib::DataSink &sink, const StopSignal &stop)
{
    switch (ending) {
    case Ending::Reset:
        RecordingServer::resetCurrentConnection();
        return false;
    case Ending::Close:
        RecordingServer::closeCurrentConnection();
        return false;
    case Ending::Stall:
        // Hang without sending, until the client gives up or the server stops. Then reset the
        // connection: after an orderly close some clients take the truncated body for a whole
        // one.
        while (sink.is_writable() && stop.waitFor(50ms)) { }
        RecordingServer::resetCurrentConnection();
        return false;
    case Ending::Complete:
    case Ending::Endless:
    case Ending::Dripping:
        break;
    }
    return false;
}
