#include "ResolveJob.h"

#include "RequestGroup.h"
#include "ShareText.h"
#include "VideoParser.h"

#include <QMutex>

// Where a parse, on the network thread, drops its answer: the job while it lives. The lock keeps
// the job from going away while an answer is being posted to it.
struct ResolveJob::Inbox
{
    QMutex mutex;
    ResolveJob *job = nullptr;

    void post(quint64 run, ResolveJob::Result result)
    {
        const QMutexLocker locker(&mutex);
        if (!job)
            return;
        QMetaObject::invokeMethod(
            job, [job = job, run, result = std::move(result)] { job->deliver(run, result); },
            Qt::QueuedConnection);
    }
};

ResolveJob::ResolveJob(const Endpoints &endpoints, QObject *parent)
    : Job(parent)
    , m_endpoints(endpoints)
    , m_deadline(VideoParser::defaultDeadline)
    , m_inbox(std::make_shared<Inbox>())
{
    qRegisterMetaType<ResolveJob::Result>();
    m_inbox->job = this;
}

ResolveJob::~ResolveJob()
{
    endRequests();
    const QMutexLocker locker(&m_inbox->mutex);
    m_inbox->job = nullptr;
}

void ResolveJob::begin()
{
    const quint64 run = ++m_run;
    if (const std::optional<QString> address = ShareText::directPlayAddress(m_text)) {
        deliver(run, Result { m_text, address, std::nullopt, std::nullopt, std::nullopt });
        return;
    }
    m_requests = std::make_shared<RequestGroup>();
    VideoParser parser(m_endpoints);
    parser.setTransferTimeout(m_transferTimeout);
    parser.setDeadline(m_deadline);
    parser.setRequestGroup(m_requests);
    // The completion runs on the network thread, or right here when the text holds no video ID:
    // either way the answer reaches this object through its event queue.
    parser.fetchVideoInfoWithMessage(
        ShareText::parserInput(m_text, m_endpoints),
        [inbox = m_inbox, run, text = m_text](const std::optional<QString> &videoId,
                                              const VideoInfo &record,
                                              const std::optional<FailureReason> &failure) {
            inbox->post(run, Result { text, record.video(), record, failure, videoId });
        });
}

void ResolveJob::abandon()
{
    end(JobOutcome::cancelled());
}

void ResolveJob::pause()
{
    // Nothing of a parse can be resumed: stopped, it ends as a cancelled one does.
    end(JobOutcome::stopped());
}

void ResolveJob::end(const JobOutcome &outcome)
{
    endRequests();
    m_result = Result { m_text, std::nullopt, VideoParser(m_endpoints).failureRecord(),
                        FailureReason(FailureReason::Kind::Cancelled, QString()), std::nullopt };
    finish(outcome);
}

void ResolveJob::deliver(quint64 run, const Result &result)
{
    // An answer of an earlier, cancelled run finds nothing to answer.
    if (run != m_run || !isRunning())
        return;
    m_requests.reset();
    m_result = result;
    finish(result.failure ? JobOutcome::failed(*result.failure) : JobOutcome::done());
}

void ResolveJob::endRequests()
{
    if (m_requests)
        std::exchange(m_requests, {})->cancel();
}
