#include "ResponseBody.h"

#include "RecordingServer.h"
#include "StopSignal.h"

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
{ }

qint64 ResponseBody::size() const
{
    return m_first.size() + m_paddingSize + m_second.size();
}

void ResponseBody::attach(const std::shared_ptr<const ResponseBody> &body,
                          const httplib::Request &request, httplib::Response &response,
                          const std::string &contentType, Ending ending, const StopSignal &stop,
                          std::chrono::milliseconds dripInterval)
{
    if (ending == Ending::Endless || ending == Ending::Dripping)
        return attachUnending(body, response, contentType, ending, stop, dripInterval);
    qint64 first = 0;
    qint64 length = body->size();
    if (response.status == -1 && request.has_header("Range")) {
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
    if (length == 0) {
        response.set_content(std::string(), contentType);
        return;
    }
    const qint64 cutAt = std::min(length / 2, maximumPartBeforeFault);
    auto provider = [body, ending, first, cutAt, &stop](size_t offset, size_t length,
                                                        httplib::DataSink &sink) {
        const qint64 sent = qint64(offset);
        if (ending == Ending::Complete || sent < cutAt) {
            const qint64 limit = ending == Ending::Complete ? qint64(length) : cutAt - sent;
            return body->write(first + sent, std::min<qint64>({ limit, qint64(length), chunkSize }),
                               sink);
        }
        if (ending == Ending::Reset) {
            RecordingServer::resetCurrentConnection();
            return false;
        }
        return stall(sink, stop);
    };
    response.set_content_provider(size_t(length), contentType, std::move(provider));
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

bool ResponseBody::stall(httplib::DataSink &sink, const StopSignal &stop)
{
    // Hang without sending, until the client gives up or the server stops. Then reset the
    // connection: after an orderly close some clients take the truncated body for a whole one.
    while (sink.is_writable() && stop.waitFor(50ms)) { }
    RecordingServer::resetCurrentConnection();
    return false;
}
