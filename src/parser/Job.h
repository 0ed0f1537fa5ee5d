#pragma once

#include "JobOutcome.h"

#include <QObject>
#include <QString>

/*!
 * \brief One piece of work with one outcome: resolving a text, downloading an item's files.
 *
 * start() begins it; cancel() drops everything it did; stop() ends it and keeps what a later run
 * can resume. progress() reports bytes (total -1 while unknown) with a short label of what runs
 * now. finished() comes exactly once per start(), never from inside start(): a job that knows its
 * outcome at once still answers from the event loop. A job can be started again once it has
 * finished. Destroying a running job ends its work without a signal.
 */
class Job : public QObject
{
    Q_OBJECT

public:
    explicit Job(QObject *parent = nullptr);
    ~Job() override;

    void start();
    /*! Drops everything; finished() reports Cancelled (possibly before cancel() returns). */
    void cancel();
    /*! Ends the work and keeps what can be resumed; finished() reports Stopped, or Done when the
     *  work had already completed. */
    void stop();

    bool isRunning() const { return m_running; }
    /*! The outcome of the last finished run. */
    const JobOutcome &outcome() const { return m_outcome; }

Q_SIGNALS:
    void progress(qint64 received, qint64 total, const QString &label);
    void finished(const JobOutcome &outcome);

protected:
    /*! Begins the work; it ends with one call of finish(), now or later. */
    virtual void begin() = 0;
    /*! Ends the work for cancel(); it must lead to finish() with a cancelled outcome. */
    virtual void abandon() = 0;
    /*! Ends the work for stop(); by default the same as abandon(). */
    virtual void pause() { abandon(); }

    /*! Reports the outcome; only the first call of a run counts. Called from inside begin(), it
     *  is delivered from the event loop. */
    void finish(const JobOutcome &outcome);

private:
    void deliver(quint64 run, const JobOutcome &outcome);

    bool m_running = false;
    bool m_starting = false;
    bool m_finishing = false;
    quint64 m_run = 0;
    JobOutcome m_outcome;
};
