#pragma once

#include "Fen_QorClock.h"

#include <QElapsedTimer>

class QObject;

/*!
 * \brief The HUD's real clock: monotonic time and single-shot precise QTimers.
 *
 * The timers are children of the context object given at construction, so they fire on its
 * thread (the main one, for a HUD) and go down with it. Timers keep firing during drags and
 * modal loops, as every event-loop timer does.
 */
class Fen_QorTimerClock : public Fen_QorClock
{
public:
    explicit Fen_QorTimerClock(QObject *context);

    Seconds now() const override;
    std::unique_ptr<Timer> startTimer(Seconds delay, std::function<void()> handler) override;

private:
    QObject *m_context;
    QElapsedTimer m_start;
};
