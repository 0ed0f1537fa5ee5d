#pragma once

#include "BatchCounts.h"
#include "BatchItem.h"
#include "InputSource.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <set>

class ProgressDisplay;

/*!
 * \brief Runs the inputs of a batch, at most jobs() at a time, each one independent of the others,
 * and counts how they ended.
 *
 * Items are created as they start and deleted as they end, so memory follows the number of jobs,
 * not the size of the batch. An input that repeats an earlier one is skipped (done once), and a
 * batch line too long to be an input fails; both are reported as the items' own outcomes are
 * (a message, and with --json a line). stop() starts nothing more and stops the running items;
 * finished() follows once every started item has ended.
 */
class BatchRunner : public QObject
{
    Q_OBJECT

public:
    using Factory = std::function<BatchItem *(const QString &input, QObject *parent)>;

    /*! What the runner says of the inputs it does not hand to an item. */
    struct Reporting
    {
        QString command; //!< "download": the messages' prefix
        bool json = false;
        ProgressDisplay *display = nullptr;
    };

    BatchRunner(InputSource &inputs, int jobs, Factory factory, const Reporting &reporting,
                QObject *parent = nullptr);

    void start();
    void stop();

    const BatchCounts &counts() const { return m_counts; }

Q_SIGNALS:
    void finished();

private:
    void startMore();
    bool passOver(const InputSource::Input &input);
    void reportPassedOver(const InputSource::Input &input, BatchItem::Outcome outcome,
                          const QString &reason);
    void itemFinished(BatchItem *item, BatchItem::Outcome outcome);
    void finishWhenIdle();

    InputSource &m_inputs;
    int m_jobs;
    Factory m_factory;
    Reporting m_reporting;
    std::set<BatchItem *> m_running;
    // 64 bits of a digest of each input started, not the text: a batch's lines may be long and
    // many. A few bytes an input; that two of a million inputs share them by chance is less
    // likely than one in ten million.
    QSet<quint64> m_seen;
    bool m_stopping = false;
    bool m_finished = false;
    BatchCounts m_counts;
};
