#include "Job.h"

#include <QMetaObject>

Job::Job(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<JobOutcome>();
}

Job::~Job() = default;

void Job::start()
{
    if (m_running)
        return;
    m_running = true;
    m_finishing = false;
    ++m_run;
    m_starting = true;
    begin();
    m_starting = false;
}

void Job::cancel()
{
    if (m_running && !m_finishing)
        abandon();
}

void Job::stop()
{
    if (m_running && !m_finishing)
        pause();
}

void Job::finish(const JobOutcome &outcome)
{
    if (!m_running || m_finishing)
        return;
    m_finishing = true;
    if (!m_starting) {
        deliver(m_run, outcome);
        return;
    }
    const quint64 run = m_run;
    QMetaObject::invokeMethod(
        this, [this, run, outcome] { deliver(run, outcome); }, Qt::QueuedConnection);
}

void Job::deliver(quint64 run, const JobOutcome &outcome)
{
    if (run != m_run || !m_running)
        return;
    m_running = false;
    m_outcome = outcome;
    Q_EMIT finished(outcome);
}
