#pragma once

#include <QObject>

/*!
 * \brief The work for one input of a batch: started once, it ends with exactly one finished(),
 * never from inside start().
 */
class BatchItem : public QObject
{
    Q_OBJECT

public:
    enum class Outcome {
        Done, //!< parsed, or every file saved
        Skipped, //!< already in the download archive
        Failed,
        Stopped, //!< ended by stop()
        Partial, //!< some of its files saved, not all
    };
    Q_ENUM(Outcome)

    using QObject::QObject;

    virtual void start() = 0;
    /*! Ends the work early; finished() follows with Stopped (or the outcome reached meanwhile). */
    virtual void stop() = 0;

Q_SIGNALS:
    void finished(BatchItem::Outcome outcome);
};
