#include "ShareTextResolver.h"

#include "ShareText.h"
#include "VideoParser.h"

#include <QMutex>

#include <utility>

// Where a parse, on the network thread, drops its answer: the resolver while it lives. The lock
// keeps the resolver from going away while an answer is being posted to it; an answer posted to
// a resolver that is destroyed before it runs is discarded with the resolver's events.
struct ShareTextResolver::Inbox
{
    QMutex mutex;
    ShareTextResolver *resolver = nullptr;

    void post(quint64 serial, ShareTextResolver::Result result)
    {
        const QMutexLocker locker(&mutex);
        if (resolver)
            resolver->post(serial, std::move(result));
    }
};

ShareTextResolver::ShareTextResolver(const Endpoints &endpoints, QObject *parent)
    : QObject(parent)
    , m_endpoints(endpoints)
    , m_deadline(VideoParser::defaultDeadline)
    , m_inbox(std::make_shared<Inbox>())
{
    m_inbox->resolver = this;
}

ShareTextResolver::~ShareTextResolver()
{
    const QMutexLocker locker(&m_inbox->mutex);
    m_inbox->resolver = nullptr;
}

void ShareTextResolver::resolve(const QString &text)
{
    const quint64 serial = m_nextSerial++;
    m_pending.insert(serial, text);
    if (const std::optional<QString> address = ShareText::directPlayAddress(text)) {
        post(serial, Result { text, address, std::nullopt, std::nullopt, std::nullopt });
        return;
    }
    VideoParser parser(m_endpoints);
    parser.setTransferTimeout(m_transferTimeout);
    parser.setDeadline(m_deadline);
    // The completion runs on the network thread, or right here when the text holds no video ID:
    // either way the answer reaches this object through its event queue.
    parser.fetchVideoInfoWithMessage(
        ShareText::parserInput(text, m_endpoints),
        [inbox = m_inbox, serial, text](const std::optional<QString> &videoId,
                                        const VideoInfo &record,
                                        const std::optional<FailureReason> &failure) {
            inbox->post(serial, Result { text, record.video(), record, failure, videoId });
        });
}

void ShareTextResolver::cancel()
{
    // Taken out of the pending set first: what the parses still bring finds nothing to answer.
    const QHash<quint64, QString> pending = std::exchange(m_pending, {});
    const VideoInfo failureRecord = VideoParser(m_endpoints).failureRecord();
    for (const QString &text : pending) {
        Q_EMIT resolved(Result { text, std::nullopt, failureRecord,
                                 FailureReason(FailureReason::Kind::Cancelled, QString()),
                                 std::nullopt });
    }
}

void ShareTextResolver::post(quint64 serial, Result result)
{
    QMetaObject::invokeMethod(
        this, [this, serial, result = std::move(result)] { deliver(serial, result); },
        Qt::QueuedConnection);
}

void ShareTextResolver::deliver(quint64 serial, const Result &result)
{
    // Nothing to do for a resolution that was cancelled meanwhile.
    if (m_pending.remove(serial) == 0)
        return;
    Q_EMIT resolved(result);
}
