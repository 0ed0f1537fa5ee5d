#include "ShareTextResolver.h"

#include "VideoParser.h"

ShareTextResolver::ShareTextResolver(const Endpoints &endpoints, QObject *parent)
    : QObject(parent), m_endpoints(endpoints), m_deadline(VideoParser::defaultDeadline)
{ }

ShareTextResolver::~ShareTextResolver() = default;

void ShareTextResolver::resolve(const QString &text)
{
    auto job = std::make_unique<ResolveJob>(m_endpoints);
    job->setText(text);
    job->setTransferTimeout(m_transferTimeout);
    job->setDeadline(m_deadline);
    ResolveJob *const started = job.get();
    connect(started, &Job::finished, this, [this, started] { answer(started); });
    m_jobs.emplace(started, std::move(job));
    started->start();
}

void ShareTextResolver::cancel()
{
    // Each job answers as it is cancelled, and leaves the map as it answers.
    QList<ResolveJob *> running;
    for (const auto &[job, owner] : m_jobs)
        running.append(job);
    for (ResolveJob *job : running)
        job->cancel();
}

void ShareTextResolver::answer(ResolveJob *job)
{
    const auto found = m_jobs.find(job);
    if (found == m_jobs.end())
        return;
    // The job is deleted once its signal has returned.
    std::unique_ptr<ResolveJob> finished = std::move(found->second);
    m_jobs.erase(found);
    const Result result = finished->result();
    finished.release()->deleteLater();
    Q_EMIT resolved(result);
}
