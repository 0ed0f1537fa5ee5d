#include "BatchRunner.h"

#include "InputSource.h"
#include "ProgressDisplay.h"

BatchRunner::BatchRunner(InputSource &inputs, int jobs, Factory factory, ProgressDisplay &display,
                         QObject *parent)
    : QObject(parent)
    , m_inputs(inputs)
    , m_jobs(std::max(1, jobs))
    , m_factory(std::move(factory))
    , m_display(display)
{
    connect(&m_inputs, &InputSource::inputsReady, this, &BatchRunner::startMore);
}

void BatchRunner::start()
{
    startMore();
}

void BatchRunner::stop()
{
    if (m_stopping)
        return;
    m_stopping = true;
    // A copy: a stopped item may finish, and leave the set, at once.
    const std::set<BatchItem *> running = m_running;
    for (BatchItem *item : running)
        item->stop();
    finishWhenIdle();
}

void BatchRunner::startMore()
{
    while (!m_stopping && int(m_running.size()) < m_jobs) {
        const std::optional<QString> input = m_inputs.next();
        if (!input)
            break;
        BatchItem *item = m_factory(*input, this);
        m_running.insert(item);
        connect(item, &BatchItem::finished, this,
                [this, item](BatchItem::Outcome outcome) { itemFinished(item, outcome); });
        item->start();
    }
    finishWhenIdle();
}

void BatchRunner::itemFinished(BatchItem *item, BatchItem::Outcome outcome)
{
    m_running.erase(item);
    item->deleteLater();
    switch (outcome) {
    case BatchItem::Outcome::Done:
        ++m_done;
        break;
    case BatchItem::Outcome::Skipped:
        ++m_skipped;
        break;
    case BatchItem::Outcome::Failed:
        ++m_failed;
        break;
    case BatchItem::Outcome::Stopped:
        ++m_stopped;
        break;
    }
    m_display.setCounts(m_done, m_failed, m_skipped);
    startMore();
}

void BatchRunner::finishWhenIdle()
{
    if (m_finished || !m_running.empty() || (!m_stopping && !m_inputs.atEnd()))
        return;
    m_finished = true;
    Q_EMIT finished();
}
