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
                          httplib::Response &response, const std::string &contentType,
                          Ending ending, const StopSignal &stop)
{
    // The first call of the provider tells where this response's bytes start (a Range request
    // starts later) and how many it wants.
    struct Progress
    {
        qint64 cutAt = -1;
    };
    auto progress = std::make_shared<Progress>();
    auto provider = [body, ending, progress, &stop](size_t offset, size_t length,
                                                    httplib::DataSink &sink) {
        if (progress->cutAt < 0) {
            progress->cutAt
                = qint64(offset) + std::min<qint64>(qint64(length) / 2, maximumPartBeforeFault);
        }
        if (ending == Ending::Complete || qint64(offset) < progress->cutAt) {
            const qint64 limit
                = ending == Ending::Complete ? qint64(length) : progress->cutAt - qint64(offset);
            return body->write(qint64(offset),
                               std::min<qint64>({ limit, qint64(length), chunkSize }), sink);
        }
        if (ending == Ending::Reset) {
            RecordingServer::resetCurrentConnection();
            return false;
        }
        return stall(sink, stop);
    };
    response.set_content_provider(size_t(body->size()), contentType, std::move(provider));
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
