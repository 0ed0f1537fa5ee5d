#pragma once

#include "BatchItem.h"
#include "ResolveJob.h"
#include "RunContext.h"

#include <QString>

/*!
 * \brief An item whose work starts by resolving its input as the window's parse button does
 * (ResolveJob): a play address is taken as it is, anything else is parsed to its record.
 */
class ResolvingItem : public BatchItem
{
    Q_OBJECT

public:
    ResolvingItem(const QString &command, const QString &input, const RunContext &context,
                  QObject *parent);

    void start() override;
    void stop() override;

protected:
    /*! Carries on with what the resolution gave (never after stop()). */
    virtual void useResolution(const ResolveJob::Result &result) = 0;
    /*! Stops the work after the resolution. */
    virtual void stopWork() = 0;

    /*! Writes "kivora-cli: COMMAND: [INPUT: ]REASON" as an error. */
    void reportError(const QString &reason) const;
    /*! Ends the item once. */
    void finish(Outcome outcome);
    bool isStopping() const { return m_stopping; }

    QString m_command;
    QString m_input;
    RunContext m_context;

private:
    ResolveJob m_resolve;
    bool m_stopping = false;
    bool m_finished = false;
};
