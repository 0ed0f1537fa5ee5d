#pragma once

#include "BatchItem.h"

#include <QObject>
#include <QString>

#include <functional>
#include <set>

class InputSource;
class ProgressDisplay;

/*!
 * \brief Runs the inputs of a batch, at most jobs() at a time, each one independent of the others,
 * and counts how they ended.
 *
 * Items are created as they start and deleted as they end, so memory follows the number of jobs,
 * not the size of the batch. stop() starts nothing more and stops the running items; finished()
 * follows once every started item has ended.
 */
class BatchRunner : public QObject
{
    Q_OBJECT

public:
    using Factory = std::function<BatchItem *(const QString &input, QObject *parent)>;

    BatchRunner(InputSource &inputs, int jobs, Factory factory, ProgressDisplay &display,
                QObject *parent = nullptr);

    void start();
    void stop();

    int done() const { return m_done; }
    int skipped() const { return m_skipped; }
    int failed() const { return m_failed; }
    int stopped() const { return m_stopped; }
    int total() const { return m_done + m_skipped + m_failed + m_stopped; }

Q_SIGNALS:
    void finished();

private:
    void startMore();
    void itemFinished(BatchItem *item, BatchItem::Outcome outcome);
    void finishWhenIdle();

    InputSource &m_inputs;
    int m_jobs;
    Factory m_factory;
    ProgressDisplay &m_display;
    std::set<BatchItem *> m_running;
    bool m_stopping = false;
    bool m_finished = false;
    int m_done = 0;
    int m_skipped = 0;
    int m_failed = 0;
    int m_stopped = 0;
};
